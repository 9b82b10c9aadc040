// MfcTestUtil.h - the test program's application object and a watchdog for modal runs.
#pragma once

#include <afxwin.h>

#include <atomic>

class CTestApp : public CWinApp
{
public:
    void OnAppCommand() { ++m_nAppCommands; }
    int m_nAppCommands = 0;

    DECLARE_MESSAGE_MAP()
};

extern CTestApp theApp;

// Ends every dialog of one thread with IDCANCEL when a test has not finished in time, so a
// broken test fails instead of hanging. Counts whether it had to.
class CWatchdog
{
public:
    explicit CWatchdog(DWORD dwTimeoutMs = 15000);
    ~CWatchdog();
    CWatchdog(const CWatchdog &) = delete;
    CWatchdog &operator=(const CWatchdog &) = delete;
    bool Fired() const { return m_bFired; }

private:
    static DWORD WINAPI ThreadProc(LPVOID pParam);
    DWORD m_dwThreadId;
    DWORD m_dwTimeoutMs;
    HANDLE m_hStop;
    HANDLE m_hThread;
    std::atomic<bool> m_bFired{false};
};

// Processes this thread's queued messages without blocking (bounded).
void FlushMessages();
