// DialogLock.h - scoped hold of the dialog's critical section.
#pragma once

#include <windows.h>

// Enters cs for its lifetime. On the GUI thread it keeps serving messages that other
// threads send to its windows while it waits: the refresh thread may hold cs while it
// sends to the board list, and would otherwise never finish.
class CDialogLock
{
public:
    CDialogLock(CRITICAL_SECTION &cs, DWORD dwGuiThreadId);
    ~CDialogLock() { LeaveCriticalSection(&m_cs); }
    CDialogLock(const CDialogLock &) = delete;
    CDialogLock &operator=(const CDialogLock &) = delete;

private:
    CRITICAL_SECTION &m_cs;
};

// Waits up to dwTimeoutMs for h; on the way serves messages sent to the calling thread's
// windows. True when h was signalled.
bool WaitServingSentMessages(HANDLE h, DWORD dwTimeoutMs);

// Asks every message box of another thread to close, as its close button would.
void CloseThreadMessageBoxes(DWORD dwThreadId);
