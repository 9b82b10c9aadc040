// EndToEndTests.cpp - the built Ostrel.exe driven from outside: no library, hot-plug,
// a board held by another process, Save and Verify through the real file dialogs.
#include "SimSession.h"
#include "TaskbarRun.h"
#include "TestSupport.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace vtltest;

namespace
{
bool RunVtlsim(const CSimSession &sim, const std::string &args)
{
    CProcessDriver p;
    DWORD dwExit = 1;
    return p.Start("vtlsim.exe", sim.Env(), args) && p.WaitForExit(20000, &dwExit) && dwExit == 0;
}

bool ButtonsEnabled(const CProcessDriver &p, bool bEnabled)
{
    for (int id : {IDC_UPDATE, IDC_SAVE, IDC_VERIFY, IDC_ERASE})
        if (p.IsEnabled(id) != bEnabled)
            return false;
    return true;
}

// Presses Erase; the index of the board the library erased, -1 when none.
int ErasedBoard(CProcessDriver &p, const CSimSession &sim)
{
    const size_t nBefore = sim.Calls(p.Pid()).size();
    MsgBoxRecord box;
    if (!p.Click(IDC_ERASE) || !p.ExpectMessageBox(box, IDOK, 10000))
        return -1;
    const std::vector<std::string> calls = sim.Calls(p.Pid());
    for (size_t i = nBefore; i < calls.size(); ++i)
        if (calls[i].rfind("board", 0) == 0 &&
            calls[i].find(".EraseEeprom() = 0") != std::string::npos)
            return std::stoi(calls[i].substr(5));
    return -1;
}

bool StartWithButtons(CProcessDriver &p, const CSimSession &sim)
{
    return p.Start("Ostrel.exe", sim.Env()) && p.WaitForMainWindow(20000, "Ostrel") &&
           WaitForCondition([&] { return ButtonsEnabled(p, true); }, 10000);
}
} // namespace

TEST(OstrelProgram, WithoutLibraryShowsLoaderMessagesAndEndsWithCode1)
{
    CTempDir dir;
    const std::string exe = dir.File("Ostrel.exe");
    ASSERT_TRUE(CopyFileA((BinDir() + "Ostrel.exe").c_str(), exe.c_str(), FALSE));
    char szWindows[MAX_PATH] = "C:\\windows";
    GetWindowsDirectoryA(szWindows, MAX_PATH);
    CProcessDriver p;
    ASSERT_TRUE(p.Start(
        exe, {{"PATH", std::string(szWindows) + "\\system32;" + szWindows}, {"WINEPATH", ""}}))
        << p.LastError();
    MsgBoxRecord first, second;
    ASSERT_TRUE(p.ExpectMessageBox(first, IDOK, 20000));
    EXPECT_EQ(first.text, "7e");
    EXPECT_EQ(first.icon, 0u);
    ASSERT_TRUE(p.ExpectMessageBox(second, IDOK, 10000));
    EXPECT_EQ(second.text, "Could not find VtlDrvUsb.dll");
    EXPECT_EQ(second.caption, first.caption);
    DWORD dwExit = 0;
    ASSERT_TRUE(p.WaitForExit(10000, &dwExit));
    EXPECT_EQ(dwExit, 1u);
}

TEST(OstrelProgram, KeysMoveTheBoardTheCommandsActOn)
{
    CSimSession sim("[driver]\nboards = 2\n[board 0]\ntype = Alpha\n[board 1]\ntype = Beta\n");
    CProcessDriver p;
    ASSERT_TRUE(StartWithButtons(p, sim)) << p.LastError();
    ASSERT_EQ(p.ListSelected(IDC_BOARDS), 0);
    // Arrow, Home, End and type-ahead, as the list gets them from the keyboard.
    const struct
    {
        UINT nMessage;
        WPARAM key;
        int nRow;
    } keys[] = {{WM_KEYDOWN, VK_DOWN, 1},
                {WM_KEYDOWN, VK_HOME, 0},
                {WM_KEYDOWN, VK_END, 1},
                {WM_CHAR, 'A', 0}};
    for (const auto &k : keys)
    {
        SCOPED_TRACE(k.key);
        // lParam: a repeat count of one, as the keyboard gives it.
        ASSERT_TRUE(PostMessageA(p.Control(IDC_BOARDS), k.nMessage, k.key, 1));
        ASSERT_TRUE(WaitForCondition([&] { return p.ListSelected(IDC_BOARDS) == k.nRow; }, 5000));
        EXPECT_EQ(ErasedBoard(p, sim), k.nRow);
    }
    ASSERT_TRUE(p.Close());
    EXPECT_TRUE(p.WaitForExit(10000));
}

