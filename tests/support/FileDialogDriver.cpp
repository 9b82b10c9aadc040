// FileDialogDriver.cpp - answering another process's open/save dialog.
#include "TestSupport.h"

namespace vtltest
{

namespace
{
const int kFileNameEdit = 1152;  // edt1, also in the item dialog Wine draws
const int kFileNameCombo = 1148; // cmb13 of the older dialog

// The edit box that takes the file name, NULL when h is no file dialog.
HWND FileNameBox(HWND h)
{
    HWND e = GetDlgItem(h, kFileNameEdit);
    if (e && GetClass(e) == "Edit")
        return e;
    HWND c = GetDlgItem(h, kFileNameCombo);
    return c ? FindWindowExA(FindWindowExA(c, NULL, "ComboBox", NULL)
                                 ? FindWindowExA(c, NULL, "ComboBox", NULL)
                                 : c,
                             NULL, "Edit", NULL)
             : NULL;
}
} // namespace

HWND CProcessDriver::FileDialog() const
{
    WindowQuery q;
    q.className = "#32770";
    q.pid = Pid();
    q.pred = [](HWND h) { return !IsMessageBox(h) && FileNameBox(h) && GetDlgItem(h, IDOK); };
    return FindTopWindow(q);
}

bool CProcessDriver::AnswerFileDialog(const std::string &fullPath, DWORD timeoutMs)
{
    HWND hDlg = NULL;
    if (!WaitForCondition([&] { return (hDlg = FileDialog()) != NULL; }, timeoutMs))
    {
        m_strError = "no file dialog";
        return false;
    }
    if (fullPath.empty())
        return PostMessageA(GetDlgItem(hDlg, IDCANCEL), BM_CLICK, 0, 0) &&
               WaitForCondition([&] { return !IsWindow(hDlg); }, 5000);
    DWORD_PTR r = 0;
    if (!SendMessageTimeoutA(FileNameBox(hDlg), WM_SETTEXT, 0,
                             reinterpret_cast<LPARAM>(fullPath.c_str()), SMTO_ABORTIFHUNG, 5000,
                             &r))
    {
        m_strError = "cannot type into the file dialog";
        return false;
    }
    PostMessageA(GetDlgItem(hDlg, IDOK), BM_CLICK, 0, 0);
    // Done when it closes, or when it asks something (its own message box).
    return WaitForCondition(
        [&] {
            if (!IsWindow(hDlg))
                return true;
            for (HWND b : MessageBoxes())
                if (GetWindow(b, GW_OWNER) == hDlg)
                    return true;
            return false;
        },
        10000);
}

} // namespace vtltest
