// StartupTests.cpp - start-up order, its four failures and family switching.
#include <gtest/gtest.h>

#include "FlashTestHelpers.h"
#include "TorvaneText.h"
#include "ThrowStyles.h"

using namespace flashtest;
using vtltest::CMsgBoxCatcher;

namespace
{
// Calls of one start-up, up to the first flash query, in order.
std::vector<std::string> StartupCalls(const CSimSession &sim)
{
    std::vector<std::string> out;
    for (const std::string &c : sim.Calls())
    {
        std::string name = c.substr(0, c.find('('));
        out.push_back(name);
    }
    return out;
}

size_t IndexOf(const std::vector<std::string> &v, const std::string &s)
{
    for (size_t i = 0; i < v.size(); ++i)
        if (v[i] == s)
            return i;
    return std::string::npos;
}
} // namespace

TEST(TorvaneStartup, OpensLibraryAndBoardInOrderAndShowsSpartanFlash)
{
    CSimSession sim;
    CMsgBoxCatcher boxes;
    std::string info;
    {
        CTestTorvaneDlg dlg;
        INT_PTR r = RunDialog(dlg, [&](HWND h) {
            info = Text(h, IDC_INFO);
            EXPECT_EQ(Checked(h, IDC_SPARTAN), BST_UNCHECKED);
            EXPECT_EQ(Checked(h, IDC_VIRTEX), BST_UNCHECKED);
            EXPECT_EQ(Text(h, IDC_FILE), "");
            EXPECT_EQ(Text(h, IDC_VER_MAJOR), "");
            PostMessageA(h, WM_COMMAND, IDCANCEL, 0);
        });
        EXPECT_EQ(r, IDCANCEL);
        EXPECT_EQ(sim.Count("VtlUsbClose"), 0u) << "closed before the teardown";
    }
    EXPECT_EQ(boxes.Count(), 0u);
    std::vector<std::string> calls = StartupCalls(sim);
    size_t open = IndexOf(calls, "VtlUsbOpen"), count = IndexOf(calls, "VtlUsbGetBoardCount"),
           board = IndexOf(calls, "VtlUsbOpenBoard"),
           cb = IndexOf(calls, "board0.SetProgressCallback"),
           query = IndexOf(calls, "board0.GetFlashInfo"), close = IndexOf(calls, "VtlUsbClose");
    ASSERT_NE(close, std::string::npos);
    EXPECT_LT(open, count);
    EXPECT_LT(count, board);
    EXPECT_LT(board, cb);
    EXPECT_LT(cb, query);
    EXPECT_LT(query, close);
    EXPECT_EQ(sim.Count("VtlUsbOpen(0x0) = 0"), 1u);
    EXPECT_EQ(sim.Count("VtlUsbOpenBoard(0) = board0"), 1u);
    EXPECT_EQ(sim.Count("board0.GetFlashInfo(0, 1024) = 0"), 1u) << "first query asks for Spartan";
    EXPECT_EQ(sim.Count("VtlUsbClose"), 1u);
    EXPECT_NE(info.find("3s1500fg456"), std::string::npos) << info;
}

struct StartupFailure
{
    const char *pszConfig;
    const char *pszText;
    const char *pszCaption; // null: the application's name
    UINT nIcon;
    int nCloses;
    int nCallbacks; // SetProgressCallback calls before the failure
};

class TorvaneStartupFailure : public ::testing::TestWithParam<StartupFailure>
{
};

TEST_P(TorvaneStartupFailure, ShowsItsBoxEndsAndClosesTheLibrary)
{
    const StartupFailure &f = GetParam();
    CSimSession sim(f.pszConfig);
    const std::vector<vtltest::MsgBoxRecord> boxes = FailedStartupBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, f.pszText);
    EXPECT_EQ(boxes[0].caption, f.pszCaption ? f.pszCaption : AfxGetAppName());
    EXPECT_EQ(boxes[0].icon, f.nIcon);
    EXPECT_NE(boxes[0].owner, (HWND)NULL);
    EXPECT_EQ(sim.Count("VtlUsbClose"), static_cast<size_t>(f.nCloses));
    EXPECT_EQ(sim.Count("board0.SetProgressCallback"), static_cast<size_t>(f.nCallbacks));
}

INSTANTIATE_TEST_SUITE_P(
    Failures, TorvaneStartupFailure,
    ::testing::Values(
        StartupFailure{"[driver]\nfail.VtlUsbOpen = 5 USB driver not loaded\n",
                       "Could not open VtlDrvUsb library.\n The error was USB driver not loaded\n",
                       "Error", 0, 1, 0},
        StartupFailure{"[driver]\nboards = 0\n", "No Veltrane carrier boards found.", "Error", 0, 2,
                       0},
        StartupFailure{"[board 0]\nopenable = 0\n", "No Interface to the carrier board.", "Error",
                       0, 2, 0},
        // Flash query code 3: an error box captioned with the application's name.
        StartupFailure{"[board 0]\nflash_status = 3\n",
                       "The flash cannot be accessed.\r\nPlease check your settings on the board.",
                       nullptr, MB_ICONERROR, 1, 1}));

