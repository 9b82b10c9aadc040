// DialogLock.h - the dialog's lock and the waits of a thread that must keep answering the
// window messages other threads send it.
#pragma once

#include <windows.h>

// Enters cs for its lifetime, and leaves it on every way out, exceptions included. While it
// waits, it serves the messages that other threads send to the calling thread's windows: a
// worker may hold cs while it sends to the dialog's controls, and would otherwise never finish.
class CDialogLock
{
public:
    explicit CDialogLock(CRITICAL_SECTION &cs);
    ~CDialogLock() { LeaveCriticalSection(&m_cs); }
    CDialogLock(const CDialogLock &) = delete;
    CDialogLock &operator=(const CDialogLock &) = delete;

private:
    CRITICAL_SECTION &m_cs;
};

// Waits up to dwTimeoutMs (INFINITE: no limit) for h; on the way serves messages sent to the
// calling thread's windows. True when h was signalled.
bool WaitServingSentMessages(HANDLE h, DWORD dwTimeoutMs);

// Asks every message box of another thread to close, as its close button would.
void CloseThreadMessageBoxes(DWORD dwThreadId);
