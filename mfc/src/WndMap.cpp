// WndMap.cpp - binding dialog objects to their windows without thunks, per-thread temporaries
// and the message each thread is processing.
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
thread_local DefaultGuard t_guard = {false, nullptr, 0, 0, 0};

struct Temporaries
{
    std::unordered_map<HWND, std::unique_ptr<CWnd>> wnds;
    std::unordered_map<HMENU, std::unique_ptr<CMenu>> menus;
};
thread_local Temporaries t_temps;

// The calling thread's object for handle h, made on first use.
template <class T, class H>
T *Temporary(std::unordered_map<H, std::unique_ptr<T>> &map, H h, H T::*pHandle)
{
    std::unique_ptr<T> &p = map[h];
    if (!p)
    {
        p.reset(new T);
        (*p).*pHandle = h;
    }
    return p.get();
}

} // namespace

CDialog *LookupDialog(HWND hWnd)
{
    if (hWnd == nullptr)
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
    if (hWnd == nullptr)
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
    return Temporary(t_temps.wnds, hWnd, &CWnd::m_hWnd);
}

CMenu *TemporaryMenu(HMENU hMenu)
{
    return Temporary(t_temps.menus, hMenu, &CMenu::m_hMenu);
}

const CurrentMessage *GetCurrentMessage()
{
    return t_pCurrent;
}

void PushCurrentMessage(CurrentMessage &cur)
{
    cur.pPrev = t_pCurrent;
    t_pCurrent = &cur;
}

void PopCurrentMessage(const CurrentMessage &cur)
{
    t_pCurrent = cur.pPrev;
}

bool IsDefaultCall(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!t_guard.bArmed || t_guard.hWnd != hWnd || t_guard.message != message ||
        t_guard.wParam != wParam || t_guard.lParam != lParam)
        return false;
    t_guard.bArmed = false;
    return true;
}

LRESULT DefaultDialogMessage(const CurrentMessage &cur)
{
    t_guard = {true, cur.hWnd, cur.message, cur.wParam, cur.lParam};
    LRESULT r = ::DefDlgProcA(cur.hWnd, cur.message, cur.wParam, cur.lParam);
    t_guard.bArmed = false;
    return r;
}

} // namespace afx
