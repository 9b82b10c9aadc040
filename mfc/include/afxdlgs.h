// afxdlgs.h - CFileDialog: the system's Vista-style file open/save dialog behind the
// framework's classic signature.
#pragma once

#include "afxwin.h"

#include <shobjidl.h>

class CFileDialog : public CCmdTarget
{
public:
    // lpszFilter: "Name|*.ext|Name2|*.x||". The dialog is owned by pParentWnd, else by the
    // application's main window, else by nobody.
    explicit CFileDialog(BOOL bOpenFileDialog, LPCSTR lpszDefExt = nullptr,
                         LPCSTR lpszFileName = nullptr,
                         DWORD dwFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                         LPCSTR lpszFilter = nullptr, CWnd *pParentWnd = nullptr, DWORD dwSize = 0,
                         BOOL bVistaStyle = TRUE);
    CFileDialog(const CFileDialog &) = delete;
    CFileDialog &operator=(const CFileDialog &) = delete;

    // IDOK with a path, or IDCANCEL (also when the chosen path has no ANSI form).
    virtual INT_PTR DoModal();
    // Full path of the chosen file; empty unless DoModal returned IDOK.
    CString GetPathName() const { return m_strPathName; }

    // The option bits (FOS_*) the dialog gets for the given OFN_* flags, and no others but
    // FOS_FORCEFILESYSTEM: nothing must exist or be writable unless a flag asks for it.
    static DWORD OptionsFromFlags(DWORD dwOfnFlags);

    DWORD m_dwFlags;

protected:
    // Called with the configured dialog just before it is shown; the object lives until
    // DoModal returns. Default: nothing.
    virtual void OnPrepareDialog(IFileDialog *pDialog) { (void)pDialog; }
    // The window that owns the dialog and its messages, or nullptr.
    HWND GetOwnerWindow() const;

    BOOL m_bOpenFileDialog;
    CString m_strDefExt;
    CString m_strFileName;
    CString m_strFilter;
    CWnd *m_pParentWnd;
    CString m_strPathName;

private:
    INT_PTR ShowDialog(IFileDialog *pDialog);
    // An error box owned as the dialog would be.
    int ShowError(LPCSTR pszText) const;
};