TEST(OstrelProgram, RowClickedDuringASlowRefillIsTheBoardTheCommandsActOn)
{
    // Each version read takes a while: the refill holds the lock while its rows appear.
    std::string config = "[driver]\nboards = 4\n";
    for (const char *pszType : {"A", "B", "C"})
        config += std::string("[board ") + std::to_string(*pszType - 'A') + "]\ntype = " + pszType +
                  "\ndelay.GetEepromVersion = 700\n";
    CSimSession sim(config + "[board 3]\ntype = D\nunplugged = 1\n");
    CProcessDriver p;
    ASSERT_TRUE(StartWithButtons(p, sim)) << p.LastError();
    ASSERT_EQ(p.ListSelected(IDC_BOARDS), 0);
    ASSERT_TRUE(RunVtlsim(sim, "plug 3"));
    ASSERT_TRUE(WaitForCondition(
        [&] { return ButtonsEnabled(p, false) && p.ListCount(IDC_BOARDS) == 2; }, 25000));
    ASSERT_TRUE(p.ListClick(IDC_BOARDS, 1));
    ASSERT_TRUE(WaitForCondition([&] { return p.ListSelected(IDC_BOARDS) == 1; }, 5000));
    EXPECT_LT(p.ListCount(IDC_BOARDS), 4) << "the click came after the refill";
    ASSERT_TRUE(WaitForCondition([&] { return ButtonsEnabled(p, true); }, 15000));
    EXPECT_EQ(p.ListCount(IDC_BOARDS), 4);
    EXPECT_EQ(p.ListSelected(IDC_BOARDS), 1);
    EXPECT_EQ(ErasedBoard(p, sim), 1);
    ASSERT_TRUE(p.Close());
    EXPECT_TRUE(p.WaitForExit(10000));
}

TEST(OstrelProgram, HotPlugRefreshesAfterThePauseAndSelectsTheBoardAgain)
{
    CSimSession sim(
        "[driver]\nboards = 3\n[board 0]\ntype = Alpha\nio = 0x300\n[board 1]\ntype = Beta\n"
        "io = 0x320\nunplugged = 1\n[board 2]\ntype = Gamma\nio = 0x320\n");
    CProcessDriver p;
    ASSERT_TRUE(StartWithButtons(p, sim)) << p.LastError();
    EXPECT_EQ(p.ListRows(IDC_BOARDS, 3),
              (std::vector<std::vector<std::string>>{{"Alpha", "0x300", "Ver 1.02"},
                                                     {"Gamma", "0x320", "Ver 1.02"}}));

    // Row 1 is selected before each refresh: Gamma stays listed and is selected again in its
    // new row, not the first, nor Beta at its address; Beta goes, and the first row is selected.
    const struct
    {
        const char *pszCommand;
        int nRows;
        int nSelected;
    } steps[] = {{"plug 1", 3, 2}, {"unplug 1", 2, 0}};
    for (const auto &s : steps)
    {
        SCOPED_TRACE(s.pszCommand);
        ASSERT_TRUE(p.ListClick(IDC_BOARDS, 1));
        ASSERT_TRUE(WaitForCondition([&] { return p.ListSelected(IDC_BOARDS) == 1; }, 5000));
        ASSERT_TRUE(RunVtlsim(sim, s.pszCommand));
        ASSERT_TRUE(WaitForCondition(
            [&] { return ButtonsEnabled(p, false) && p.ListCount(IDC_BOARDS) == 0; }, 10000));
        const ULONGLONG t0 = GetTickCount64();
        ASSERT_TRUE(WaitForCondition([&] { return ButtonsEnabled(p, true); }, 25000));
        const ULONGLONG elapsed = GetTickCount64() - t0;
        EXPECT_GE(elapsed, 9000u);
        EXPECT_LE(elapsed, 15000u);
        EXPECT_EQ(p.ListCount(IDC_BOARDS), s.nRows);
        EXPECT_TRUE(
            WaitForCondition([&] { return p.ListSelected(IDC_BOARDS) == s.nSelected; }, 5000))
            << p.ListSelected(IDC_BOARDS);
        EXPECT_EQ(ErasedBoard(p, sim), s.nSelected);
    }
    ASSERT_TRUE(p.Close());
    DWORD dwExit = 1;
    ASSERT_TRUE(p.WaitForExit(10000, &dwExit));
    EXPECT_EQ(dwExit, 0u);
    EXPECT_TRUE(ClosedLast(sim.Calls(p.Pid())));
}

TEST(OstrelProgram, BoardHeldByAnotherProcessOnlyReportsTheLock)
{
    CSimSession sim("[driver]\nboards = 1\n[board 0]\ntype = Shared\n");
    CProcessDriver holder;
    ASSERT_TRUE(holder.Start("Ostrel.exe", sim.Env()));
    ASSERT_TRUE(holder.WaitForMainWindow(20000, "Ostrel"));
    ASSERT_TRUE(WaitForCondition([&] { return holder.ListCount(IDC_BOARDS) == 1; }, 10000));

    CProcessDriver second;
    ASSERT_TRUE(second.Start("Ostrel.exe", sim.Env()));
    ASSERT_TRUE(second.WaitForMainWindow(20000, "Ostrel"));
    ASSERT_TRUE(WaitForCondition([&] { return second.ListCount(IDC_BOARDS) == 1; }, 10000));
    EXPECT_EQ(second.ListText(IDC_BOARDS, 0, 2), "Unknown");
    const size_t nCalls = sim.Calls(second.Pid()).size();
    for (int id : {IDC_ERASE, IDC_SAVE, IDC_UPDATE, IDC_VERIFY})
    {
        ASSERT_TRUE(second.Click(id));
        MsgBoxRecord r;
        ASSERT_TRUE(second.ExpectMessageBox(r, IDOK, 10000)) << id;
        EXPECT_EQ(r.caption, "Failed to lock board");
        EXPECT_EQ(r.icon, static_cast<UINT>(MB_ICONINFORMATION));
        EXPECT_EQ(second.FileDialog(), (HWND)NULL);
    }
    EXPECT_EQ(sim.Calls(second.Pid()).size(), nCalls);
    EXPECT_TRUE(second.Close());
    EXPECT_TRUE(second.WaitForExit(10000));
    EXPECT_TRUE(holder.Close());
    EXPECT_TRUE(holder.WaitForExit(10000));
}

