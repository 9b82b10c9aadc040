// ProgressTests.cpp - the progress bar, percentage and elapsed time, on a clock the test sets.
#include <gtest/gtest.h>

#include "FlashTestHelpers.h"
#include "ProgressCounter.h"

using namespace flashtest;
using vtltest::CMsgBoxCatcher;

namespace
{
struct Shown
{
    int pos;
    std::string percent;
    std::string time;
};

Shown Read(HWND h)
{
    return {static_cast<int>(SendMessageA(GetDlgItem(h, IDC_PROGRESS), PBM_GETPOS, 0, 0)),
            Text(h, IDC_PERCENT), Text(h, IDC_TIME)};
}

// Runs script against a shown dialog whose clock reads `start` seconds at the reset.
void WithDisplay(const std::function<void(CTestTorvaneDlg &, HWND)> &script)
{
    CSimSession sim;
    CMsgBoxCatcher boxes;
    CTestTorvaneDlg dlg;
    dlg.m_bFakeClock = true;
    dlg.SetClockSeconds(0);
    RunDialog(dlg, [&](HWND h) {
        dlg.ResetProgress();
        script(dlg, h);
    });
    EXPECT_EQ(boxes.Count(), 0u);
}
} // namespace

TEST(TorvaneProgress, FirstReportOfZeroMovesTheBarButLeavesThePercentageEmpty)
{
    WithDisplay([](CTestTorvaneDlg &dlg, HWND h) {
        SendMessageA(GetDlgItem(h, IDC_PROGRESS), PBM_SETPOS, 30, 0);
        dlg.ResetProgress();
        Shown s = Read(h);
        EXPECT_EQ(s.pos, 0);
        EXPECT_EQ(s.percent, "");
        EXPECT_EQ(s.time, "");
        EXPECT_EQ(CTestTorvaneDlg::ProgressProc(0, 0, 0, &dlg), 0);
        s = Read(h);
        EXPECT_EQ(s.pos, 0);
        EXPECT_EQ(s.percent, "");
        dlg.OnProgress(42);
        s = Read(h);
        EXPECT_EQ(s.pos, 42);
        EXPECT_EQ(s.percent, "42% completed");
    });
}

TEST(TorvaneProgress, TimeBoxWaitsForAWholeSecondThenShowsMinutesAndSeconds)
{
    WithDisplay([](CTestTorvaneDlg &dlg, HWND h) {
        dlg.SetClockSeconds(0.999);
        dlg.OnProgress(1);
        EXPECT_EQ(Text(h, IDC_TIME), "");
        const std::pair<double, const char *> cases[] = {{1.0, "1 sec"},
                                                         {59.5, "59 sec"},
                                                         {60, "1 min 0 sec"},
                                                         {125, "2 min 5 sec"},
                                                         {3600, "60 min 0 sec"}};
        for (const auto &c : cases)
        {
            dlg.SetClockSeconds(c.first);
            dlg.OnProgress(2);
            EXPECT_EQ(Text(h, IDC_TIME), c.second) << c.first;
        }
    });
}

TEST(TorvaneProgress, ClockSetBackShowsZeroSeconds)
{
    WithDisplay([](CTestTorvaneDlg &dlg, HWND h) {
        dlg.SetClockSeconds(5);
        dlg.OnProgress(10);
        EXPECT_EQ(Text(h, IDC_TIME), "5 sec");
        dlg.SetClockSeconds(-30);
        dlg.OnProgress(11);
        EXPECT_EQ(Text(h, IDC_TIME), "0 sec");
        dlg.SetClockSeconds(7);
        dlg.OnProgress(12);
        EXPECT_EQ(Text(h, IDC_TIME), "7 sec");
    });
}

TEST(TorvaneProgress, RepeatedPercentSetsOnlyTheBarAndTheTimeWhenItChanges)
{
    WithDisplay([](CTestTorvaneDlg &dlg, HWND h) {
        dlg.OnProgress(50);
        CProgressCounter counter(h);
        for (int i = 0; i < 10; ++i)
            dlg.OnProgress(50);
        EXPECT_EQ(counter.Bar(), 10);
        EXPECT_EQ(counter.Texts(), 0);
        EXPECT_EQ(counter.All(), 10) << "one cross-thread message per report";
        dlg.SetClockSeconds(3);
        dlg.OnProgress(50);
        EXPECT_EQ(counter.Bar(), 11);
        EXPECT_EQ(counter.Texts(), 1) << "the time changed";
        EXPECT_EQ(Text(h, IDC_TIME), "3 sec");
        dlg.SetClockSeconds(4);
        dlg.OnProgress(51);
        EXPECT_EQ(counter.Bar(), 12);
        EXPECT_EQ(counter.Texts(), 3) << "both changed";
        EXPECT_EQ(Text(h, IDC_PERCENT), "51% completed");
    });
}

TEST(TorvaneProgress, LastValuesStayAfterACommandUntilTheNextReset)
{
    CSimSession sim("[driver]\nprogress_ms = 60\nprogress_step_ms = 5\n");
    CMsgBoxCatcher boxes;
    Shown after{}, reset{};
    {
        CTestTorvaneDlg dlg;
        RunDialog(dlg, [&](HWND h) {
            Click(h, IDC_ERASE);
            EXPECT_TRUE(WaitForIdle(h, 10000));
            after = Read(h);
            dlg.ResetProgress();
            reset = Read(h);
        });
    }
    EXPECT_EQ(after.pos, 100);
    EXPECT_EQ(after.percent, "100% completed");
    EXPECT_EQ(reset.pos, 0);
    EXPECT_EQ(reset.percent, "");
}
