// RefreshTests.cpp - the refresh thread: its visible steps, repeated requests and closing.
#include "OstrelHarness.h"

#include <gtest/gtest.h>

using namespace ostreltest;
using namespace vtltest;

TEST(OstrelRefresh, GreysButtonsShowsHourglassEmptiesThenRebuilds)
{
    // Twins: neither type nor address tells them apart, only the row.
    CSimSession sim(BoardsConfig({"type = A\nio = 0x300", "type = A\nio = 0x300"}));
    CMsgBoxCatcher boxes;
    // Long enough for the emptied state to be seen on a loaded machine.
    CTestOstrelDlg dlg(3000);
    dlg.RunScript([&](CTestOstrelDlg &d) {
        d.ClickRow(1);
        SetEvent(d.m_hRefreshEvent);
        ASSERT_TRUE(WaitForCondition(
            [&] { return d.Rows().empty() && d.m_bHourglass && sim.Count("VtlUsbClose()") == 1; },
            10000));
        const ULONGLONG t0 = GetTickCount64();
        EXPECT_TRUE(d.ButtonsEnabled(false));
        // The cursor itself is checked by the hourglass test: any WM_SETCURSOR in between
        // restores a window's own cursor, as it should.
        EXPECT_EQ(d.SelectedIndex(), -1);
        EXPECT_EQ(sim.Count("board0.ReleaseBoard()"), 1u);
        EXPECT_EQ(sim.Count("board1.ReleaseBoard()"), 1u);

        ASSERT_TRUE(WaitForCondition([&] { return d.RefreshDone(); }, 15000));
        EXPECT_GE(GetTickCount64() - t0, 2000u);
        EXPECT_EQ(d.Rows().size(), 2u);
        EXPECT_EQ(sim.Count("VtlUsbOpen("), 2u);
        // The board selected before is selected again, and the commands act on it.
        EXPECT_EQ(d.SelectedIndex(), 1);
        EXPECT_EQ(d.SelectedRow(), 1);
        d.OnErase();
        EXPECT_EQ(boxes.Count(), 1u);
        EXPECT_EQ(sim.Count("board1.EraseEeprom"), 1u);
        d.ClickRow(0);
        EXPECT_EQ(d.SelectedIndex(), 0);
        // A row losing its highlight (Ctrl+Space) gets it back: the list shows the commands' board.
        d.m_lstBoards.SetItemState(0, 0, LVIS_SELECTED);
        EXPECT_TRUE(WaitForCondition([&] { return d.SelectedRow() == 0; }, 5000));
    });
    EXPECT_TRUE(dlg.m_bScriptRan);
}

TEST(OstrelRefresh, NoBoardButtonsStayDisabledAfterRefresh)
{
    CSimSession sim("[driver]\nboards = 0\n");
    CTestOstrelDlg dlg(100);
    dlg.RunScript([&](CTestOstrelDlg &d) {
        EXPECT_TRUE(d.ButtonsEnabled(false));
        SetEvent(d.m_hRefreshEvent);
        ASSERT_TRUE(WaitForCondition([&] { return sim.Count("VtlUsbOpen(") == 2; }, 5000));
        // The buttons would come right after the arrow.
        ASSERT_TRUE(WaitForCondition([&] { return !d.m_bHourglass; }, 5000));
        EXPECT_FALSE(WaitForCondition([&] { return !d.ButtonsEnabled(false); }, 1500));
    });
}

TEST(OstrelRefresh, SeveralSignalsDuringOneRefreshGiveExactlyOneMore)
{
    CSimSession sim(BoardsConfig({"type = A"}));
    // The three signals must land inside the first refresh's pause.
    CTestOstrelDlg dlg(2000);
    dlg.RunScript([&](CTestOstrelDlg &d) {
        SetEvent(d.m_hRefreshEvent);
        ASSERT_TRUE(WaitForCondition([&] { return sim.Count("VtlUsbClose()") == 1; }, 10000));
        for (int i = 0; i < 3; ++i)
            SetEvent(d.m_hRefreshEvent);
        EXPECT_EQ(sim.Count("VtlUsbOpen("), 1u) << "signals came after the pause";
        ASSERT_TRUE(WaitForCondition(
            [&] { return sim.Count("VtlUsbOpen(") == 3 && d.RefreshDone(); }, 20000));
        // A third refresh would have closed the library again within its pause.
        EXPECT_FALSE(WaitForCondition([&] { return sim.Count("VtlUsbClose()") > 2; }, 2000));
        EXPECT_EQ(sim.Count("VtlUsbOpen("), 3u);
    });
}

TEST(OstrelRefresh, ClosingDuringThePauseEndsAtOnceWithoutReopening)
{
    CSimSession sim(BoardsConfig({"type = A", "type = B"}));
    ULONGLONG tClose = 0;
    {
        CTestOstrelDlg dlg(30000);
        dlg.RunScript([&](CTestOstrelDlg &d) {
            SetEvent(d.m_hRefreshEvent);
            ASSERT_TRUE(WaitForCondition([&] { return sim.Count("VtlUsbClose()") == 1; }, 10000));
            tClose = GetTickCount64();
        });
    }
    // Far below the pause; the slack is for a loaded machine.
    EXPECT_LT(GetTickCount64() - tClose, 3000u);
    EXPECT_EQ(sim.Count("VtlUsbOpen("), 1u);
    EXPECT_TRUE(ClosedLast(sim.Calls()));
}

