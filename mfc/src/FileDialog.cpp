// FileDialog.cpp - CFileDialog over the COM file dialog (IFileOpenDialog / IFileSaveDialog).
#include "afxdlgs.h"

#include "FileFilter.h"
#include "LayerText.h"

#include <string>
#include <vector>

namespace
{

std::wstring Widen(LPCSTR psz)
{
    if (psz == nullptr || *psz == '\0')
        return std::wstring();
    int n = ::MultiByteToWideChar(CP_ACP, 0, psz, -1, nullptr, 0);
    if (n <= 0)
        return std::wstring();
    std::wstring w(static_cast<size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, psz, -1, &w[0], n);
    w.resize(static_cast<size_t>(n - 1));
    return w;
}

// The ANSI form of a text, with the default character where the code page has none. FALSE
// when some character has no exact form: a best-fit or default character would name another file.
BOOL Narrow(LPCWSTR pwsz, CString &str)
{
    str.Empty();
    if (pwsz == nullptr || *pwsz == L'\0')
        return TRUE;
    const bool bUtf8 = ::GetACP() == CP_UTF8; // flags and the default-char test are not allowed
    const DWORD dwFlags = bUtf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    int n = ::WideCharToMultiByte(CP_ACP, dwFlags, pwsz, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 0)
        return FALSE;
    BOOL bUsedDefault = FALSE;
    LPSTR p = str.GetBuffer(n);
    n = ::WideCharToMultiByte(CP_ACP, dwFlags, pwsz, -1, p, n, nullptr,
                              bUtf8 ? nullptr : &bUsedDefault);
    str.ReleaseBuffer(-1);
    return n > 0 && !bUsedDefault;
}

struct FlagMap
{
    DWORD dwOfn;
    DWORD dwFos;
};
const FlagMap kFlagMap[] = {
    {OFN_OVERWRITEPROMPT, FOS_OVERWRITEPROMPT},
    {OFN_NOCHANGEDIR, FOS_NOCHANGEDIR},
    {OFN_FILEMUSTEXIST, FOS_FILEMUSTEXIST},
    {OFN_PATHMUSTEXIST, FOS_PATHMUSTEXIST},
    {OFN_ALLOWMULTISELECT, FOS_ALLOWMULTISELECT},
    {OFN_CREATEPROMPT, FOS_CREATEPROMPT},
    {OFN_NOVALIDATE, FOS_NOVALIDATE},
    {OFN_NOREADONLYRETURN, FOS_NOREADONLYRETURN},
    {OFN_NOTESTFILECREATE, FOS_NOTESTFILECREATE},
    {OFN_SHAREAWARE, FOS_SHAREAWARE},
    {OFN_NODEREFERENCELINKS, FOS_NODEREFERENCELINKS},
    {OFN_DONTADDTORECENT, FOS_DONTADDTORECENT},
    {OFN_FORCESHOWHIDDEN, FOS_FORCESHOWHIDDEN},
};

} // namespace

CFileDialog::CFileDialog(BOOL bOpenFileDialog, LPCSTR lpszDefExt, LPCSTR lpszFileName,
                         DWORD dwFlags, LPCSTR lpszFilter, CWnd *pParentWnd, DWORD, BOOL)
    : m_dwFlags(dwFlags), m_bOpenFileDialog(bOpenFileDialog), m_strDefExt(lpszDefExt),
      m_strFileName(lpszFileName), m_strFilter(lpszFilter), m_pParentWnd(pParentWnd)
{
}

DWORD CFileDialog::OptionsFromFlags(DWORD dwOfnFlags)
{
    DWORD dwFos = FOS_FORCEFILESYSTEM;
    for (const FlagMap &m : kFlagMap)
        if (dwOfnFlags & m.dwOfn)
            dwFos |= m.dwFos;
    return dwFos;
}

