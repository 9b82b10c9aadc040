// EndToEndTests.cpp - the built Torvane.exe driven from this process, as a user would.
#include <gtest/gtest.h>

#include "FlashTestHelpers.h"
#include "TaskbarRun.h"
#include "ThrowStyles.h"

#include <algorithm>

using namespace flashtest;
using vtltest::CMsgBoxCatcher;
using vtltest::CProcessDriver;

using vtltest::CSettingsCleaner;
using vtltest::kTorvaneSettingsKey;

TEST(TorvaneProgram, ProgramsASampleFileAndSavesTheSettingsOnOk)
{
    CSettingsCleaner cleaner;
    CSimSession sim("[driver]\nprogress_ms = 400\nprogress_step_ms = 10\n");
    CProcessDriver torvane;
    ASSERT_TRUE(torvane.Start("Torvane.exe", sim.Env())) << torvane.LastError();
    ASSERT_NE(torvane.WaitForMainWindow(15000, "Torvane"), (HWND)NULL) << torvane.LastError();
    EXPECT_NE(torvane.Text(IDC_INFO).find("3s1500fg456"), std::string::npos);

    // "..." takes a name that does not exist: the driver judges the file.
    const std::string missing = sim.Dir().File("missing.bit");
    ASSERT_TRUE(torvane.Click(IDC_BROWSE));
    ASSERT_TRUE(torvane.AnswerFileDialog(missing, 15000)) << torvane.LastError();
    ASSERT_TRUE(vtltest::WaitForCondition([&] { return torvane.Text(IDC_FILE) == missing; }, 10000))
        << torvane.Text(IDC_FILE);

    std::string path = SamplePath("sample.bit");
    ASSERT_TRUE(torvane.Click(IDC_BROWSE));
    ASSERT_TRUE(torvane.AnswerFileDialog(path, 15000)) << torvane.LastError();
    ASSERT_TRUE(vtltest::WaitForCondition([&] { return torvane.Text(IDC_FILE) == path; }, 10000))
        << torvane.Text(IDC_FILE);
    torvane.SetText(IDC_VER_MAJOR, "2");
    torvane.SetText(IDC_VER_MINOR, "3");
    ASSERT_TRUE(torvane.Click(IDC_VIRTEX));
    ASSERT_TRUE(vtltest::WaitForCondition(
        [&] { return torvane.Text(IDC_INFO).find("2vp30ff896") != std::string::npos; }, 10000));
    ASSERT_TRUE(torvane.Click(IDC_PROGRAM));
    EXPECT_TRUE(vtltest::WaitForCondition(
        [&] { return torvane.Text(IDC_INFO).find("sample.ncd") != std::string::npos; }, 15000))
        << torvane.Text(IDC_INFO);
    EXPECT_TRUE(vtltest::WaitForCondition([&] { return torvane.IsEnabled(IDOK); }, 10000));
    EXPECT_EQ(torvane.Text(IDC_PERCENT), "100% completed");
    EXPECT_EQ(torvane.ProgressPos(IDC_PROGRESS), 100);
    EXPECT_TRUE(torvane.MessageBoxes().empty());

    ASSERT_TRUE(torvane.Click(IDOK));
    DWORD dwExit = 1;
    ASSERT_TRUE(torvane.WaitForExit(15000, &dwExit));
    EXPECT_EQ(dwExit, 0u);

    std::string file;
    DWORD maj = 0, min = 0, spartan = 9;
    EXPECT_TRUE(vtltest::RegReadString(HKEY_LOCAL_MACHINE, kTorvaneSettingsKey, "AppFile", file));
    EXPECT_TRUE(vtltest::RegReadDword(HKEY_LOCAL_MACHINE, kTorvaneSettingsKey, "VerMaj", maj));
    EXPECT_TRUE(vtltest::RegReadDword(HKEY_LOCAL_MACHINE, kTorvaneSettingsKey, "VerMin", min));
    EXPECT_TRUE(vtltest::RegReadDword(HKEY_LOCAL_MACHINE, kTorvaneSettingsKey, "Spartan", spartan));
    EXPECT_EQ(file, path);
    EXPECT_EQ(maj, 2u);
    EXPECT_EQ(min, 3u);
    EXPECT_EQ(spartan, 0u);
}

// The simulator hands a board to one process: the second Torvane gets none.
TEST(TorvaneProgram, BoardHeldByAnotherProcessGivesNoInterface)
{
    CSimSession sim;
    CProcessDriver holder;
    ASSERT_TRUE(holder.Start("Torvane.exe", sim.Env())) << holder.LastError();
    ASSERT_NE(holder.WaitForMainWindow(15000, "Torvane"), (HWND)NULL) << holder.LastError();

    const std::vector<vtltest::MsgBoxRecord> boxes = FailedStartupBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "No Interface to the carrier board.");
    EXPECT_EQ(boxes[0].caption, "Error");
    EXPECT_EQ(sim.Count("VtlUsbClose"), 2u);

    ASSERT_TRUE(holder.PostCommand(IDCANCEL));
    DWORD dwExit = 1;
    EXPECT_TRUE(holder.WaitForExit(15000, &dwExit));
}

