// Wnd.cpp - CWnd, CMenu and CPaintDC.
#include "WndMap.h"

BOOL CCmdTarget::OnWndMsg(UINT, WPARAM, LPARAM, LRESULT *)
{
    return FALSE;
}

CWnd::~CWnd()
{
    afx::UnbindWindow(m_hWnd, this);
}

HWND CWnd::Detach()
{
    HWND hWnd = m_hWnd;
    afx::UnbindWindow(hWnd, this);
    afx::ClearHandle(*this);
    return hWnd;
}

CWnd *CWnd::FromHandle(HWND hWnd)
{
    if (hWnd == nullptr)
        return nullptr;
    if (CDialog *pDlg = afx::LookupDialog(hWnd))
        return pDlg;
    return afx::TemporaryWnd(hWnd);
}

CWnd *CWnd::GetDesktopWindow()
{
    return FromHandle(::GetDesktopWindow());
}

int CWnd::GetWindowText(LPSTR lpszStringBuf, int nMaxCount) const
{
    if (lpszStringBuf == nullptr || nMaxCount <= 0)
        return 0;
    lpszStringBuf[0] = '\0';
    return ::GetWindowTextA(m_hWnd, lpszStringBuf, nMaxCount);
}

void CWnd::GetWindowText(CString &rString) const
{
    rString.Empty();
    if (m_hWnd == nullptr)
        return;
    // The text may grow between measuring and reading (another thread may set it).
    int nLen = ::GetWindowTextLengthA(m_hWnd);
    for (;;)
    {
        LPSTR p = rString.GetBuffer(nLen + 1);
        int nGot = ::GetWindowTextA(m_hWnd, p, nLen + 2);
        rString.ReleaseBuffer(nGot >= 0 ? nGot : 0);
        if (nGot <= nLen)
            return;
        nLen = nGot * 2;
    }
}

void CWnd::MoveWindow(LPCRECT lpRect, BOOL bRepaint)
{
    if (lpRect != nullptr)
        ::MoveWindow(m_hWnd, lpRect->left, lpRect->top, lpRect->right - lpRect->left,
                     lpRect->bottom - lpRect->top, bRepaint);
}

void CWnd::CenterWindow(CWnd *pAlternateOwner)
{
    HWND hCenter =
        pAlternateOwner != nullptr ? pAlternateOwner->m_hWnd : ::GetWindow(m_hWnd, GW_OWNER);
    if (hCenter != nullptr && (!::IsWindowVisible(hCenter) || ::IsIconic(hCenter)))
        hCenter = nullptr;
    MONITORINFO mi = {};
    mi.cbSize = sizeof(mi);
    ::GetMonitorInfoA(
        ::MonitorFromWindow(hCenter != nullptr ? hCenter : m_hWnd, MONITOR_DEFAULTTOPRIMARY), &mi);
    const RECT &rcArea = mi.rcWork;
    RECT rcCenter = rcArea;
    if (hCenter != nullptr)
        ::GetWindowRect(hCenter, &rcCenter);
    RECT rc;
    ::GetWindowRect(m_hWnd, &rc);
    const int cx = rc.right - rc.left;
    const int cy = rc.bottom - rc.top;
    int x = (rcCenter.left + rcCenter.right) / 2 - cx / 2;
    int y = (rcCenter.top + rcCenter.bottom) / 2 - cy / 2;
    // Keep it on the work area, the top-left corner first.
    if (x + cx > rcArea.right)
        x = rcArea.right - cx;
    if (x < rcArea.left)
        x = rcArea.left;
    if (y + cy > rcArea.bottom)
        y = rcArea.bottom - cy;
    if (y < rcArea.top)
        y = rcArea.top;
    ::SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

CWnd *CWnd::GetDlgItem(int nID) const
{
    return FromHandle(::GetDlgItem(m_hWnd, nID));
}

CMenu *CWnd::GetSystemMenu(BOOL bRevert) const
{
    HMENU hMenu = ::GetSystemMenu(m_hWnd, bRevert);
    return bRevert ? nullptr : CMenu::FromHandle(hMenu);
}

HICON CWnd::SetIcon(HICON hIcon, BOOL bBigIcon)
{
    return reinterpret_cast<HICON>(::SendMessageA(
        m_hWnd, WM_SETICON, bBigIcon ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(hIcon)));
}

int CWnd::MessageBox(LPCSTR lpszText, LPCSTR lpszCaption, UINT nType)
{
    // A worker may report after its window went: the system refuses a box with a dead
    // owner, and the message must not be lost.
    HWND hOwner = m_hWnd;
    if (hOwner != nullptr && !::IsWindow(hOwner))
        hOwner = nullptr;
    return ::MessageBoxA(hOwner, lpszText, lpszCaption != nullptr ? lpszCaption : AfxGetAppName(),
                         nType);
}

BOOL CWnd::DestroyWindow()
{
    if (m_hWnd == nullptr)
        return FALSE;
    HWND hWnd = m_hWnd;
    BOOL bOk = ::DestroyWindow(hWnd);
    // A window of another thread cannot be destroyed from here; forget it anyway so that
    // no message ever reaches this object again.
    afx::UnbindWindow(hWnd, this);
    afx::ClearHandle(*this);
    return bOk;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT *pResult)
{
    // Commands nobody in the window's map handles go on to the application's map.
    CWinApp *pApp = AfxGetApp();
    if (message == WM_COMMAND && pApp != nullptr)
        return pApp->OnWndMsg(message, wParam, lParam, pResult);
    return FALSE;
}

LRESULT CWnd::Default()
{
    const afx::CurrentMessage *pCur = afx::GetCurrentMessage();
    if (pCur == nullptr || pCur->hWnd != m_hWnd || m_hWnd == nullptr)
        return 0;
    if (afx::LookupDialog(m_hWnd) != nullptr)
        return afx::DefaultDialogMessage(*pCur);
    return ::DefWindowProcA(pCur->hWnd, pCur->message, pCur->wParam, pCur->lParam);
}

void CWnd::OnSysCommand(UINT, LPARAM)
{
    Default();
}

void CWnd::OnPaint()
{
    Default();
}

HCURSOR CWnd::OnQueryDragIcon()
{
    return nullptr;
}

CMenu *CMenu::FromHandle(HMENU hMenu)
{
    return hMenu == nullptr ? nullptr : afx::TemporaryMenu(hMenu);
}

CPaintDC::CPaintDC(CWnd *pWnd) : m_ps(), m_hWnd(pWnd != nullptr ? pWnd->m_hWnd : nullptr)
{
    m_hDC = ::BeginPaint(m_hWnd, &m_ps);
}

CPaintDC::~CPaintDC()
{
    if (m_hDC != nullptr)
        ::EndPaint(m_hWnd, &m_ps);
}
