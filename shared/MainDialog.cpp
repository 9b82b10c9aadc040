// MainDialog.cpp - window steps both main dialogs share.
#include "MainDialog.h"

namespace
{
// The text of an error the system has no text for.
constexpr char kErrorNumber[] = "Error %lu";
} // namespace

POINT SplashOrigin(const RECT &rcDesktop, const RECT &rcWnd)
{
    // 64-bit intermediates: the differences of extreme rectangles do not fit 32 bits.
    long long dx = (static_cast<long long>(rcDesktop.right) - rcDesktop.left) -
                   (static_cast<long long>(rcWnd.right) - rcWnd.left);
    long long dy = (static_cast<long long>(rcDesktop.bottom) - rcDesktop.top) -
                   (static_cast<long long>(rcWnd.bottom) - rcWnd.top);
    POINT pt;
    pt.x = static_cast<LONG>(dx / 2);
    pt.y = static_cast<LONG>(dy / 2);
    return pt;
}

int RunMainDialog(CDialog &dlg)
{
    // The layer's own refusals set no code: a stale one must not become the message.
    ::SetLastError(ERROR_SUCCESS);
    if (dlg.DoModal() != -1)
        return 0;
    DWORD dwError = ::GetLastError();
    // Without a code the failure still must not read as success.
    if (dwError == ERROR_SUCCESS)
        dwError = static_cast<DWORD>(E_FAIL);
    LPSTR pszSystem = nullptr;
    const DWORD nLength = ::FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, dwError, 0, reinterpret_cast<LPSTR>(&pszSystem), 0, nullptr);
    CString strText;
    if (nLength != 0)
    {
        DWORD n = nLength;
        while (n > 0 && (pszSystem[n - 1] == '\r' || pszSystem[n - 1] == '\n'))
            --n;
        strText = CString(pszSystem, static_cast<int>(n));
    }
    else
    {
        strText.Format(kErrorNumber, static_cast<unsigned long>(dwError));
    }
    ::LocalFree(pszSystem);
    AfxMessageBox(strText, MB_OK | MB_ICONERROR);
    return static_cast<int>(dwError);
}

void DrainMessageQueue()
{
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
    {
        if (msg.message == WM_QUIT)
        {
            // Not ours to eat: the modal loop or the application must still see it.
            ::PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}

BOOL ShowSplash(CDialog &splash, UINT nIDTemplate, CWnd *pParent)
{
    CRect rcDesktop;
    CWnd::GetDesktopWindow()->GetWindowRect(&rcDesktop);
    if (!splash.Create(nIDTemplate, pParent))
        return FALSE;
    CRect rcSplash;
    splash.GetWindowRect(&rcSplash);
    POINT pt = SplashOrigin(rcDesktop, rcSplash);
    splash.MoveWindow(pt.x, pt.y, rcSplash.Width(), rcSplash.Height(), TRUE);
    splash.ShowWindow(SW_SHOW);
    DrainMessageQueue();
    return TRUE;
}

BOOL AppendAboutItem(CWnd &wnd, UINT nIDText)
{
    CMenu *pSysMenu = wnd.GetSystemMenu(FALSE);
    if (pSysMenu == nullptr)
        return FALSE;
    CString strAboutMenu;
    if (!strAboutMenu.LoadString(nIDText) || strAboutMenu.IsEmpty())
        return FALSE;
    pSysMenu->AppendMenu(MF_SEPARATOR);
    pSysMenu->AppendMenu(MF_STRING, IDM_ABOUTBOX, strAboutMenu);
    return TRUE;
}

void PaintMinimisedIcon(CWnd &wnd, HICON hIcon)
{
    CPaintDC dc(&wnd);
    wnd.SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
    CRect rect;
    wnd.GetClientRect(&rect);
    const int x = (rect.Width() - GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (rect.Height() - GetSystemMetrics(SM_CYICON) + 1) / 2;
    dc.DrawIcon(x, y, hIcon);
}
