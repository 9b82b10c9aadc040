// DialogLock.cpp - lock and wait that keep a thread answering sent messages.
#include "DialogLock.h"

namespace
{
// Lets the messages that other threads sent to this thread run.
void ServeSentMessages()
{
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
}
} // namespace

CDialogLock::CDialogLock(CRITICAL_SECTION &cs) : m_cs(cs)
{
    // A critical section has no handle to wait on: retry whenever a sent message arrived, and
    // every few milliseconds otherwise. A thread without windows is only sent nothing.
    while (!TryEnterCriticalSection(&m_cs))
    {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_SENDMESSAGE);
        ServeSentMessages();
    }
}

bool WaitServingSentMessages(HANDLE h, DWORD dwTimeoutMs)
{
    const ULONGLONG ullEnd = GetTickCount64() + dwTimeoutMs;
    for (;;)
    {
        DWORD dwLeft = INFINITE;
        if (dwTimeoutMs != INFINITE)
        {
            const ULONGLONG ullNow = GetTickCount64();
            dwLeft = ullNow >= ullEnd ? 0 : static_cast<DWORD>(ullEnd - ullNow);
        }
        const DWORD dw = MsgWaitForMultipleObjects(1, &h, FALSE, dwLeft, QS_SENDMESSAGE);
        if (dw == WAIT_OBJECT_0)
            return true;
        if (dw != WAIT_OBJECT_0 + 1)
            return false;
        ServeSentMessages();
    }
}

void CloseThreadMessageBoxes(DWORD dwThreadId)
{
    EnumThreadWindows(
        dwThreadId,
        [](HWND hWnd, LPARAM) -> BOOL {
            char szClass[16] = "";
            GetClassNameA(hWnd, szClass, sizeof(szClass));
            if (lstrcmpA(szClass, "#32770") == 0 && GetDlgItem(hWnd, 0xFFFF))
                PostMessageA(hWnd, WM_CLOSE, 0, 0);
            return TRUE;
        },
        0);
}