VTL_THROW_STYLE_SUITE(TorvaneProgramThrows);

// The library's close at exit throws: the user is told, and the program still ends normally.
TEST_P(TorvaneProgramThrows, CloseThatThrowsAtExitIsReportedAndTheProgramEndsNormally)
{
    CSimSession sim("[driver]\nthrow.VtlUsbClose = 9 Close failed\n" +
                    vtltest::StyleLine(GetParam()));
    CProcessDriver torvane;
    ASSERT_TRUE(torvane.Start("Torvane.exe", sim.Env())) << torvane.LastError();
    ASSERT_NE(torvane.WaitForMainWindow(15000, "Torvane"), (HWND)NULL) << torvane.LastError();
    ASSERT_TRUE(torvane.PostCommand(IDCANCEL));
    vtltest::MsgBoxRecord box;
    ASSERT_TRUE(torvane.ExpectMessageBox(box, IDOK, 15000)) << torvane.LastError();
    EXPECT_EQ(box.text, ShownText(GetParam(), "Close failed", "VtlUsbClose"));
    EXPECT_EQ(box.caption, "Error");
    EXPECT_EQ(box.icon, static_cast<UINT>(MB_ICONERROR));
    DWORD dwExit = 1;
    ASSERT_TRUE(torvane.WaitForExit(15000, &dwExit));
    EXPECT_EQ(dwExit, 0u);
    std::string journal;
    ASSERT_TRUE(vtltest::ReadFileText(sim.JournalPath(), journal));
    EXPECT_NE(
        journal.find(std::to_string(torvane.Pid()) + " VtlUsbClose() = throw 9 \"Close failed\"\n"),
        std::string::npos)
        << journal;
}

struct TaskbarCase
{
    const char *pszBoard;
    int nButton;
    std::vector<std::string> calls; // each run of values cut to its last
};

class TorvaneTaskbar : public ::testing::TestWithParam<TaskbarCase>
{
};

// The bar's values, red until the error box is answered, then cleared; all from the worker.
TEST_P(TorvaneTaskbar, ButtonFollowsTheCommand)
{
    const TaskbarCase &c = GetParam();
    CSimSession sim("[driver]\nprogress_ms = 200\nprogress_step_ms = 10\n[board 0]\n" +
                    std::string(c.pszBoard));
    const bool bError = std::count(c.calls.begin(), c.calls.end(), "SetProgressState ERROR") > 0;
    std::vector<std::string> atBox;
    const std::vector<std::string> calls =
        vtltest::RunWithTaskbar(sim, "Torvane.exe", "Torvane", IDC_FILE, SamplePath("sample.bit"),
                                c.nButton, bError ? &atBox : nullptr);
    // One value per report of the driver, and the one an error shows.
    auto count = [&](const char *pszPrefix) {
        return std::count_if(calls.begin(), calls.end(),
                             [&](const std::string &s) { return s.rfind(pszPrefix, 0) == 0; });
    };
    EXPECT_EQ(count("Taskbar.SetProgressValue"), count("board0.Progress(") + (bError ? 1 : 0));
    EXPECT_EQ(vtltest::TaskbarCalls(calls), c.calls);
    if (bError)
    {
        EXPECT_EQ(vtltest::TaskbarCalls(atBox),
                  std::vector<std::string>(c.calls.begin(), c.calls.end() - 2));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Commands, TorvaneTaskbar,
    ::testing::Values(TaskbarCase{"",
                                  IDC_PROGRAM,
                                  {"Created", "HrInit", "SetProgressState INDETERMINATE",
                                   "SetProgressState NORMAL", "SetProgressValue 100/100",
                                   "SetProgressState NOPROGRESS", "Released"}},
                      TaskbarCase{"fail.EraseFlash = 7 Erase blew up\n",
                                  IDC_ERASE,
                                  {"Created", "HrInit", "SetProgressState INDETERMINATE",
                                   "SetProgressState ERROR", "SetProgressValue 0/100",
                                   "SetProgressState NOPROGRESS", "Released"}},
                      TaskbarCase{"throw.ProgramFlash = 13 Flash controller crashed\n",
                                  IDC_PROGRAM,
                                  {"Created", "HrInit", "SetProgressState INDETERMINATE",
                                   "SetProgressState ERROR", "SetProgressValue 0/100",
                                   "SetProgressState NOPROGRESS", "Released"}}));

// A fault inside the library on the worker: a report, a box that says where, the fault's code.
TEST(TorvaneProgram, FaultInTheLibraryLeavesAReportAndSaysWhere)
{
    CSimSession sim("[board 0]\ncrash = EraseFlash\n");
    vtltest::EnvVars env = sim.Env();
    env.push_back({"LOCALAPPDATA", sim.Dir().Path()});
    CProcessDriver torvane;
    ASSERT_TRUE(torvane.Start("Torvane.exe", env)) << torvane.LastError();
    ASSERT_NE(torvane.WaitForMainWindow(15000, "Torvane"), (HWND)NULL) << torvane.LastError();
    ASSERT_TRUE(torvane.Click(IDC_ERASE));
    EXPECT_TRUE(vtltest::AnswersCrashBox(torvane, sim, "Torvane", "EraseFlash"));
}
