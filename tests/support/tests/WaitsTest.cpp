// Waits and window look-ups.
#include <gtest/gtest.h>

#include "TestSupport.h"

using namespace vtltest;

TEST(Waits, ConditionMetByAnotherThreadEndsTheWait)
{
    volatile LONG flag = 0;
    HANDLE h = CreateThread(
        NULL, 0,
        [](void *p) -> DWORD {
            Sleep(50); // the worker's own pace, not synchronisation of the test
            InterlockedExchange(static_cast<volatile LONG *>(p), 1);
            return 0;
        },
        const_cast<LONG *>(&flag), 0, NULL);
    ULONGLONG t0 = GetTickCount64();
    EXPECT_TRUE(WaitForCondition([&] { return flag != 0; }, 5000));
    EXPECT_LT(GetTickCount64() - t0, 4000u);
    EXPECT_TRUE(WaitForHandle(h, 5000));
    CloseHandle(h);
}

TEST(Waits, TimeoutIsHonoured)
{
    ULONGLONG t0 = GetTickCount64();
    EXPECT_FALSE(WaitForCondition([] { return false; }, 200));
    ULONGLONG dt = GetTickCount64() - t0;
    EXPECT_GE(dt, 190u);
    EXPECT_LT(dt, 3000u);

    HANDLE ev = CreateEventA(NULL, TRUE, FALSE, NULL);
    EXPECT_FALSE(WaitForHandle(ev, 100));
    SetEvent(ev);
    EXPECT_TRUE(WaitForHandle(ev, 100));
    CloseHandle(ev);
}

TEST(Waits, PumpsSentAndPostedMessagesWhileWaiting)
{
    // A window of this thread only answers a cross-thread send if the wait pumps.
    HWND h = CreateWindowA("STATIC", "before", WS_POPUP, 0, 0, 10, 10, NULL, NULL, NULL, NULL);
    ASSERT_TRUE(h);
    volatile LONG done = 0;
    struct Ctx
    {
        HWND h;
        volatile LONG *done;
    } ctx{h, &done};
    HANDLE t = CreateThread(
        NULL, 0,
        [](void *p) -> DWORD {
            auto *c = static_cast<Ctx *>(p);
            SendMessageA(c->h, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("after"));
            InterlockedExchange(c->done, 1);
            return 0;
        },
        &ctx, 0, NULL);
    EXPECT_TRUE(WaitForCondition([&] { return done != 0; }, 5000));
    EXPECT_EQ("after", GetText(h));
    EXPECT_TRUE(WaitForHandle(t, 5000));
    CloseHandle(t);

    PostMessageA(h, WM_CLOSE, 0, 0); // the default handling destroys it
    EXPECT_TRUE(IsWindow(h));
    EXPECT_GE(PumpMessages(), 1);
    EXPECT_FALSE(IsWindow(h));
}

TEST(Waits, FindsWindowsByClassTitlePidAndChildId)
{
    HWND top = CreateWindowA("#32770", "Finder target", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, NULL,
                             NULL, NULL, NULL);
    ASSERT_TRUE(top);
    HWND inner = CreateWindowA("STATIC", "", WS_CHILD, 0, 0, 5, 5, top, (HMENU)10, NULL, NULL);
    HWND deep = CreateWindowA("BUTTON", "deep", WS_CHILD, 0, 0, 5, 5, inner, (HMENU)77, NULL, NULL);
    WindowQuery q;
    q.className = "#32770";
    q.title = "Finder target";
    q.pid = GetCurrentProcessId();
    EXPECT_EQ(top, WaitForWindow(q, 2000));
    q.pid = GetCurrentProcessId() + 4; // no such owner
    EXPECT_EQ(NULL, FindTopWindow(q));
    EXPECT_EQ(deep, FindChildById(top, 77));
    EXPECT_EQ(NULL, FindChildById(top, 78));
    EXPECT_EQ("Button", GetClass(deep));
    DestroyWindow(top);
    q.pid = GetCurrentProcessId();
    EXPECT_EQ(NULL, WaitForWindow(q, 100));
}
