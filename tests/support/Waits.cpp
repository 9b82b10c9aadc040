// Waits.cpp - bounded waits that keep the calling thread's messages flowing.
#include "TestSupport.h"

namespace vtltest
{

int PumpMessages(int maxMessages)
{
    int n = 0;
    MSG msg;
    while (n < maxMessages && PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE))
    {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
        ++n;
    }
    return n;
}

namespace
{
// Blocks until a message arrives, h is signalled or sliceMs passed; true when h was signalled.
bool WaitSlice(HANDLE h, DWORD sliceMs)
{
    DWORD n = h ? 1 : 0;
    DWORD r = MsgWaitForMultipleObjects(n, h ? &h : NULL, FALSE, sliceMs, QS_ALLINPUT);
    PumpMessages();
    return h && r == WAIT_OBJECT_0;
}
} // namespace

bool WaitForCondition(const std::function<bool()> &pred, DWORD timeoutMs)
{
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    for (;;)
    {
        PumpMessages();
        if (pred())
            return true;
        ULONGLONG now = GetTickCount64();
        if (now >= end)
            return pred();
        // The condition usually changes on another thread or process without a
        // message here, so re-check at least every 10 ms.
        DWORD left = static_cast<DWORD>(end - now);
        WaitSlice(NULL, left < 10 ? left : 10);
    }
}

bool WaitForHandle(HANDLE h, DWORD timeoutMs)
{
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    for (;;)
    {
        if (WaitForSingleObject(h, 0) == WAIT_OBJECT_0)
            return true;
        ULONGLONG now = GetTickCount64();
        if (now >= end)
            return false;
        DWORD left = static_cast<DWORD>(end - now);
        if (WaitSlice(h, left < 50 ? left : 50))
            return true;
    }
}

} // namespace vtltest