TEST(OstrelRefresh, GuiThreadKeepsServingTheRefillAndClosingMidRefillReleasesAll)
{
    // Each version read takes a while, so the refill holds the lock and talks to the list.
    CSimSession sim(BoardsConfig({"type = A\ndelay.GetEepromVersion = 500",
                                  "type = B\ndelay.GetEepromVersion = 500",
                                  "type = C\ndelay.GetEepromVersion = 500"}));
    ULONGLONG tClose = 0;
    {
        CTestOstrelDlg dlg(50);
        dlg.RunScript([&](CTestOstrelDlg &d) {
            SetEvent(d.m_hRefreshEvent);
            // The last record of the first refresh is read: the refill starts now.
            ASSERT_TRUE(
                WaitForCondition([&] { return sim.Count("VtlUsbGetBoardInfo(2)") == 2; }, 8000));
            // A command on the GUI thread now waits for the refill, which needs this
            // thread to answer its list messages; it must neither hang nor act.
            const ULONGLONG t0 = GetTickCount64();
            d.OnErase();
            EXPECT_LT(GetTickCount64() - t0, 5000u);
            EXPECT_EQ(sim.Count("board0.EraseEeprom"), 0u);

            SetEvent(d.m_hRefreshEvent);
            ASSERT_TRUE(
                WaitForCondition([&] { return sim.Count("VtlUsbGetBoardInfo(2)") == 3; }, 8000));
            // The second refill holds the lock now. A click is answered at once and
            // leaves the selection consistent with the list.
            const ULONGLONG tClick = GetTickCount64();
            d.ClickRow(0);
            EXPECT_LT(GetTickCount64() - tClick, 1000u);
            if (d.SelectedIndex() != -1)
            {
                EXPECT_EQ(d.Rows().size(), 3u);
                EXPECT_EQ(d.SelectedRow(), 0);
            }
            tClose = GetTickCount64();
        });
    }
    EXPECT_LT(GetTickCount64() - tClose, 5000u);
    for (const char *b : {"board0", "board1", "board2"})
        EXPECT_EQ(sim.Count(std::string(b) + ".ReleaseBoard()"), 3u) << b;
    EXPECT_TRUE(ClosedLast(sim.Calls()));
}

TEST(OstrelRefresh, OpenFailureDuringRefreshIsReported)
{
    CSimSession sim(BoardsConfig({"type = A"}));
    CMsgBoxCatcher boxes;
    CTestOstrelDlg dlg(100);
    dlg.RunScript([&](CTestOstrelDlg &d) {
        // The library reads its configuration at every open: the reopen now fails.
        ASSERT_TRUE(WriteFileText(sim.ConfigPath(),
                                  BoardsConfig({"type = A"}, "fail.VtlUsbOpen = 7 Device busy\n")));
        SetEvent(d.m_hRefreshEvent);
        ASSERT_TRUE(boxes.WaitForCount(1, 10000));
        EXPECT_EQ(boxes.Record(0).text,
                  "There was an error while trying to open the library.\nDevice busy [Error 0x7]");
        EXPECT_EQ(boxes.Record(0).caption, "Error");
        EXPECT_EQ(boxes.Record(0).owner, d.m_hWnd);
        ASSERT_TRUE(WaitForCondition([&] { return !d.m_bHourglass; }, 5000));
        EXPECT_TRUE(d.Rows().empty());
        EXPECT_EQ(d.m_nBoards, 0u);
    });
}

TEST(OstrelRefresh, ClosingWhileTheOpenFailureIsShownEndsAndClosesTheLibrary)
{
    CSimSession sim(BoardsConfig({"type = A"}));
    HWND hBox = NULL;
    ULONGLONG tClose = 0;
    {
        CTestOstrelDlg dlg(100);
        dlg.RunScript([&](CTestOstrelDlg &d) {
            ASSERT_TRUE(WriteFileText(
                sim.ConfigPath(), BoardsConfig({"type = A"}, "fail.VtlUsbOpen = 7 Device busy\n")));
            SetEvent(d.m_hRefreshEvent);
            // Nobody answers the box: the dialog closes underneath it.
            WindowQuery q;
            q.className = "#32770";
            q.pid = GetCurrentProcessId();
            q.pred = [](HWND h) { return IsMessageBox(h); };
            hBox = WaitForWindow(q, 15000);
            ASSERT_TRUE(hBox);
            tClose = GetTickCount64();
        });
    }
    ASSERT_TRUE(hBox);
    EXPECT_LT(GetTickCount64() - tClose, 5000u);
    EXPECT_FALSE(IsWindow(hBox));
    EXPECT_EQ(sim.Count("VtlUsbOpen("), 2u);
    EXPECT_TRUE(ClosedLast(sim.Calls()));
}

TEST(OstrelHourglass, AlternatesWaitAndArrow)
{
    CSimSession sim(BoardsConfig({"type = A"}));
    CTestOstrelDlg dlg;
    dlg.RunScript([&](CTestOstrelDlg &d) {
        const HCURSOR hWait = LoadCursor(NULL, IDC_WAIT);
        const HCURSOR hArrow = LoadCursor(NULL, IDC_ARROW);
        for (HCURSOR hExpected : {hWait, hArrow, hWait, hArrow})
        {
            d.SendMessage(WM_COMMAND, ID_HOURGLASS, 0);
            EXPECT_EQ(GetCursor(), hExpected);
            EXPECT_EQ(d.m_bHourglass != 0, hExpected == hWait);
        }
    });
}