TEST(OstrelProgram, SaveWithBareNameThenVerify)
{
    CSimSession sim("[driver]\nboards = 1\n[board 0]\neeprom_version = 1.07\n");
    CProcessDriver p;
    ASSERT_TRUE(p.Start("Ostrel.exe", sim.Env()));
    ASSERT_TRUE(p.WaitForMainWindow(20000, "Ostrel"));
    ASSERT_TRUE(WaitForCondition([&] { return ButtonsEnabled(p, true); }, 10000));
    ASSERT_TRUE(p.Click(IDC_SAVE));
    ASSERT_TRUE(p.AnswerFileDialog(sim.File("image"), 15000)) << p.LastError();
    const std::string saved = sim.File("image.iic");
    ASSERT_TRUE(WaitForCondition(
        [&] { return GetFileAttributesA(saved.c_str()) != INVALID_FILE_ATTRIBUTES; }, 10000));
    // A successful save is silent.
    EXPECT_FALSE(WaitForCondition([&] { return !p.MessageBoxes().empty(); }, 500));

    // Saving over it asks the standard overwrite question first.
    ASSERT_TRUE(p.Click(IDC_SAVE));
    ASSERT_TRUE(p.AnswerFileDialog(saved, 15000)) << p.LastError();
    MsgBoxRecord overwrite;
    ASSERT_TRUE(p.ExpectMessageBox(overwrite, IDYES, 10000));
    EXPECT_NE(std::find(overwrite.buttons.begin(), overwrite.buttons.end(), IDNO),
              overwrite.buttons.end())
        << overwrite.text;
    EXPECT_TRUE(WaitForCondition([&] { return p.FileDialog() == NULL; }, 10000));

    ASSERT_TRUE(p.Click(IDC_VERIFY));
    ASSERT_TRUE(p.AnswerFileDialog(saved, 15000)) << p.LastError();
    MsgBoxRecord r;
    ASSERT_TRUE(p.ExpectMessageBox(r, IDOK, 10000));
    EXPECT_EQ(r.caption, "Result");
    EXPECT_EQ(r.text,
              "Verification succeeded.  The EEPROM contents match \nthe file you specified.");
    ASSERT_TRUE(p.Close());
    EXPECT_TRUE(p.WaitForExit(10000));
}

// Busy for the driver's erase only, red while its error box is open.
TEST(OstrelProgram, TaskbarButtonIsBusyForTheDriverAndRedWhileTheErrorBoxIsOpen)
{
    CSimSession sim("[board 0]\nfail.EraseEeprom = 5\n");
    std::vector<std::string> atBox;
    const std::vector<std::string> calls = TaskbarCalls(
        RunWithTaskbar(sim, "Ostrel.exe", "Ostrel", 0, "", IDC_ERASE, &atBox), "board0.Erase");
    const std::vector<std::string> expected = {
        "Created",
        "HrInit",
        "SetProgressState INDETERMINATE",
        "board0.EraseEeprom() = 5 \"Simulated failure of EraseEeprom\"",
        "SetProgressState NOPROGRESS",
        "SetProgressState ERROR",
        "SetProgressValue 0/100",
        "SetProgressState NOPROGRESS",
        "Released"};
    EXPECT_EQ(TaskbarCalls(atBox, "board0.Erase"),
              std::vector<std::string>(expected.begin(), expected.end() - 2));
    EXPECT_EQ(calls, expected);
}

// A fault inside the library on the GUI thread: a report, a box that says where, the fault's code.
TEST(OstrelProgram, FaultInTheLibraryLeavesAReportAndSaysWhere)
{
    CSimSession sim("[board 0]\ncrash = EraseEeprom\n");
    EnvVars env = sim.Env();
    env.push_back({"LOCALAPPDATA", sim.Dir().Path()});
    CProcessDriver p;
    ASSERT_TRUE(p.Start("Ostrel.exe", env) && p.WaitForMainWindow(20000, "Ostrel") &&
                WaitForCondition([&] { return ButtonsEnabled(p, true); }, 10000))
        << p.LastError();
    ASSERT_TRUE(p.Click(IDC_ERASE));
    EXPECT_TRUE(AnswersCrashBox(p, sim, "Ostrel", "EraseEeprom"));
}
