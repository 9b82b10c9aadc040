// TaskbarButton.h - the window's taskbar button as a second progress display, where the shell
// offers one.
#pragma once

#include <windows.h>

#include <shobjidl.h>

// Made, used and destroyed on one thread: the first Attach enters that thread into a
// single-threaded apartment, the destructor leaves it, so the list is always called directly
// and never through another thread's messages. Until Attach succeeds every call does nothing.
class CTaskbarButton
{
public:
    CTaskbarButton() = default;
    ~CTaskbarButton();
    CTaskbarButton(const CTaskbarButton &) = delete;
    CTaskbarButton &operator=(const CTaskbarButton &) = delete;

    // The registered message the shell sends a window once its button exists (again after the
    // shell restarted).
    static UINT CreatedMessage();

    // Gets the taskbar list for hWnd's button, dropping one held before; false when there is none.
    bool Attach(HWND hWnd);

    void SetIndeterminate();
    void SetProgress(int nPercent);
    // Red, with the last percentage shown.
    void SetError();
    void Clear();

private:
    void SetState(TBPFLAG nState);
    void Detach();

    ITaskbarList3 *m_pList = nullptr;
    HWND m_hWnd = nullptr;
    bool m_bComEntered = false;
    TBPFLAG m_nState = TBPF_NOPROGRESS;
    int m_nPercent = 0;
};

// Shows nState on the button for its lifetime, and nothing afterwards.
class CTaskbarState
{
public:
    CTaskbarState(CTaskbarButton &button, TBPFLAG nState) : m_button(button)
    {
        if (nState == TBPF_ERROR)
            m_button.SetError();
        else
            m_button.SetIndeterminate();
    }
    ~CTaskbarState() { m_button.Clear(); }
    CTaskbarState(const CTaskbarState &) = delete;
    CTaskbarState &operator=(const CTaskbarState &) = delete;

private:
    CTaskbarButton &m_button;
};
