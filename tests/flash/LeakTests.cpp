// LeakTests.cpp - start-up, close and commands give back every handle and window they take.
#include <gtest/gtest.h>

#include "HandleCount.h"
#include "FlashTestHelpers.h"

using namespace flashtest;
using vtltest::CMsgBoxCatcher;

namespace
{
const char kFast[] = "[driver]\nprogress_ms = 60\nprogress_step_ms = 5\n";
const int kCycles = 4;
const DWORD kSettleMs = 5000;
// Wine now and then creates an object of its own (an event) late, once, and keeps it: one
// handle over all cycles is let through, a handle per cycle is not.
const long kOnceOnly = 1;
const DWORD kWait = 10000;
} // namespace

TEST(TorvaneLeaks, StartUpAndCloseGiveBackEveryHandleAndWindow)
{
    ASSERT_GE(leaktest::ProcessHandleCount(), 0) << "the system lists no handles";
    CSimSession sim(kFast);
    CMsgBoxCatcher boxes;
    auto cycle = [&] {
        CTestTorvaneDlg dlg;
        boxes.Rearm();
        bool bShown = false;
        EXPECT_EQ(RunDialog(dlg, [&](HWND) { bShown = true; }), IDCANCEL);
        EXPECT_TRUE(bShown);
    };
    cycle(); // warm-up: first-use allocations of the library, the controls and the system
    const long nHandles = leaktest::LowestHandleCount();
    const long nWindows = leaktest::ProcessWindowCount();
    for (int i = 0; i < kCycles; ++i)
    {
        cycle();
        long nNow = 0;
        EXPECT_TRUE(leaktest::WaitForHandlesAtMost(nHandles + kOnceOnly, kSettleMs, &nNow))
            << "cycle " << i << ": " << nNow << " handles, " << nHandles << " before";
        EXPECT_TRUE(leaktest::WaitForWindowsAtMost(nWindows, kSettleMs, &nNow))
            << "cycle " << i << ": " << nNow << " windows, " << nWindows << " before";
    }
    EXPECT_EQ(boxes.Count(), 0u);
    EXPECT_EQ(sim.Count("VtlUsbClose() = 0"), kCycles + 1);
}

TEST(TorvaneLeaks, EraseCommandsGiveBackEveryHandle)
{
    ASSERT_GE(leaktest::ProcessHandleCount(), 0) << "the system lists no handles";
    CSimSession sim(kFast);
    CMsgBoxCatcher boxes;
    CTestTorvaneDlg dlg;
    boxes.Rearm();
    RunDialog(dlg, [&](HWND h) {
        Click(h, IDC_ERASE); // warm-up
        ASSERT_TRUE(WaitForIdle(h, kWait));
        const long nHandles = leaktest::LowestHandleCount();
        for (int i = 0; i < kCycles; ++i)
        {
            Click(h, IDC_ERASE);
            ASSERT_TRUE(WaitForIdle(h, kWait));
            long nNow = 0;
            EXPECT_TRUE(leaktest::WaitForHandlesAtMost(nHandles + kOnceOnly, kSettleMs, &nNow))
                << "erase " << i << ": " << nNow << " handles, " << nHandles << " before";
        }
    });
    EXPECT_EQ(sim.Count("board0.EraseFlash() = 0"), kCycles + 1);
    EXPECT_EQ(boxes.Count(), 0u);
}
