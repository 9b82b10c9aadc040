// BoardListTests.cpp - start-up, the board list, the selection and the teardown order.
#include "OstrelHarness.h"

#include <gtest/gtest.h>

#include "ThrowStyles.h"

using namespace ostreltest;
using namespace vtltest;
using Rows = std::vector<std::vector<std::string>>;

TEST(OstrelStartup, TwoBoardsInIndexOrderFirstSelected)
{
    CSimSession sim(BoardsConfig({"type = VTL4410\nio = 0x300\neeprom_version = 1.05",
                                  "type = VTL4410-B\nio = 768\neeprom_version = 2.10"}));
    CMsgBoxCatcher boxes;
    CTestOstrelDlg dlg;
    dlg.RunScript([&](CTestOstrelDlg &d) {
        EXPECT_EQ(d.Rows(),
                  (Rows{{"VTL4410", "0x300", "Ver 1.05"}, {"VTL4410-B", "0x300", "Ver 2.10"}}));
        EXPECT_EQ(d.SelectedRow(), 0);
        EXPECT_EQ(d.SelectedIndex(), 0);
        EXPECT_EQ(ListView_GetItemState(d.m_lstBoards, 0, LVIS_FOCUSED),
                  static_cast<UINT>(LVIS_FOCUSED));
        EXPECT_TRUE(d.ButtonsEnabled(true));
        EXPECT_EQ(ListView_GetExtendedListViewStyle(d.m_lstBoards) & 0x60u, 0x60u);
        // 14 : 11 : 10 of the client width.
        CRect rc;
        d.m_lstBoards.GetClientRect(&rc);
        const unsigned w = static_cast<unsigned>(rc.Width());
        EXPECT_EQ(ListView_GetColumnWidth(d.m_lstBoards, 0), static_cast<int>(w * 14 / 35));
        EXPECT_EQ(ListView_GetColumnWidth(d.m_lstBoards, 1), static_cast<int>(w * 11 / 35));
        EXPECT_EQ(ListView_GetColumnWidth(d.m_lstBoards, 2), static_cast<int>(w * 10 / 35));
    });
    EXPECT_TRUE(dlg.m_bScriptRan);
    EXPECT_EQ(boxes.Count(), 0u);
    const std::vector<std::string> calls = sim.Calls();
    ASSERT_GE(calls.size(), 1u);
    EXPECT_EQ(calls[0].rfind("VtlUsbOpen(0x", 0), 0u) << calls[0];
}

TEST(OstrelStartup, SkippedIndexIsAbsentAndTheRightRowHighlighted)
{
    CSimSession sim(BoardsConfig(
        {"usable = 0\ntype = ghost", "type = Second\nio = 0x310", "type = Third\nio = 0x320"}));
    CTestOstrelDlg dlg;
    dlg.RunScript([&](CTestOstrelDlg &d) {
        EXPECT_EQ(d.m_nBoards, 3u);
        ASSERT_EQ(d.Rows().size(), 2u);
        EXPECT_EQ(d.Rows()[0][0], "Second");
        EXPECT_EQ(d.SelectedIndex(), 1);
        // The highlighted row is the entry's position, not its board index.
        EXPECT_EQ(d.SelectedRow(), 0);
        d.ClickRow(1);
        EXPECT_EQ(d.SelectedIndex(), 2);
        EXPECT_EQ(d.SelectedRow(), 1);
    });
    // The board handed out for the empty record was given back at once.
    const std::vector<std::string> calls = sim.Calls();
    const int nOpen = sim.Find("VtlUsbOpenBoard(0) = board0");
    const int nRelease = sim.Find("board0.ReleaseBoard()");
    ASSERT_GE(nOpen, 0);
    EXPECT_GT(nRelease, nOpen);
    EXPECT_LT(nRelease, sim.Find("VtlUsbOpenBoard(1)"));
}

