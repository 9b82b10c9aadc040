// ProgressCounter.h - counts the window messages that other threads send to the progress controls.
#pragma once

#include <windows.h>

#include <atomic>

#include "resource.h"

// Hooks the thread that owns hDlg and counts the messages that other threads send to the bar and
// the two boxes; what the GUI thread sends them itself (painting, nested handling) is not counted.
class CProgressCounter
{
public:
    explicit CProgressCounter(HWND hDlg);
    ~CProgressCounter();
    CProgressCounter(const CProgressCounter &) = delete;
    CProgressCounter &operator=(const CProgressCounter &) = delete;

    int Bar() const { return s_nBar; }     // PBM_SETPOS on the bar
    int Texts() const { return s_nTexts; } // WM_SETTEXT on the two boxes
    int All() const { return s_nAll; }     // every message from another thread
    void Reset() { s_nBar = s_nTexts = s_nAll = 0; }

private:
    static LRESULT CALLBACK Hook(int nCode, WPARAM wParam, LPARAM lParam);
    HHOOK m_hHook;
    static HWND s_hBar, s_hPercent, s_hTime;
    static std::atomic<int> s_nBar, s_nTexts, s_nAll;
};

inline HWND CProgressCounter::s_hBar = NULL;
inline HWND CProgressCounter::s_hPercent = NULL;
inline HWND CProgressCounter::s_hTime = NULL;
inline std::atomic<int> CProgressCounter::s_nBar{0};
inline std::atomic<int> CProgressCounter::s_nTexts{0};
inline std::atomic<int> CProgressCounter::s_nAll{0};

inline CProgressCounter::CProgressCounter(HWND hDlg)
{
    s_hBar = GetDlgItem(hDlg, IDC_PROGRESS);
    s_hPercent = GetDlgItem(hDlg, IDC_PERCENT);
    s_hTime = GetDlgItem(hDlg, IDC_TIME);
    Reset();
    m_hHook = SetWindowsHookExA(WH_CALLWNDPROC, Hook, NULL, GetWindowThreadProcessId(hDlg, NULL));
}

inline CProgressCounter::~CProgressCounter()
{
    if (m_hHook)
        UnhookWindowsHookEx(m_hHook);
}

inline LRESULT CALLBACK CProgressCounter::Hook(int nCode, WPARAM wParam, LPARAM lParam)
{
    // wParam is zero when another thread sent the message.
    if (nCode == HC_ACTION && wParam == 0)
    {
        const CWPSTRUCT *p = reinterpret_cast<const CWPSTRUCT *>(lParam);
        if (p->hwnd == s_hBar || p->hwnd == s_hPercent || p->hwnd == s_hTime)
        {
            ++s_nAll;
            if (p->hwnd == s_hBar && p->message == PBM_SETPOS)
                ++s_nBar;
            else if (p->message == WM_SETTEXT)
                ++s_nTexts;
        }
    }
    return CallNextHookEx(NULL, nCode, wParam, lParam);
}
