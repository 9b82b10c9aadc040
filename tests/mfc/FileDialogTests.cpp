// FileDialogTests.cpp - filter parsing, option flags and the real file dialog under Wine.
#include "MfcTestUtil.h"
#include "resource.h"

#include "FileFilter.h"

#include <afxdlgs.h>
#include <gtest/gtest.h>

#include <TestSupport.h>

#include <memory>
#include <string>

namespace
{

using Types = std::vector<std::pair<std::string, std::string>>;

TEST(FileFilter, PairsUpToTheClosingBars)
{
    EXPECT_EQ((Types{{"EEPROM Files (*.iic)", "*.iic"}, {"All Files (*.*)", "*.*"}}),
              afx::ParseFileFilter("EEPROM Files (*.iic)|*.iic|All Files (*.*)|*.*||"));
    EXPECT_EQ(
        (Types{{"Bitstream (*.bit)", "*.bit"}, {"3L Diamond Application (*.app)", "*.app"}}),
        afx::ParseFileFilter("Bitstream (*.bit)|*.bit|3L Diamond Application (*.app)|*.app||"));
    EXPECT_EQ((Types{{"A", "*.a"}}), afx::ParseFileFilter("A|*.a"));     // no closing bars
    EXPECT_EQ((Types{{"A", "*.a"}}), afx::ParseFileFilter("A|*.a|B"));   // pattern missing
    EXPECT_EQ((Types{{"A", "*.a"}}), afx::ParseFileFilter("A|*.a|B||")); // pattern empty
    EXPECT_EQ((Types{{"A", "*.a"}}), afx::ParseFileFilter("A|*.a||B|*.b||"));
    EXPECT_EQ(Types{}, afx::ParseFileFilter("|*.a||"));
    EXPECT_EQ(Types{}, afx::ParseFileFilter(""));
    EXPECT_EQ(Types{}, afx::ParseFileFilter(nullptr));
    EXPECT_EQ(Types{}, afx::ParseFileFilter("||"));
}

TEST(FileFilter, OptionsFromTheClassicFlags)
{
    EXPECT_EQ(static_cast<DWORD>(FOS_FORCEFILESYSTEM | FOS_OVERWRITEPROMPT | FOS_NOCHANGEDIR),
              CFileDialog::OptionsFromFlags(OFN_OVERWRITEPROMPT | OFN_NOCHANGEDIR));
    EXPECT_EQ(static_cast<DWORD>(FOS_FORCEFILESYSTEM | FOS_NOCHANGEDIR),
              CFileDialog::OptionsFromFlags(OFN_HIDEREADONLY | OFN_NOCHANGEDIR));
    EXPECT_EQ(static_cast<DWORD>(FOS_FORCEFILESYSTEM | FOS_FILEMUSTEXIST | FOS_PATHMUSTEXIST),
              CFileDialog::OptionsFromFlags(OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST));
    EXPECT_EQ(static_cast<DWORD>(FOS_FORCEFILESYSTEM), CFileDialog::OptionsFromFlags(0));
}

// The dialog under test; it notes the options and file type it was given.
class CScriptedFileDialog : public CFileDialog
{
public:
    using CFileDialog::CFileDialog;
    DWORD m_dwOptionsSeen = 0;
    UINT m_nTypeIndexSeen = 0;

protected:
    void OnPrepareDialog(IFileDialog *pDialog) override
    {
        pDialog->GetOptions(&m_dwOptionsSeen);
        pDialog->GetFileTypeIndex(&m_nTypeIndexSeen);
    }
};

const char kEepromFilter[] = "EEPROM Files (*.iic)|*.iic|All Files (*.*)|*.*||";

// Starts no COM: the dialog starts and ends it itself, as it must in the tools.
class FileDialog : public ::testing::Test
{
protected:
    // Answers the next file dialog with name in the test's folder, or cancels it when empty.
    std::unique_ptr<vtltest::CFileDialogAnswerer> Answer(const std::wstring &name) const
    {
        return std::make_unique<vtltest::CFileDialogAnswerer>(
            name.empty() ? name : vtltest::Widen(m_dir.Path()) + name);
    }
    vtltest::CTempDir m_dir;
};

TEST_F(FileDialog, SaveAddsTheDefaultExtensionToATypedName)
{
    vtltest::CModalWatchdog watchdog;
    CScriptedFileDialog dlg(FALSE, "iic", NULL, OFN_OVERWRITEPROMPT | OFN_NOCHANGEDIR,
                            kEepromFilter);
    auto answer = Answer(L"image");
    ASSERT_EQ(IDOK, dlg.DoModal());
    EXPECT_EQ(CString((m_dir.Path() + "image.iic").c_str()), dlg.GetPathName());
    EXPECT_EQ(FOS_FORCEFILESYSTEM | FOS_OVERWRITEPROMPT | FOS_NOCHANGEDIR,
              dlg.m_dwOptionsSeen & (FOS_FORCEFILESYSTEM | FOS_OVERWRITEPROMPT | FOS_NOCHANGEDIR));
    EXPECT_EQ(1u, dlg.m_nTypeIndexSeen);
    EXPECT_FALSE(watchdog.Fired());
}

// The dialog gets only the options its flags ask for: nothing it would refuse on its own.
struct UncheckedName
{
    BOOL bOpen;
    DWORD dwFlags;
    const wchar_t *pszName;
    bool bReadOnlyFile; // the name exists as a read-only file; otherwise it does not exist
};

class FileDialogUnchecked : public FileDialog, public ::testing::WithParamInterface<UncheckedName>
{
};

TEST_P(FileDialogUnchecked, ReturnsTheTypedNameForTheCallerToCheck)
{
    const UncheckedName &u = GetParam();
    vtltest::CModalWatchdog watchdog;
    vtltest::CMsgBoxCatcher catcher(IDYES); // the overwrite question, when asked
    const std::string name(u.pszName, u.pszName + wcslen(u.pszName));
    const std::string path = m_dir.File(name);
    if (u.bReadOnlyFile)
    {
        ASSERT_TRUE(vtltest::WriteFileText(path, "image"));
        ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    }
    CScriptedFileDialog dlg(u.bOpen, "iic", NULL, u.dwFlags, kEepromFilter);
    auto answer = Answer(u.pszName);
    EXPECT_EQ(IDOK, dlg.DoModal());
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(CString(path.c_str()), dlg.GetPathName());
    EXPECT_EQ(CFileDialog::OptionsFromFlags(u.dwFlags), dlg.m_dwOptionsSeen);
    EXPECT_FALSE(watchdog.Fired());
}

INSTANTIATE_TEST_SUITE_P(
    Flags, FileDialogUnchecked,
    ::testing::Values(
        UncheckedName{TRUE, OFN_HIDEREADONLY | OFN_NOCHANGEDIR, L"missing.iic", false},
        UncheckedName{TRUE, OFN_OVERWRITEPROMPT, L"missing.bit", false},
        UncheckedName{FALSE, OFN_OVERWRITEPROMPT | OFN_NOCHANGEDIR, L"locked.iic", true}));

TEST_F(FileDialog, OpenReturnsTheChosenExistingFile)
{
    vtltest::CModalWatchdog watchdog;
    ASSERT_TRUE(vtltest::WriteFileText(m_dir.File("flash.bit"), "bits"));
    CScriptedFileDialog dlg(TRUE, NULL, NULL, OFN_OVERWRITEPROMPT,
                            "Bitstream (*.bit)|*.bit|3L Diamond Application (*.app)|*.app||");
    auto answer = Answer(L"flash.bit");
    ASSERT_EQ(IDOK, dlg.DoModal());
    EXPECT_EQ(CString(m_dir.File("flash.bit").c_str()), dlg.GetPathName());
    EXPECT_FALSE(watchdog.Fired());
}

TEST_F(FileDialog, CancelLeavesNoPath)
{
    vtltest::CModalWatchdog watchdog;
    CScriptedFileDialog dlg(TRUE, "iic", NULL, OFN_HIDEREADONLY | OFN_NOCHANGEDIR, kEepromFilter);
    auto answer = Answer(L"");
    EXPECT_EQ(IDCANCEL, dlg.DoModal());
    EXPECT_TRUE(dlg.GetPathName().IsEmpty());
    EXPECT_FALSE(watchdog.Fired());
}

TEST_F(FileDialog, OwnedByTheMainWindowWhenNoParentIsGiven)
{
    vtltest::CModalWatchdog watchdog;
    CDialog mainDlg(IDD_MODAL);
    ASSERT_TRUE(mainDlg.Create(IDD_MODAL));
    theApp.m_pMainWnd = &mainDlg;
    CScriptedFileDialog dlg(FALSE, "iic", NULL, OFN_OVERWRITEPROMPT, kEepromFilter);
    auto answer = Answer(L"");
    EXPECT_EQ(IDCANCEL, dlg.DoModal());
    theApp.m_pMainWnd = NULL;
    ASSERT_TRUE(answer->Join());
    const HWND hOwner = answer->Owner();
    EXPECT_EQ(mainDlg.m_hWnd, hOwner);
}

TEST_F(FileDialog, PathOutsideTheCodePageIsRefusedWithAMessage)
{
    if (::GetACP() == CP_UTF8)
        GTEST_SKIP() << "every path has an ANSI form in a UTF-8 code page";
    vtltest::CModalWatchdog watchdog;
    vtltest::CMsgBoxCatcher catcher;
    CScriptedFileDialog dlg(FALSE, "iic", NULL, OFN_OVERWRITEPROMPT, kEepromFilter);
    auto answer = Answer(L"\x4E2D\x6587.iic"); // two CJK ideographs
    EXPECT_EQ(IDCANCEL, dlg.DoModal());
    EXPECT_TRUE(dlg.GetPathName().IsEmpty());
    ASSERT_EQ(1u, catcher.Count());
    EXPECT_EQ("mfc_tests", catcher.Record(0).caption);
    EXPECT_NE(std::string::npos,
              catcher.Record(0).text.find("contains characters outside the system code page"));
    EXPECT_EQ(static_cast<UINT>(MB_ICONERROR), catcher.Record(0).icon);
    EXPECT_FALSE(watchdog.Fired());
}

} // namespace
