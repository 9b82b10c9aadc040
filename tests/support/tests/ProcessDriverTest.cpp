// The out-of-process driver against a small dialog program.
#include <gtest/gtest.h>

#include "TestAppIds.h"
#include "TestSupport.h"

using namespace vtltest;

namespace
{
class DriverTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(
            app.Start(ExeDir() + "support_testapp.exe", {{"TESTAPP_GREETING", "hello there"}}))
            << app.LastError();
        ASSERT_TRUE(app.WaitForMainWindow(20000, "Support Test App")) << app.LastError();
    }
    CProcessDriver app;
    CTempDir tmp;
};
} // namespace

TEST_F(DriverTest, ReadsAndSetsControlsAndPassesTheEnvironment)
{
    EXPECT_EQ("hello there", app.Text(IDC_TA_EDIT));
    EXPECT_TRUE(app.SetText(IDC_TA_EDIT, "typed"));
    EXPECT_EQ("typed", app.Text(IDC_TA_EDIT));
    EXPECT_EQ(42, app.ProgressPos(IDC_TA_PROGRESS));
    EXPECT_EQ(BST_UNCHECKED, app.CheckState(IDC_TA_CHECK));
    EXPECT_TRUE(app.Click(IDC_TA_CHECK));
    EXPECT_TRUE(
        WaitForCondition([&] { return app.CheckState(IDC_TA_CHECK) == BST_CHECKED; }, 5000));
    EXPECT_TRUE(app.IsVisible(IDC_TA_ASK));
    EXPECT_FALSE(app.IsEnabled(IDC_TA_DISABLED));
    EXPECT_FALSE(app.Click(IDC_TA_DISABLED)); // refused like a user's click
    EXPECT_FALSE(app.Click(4711));
    EXPECT_EQ(-1, app.ProgressPos(4711));
    EXPECT_EQ("typed", app.Text(IDC_TA_EDIT));
}

TEST_F(DriverTest, ReadsAndSelectsListRows)
{
    ASSERT_EQ(3, app.ListCount(IDC_TA_LIST));
    auto rows = app.ListRows(IDC_TA_LIST, 2);
    ASSERT_EQ(3u, rows.size());
    EXPECT_EQ((std::vector<std::string>{"row0", "value 0"}), rows[0]);
    EXPECT_EQ((std::vector<std::string>{"row2", "value 20"}), rows[2]);
    EXPECT_EQ(-1, app.ListSelected(IDC_TA_LIST));
    ASSERT_TRUE(app.ListSelect(IDC_TA_LIST, 1));
    EXPECT_EQ(1, app.ListSelected(IDC_TA_LIST));
    EXPECT_EQ(static_cast<UINT>(LVIS_SELECTED | LVIS_FOCUSED), app.ListState(IDC_TA_LIST, 1));
    ASSERT_TRUE(app.ListSelect(IDC_TA_LIST, 2));
    EXPECT_EQ(0u, app.ListState(IDC_TA_LIST, 1));
    EXPECT_EQ(2, app.ListSelected(IDC_TA_LIST));
    EXPECT_EQ("", app.ListText(IDC_TA_LIST, 7, 0));
    EXPECT_EQ(-1, app.ListCount(4711));
}

