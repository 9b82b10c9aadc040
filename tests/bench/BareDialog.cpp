// BareDialog.cpp - the yardstick for start-up: a plain Win32 program whose only work is a modal
// dialog laid out like Torvane's, with the same manifest and run-time, and nothing else.
#include <windows.h>

#include <commctrl.h>

namespace
{
INT_PTR CALLBACK DialogProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM)
{
    if (uMsg == WM_INITDIALOG)
        return TRUE;
    if (uMsg == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL))
    {
        EndDialog(hDlg, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}
} // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR, int)
{
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    return static_cast<int>(DialogBoxParamA(hInstance, MAKEINTRESOURCEA(102), NULL, DialogProc, 0));
}