// Any other code, or 3 from the stored family only (after its box): the dialog opens with an empty
// box, and the other family's button fills it.
TEST(TorvaneStartup, OtherFlashQueryCodeLeavesTheDialogOpenWithAnEmptyBox)
{
    for (int nStatus : {7, 3})
    {
        CSimSession sim("[board 0]\nspartan_status = " + std::to_string(nStatus) + "\n");
        CMsgBoxCatcher boxes;
        size_t nBoxesWhenShown = 99;
        std::string info = "unread", virtex;
        {
            CTestTorvaneDlg dlg;
            EXPECT_EQ(RunDialog(dlg,
                                [&](HWND h) {
                                    nBoxesWhenShown = boxes.Count();
                                    info = Text(h, IDC_INFO);
                                    Click(h, IDC_VIRTEX);
                                    virtex = Text(h, IDC_INFO);
                                }),
                      IDCANCEL);
        }
        ASSERT_EQ(nBoxesWhenShown, nStatus == 3 ? 1u : 0u) << nStatus;
        EXPECT_EQ(info, "");
        EXPECT_NE(virtex.find("2vp30ff896"), std::string::npos) << virtex;
        EXPECT_EQ(boxes.Count(), nBoxesWhenShown);
        if (nStatus == 3)
        {
            EXPECT_TRUE(boxes.Record(0).text.rfind("The flash cannot", 0) == 0 &&
                        boxes.Record(0).caption == AfxGetAppName() &&
                        boxes.Record(0).icon == static_cast<UINT>(MB_ICONERROR));
        }
    }
}

TEST(TorvaneStartup, UnterminatedFlashTextIsReadWithinTheBuffer)
{
    CSimSession sim("[board 0]\nflash_unterminated = 1\n");
    CMsgBoxCatcher boxes;
    std::string info;
    {
        CTestTorvaneDlg dlg;
        RunDialog(dlg, [&](HWND h) { info = Text(h, IDC_INFO); });
    }
    EXPECT_EQ(info.size(), 1024u);
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST(TorvaneStartup, FamilyButtonsRequeryTheFlashForTheirFamily)
{
    CSimSession sim;
    CMsgBoxCatcher boxes;
    std::string spartan, virtex, back;
    FpgaFamily familyVirtex = FAMILY_SPARTAN, familySpartan = FAMILY_VIRTEX;
    {
        CTestTorvaneDlg dlg;
        RunDialog(dlg, [&](HWND h) {
            Click(h, IDC_VIRTEX);
            virtex = Text(h, IDC_INFO);
            familyVirtex = dlg.Family();
            Click(h, IDC_SPARTAN);
            spartan = Text(h, IDC_INFO);
            familySpartan = dlg.Family();
        });
    }
    std::vector<std::string> queries = sim.CallsStartingWith("board0.GetFlashInfo(");
    ASSERT_EQ(queries.size(), 3u);
    EXPECT_EQ(queries[0].substr(0, 24), "board0.GetFlashInfo(0, 1");
    EXPECT_EQ(queries[1].substr(0, 24), "board0.GetFlashInfo(1, 1");
    EXPECT_EQ(queries[2].substr(0, 24), "board0.GetFlashInfo(0, 1");
    EXPECT_EQ(familyVirtex, FAMILY_VIRTEX);
    EXPECT_EQ(familySpartan, FAMILY_SPARTAN);
    EXPECT_NE(virtex.find("2vp30ff896"), std::string::npos) << virtex;
    EXPECT_NE(spartan.find("3s1500fg456"), std::string::npos) << spartan;
}

TEST(TorvaneStartup, FailingFamilyQueryOnlyEmptiesTheBox)
{
    CSimSession sim("[board 0]\nvirtex_status = 3\n");
    CMsgBoxCatcher boxes;
    std::string virtex = "unread";
    bool bOpen = false;
    {
        CTestTorvaneDlg dlg;
        RunDialog(dlg, [&](HWND h) {
            Click(h, IDC_VIRTEX);
            virtex = Text(h, IDC_INFO);
            bOpen = IsWindowVisible(h) != FALSE;
        });
    }
    EXPECT_EQ(virtex, "");
    EXPECT_TRUE(bOpen);
    EXPECT_EQ(boxes.Count(), 0u);
}

VTL_THROW_STYLE_SUITE(TorvaneThrows);

TEST_P(TorvaneThrows, RecordThrownByTheLibraryIsShownAndEndsStartUp)
{
    CSimSession sim("[driver]\nthrow.VtlUsbOpen = 42 Driver exploded\n" +
                    vtltest::StyleLine(GetParam()));
    const std::vector<vtltest::MsgBoxRecord> boxes = FailedStartupBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, ShownText(GetParam(), "Driver exploded", "VtlUsbOpen"));
    EXPECT_EQ(boxes[0].caption, "Error");
    EXPECT_EQ(boxes[0].icon, static_cast<UINT>(MB_ICONERROR));
    EXPECT_EQ(sim.Calls(),
              std::vector<std::string>(
                  {"VtlUsbOpen(0x0) = throw 42 \"Driver exploded\"", "VtlUsbClose() = 0"}));
}