TEST(OstrelStartup, UnknownVersionForErasedAndForUnlockedBoards)
{
    CSimSession sim(BoardsConfig({"type = Erased\neeprom_erased = 1", "type = Held\nopenable = 0",
                                  "type = Failing\nfail.GetEepromVersion = 9"}));
    CTestOstrelDlg dlg;
    dlg.RunScript([&](CTestOstrelDlg &d) {
        const Rows rows = d.Rows();
        ASSERT_EQ(rows.size(), 3u);
        for (const auto &row : rows)
            EXPECT_EQ(row[2], "Unknown") << row[0];
    });
}

TEST(OstrelStartup, OpenFailureShowsLibraryTextAndCode)
{
    CSimSession sim(
        BoardsConfig({"type = A"}, "fail.VtlUsbOpen = 5 Access to the USB driver denied\n"));
    CMsgBoxCatcher boxes;
    CTestOstrelDlg dlg;
    HWND hDlg = NULL;
    dlg.RunScript([&](CTestOstrelDlg &d) {
        hDlg = d.m_hWnd;
        EXPECT_EQ(d.m_nBoards, 0u);
        EXPECT_TRUE(d.Rows().empty());
        EXPECT_TRUE(d.ButtonsEnabled(false));
    });
    ASSERT_EQ(boxes.Count(), 1u);
    const MsgBoxRecord r = boxes.Record(0);
    EXPECT_EQ(r.text, "There was an error while trying to open the library.\n"
                      "Access to the USB driver denied [Error 0x5]");
    EXPECT_EQ(r.caption, "Error");
    EXPECT_EQ(r.icon, static_cast<UINT>(MB_ICONERROR));
    EXPECT_EQ(r.owner, hDlg);
}

VTL_THROW_STYLE_SUITE(OstrelThrows);

TEST_P(OstrelThrows, OpenThatThrowsIsReportedNotFatal)
{
    CSimSession sim(BoardsConfig({"type = A"}, "throw.VtlUsbOpen = 42 Driver exploded\n" +
                                                   StyleLine(GetParam())));
    CMsgBoxCatcher boxes;
    CTestOstrelDlg dlg;
    dlg.RunScript([&](CTestOstrelDlg &d) { EXPECT_TRUE(d.Rows().empty()); });
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes.Record(0).text, ShownText(GetParam(), "Driver exploded", "VtlUsbOpen"));
    EXPECT_EQ(boxes.Record(0).caption, "Error");
    EXPECT_EQ(sim.Calls().front().rfind("VtlUsbOpen(0x", 0), 0u);
    EXPECT_EQ(sim.Count("VtlUsbOpen("), 1u);
    EXPECT_EQ(sim.Count("VtlUsbGetBoardCount"), 0u) << "nothing more after the throw";
}

TEST(OstrelStartup, NoBoardEmptyListButtonsDisabled)
{
    CSimSession sim("[driver]\nboards = 0\n");
    CMsgBoxCatcher boxes;
    CTestOstrelDlg dlg;
    dlg.RunScript([&](CTestOstrelDlg &d) {
        EXPECT_TRUE(d.Rows().empty());
        EXPECT_EQ(d.SelectedIndex(), -1);
        EXPECT_TRUE(d.ButtonsEnabled(false));
        // Commands with nothing selected do nothing and show nothing.
        d.OnErase();
        d.OnSave();
        d.OnUpdate();
        d.OnVerify();
    });
    EXPECT_EQ(boxes.Count(), 0u);
}

// A count no USB host reaches: at most 256 indexes are asked, at start-up and in a refresh.
TEST(OstrelStartup, BoardCountOfTheLibraryIsBoundedTo256Indexes)
{
    CSimSession sim(BoardsConfig({"type = A", "type = B"}, "board_count = 0xFFFFFFFF\n"));
    CTestOstrelDlg dlg(100);
    dlg.RunScript([&](CTestOstrelDlg &d) {
        EXPECT_EQ(d.m_nBoards, 0xFFFFFFFFu);
        EXPECT_EQ(d.Rows().size(), 2u);
        EXPECT_EQ(sim.Count("VtlUsbGetBoardInfo("), 256u);
        EXPECT_EQ(sim.Count("VtlUsbGetBoardInfo(255)"), 1u);
        EXPECT_TRUE(d.RefreshAndWait(sim, 10000));
        EXPECT_EQ(sim.Count("VtlUsbGetBoardInfo("), 512u);
        EXPECT_EQ(d.Rows().size(), 2u);
    });
}

