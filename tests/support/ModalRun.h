// ModalRun.h - one modal run under a watchdog: a test drives a real dialog without ever hanging.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>

namespace vtltest
{
// Ends every window of one thread with IDCANCEL once dwTimeoutMs passed, and goes on doing so
// every half second: a dialog opened from a cancelled one must end too. Fired() tells whether
// it had to.
class CModalWatchdog
{
public:
    explicit CModalWatchdog(DWORD dwTimeoutMs = 15000, DWORD dwThreadId = GetCurrentThreadId());
    ~CModalWatchdog();
    CModalWatchdog(const CModalWatchdog &) = delete;
    CModalWatchdog &operator=(const CModalWatchdog &) = delete;

    bool Fired() const { return m_bFired; }

private:
    static DWORD WINAPI ThreadProc(LPVOID pParam);

    DWORD m_dwThreadId;
    DWORD m_dwTimeoutMs;
    // Before the thread, which reads it from its first moment on.
    std::atomic<bool> m_bFired{false};
    HANDLE m_hStop;
    HANDLE m_hThread;
};

// A test script that either runs to its end or tells what stopped it.
class CScript
{
public:
    // Runs fn, catching whatever leaves it early.
    void Run(const std::function<void()> &fn);
    bool Started() const { return m_bStarted; }
    bool Finished() const { return m_bFinished; }
    std::string Stop() const;

private:
    std::atomic<bool> m_bStarted{false};
    std::atomic<bool> m_bFinished{false};
    std::string m_strStop;
};

// Runs doModal() on this thread; a message-box catcher that lives now also hooks the threads the
// dialog's object started. Once window() gives a visible window and its modal loop runs,
// script runs on a helper thread with that window; it does not run when the dialog ends without
// showing. When the script returns and the window is still open, IDCANCEL is posted. A watchdog
// ends the dialog timeoutMs + 5 s after the start. The test fails when the watchdog had to, when
// the modal loop never ran, or when the script stopped early. Returns doModal's result.
INT_PTR RunModal(const std::function<INT_PTR()> &doModal, const std::function<HWND()> &window,
                 const std::function<void(HWND)> &script, DWORD timeoutMs);
} // namespace vtltest
