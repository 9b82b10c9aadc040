// LeakTests.cpp - sessions and board locks of the library give back every handle they take.
#include "HandleCount.h"
#include "SimTestUtil.h"

#include "VtlDrvUsb.h"

#include <gtest/gtest.h>

using namespace simtest;

namespace
{
const int kCycles = 4;
const DWORD kSettleMs = 5000;

// One session: open, lock and use two boards, release them, close.
void Session(std::uint32_t hWnd)
{
    ASSERT_EQ(0u, VtlUsbOpen(hWnd));
    ASSERT_EQ(2u, VtlUsbGetBoardCount());
    for (std::uint32_t i = 0; i < 2; ++i)
    {
        UsbBoard *b = VtlUsbOpenBoard(i);
        ASSERT_NE(nullptr, b);
        int ma = 0, mi = 0;
        EXPECT_EQ(0, b->GetEepromVersion(&ma, &mi));
        EXPECT_EQ(0, b->ReleaseBoard());
    }
    // A board still locked at close is released by the close.
    ASSERT_NE(nullptr, VtlUsbOpenBoard(1));
    EXPECT_EQ(0, VtlUsbClose());
}

void ExpectNoGrowth(std::uint32_t hWnd)
{
    ASSERT_GE(leaktest::ProcessHandleCount(), 0) << "the system lists no handles";
    CSimSession sim("[driver]\nboards = 2\n");
    Session(hWnd); // warm-up: first-use allocations of the library and the system
    const long nLevel = leaktest::LowestHandleCount();
    for (int i = 0; i < kCycles; ++i)
    {
        Session(hWnd);
        long nNow = 0;
        ASSERT_TRUE(leaktest::WaitForHandlesAtMost(nLevel, kSettleMs, &nNow))
            << "cycle " << i << ": " << nNow << " handles, " << nLevel << " before";
    }
}
} // namespace

TEST(Leaks, CountsSeeHandlesAndWindowsComeAndGo)
{
    const long nBefore = leaktest::ProcessHandleCount();
    ASSERT_GE(nBefore, 0);
    HANDLE h[5];
    for (HANDLE &e : h)
        e = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    EXPECT_EQ(nBefore + 5, leaktest::ProcessHandleCount());
    for (HANDLE e : h)
        CloseHandle(e);
    EXPECT_EQ(nBefore, leaktest::ProcessHandleCount());

    const long nWindows = leaktest::ProcessWindowCount();
    HWND hTop = CreateWindowA("STATIC", "top", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, hTop);
    // Wine may add the thread's input-method window while the thread has windows.
    const long nWithTop = leaktest::ProcessWindowCount();
    EXPECT_GE(nWithTop, nWindows + 1);
    HWND hChild =
        CreateWindowA("STATIC", "child", WS_CHILD, 0, 0, 5, 5, hTop, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, hChild);
    EXPECT_EQ(nWithTop + 1, leaktest::ProcessWindowCount()) << "children count too";
    DestroyWindow(hTop);
    EXPECT_EQ(nWindows, leaktest::ProcessWindowCount());
}

TEST(Leaks, SessionsWithoutWindowGiveBackEveryHandle)
{
    ExpectNoGrowth(0);
}

TEST(Leaks, SessionsWithHotPlugWatcherGiveBackEveryHandle)
{
    HWND hWnd =
        CreateWindowA("STATIC", "leaks", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, hWnd);
    ExpectNoGrowth(static_cast<std::uint32_t>(reinterpret_cast<ULONG_PTR>(hWnd)));
    DestroyWindow(hWnd);
}