TEST(OstrelBoardList, ClicksOnRowsBesideThemAndRightClicks)
{
    CSimSession sim(BoardsConfig({"type = A", "type = B", "type = C"}));
    CTestOstrelDlg dlg;
    dlg.RunScript([&](CTestOstrelDlg &d) {
        d.ClickRow(2);
        EXPECT_EQ(d.SelectedIndex(), 2);
        EXPECT_EQ(d.SelectedRow(), 2);
        // Beside the rows: the selection stays and stays highlighted.
        d.ClickRow(-1);
        EXPECT_EQ(d.SelectedIndex(), 2);
        EXPECT_EQ(d.SelectedRow(), 2);
        d.ClickRow(1, true);
        EXPECT_EQ(d.SelectedIndex(), 1);
        EXPECT_EQ(d.SelectedRow(), 1);
        d.ClickRow(-1, true);
        EXPECT_EQ(d.SelectedIndex(), 1);
        // A row number past the entries changes nothing.
        d.ClickRow(7);
        EXPECT_EQ(d.SelectedIndex(), 1);
    });
}

TEST(OstrelBoardList, UnterminatedBoardTypeIsCutAtItsField)
{
    CSimSession sim(BoardsConfig({"type = ABCDEFGH\ntype_unterminated = 1"}));
    CTestOstrelDlg dlg;
    dlg.RunScript([&](CTestOstrelDlg &d) {
        ASSERT_EQ(d.Rows().size(), 1u);
        EXPECT_EQ(d.Rows()[0][0].size(), 256u);
        EXPECT_EQ(d.Rows()[0][0].substr(0, 8), "ABCDEFGH");
    });
}

TEST(OstrelTeardown, BoardsReleasedThenLibraryClosed)
{
    CSimSession sim(BoardsConfig({"type = A", "type = B\nopenable = 0", "type = C"}));
    {
        CTestOstrelDlg dlg;
        dlg.RunScript([](CTestOstrelDlg &) {});
    }
    const std::vector<std::string> calls = sim.Calls();
    ASSERT_GE(calls.size(), 3u);
    const size_t n = calls.size();
    EXPECT_EQ(calls[n - 3].rfind("board0.ReleaseBoard()", 0), 0u) << calls[n - 3];
    EXPECT_EQ(calls[n - 2].rfind("board2.ReleaseBoard()", 0), 0u) << calls[n - 2];
    EXPECT_EQ(calls[n - 1].rfind("VtlUsbClose()", 0), 0u) << calls[n - 1];
    EXPECT_EQ(sim.Count("VtlUsbClose()"), 1u);
}

// List filling and a refresh meet throws from two board operations: both go on, without a box.
TEST_P(OstrelThrows, ListFillingAndRefreshGoOnPastThrowingBoardOperations)
{
    CSimSession sim(BoardsConfig(
        {"type = A\nthrow.GetEepromVersion = 3 No version\nthrow.ReleaseBoard = 4 Gone",
         "type = B"},
        StyleLine(GetParam())));
    CMsgBoxCatcher boxes;
    const Rows want = {{"A", "0x300", "Unknown"}, {"B", "0x310", "Ver 1.02"}};
    {
        CTestOstrelDlg dlg(100);
        dlg.RunScript([&](CTestOstrelDlg &d) {
            EXPECT_EQ(d.Rows(), want);
            ASSERT_TRUE(d.RefreshAndWait(sim, 15000));
            EXPECT_EQ(d.Rows(), want);
            EXPECT_EQ(sim.Count("board0.ReleaseBoard() = throw 4 \"Gone\""), 1u);
            EXPECT_EQ(sim.Count("board1.ReleaseBoard() = 0"), 1u);
            EXPECT_EQ(sim.Count("board0.GetEepromVersion() = throw 3 \"No version\""), 2u);
        });
        EXPECT_TRUE(dlg.m_bScriptRan);
    }
    EXPECT_EQ(boxes.Count(), 0u);
    EXPECT_EQ(sim.Count("board0.ReleaseBoard() = throw"), 2u) << "and again at the end";
}