TEST_F(DriverTest, ReadsAndAnswersMessageBoxes)
{
    MsgBoxRecord r;
    ASSERT_TRUE(app.Click(IDC_TA_ASK));
    ASSERT_TRUE(app.ExpectMessageBox(r, IDNO, 10000)) << app.LastError();
    EXPECT_EQ("Test App", r.caption);
    EXPECT_EQ("Proceed?", r.text);
    EXPECT_EQ(static_cast<UINT>(MB_ICONWARNING), r.icon);
    EXPECT_EQ((std::vector<int>{IDYES, IDNO}), r.buttons);
    EXPECT_EQ(app.MainWindow(), r.owner);
    EXPECT_TRUE(WaitForCondition([&] { return app.Text(IDC_TA_EDIT) == "no"; }, 5000));

    ASSERT_TRUE(app.Click(IDC_TA_ERROR));
    ASSERT_TRUE(app.ExpectMessageBox(r, IDOK, 10000));
    EXPECT_EQ("Something failed", r.text);
    EXPECT_EQ(static_cast<UINT>(MB_ICONERROR), r.icon);
    ASSERT_TRUE(app.Click(IDC_TA_INFO));
    ASSERT_TRUE(app.ExpectMessageBox(r, IDOK, 10000));
    EXPECT_EQ(static_cast<UINT>(MB_ICONINFORMATION), r.icon);
    EXPECT_TRUE(WaitForCondition([&] { return app.Text(IDC_TA_EDIT) == "info shown"; }, 5000));
    EXPECT_TRUE(app.MessageBoxes().empty());
    EXPECT_FALSE(app.WaitForMessageBox(r, 100));
}

TEST_F(DriverTest, AnswersTheOpenAndSaveDialogs)
{
    std::string existing = tmp.File("input.txt");
    ASSERT_TRUE(WriteFileText(existing, "data"));
    ASSERT_TRUE(app.Click(IDC_TA_OPEN));
    ASSERT_TRUE(app.AnswerFileDialog(existing, 20000)) << app.LastError();
    EXPECT_TRUE(WaitForCondition([&] { return app.Text(IDC_TA_EDIT) == existing; }, 10000))
        << app.Text(IDC_TA_EDIT);

    ASSERT_TRUE(app.Click(IDC_TA_SAVE));
    ASSERT_TRUE(app.AnswerFileDialog(tmp.File("output.txt"), 20000)) << app.LastError();
    EXPECT_TRUE(
        WaitForCondition([&] { return app.Text(IDC_TA_EDIT) == tmp.File("output.txt"); }, 10000))
        << app.Text(IDC_TA_EDIT);

    ASSERT_TRUE(app.Click(IDC_TA_OPEN));
    ASSERT_TRUE(app.AnswerFileDialog("", 20000));
    EXPECT_TRUE(WaitForCondition([&] { return app.Text(IDC_TA_EDIT) == "cancelled"; }, 10000));
    EXPECT_EQ(NULL, app.FileDialog());
}

TEST_F(DriverTest, ReportsTheExitCode)
{
    EXPECT_FALSE(app.WaitForExit(100));
    ASSERT_TRUE(app.PostCommand(IDOK));
    DWORD code = 0;
    ASSERT_TRUE(app.WaitForExit(10000, &code));
    EXPECT_EQ(static_cast<DWORD>(TA_EXIT_OK), code);
    EXPECT_FALSE(app.Running());
}

TEST(Driver, CloseEndsTheProgramAndAMissingProgramIsReported)
{
    CProcessDriver app;
    ASSERT_TRUE(app.Start(ExeDir() + "support_testapp.exe"));
    ASSERT_TRUE(app.WaitForMainWindow(20000));
    ASSERT_TRUE(app.Close());
    DWORD code = 0;
    ASSERT_TRUE(app.WaitForExit(10000, &code));
    EXPECT_EQ(static_cast<DWORD>(TA_EXIT_CANCEL), code);

    CProcessDriver none;
    EXPECT_FALSE(none.Start(ExeDir() + "no_such_program.exe"));
    EXPECT_NE(std::string::npos, none.LastError().find("no_such_program"));
}

TEST(Driver, KillsAProgramStillRunningWhenDestroyed)
{
    HANDLE hProcess = NULL;
    {
        CProcessDriver app;
        ASSERT_TRUE(app.Start(ExeDir() + "support_testapp.exe"));
        ASSERT_TRUE(app.WaitForMainWindow(20000));
        ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), app.Process(), GetCurrentProcess(),
                                    &hProcess, SYNCHRONIZE, FALSE, 0));
    }
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(hProcess, 10000));
    CloseHandle(hProcess);
}
