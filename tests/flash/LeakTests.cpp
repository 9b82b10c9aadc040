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
const DWORD kWait = 10000;
} // namespace

TEST(TorvaneLeaks, StartUpAndCloseGiveBackEveryHandleAndWindow)
{
    CSimSession sim(kFast);
    CMsgBoxCatcher boxes;
    leaktest::ExpectStepGivesBack("cycle", kCycles, leaktest::kOnceOnly, true, [&] {
        CTestTorvaneDlg dlg;
        bool bShown = false;
        const bool bCancelled = RunDialog(dlg, [&](HWND) { bShown = true; }) == IDCANCEL;
        return bCancelled && bShown;
    });
    EXPECT_EQ(boxes.Count(), 0u);
    EXPECT_EQ(sim.Count("VtlUsbClose() = 0"), static_cast<size_t>(kCycles + 1));
}

TEST(TorvaneLeaks, EraseCommandsGiveBackEveryHandle)
{
    CSimSession sim(kFast);
    CMsgBoxCatcher boxes;
    CTestTorvaneDlg dlg;
    RunDialog(dlg, [&](HWND h) {
        leaktest::ExpectStepGivesBack("erase", kCycles, leaktest::kOnceOnly, false, [&] {
            Click(h, IDC_ERASE);
            return WaitForIdle(h, kWait);
        });
    });
    EXPECT_EQ(sim.Count("board0.EraseFlash() = 0"), static_cast<size_t>(kCycles + 1));
    EXPECT_EQ(boxes.Count(), 0u);
}