int CFileDialog::ShowError(LPCSTR pszText) const
{
    if (m_pParentWnd != nullptr && m_pParentWnd->m_hWnd != nullptr)
        return m_pParentWnd->MessageBox(pszText, nullptr, MB_OK | MB_ICONERROR);
    return AfxMessageBox(pszText, MB_OK | MB_ICONERROR);
}

HWND CFileDialog::GetOwnerWindow() const
{
    HWND hOwner = m_pParentWnd != nullptr ? m_pParentWnd->m_hWnd : nullptr;
    if (hOwner == nullptr && AfxGetMainWnd() != nullptr)
        hOwner = AfxGetMainWnd()->m_hWnd;
    return hOwner != nullptr && ::IsWindow(hOwner) ? hOwner : nullptr;
}

INT_PTR CFileDialog::DoModal()
{
    m_strPathName.Empty();
    HRESULT hrInit = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IFileDialog *pDialog = nullptr;
    HRESULT hr = m_bOpenFileDialog
                     ? ::CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER,
                                          IID_IFileOpenDialog, reinterpret_cast<void **>(&pDialog))
                     : ::CoCreateInstance(CLSID_FileSaveDialog, nullptr, CLSCTX_INPROC_SERVER,
                                          IID_IFileSaveDialog, reinterpret_cast<void **>(&pDialog));
    INT_PTR nResult = IDCANCEL;
    if (SUCCEEDED(hr) && pDialog != nullptr)
    {
        nResult = ShowDialog(pDialog);
        pDialog->Release();
    }
    else
    {
        ShowError(afx::kFileDialogFailed);
    }
    if (SUCCEEDED(hrInit))
        ::CoUninitialize();
    return nResult;
}

INT_PTR CFileDialog::ShowDialog(IFileDialog *pDialog)
{
    // Only what the flags ask for, as the classic dialog: the system's defaults would refuse a
    // missing file on Open and a read-only one on Save.
    pDialog->SetOptions(OptionsFromFlags(m_dwFlags));

    const auto types = afx::ParseFileFilter(m_strFilter);
    if (!types.empty())
    {
        std::vector<std::wstring> texts;
        texts.reserve(types.size() * 2);
        for (const auto &t : types)
        {
            texts.push_back(Widen(t.first.c_str()));
            texts.push_back(Widen(t.second.c_str()));
        }
        std::vector<COMDLG_FILTERSPEC> filters;
        for (size_t i = 0; i < types.size(); ++i)
            filters.push_back({texts[2 * i].c_str(), texts[2 * i + 1].c_str()});
        pDialog->SetFileTypes(static_cast<UINT>(filters.size()), filters.data());
        pDialog->SetFileTypeIndex(1);
    }
    LPCSTR pszExt = m_strDefExt.GetString();
    while (*pszExt == '.')
        ++pszExt;
    if (*pszExt != '\0')
        pDialog->SetDefaultExtension(Widen(pszExt).c_str());
    if (!m_strFileName.IsEmpty())
        pDialog->SetFileName(Widen(m_strFileName).c_str());

    OnPrepareDialog(pDialog);
    HWND hOwner = GetOwnerWindow();
    if (FAILED(pDialog->Show(hOwner)))
        return IDCANCEL;

    IShellItem *pItem = nullptr;
    if (FAILED(pDialog->GetResult(&pItem)) || pItem == nullptr)
        return IDCANCEL;
    LPWSTR pwszPath = nullptr;
    HRESULT hr = pItem->GetDisplayName(SIGDN_FILESYSPATH, &pwszPath);
    pItem->Release();
    if (FAILED(hr) || pwszPath == nullptr)
        return IDCANCEL;

    CString strPath;
    const BOOL bAnsi = Narrow(pwszPath, strPath);
    ::CoTaskMemFree(pwszPath);
    if (!bAnsi)
    {
        CString strText;
        strText.Format(afx::kPathOutsideCodePage, strPath.GetString());
        ShowError(strText);
        return IDCANCEL;
    }
    m_strPathName = strPath;
    return IDOK;
}
