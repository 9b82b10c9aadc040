// EndToEndTests.cpp - the built Ostrel.exe driven from outside: no library, hot-plug,
// a board held by another process, Save and Verify through the real file dialogs.
#include "TestSupport.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

using namespace vtltest;

namespace
{
using Env = std::vector<std::pair<std::string, std::string>>;

// Configuration and journal for the programs started by one test.
struct Sim
{
    CTempDir dir;
    std::string config = dir.File("sim.ini");
    std::string journal = dir.File("journal.txt");
    explicit Sim(const std::string &text) { WriteFileText(config, text); }
    Env env() const { return {{"VTLSIM_CONFIG", config}, {"VTLSIM_JOURNAL", journal}}; }
    std::vector<std::string> Calls(DWORD pid) const
    {
        std::string text;
        ReadFileText(journal, text);
        std::vector<std::string> calls;
        std::istringstream in(text);
        const std::string prefix = std::to_string(pid) + " ";
        for (std::string line; std::getline(in, line);)
            if (line.compare(0, prefix.size(), prefix) == 0)
                calls.push_back(line.substr(prefix.size()));
        return calls;
    }
};

bool RunVtlsim(const Sim &sim, const std::string &args)
{
    CProcessDriver p;
    DWORD dwExit = 1;
    return p.Start("vtlsim.exe", sim.env(), args) && p.WaitForExit(20000, &dwExit) && dwExit == 0;
}

bool ButtonsEnabled(const CProcessDriver &p, bool bEnabled)
{
    for (int id : {IDC_UPDATE, IDC_SAVE, IDC_VERIFY, IDC_ERASE})
        if (p.IsEnabled(id) != bEnabled)
            return false;
    return true;
}
} // namespace

TEST(OstrelProgram, ManifestAsksForTheInvokersRights)
{
    HMODULE hExe = LoadLibraryExA((BinDir() + "Ostrel.exe").c_str(), NULL,
                                  LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(hExe, (HMODULE)NULL);
    HRSRC hRes = FindResourceA(hExe, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    ASSERT_NE(hRes, (HRSRC)NULL);
    const char *p = static_cast<const char *>(LockResource(LoadResource(hExe, hRes)));
    ASSERT_NE(p, nullptr);
    const std::string manifest(p, SizeofResource(hExe, hRes));
    EXPECT_NE(manifest.find("requestedExecutionLevel level=\"asInvoker\""), std::string::npos)
        << manifest;
    FreeLibrary(hExe);
}

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

TEST(OstrelProgram, HotPlugRefreshesTheListAfterThePause)
{
    Sim sim("[driver]\nboards = 2\n[board 0]\ntype = Fixed\n[board 1]\ntype = Plugged\nunplugged = "
            "1\n");
    CProcessDriver p;
    ASSERT_TRUE(p.Start("Ostrel.exe", sim.env())) << p.LastError();
    ASSERT_TRUE(p.WaitForMainWindow(20000, "Ostrel"));
    ASSERT_TRUE(WaitForCondition([&] { return ButtonsEnabled(p, true); }, 10000));
    EXPECT_EQ(p.ListRows(IDC_BOARDS, 3),
              (std::vector<std::vector<std::string>>{{"Fixed", "0x300", "Ver 1.02"}}));

    for (const char *pszCommand : {"plug 1", "unplug 1"})
    {
        SCOPED_TRACE(pszCommand);
        const size_t nRows = p.ListCount(IDC_BOARDS);
        ASSERT_TRUE(RunVtlsim(sim, pszCommand));
        ASSERT_TRUE(WaitForCondition(
            [&] { return ButtonsEnabled(p, false) && p.ListCount(IDC_BOARDS) == 0; }, 10000));
        const ULONGLONG t0 = GetTickCount64();
        ASSERT_TRUE(WaitForCondition([&] { return ButtonsEnabled(p, true); }, 25000));
        const ULONGLONG elapsed = GetTickCount64() - t0;
        EXPECT_GE(elapsed, 9000u);
        EXPECT_LE(elapsed, 15000u);
        EXPECT_EQ(static_cast<size_t>(p.ListCount(IDC_BOARDS)), nRows == 1 ? 2u : 1u);
        EXPECT_EQ(p.ListSelected(IDC_BOARDS), -1);
    }
    ASSERT_TRUE(p.Close());
    DWORD dwExit = 1;
    ASSERT_TRUE(p.WaitForExit(10000, &dwExit));
    EXPECT_EQ(dwExit, 0u);
    const std::vector<std::string> calls = sim.Calls(p.Pid());
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.back().rfind("VtlUsbClose()", 0), 0u) << calls.back();
}

TEST(OstrelProgram, BoardHeldByAnotherProcessOnlyReportsTheLock)
{
    Sim sim("[driver]\nboards = 1\n[board 0]\ntype = Shared\n");
    CProcessDriver holder;
    ASSERT_TRUE(holder.Start("Ostrel.exe", sim.env()));
    ASSERT_TRUE(holder.WaitForMainWindow(20000, "Ostrel"));
    ASSERT_TRUE(WaitForCondition([&] { return holder.ListCount(IDC_BOARDS) == 1; }, 10000));

    CProcessDriver second;
    ASSERT_TRUE(second.Start("Ostrel.exe", sim.env()));
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
    Sim sim("[driver]\nboards = 1\n[board 0]\neeprom_version = 1.07\n");
    CProcessDriver p;
    ASSERT_TRUE(p.Start("Ostrel.exe", sim.env()));
    ASSERT_TRUE(p.WaitForMainWindow(20000, "Ostrel"));
    ASSERT_TRUE(WaitForCondition([&] { return ButtonsEnabled(p, true); }, 10000));
    ASSERT_TRUE(p.Click(IDC_SAVE));
    ASSERT_TRUE(p.AnswerFileDialog(sim.dir.File("image"), 15000)) << p.LastError();
    const std::string saved = sim.dir.File("image.iic");
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
