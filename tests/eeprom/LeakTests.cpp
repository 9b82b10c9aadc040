// LeakTests.cpp - start-up, close and refreshes give back every handle and window they take.
#include "HandleCount.h"
#include "OstrelHarness.h"

#include <gtest/gtest.h>

using namespace ostreltest;
using namespace vtltest;

namespace
{
const int kCycles = 4;
const DWORD kSettleMs = 5000;
// Wine now and then creates an object of its own (an event) late, once, and keeps it: one
// handle over all cycles is let through, a handle per cycle is not.
const long kOnceOnly = 1;
} // namespace

TEST(OstrelLeaks, StartUpAndCloseGiveBackEveryHandleAndWindow)
{
    ASSERT_GE(leaktest::ProcessHandleCount(), 0) << "the system lists no handles";
    CSimSession sim(BoardsConfig({"type = A", "type = B\nopenable = 0", "type = C"}));
    CMsgBoxCatcher boxes;
    auto cycle = [&] {
        CTestOstrelDlg dlg;
        dlg.RunScript([](CTestOstrelDlg &d) { EXPECT_EQ(d.Rows().size(), 3u); });
        EXPECT_TRUE(dlg.m_bScriptRan);
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
    EXPECT_EQ(sim.Count("VtlUsbClose()"), static_cast<size_t>(kCycles + 1));
}

TEST(OstrelLeaks, RefreshesGiveBackEveryHandle)
{
    ASSERT_GE(leaktest::ProcessHandleCount(), 0) << "the system lists no handles";
    CSimSession sim(BoardsConfig({"type = A", "type = B"}));
    CMsgBoxCatcher boxes;
    CTestOstrelDlg dlg;
    dlg.m_nRefreshPauseMs = 50;
    dlg.RunScript([&](CTestOstrelDlg &d) {
        auto refresh = [&] {
            const size_t nOpens = sim.Count("VtlUsbOpen(");
            SetEvent(d.m_hRefreshEvent);
            return WaitForCondition(
                [&] {
                    return sim.Count("VtlUsbOpen(") == nOpens + 1 && d.ButtonsEnabled(true) &&
                           !d.m_bHourglass;
                },
                10000);
        };
        ASSERT_TRUE(refresh()); // warm-up: the refresh thread's first run
        const long nHandles = leaktest::LowestHandleCount();
        for (int i = 0; i < kCycles; ++i)
        {
            ASSERT_TRUE(refresh()) << "refresh " << i;
            EXPECT_EQ(d.Rows().size(), 2u);
            long nNow = 0;
            EXPECT_TRUE(leaktest::WaitForHandlesAtMost(nHandles + kOnceOnly, kSettleMs, &nNow))
                << "refresh " << i << ": " << nNow << " handles, " << nHandles << " before";
        }
    });
    EXPECT_TRUE(dlg.m_bScriptRan);
    EXPECT_EQ(sim.Count("VtlUsbOpen("), static_cast<size_t>(kCycles + 2));
    EXPECT_EQ(boxes.Count(), 0u);
}
