// FileDialogTests.cpp - filter parsing, option flags and the real file dialog under Wine.
#include "MfcTestUtil.h"
#include "resource.h"

#include "FileFilter.h"

#include <afxdlgs.h>
#include <gtest/gtest.h>
#include <shlobj.h>

#include <TestSupport.h>

#include <functional>
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

// Answers the dialog from inside, once it has opened its first folder.
class CDialogEvents : public IFileDialogEvents
{
public:
    std::function<void(IFileDialog *, HWND)> m_onShown;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void **ppv) override
    {
        if (riid == IID_IUnknown || riid == IID_IFileDialogEvents)
        {
            *ppv = static_cast<IFileDialogEvents *>(this);
            AddRef();
            return S_OK;
        }
        *ppv = NULL;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++m_nRefs; }
    ULONG STDMETHODCALLTYPE Release() override { return --m_nRefs; }
    HRESULT STDMETHODCALLTYPE OnFileOk(IFileDialog *) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnFolderChanging(IFileDialog *, IShellItem *) override
    {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnFolderChange(IFileDialog *pDialog) override
    {
        if (m_bAnswered)
            return S_OK;
        m_bAnswered = true;
        IOleWindow *pWindow = NULL;
        HWND hWnd = NULL;
        if (SUCCEEDED(pDialog->QueryInterface(IID_IOleWindow, reinterpret_cast<void **>(&pWindow))))
        {
            pWindow->GetWindow(&hWnd);
            pWindow->Release();
        }
        m_onShown(pDialog, hWnd);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnSelectionChange(IFileDialog *) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnShareViolation(IFileDialog *, IShellItem *,
                                               FDE_SHAREVIOLATION_RESPONSE *) override
    {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OnTypeChange(IFileDialog *) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnOverwrite(IFileDialog *, IShellItem *,
                                          FDE_OVERWRITE_RESPONSE *) override
    {
        return S_OK;
    }

private:
    LONG m_nRefs = 1;
    bool m_bAnswered = false;
};

// The dialog under test, starting in one folder and answered by a script.
class CScriptedFileDialog : public CFileDialog
{
public:
    using CFileDialog::CFileDialog;
    std::wstring m_folder;
    CDialogEvents m_events;
    DWORD m_dwOptionsSeen = 0;
    UINT m_nTypeIndexSeen = 0;

protected:
    void OnPrepareDialog(IFileDialog *pDialog) override
    {
        pDialog->GetOptions(&m_dwOptionsSeen);
        pDialog->GetFileTypeIndex(&m_nTypeIndexSeen);
        IShellItem *pFolder = NULL;
        if (SUCCEEDED(::SHCreateItemFromParsingName(m_folder.c_str(), NULL, IID_IShellItem,
                                                    reinterpret_cast<void **>(&pFolder))))
        {
            pDialog->SetFolder(pFolder);
            pFolder->Release();
        }
        DWORD dwCookie = 0;
        pDialog->Advise(&m_events, &dwCookie);
    }
};

std::wstring Wide(const std::string &s)
{
    std::wstring w(s.begin(), s.end());
    if (!w.empty() && w.back() == L'\\')
        w.pop_back();
    return w;
}

const char kEepromFilter[] = "EEPROM Files (*.iic)|*.iic|All Files (*.*)|*.*||";

class FileDialog : public ::testing::Test
{
protected:
    void SetUp() override { ::CoInitializeEx(NULL, COINIT_APARTMENTTHREADED); }
    void TearDown() override { ::CoUninitialize(); }

    // Types name into the dialog and presses OK (or Cancel when name is empty).
    static void Answer(CScriptedFileDialog &dlg, const std::wstring &name)
    {
        dlg.m_events.m_onShown = [name](IFileDialog *pDialog, HWND hWnd) {
            if (name.empty())
            {
                ::PostMessageA(hWnd, WM_COMMAND, IDCANCEL, 0);
                return;
            }
            pDialog->SetFileName(name.c_str());
            ::PostMessageA(hWnd, WM_COMMAND, IDOK, 0);
        };
    }
    vtltest::CTempDir m_dir;
};

TEST_F(FileDialog, SaveAddsTheDefaultExtensionToATypedName)
{
    CWatchdog watchdog;
    CScriptedFileDialog dlg(FALSE, "iic", NULL, OFN_OVERWRITEPROMPT | OFN_NOCHANGEDIR,
                            kEepromFilter);
    dlg.m_folder = Wide(m_dir.Path());
    Answer(dlg, L"image");
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
    CWatchdog watchdog;
    vtltest::CMsgBoxCatcher catcher(IDYES); // the overwrite question, when asked
    const std::string name(u.pszName, u.pszName + wcslen(u.pszName));
    const std::string path = m_dir.File(name);
    if (u.bReadOnlyFile)
    {
        ASSERT_TRUE(vtltest::WriteFileText(path, "image"));
        ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
    }
    CScriptedFileDialog dlg(u.bOpen, "iic", NULL, u.dwFlags, kEepromFilter);
    dlg.m_folder = Wide(m_dir.Path());
    Answer(dlg, u.pszName);
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
    CWatchdog watchdog;
    ASSERT_TRUE(vtltest::WriteFileText(m_dir.File("flash.bit"), "bits"));
    CScriptedFileDialog dlg(TRUE, NULL, NULL, OFN_OVERWRITEPROMPT,
                            "Bitstream (*.bit)|*.bit|3L Diamond Application (*.app)|*.app||");
    dlg.m_folder = Wide(m_dir.Path());
    Answer(dlg, L"flash.bit");
    ASSERT_EQ(IDOK, dlg.DoModal());
    EXPECT_EQ(CString(m_dir.File("flash.bit").c_str()), dlg.GetPathName());
    EXPECT_FALSE(watchdog.Fired());
}

TEST_F(FileDialog, CancelLeavesNoPath)
{
    CWatchdog watchdog;
    CScriptedFileDialog dlg(TRUE, "iic", NULL, OFN_HIDEREADONLY | OFN_NOCHANGEDIR, kEepromFilter);
    dlg.m_folder = Wide(m_dir.Path());
    Answer(dlg, L"");
    EXPECT_EQ(IDCANCEL, dlg.DoModal());
    EXPECT_TRUE(dlg.GetPathName().IsEmpty());
    EXPECT_FALSE(watchdog.Fired());
}

TEST_F(FileDialog, OwnedByTheMainWindowWhenNoParentIsGiven)
{
    CWatchdog watchdog;
    CDialog mainDlg(IDD_MODAL);
    ASSERT_TRUE(mainDlg.Create(IDD_MODAL));
    theApp.m_pMainWnd = &mainDlg;
    CScriptedFileDialog dlg(FALSE, "iic", NULL, OFN_OVERWRITEPROMPT, kEepromFilter);
    dlg.m_folder = Wide(m_dir.Path());
    HWND hOwner = NULL;
    dlg.m_events.m_onShown = [&](IFileDialog *, HWND hWnd) {
        hOwner = ::GetWindow(hWnd, GW_OWNER);
        ::PostMessageA(hWnd, WM_COMMAND, IDCANCEL, 0);
    };
    EXPECT_EQ(IDCANCEL, dlg.DoModal());
    theApp.m_pMainWnd = NULL;
    EXPECT_EQ(mainDlg.m_hWnd, hOwner);
}

TEST_F(FileDialog, PathOutsideTheCodePageIsRefusedWithAMessage)
{
    if (::GetACP() == CP_UTF8)
        GTEST_SKIP() << "every path has an ANSI form in a UTF-8 code page";
    CWatchdog watchdog;
    vtltest::CMsgBoxCatcher catcher;
    CScriptedFileDialog dlg(FALSE, "iic", NULL, OFN_OVERWRITEPROMPT, kEepromFilter);
    dlg.m_folder = Wide(m_dir.Path());
    Answer(dlg, L"\x4E2D\x6587.iic"); // two CJK ideographs
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
