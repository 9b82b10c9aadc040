// WndMap.cpp - binding dialog objects to their windows without thunks, and message dispatch.
#include "WndMap.h"

#include <memory>
#include <unordered_map>

namespace afx
{
namespace
{

// Guarded by an SRW lock held only for the lookup itself, never around a window call.
struct DialogMap
{
    SRWLOCK lock = SRWLOCK_INIT;
    std::unordered_map<HWND, CDialog *> map;
};

// Never destroyed: thread exits and static destruction may still look up windows.
DialogMap &Dialogs()
{
    static DialogMap *p = new DialogMap;
    return *p;
}

thread_local CDialog *t_pDlgToBind = nullptr;
thread_local CurrentMessage *t_pCurrent = nullptr;

// The next call of the dialog procedure for this exact message comes from DefDlgProc inside
// Default(): it must answer "not handled" so that the system's handling runs.
struct DefaultGuard
{
    bool bArmed;
    HWND hWnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};
thread_local DefaultGuard t_guard = {false, NULL, 0, 0, 0};

struct Temporaries
{
    std::unordered_map<HWND, std::unique_ptr<CWnd>> wnds;
    std::unordered_map<HMENU, std::unique_ptr<CMenu>> menus;
};
thread_local Temporaries t_temps;

bool ReturnsValueDirectly(UINT message)
{
    switch (message)
    {
    case WM_INITDIALOG:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
        return true;
    default:
        return false;
    }
}

// Like the framework: a dialog that stayed hidden and in place during its initialisation, and
// has no enabled owner, is centred.
void AutoCenter(CDialog *pDlg, DWORD dwStyleOld, const RECT &rcOld)
{
    HWND hWnd = pDlg->m_hWnd;
    if (hWnd == NULL || (dwStyleOld & WS_VISIBLE) ||
        (::GetWindowLongA(hWnd, GWL_STYLE) & (WS_VISIBLE | WS_CHILD)))
        return;
    RECT rc;
    ::GetWindowRect(hWnd, &rc);
    if (rc.left != rcOld.left || rc.top != rcOld.top)
        return;
    HWND hOwner = ::GetWindow(hWnd, GW_OWNER);
    if (hOwner != NULL && ::IsWindowEnabled(hOwner))
        return;
    pDlg->CenterWindow();
}

void ReportHandlerException(HWND hWnd)
{
    ::MessageBoxA(hWnd, "An unexpected error occurred. The last action was not completed.",
                  AfxGetAppName(), MB_OK | MB_ICONERROR);
}

} // namespace

void SetDialogToBind(CDialog *pDlg)
{
    t_pDlgToBind = pDlg;
}

CDialog *LookupDialog(HWND hWnd)
{
    if (hWnd == NULL)
        return nullptr;
    DialogMap &d = Dialogs();
    AcquireSRWLockShared(&d.lock);
    auto it = d.map.find(hWnd);
    CDialog *p = it == d.map.end() ? nullptr : it->second;
    ReleaseSRWLockShared(&d.lock);
    return p;
}

void BindDialog(HWND hWnd, CDialog *pDlg)
{
    DialogMap &d = Dialogs();
    AcquireSRWLockExclusive(&d.lock);
    d.map[hWnd] = pDlg;
    ReleaseSRWLockExclusive(&d.lock);
}

void UnbindWindow(HWND hWnd, const CWnd *pWnd)
{
    if (hWnd == NULL)
        return;
    DialogMap &d = Dialogs();
    AcquireSRWLockExclusive(&d.lock);
    auto it = d.map.find(hWnd);
    if (it != d.map.end() && it->second == pWnd)
        d.map.erase(it);
    ReleaseSRWLockExclusive(&d.lock);
}

CWnd *TemporaryWnd(HWND hWnd)
{
    std::unique_ptr<CWnd> &p = t_temps.wnds[hWnd];
    if (!p)
    {
        p.reset(new CWnd);
        p->m_hWnd = hWnd;
    }
    return p.get();
}

CMenu *TemporaryMenu(HMENU hMenu)
{
    std::unique_ptr<CMenu> &p = t_temps.menus[hMenu];
    if (!p)
    {
        p.reset(new CMenu);
        p->m_hMenu = hMenu;
    }
    return p.get();
}

const CurrentMessage *GetCurrentMessage()
{
    return t_pCurrent;
}

LRESULT DefaultDialogMessage(const CurrentMessage &cur)
{
    t_guard = {true, cur.hWnd, cur.message, cur.wParam, cur.lParam};
    LRESULT r = ::DefDlgProcA(cur.hWnd, cur.message, cur.wParam, cur.lParam);
    t_guard.bArmed = false;
    return r;
}

} // namespace afx

INT_PTR CALLBACK AfxDlgProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    using namespace afx;
    if (t_guard.bArmed && t_guard.hWnd == hWnd && t_guard.message == message &&
        t_guard.wParam == wParam && t_guard.lParam == lParam)
    {
        t_guard.bArmed = false;
        return FALSE;
    }

    CDialog *pDlg = LookupDialog(hWnd);
    if (pDlg == nullptr)
    {
        pDlg = t_pDlgToBind;
        if (pDlg == nullptr && message == WM_INITDIALOG)
            pDlg = reinterpret_cast<CDialog *>(lParam);
        if (pDlg == nullptr)
            return FALSE;
        t_pDlgToBind = nullptr;
        pDlg->m_hWnd = hWnd;
        BindDialog(hWnd, pDlg);
    }

    // The system shows a WS_VISIBLE template after WM_INITDIALOG even when the dialog was
    // ended there; an ended dialog is never to appear.
    if (message == WM_WINDOWPOSCHANGING && pDlg->m_bEnded && lParam != 0)
        reinterpret_cast<WINDOWPOS *>(lParam)->flags &= ~SWP_SHOWWINDOW;

    DWORD dwStyleOld = 0;
    RECT rcOld = {0, 0, 0, 0};
    if (message == WM_INITDIALOG)
    {
        dwStyleOld = static_cast<DWORD>(::GetWindowLongA(hWnd, GWL_STYLE));
        ::GetWindowRect(hWnd, &rcOld);
    }

    CurrentMessage cur = {hWnd, message, wParam, lParam, t_pCurrent};
    t_pCurrent = &cur;
    LRESULT lResult = 0;
    BOOL bHandled = FALSE;
    try
    {
        bHandled = pDlg->OnWndMsg(message, wParam, lParam, &lResult);
    }
    catch (...)
    {
        // An exception must not unwind through the system's dialog code: that would leave
        // the modal loop and the window behind. Tell the user; the dialog stays usable.
        t_pCurrent = cur.pPrev;
        ReportHandlerException(hWnd);
        bHandled = TRUE;
        lResult = 0;
    }
    t_pCurrent = cur.pPrev;

    if (message == WM_INITDIALOG && ::IsWindow(hWnd))
        AutoCenter(pDlg, dwStyleOld, rcOld);

    if (message == WM_NCDESTROY)
    {
        UnbindWindow(hWnd, pDlg);
        ClearHandle(*pDlg);
        pDlg->DetachControls();
        static_cast<CWnd *>(pDlg)->PostNcDestroy();
        return FALSE;
    }
    if (!bHandled)
        return FALSE;
    if (ReturnsValueDirectly(message))
        return static_cast<INT_PTR>(lResult);
    ::SetWindowLongPtrA(hWnd, DWLP_MSGRESULT, lResult);
    return TRUE;
}
