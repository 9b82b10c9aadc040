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

// The shipped programs, when their main dialog cannot be created: here its template is gone.
class MainDialogFailure : public ::testing::TestWithParam<const char *>
{
};

TEST_P(MainDialogFailure, ShowsTheSystemsTextAndEndsWithTheError)
{
    const std::string name = GetParam();
    vtltest::CTempDir dir;
    const std::string copy = dir.File(name + ".exe");
    ASSERT_TRUE(vtltest::CopyWithoutDialog(vtltest::BinDir() + name + ".exe", copy, 102));
    // What the system says about the missing template, asked of the copy itself.
    HMODULE hCopy = LoadLibraryExA(copy.c_str(), NULL,
                                   LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(static_cast<HMODULE>(NULL), hCopy);
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(static_cast<HRSRC>(NULL), FindResourceA(hCopy, MAKEINTRESOURCEA(102), RT_DIALOG));
    const DWORD dwError = GetLastError();
    FreeLibrary(hCopy);
    char szText[512] = "";
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, NULL, dwError, 0,
                   szText, sizeof szText, NULL);
    std::string text = szText;
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n'))
        text.pop_back();
    ASSERT_NE(0u, dwError);
    ASSERT_FALSE(text.empty());

    vtltest::CProcessDriver driver;
    ASSERT_TRUE(driver.Start(copy)) << driver.LastError();
    vtltest::MsgBoxRecord box;
    ASSERT_TRUE(driver.ExpectMessageBox(box, IDOK, 20000)) << driver.LastError();
    EXPECT_EQ(text, box.text);
    EXPECT_EQ(name, box.caption);
    EXPECT_EQ(static_cast<UINT>(MB_ICONERROR), box.icon);
    DWORD dwCode = 0;
    ASSERT_TRUE(driver.WaitForExit(20000, &dwCode));
    EXPECT_EQ(dwError, dwCode);
}

INSTANTIATE_TEST_SUITE_P(Tools, MainDialogFailure, ::testing::Values("Torvane", "Ostrel"));

} // namespace
