// BareDialog.cpp - the yardstick for start-up: a plain Win32 program whose only work is a modal
// dialog laid out like Torvane's, with the same manifest and run-time, and nothing else.
// With the argument "splash" it first takes the tools' splash steps in plain Win32 (create from
// template 129, centre on the desktop, show, drain the queue, hide, destroy), so the bench can
// tell the splash's cost from the rest of a tool's start-up.
#include <windows.h>

#include <commctrl.h>
#include <cstring>

namespace
{
INT_PTR CALLBACK SplashProc(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

void SplashSteps(HWND hParent)
{
    RECT rcDesktop, rcSplash;
    GetWindowRect(GetDesktopWindow(), &rcDesktop);
    HWND hSplash =
        CreateDialogParamA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(129), hParent, SplashProc, 0);
    if (hSplash == NULL)
        return;
    GetWindowRect(hSplash, &rcSplash);
    const int cx = rcSplash.right - rcSplash.left, cy = rcSplash.bottom - rcSplash.top;
    MoveWindow(hSplash, ((rcDesktop.right - rcDesktop.left) - cx) / 2,
               ((rcDesktop.bottom - rcDesktop.top) - cy) / 2, cx, cy, TRUE);
    ShowWindow(hSplash, SW_SHOW);
    MSG msg;
    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE))
    {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    ShowWindow(hSplash, SW_HIDE);
    DestroyWindow(hSplash);
}

INT_PTR CALLBACK DialogProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == WM_INITDIALOG)
    {
        if (lParam != 0)
            SplashSteps(hDlg);
        return TRUE;
    }
    if (uMsg == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL))
    {
        EndDialog(hDlg, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}
} // namespace

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE, LPSTR pszCmdLine, int)
{
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    const LPARAM bSplash = strcmp(pszCmdLine, "splash") == 0;
    return static_cast<int>(
        DialogBoxParamA(hInstance, MAKEINTRESOURCEA(102), NULL, DialogProc, bSplash));
}
