// ProgramTests.cpp - a program built on the layer's WinMain, run as its own process.
#include <gtest/gtest.h>

#include <TestSupport.h>

#include <commctrl.h>

namespace
{

const char kProgram[] = "mfc_testprogram.exe";

std::string ProgramPath()
{
    return vtltest::ExeDir() + kProgram;
}

// Runs the program in one of its modes and expects it to end by itself with dwExpected.
void ExpectExitCode(const char *pszMode, DWORD dwExpected)
{
    vtltest::CProcessDriver driver;
    ASSERT_TRUE(driver.Start(ProgramPath(), {}, pszMode)) << driver.LastError();
    DWORD dwCode = 0;
    ASSERT_TRUE(driver.WaitForExit(20000, &dwCode)) << pszMode;
    EXPECT_EQ(dwExpected, dwCode) << pszMode;
}

TEST(Program, QuitCodeOfAFailedStartIsTheExitCode)
{
    ExpectExitCode("quit", 5u);
}

TEST(Program, ExceptionFromStartUpEndsQuietly)
{
    ExpectExitCode("throw", 1u);
}

TEST(Program, FileDialogAnsweredFromOutsideGetsTheDefaultExtension)
{
    vtltest::CTempDir dir;
    vtltest::CProcessDriver driver;
    ASSERT_TRUE(driver.Start(ProgramPath(), {}, "save")) << driver.LastError();
    ASSERT_TRUE(driver.AnswerFileDialog(dir.File("typed"), 20000)) << driver.LastError();
    vtltest::MsgBoxRecord box;
    ASSERT_TRUE(driver.ExpectMessageBox(box, IDOK, 20000)) << driver.LastError();
    EXPECT_EQ(dir.File("typed.iic"), box.text);
    ASSERT_TRUE(driver.WaitForExit(20000));
}

TEST(Program, ModalMainDialogWithControlsAndNamedAfterTheExecutable)
{
    vtltest::CProcessDriver driver;
    ASSERT_TRUE(driver.Start(ProgramPath(), {}, "dialog")) << driver.LastError();
    // The greeting comes while the modal loop has not yet shown its (not WS_VISIBLE) dialog.
    vtltest::MsgBoxRecord box;
    ASSERT_TRUE(driver.ExpectMessageBox(box, IDOK, 20000)) << driver.LastError();
    EXPECT_EQ("mfc_testprogram", box.caption);
    EXPECT_EQ("Started.", box.text);
    HWND hMain = driver.WaitForMainWindow(20000, "Route");
    ASSERT_NE(static_cast<HWND>(NULL), hMain) << driver.LastError();
    EXPECT_EQ(hMain, box.owner);
    // The list view exists, so the common controls were initialised before the dialog.
    EXPECT_EQ(std::string(WC_LISTVIEWA), vtltest::GetClass(driver.Control(1005)));
    ASSERT_TRUE(driver.Close());
    DWORD dwCode = 99;
    ASSERT_TRUE(driver.WaitForExit(20000, &dwCode));
    EXPECT_EQ(0u, dwCode);
}

} // namespace
