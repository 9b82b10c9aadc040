// LeakTests.cpp - start-up, close and refreshes give back every handle and window they take.
#include "HandleCount.h"
#include "OstrelHarness.h"

#include <gtest/gtest.h>

using namespace ostreltest;
using namespace vtltest;

namespace
{
const int kCycles = 4;
} // namespace

TEST(OstrelLeaks, StartUpAndCloseGiveBackEveryHandleAndWindow)
{
    CSimSession sim(BoardsConfig({"type = A", "type = B\nopenable = 0", "type = C"}));
    CMsgBoxCatcher boxes;
    leaktest::ExpectStepGivesBack("cycle", kCycles, leaktest::kOnceOnly, true, [&] {
        CTestOstrelDlg dlg;
        size_t nRows = 0;
        dlg.RunScript([&](CTestOstrelDlg &d) { nRows = d.Rows().size(); });
        return dlg.m_bScriptRan && nRows == 3u;
    });
    EXPECT_EQ(boxes.Count(), 0u);
    EXPECT_EQ(sim.Count("VtlUsbClose()"), static_cast<size_t>(kCycles + 1));
}

TEST(OstrelLeaks, RefreshesGiveBackEveryHandle)
{
    CSimSession sim(BoardsConfig({"type = A", "type = B"}));
    CMsgBoxCatcher boxes;
    CTestOstrelDlg dlg(50);
    dlg.RunScript([&](CTestOstrelDlg &d) {
        leaktest::ExpectStepGivesBack("refresh", kCycles, leaktest::kOnceOnly, false, [&] {
            return d.RefreshAndWait(sim, 10000) && d.Rows().size() == 2u;
        });
    });
    EXPECT_TRUE(dlg.m_bScriptRan);
    EXPECT_EQ(sim.Count("VtlUsbOpen("), static_cast<size_t>(kCycles + 2));
    EXPECT_EQ(boxes.Count(), 0u);
}
