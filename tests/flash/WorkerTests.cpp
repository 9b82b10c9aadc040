// WorkerTests.cpp - the flash commands on the worker thread against the simulator.
#include <gtest/gtest.h>

#include "DriverText.h"
#include "FlashTestHelpers.h"
#include "TextShapes.h"
#include "ThrowStyles.h"

using namespace flashtest;
using vtltest::CMsgBoxCatcher;

namespace
{
const char kFast[] = "[driver]\nprogress_ms = 60\nprogress_step_ms = 5\n";
const DWORD kWait = 10000;

std::string Config(const std::string &board0 = std::string())
{
    return std::string(kFast) + "[board 0]\n" + board0;
}

class TorvaneDriverText : public vtltest::DriverTextShapeTest
{
};
} // namespace

TEST(TorvaneWorker, ProgramWithEmptyVersionBoxesPassesAndShowsTheDefaults)
{
    CSimSession sim(Config());
    CMsgBoxCatcher boxes;
    std::string path = SamplePath("sample.bit"), major, minor, info;
    bool bIdle = false, bDisabledInputs = false;
    {
        CTestTorvaneDlg dlg;
        RunDialog(dlg, [&](HWND h) {
            SetText(h, IDC_FILE, path);
            Click(h, IDC_PROGRAM);
            bDisabledInputs = !Enabled(h, IDC_SPARTAN) && !Enabled(h, IDC_VIRTEX) &&
                              !Enabled(h, IDC_BROWSE) && !Enabled(h, IDC_FILE) &&
                              !Enabled(h, IDC_VER_MAJOR) && !Enabled(h, IDC_VER_MINOR);
            bIdle = WaitForIdle(h, kWait);
            major = Text(h, IDC_VER_MAJOR);
            minor = Text(h, IDC_VER_MINOR);
            info = Text(h, IDC_INFO);
            EXPECT_TRUE(Enabled(h, IDC_SPARTAN) && Enabled(h, IDC_FILE) && Enabled(h, IDC_BROWSE));
            EXPECT_EQ(Text(h, IDC_PERCENT), "100% completed");
        });
    }
    EXPECT_TRUE(bDisabledInputs);
    ASSERT_TRUE(bIdle);
    EXPECT_EQ(major, "1");
    EXPECT_EQ(minor, "0");
    EXPECT_EQ(boxes.Count(), 0u);
    std::string escaped;
    for (char c : path)
        escaped += c == '\\' ? std::string("\\\\") : std::string(1, c);
    EXPECT_EQ(sim.Count("board0.ProgramFlash(\"" + escaped + "\", 0, 1, 0) = 0"), 1u);
    // The description after Program replaces "Flash programmed".
    EXPECT_NE(info.find("sample.ncd"), std::string::npos) << info;
}

TEST(TorvaneWorker, VersionBoxWithoutLeadingNumberKeepsItsTextAndPassesTheDefault)
{
    CSimSession sim(Config());
    CMsgBoxCatcher boxes;
    std::string major, minor;
    {
        CTestTorvaneDlg dlg;
        RunDialog(dlg, [&](HWND h) {
            SetText(h, IDC_FILE, SamplePath("sample.app"));
            SetText(h, IDC_VER_MAJOR, "v7");
            SetText(h, IDC_VER_MINOR, "3b");
            Click(h, IDC_VIRTEX);
            Click(h, IDC_PROGRAM);
            EXPECT_TRUE(WaitForIdle(h, kWait));
            major = Text(h, IDC_VER_MAJOR);
            minor = Text(h, IDC_VER_MINOR);
        });
    }
    EXPECT_EQ(major, "v7");
    EXPECT_EQ(minor, "3b");
    std::vector<std::string> calls = sim.CallsStartingWith("board0.ProgramFlash(");
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_NE(calls[0].find("sample.app\", 1, 1, 3) = 0"), std::string::npos) << calls[0];
}

// How an erase command ends: its error box and then what the board reports, or its end text.
struct EraseEnd
{
    int nButton;
    const char *pszBoard0;
    const char *pszBox; // null: no box
    const char *pszInfo;
};

class TorvaneEraseEnd : public ::testing::TestWithParam<EraseEnd>
{
};

TEST_P(TorvaneEraseEnd, FailureShowsWhatTheBoardReportsNeverTheEndText)
{
    const EraseEnd &e = GetParam();
    CSimSession sim(Config(std::string("spartan_text = Stored design\n") + e.pszBoard0));
    CMsgBoxCatcher boxes;
    std::string info;
    bool bIdle = false;
    {
        CTestTorvaneDlg dlg;
        RunDialog(dlg, [&](HWND h) {
            Click(h, e.nButton);
            bIdle = WaitForIdle(h, kWait);
            info = Text(h, IDC_INFO);
        });
    }
    ASSERT_TRUE(bIdle);
    EXPECT_EQ(info, e.pszInfo);
    ASSERT_EQ(boxes.Count(), e.pszBox ? 1u : 0u);
    // A failure reads the flash description again; a success leaves its end text.
    EXPECT_EQ(sim.Count("board0.GetFlashInfo("), e.pszBox ? 2u : 1u);
    if (!e.pszBox)
        return;
    EXPECT_EQ(boxes.Record(0).text, e.pszBox);
    EXPECT_EQ(boxes.Record(0).caption, "Error");
    EXPECT_EQ(boxes.Record(0).icon, 0u);
    EXPECT_NE(boxes.Record(0).threadId, GetCurrentThreadId()) << "raised by the worker";
}

INSTANTIATE_TEST_SUITE_P(
    Commands, TorvaneEraseEnd,
    ::testing::Values(EraseEnd{IDC_ERASE, "fail.EraseFlash = 7 Erase blew up at sector 3\n",
                               "Error when erasing the flash:\r\nErase blew up at sector 3",
                               "Stored design"},
                      EraseEnd{IDC_ERASE_BITSTREAM, "fail.EraseBitstream = 4 Nothing stored\n",
                               "There is no bitstream in the flash to erase:\r\nNothing stored",
                               "Stored design"},
                      EraseEnd{IDC_ERASE, "", nullptr, "Flash erased!"},
                      EraseEnd{IDC_ERASE_BITSTREAM, "", nullptr, "Bitstream erased!"}));

TEST(TorvaneWorker, FailingEraseBitstreamAndProgramShowTheirTexts)
{
    CSimSession sim(Config("virtex = empty\n"));
    CMsgBoxCatcher boxes;
    std::string afterBitstream, afterProgram;
    {
        CTestTorvaneDlg dlg;
        RunDialog(dlg, [&](HWND h) {
            Click(h, IDC_VIRTEX);
            Click(h, IDC_ERASE_BITSTREAM);
            EXPECT_TRUE(WaitForIdle(h, kWait));
            afterBitstream = Text(h, IDC_INFO);
            SetText(h, IDC_FILE, "");
            Click(h, IDC_PROGRAM);
            EXPECT_TRUE(WaitForIdle(h, kWait));
            afterProgram = Text(h, IDC_INFO);
        });
    }
    ASSERT_EQ(boxes.Count(), 2u);
    EXPECT_EQ(boxes.Record(0).text.rfind("There is no bitstream in the flash to erase:\r\n", 0), 0u)
        << boxes.Record(0).text;
    EXPECT_NE(boxes.Record(0).text.find("Virtex"), std::string::npos);
    EXPECT_EQ(boxes.Record(1).text.rfind("Error when programming the flash:\r\n", 0), 0u);
    EXPECT_EQ(afterBitstream, "Flash empty") << "what the board reports after the failure";
    EXPECT_EQ(sim.Count("board0.ProgramFlash(\"\", 1, 1, 0)"), 1u) << "an empty path is passed on";
    EXPECT_EQ(afterProgram, "Flash empty") << "refreshed after Program";
}

// The command buttons come back before the refresh; the family buttons only after it, so that no
// query from the GUI thread overlaps the worker's.
TEST(TorvaneWorker, ProgramEnablesTheButtonsThenRefreshesThenEnablesTheInputs)
{
    CSimSession sim(Config("delay.GetFlashInfo = 2500\n"));
    CMsgBoxCatcher boxes;
    std::string during, after;
    bool bButtons = false, bInputsDuring = true, bIdle = false;
    {
        CTestTorvaneDlg dlg;
        RunDialog(
            dlg,
            [&](HWND h) {
                SetText(h, IDC_FILE, SamplePath("sample.bit"));
                Click(h, IDC_PROGRAM);
                bButtons = vtltest::WaitForCondition([&] { return Enabled(h, IDOK); }, kWait);
                during = Text(h, IDC_INFO);
                bInputsDuring = Enabled(h, IDC_SPARTAN) || Enabled(h, IDC_VIRTEX);
                bIdle = WaitForIdle(h, kWait);
                after = Text(h, IDC_INFO);
            },
            30000);
    }
    ASSERT_TRUE(bButtons);
    EXPECT_TRUE(bIdle);
    EXPECT_EQ(during, "Flash programmed");
    EXPECT_FALSE(bInputsDuring);
    EXPECT_NE(after.find("sample.ncd"), std::string::npos) << after;
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST(TorvaneWorker, FailingRefreshAfterProgramEmptiesTheBox)
{
    CSimSession sim(Config("spartan_status = 9\n"));
    CMsgBoxCatcher boxes;
    std::string info = "unread";
    {
        CTestTorvaneDlg dlg;
        RunDialog(dlg, [&](HWND h) {
            SetText(h, IDC_FILE, SamplePath("sample.bit"));
            Click(h, IDC_PROGRAM);
            EXPECT_TRUE(WaitForIdle(h, kWait));
            info = Text(h, IDC_INFO);
        });
    }
    EXPECT_EQ(sim.Count("board0.ProgramFlash("), 1u);
    EXPECT_EQ(info, "");
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST(TorvaneWorker, EraseAndProgramSignalledTogetherRunEraseFirst)
{
    CSimSession sim(Config());
    CMsgBoxCatcher boxes;
    {
        CTestTorvaneDlg dlg;
        RunDialog(dlg, [&](HWND h) {
            SetText(h, IDC_FILE, SamplePath("sample.bit"));
            // The worker takes the erase-bitstream event as soon as it is set and then waits for
            // the lock, so erase and program are both waiting when it next looks at the events.
            EnterCriticalSection(&dlg.Lock());
            SetEvent(dlg.EraseBitstreamEvent());
            SetEvent(dlg.ProgramEvent());
            SetEvent(dlg.EraseEvent());
            LeaveCriticalSection(&dlg.Lock());
            EXPECT_TRUE(sim.WaitForCall("board0.ProgramFlash(", kWait));
            EXPECT_TRUE(WaitForIdle(h, kWait));
        });
    }
    std::vector<std::string> ops;
    for (const std::string &c : sim.Calls())
        for (const char *op : {"board0.EraseBitstream", "board0.EraseFlash", "board0.ProgramFlash"})
            if (c.rfind(op, 0) == 0)
                ops.push_back(op);
    std::vector<std::string> want = {"board0.EraseBitstream", "board0.EraseFlash",
                                     "board0.ProgramFlash"};
    EXPECT_EQ(ops, want);
}

TEST(TorvaneWorker, ClosingDuringACommandEndsOnlyAfterItAndTheSignalledOne)
{
    // Long enough that the erase is still running when the window has gone, even on a busy machine.
    CSimSession sim("[driver]\nprogress_ms = 4000\nprogress_step_ms = 20\n");
    CMsgBoxCatcher boxes;
    HWND hDlg = NULL;
    bool bGoneAtOnce = false;
    int nClosesBeforeTeardown = -1;
    {
        CTestTorvaneDlg dlg;
        INT_PTR r = RunDialog(dlg, [&](HWND h) {
            hDlg = h;
            Click(h, IDC_ERASE);
            EXPECT_TRUE(vtltest::WaitForCondition([&] { return sim.Count("board0.Progress(") > 0; },
                                                  kWait));
            SetEvent(dlg.ProgramEvent());
            PostMessageA(h, WM_COMMAND, IDCANCEL, 0);
        });
        EXPECT_EQ(r, IDCANCEL);
        bGoneAtOnce = !IsWindow(hDlg) && sim.Count("board0.EraseFlash(") == 0;
        nClosesBeforeTeardown = sim.Count("VtlUsbClose");
    }
    EXPECT_TRUE(bGoneAtOnce) << "the window goes while the erase still runs";
    EXPECT_EQ(nClosesBeforeTeardown, 0);
    std::vector<std::string> calls = sim.Calls();
    size_t erase = std::string::npos, program = std::string::npos, close = std::string::npos;
    for (size_t i = 0; i < calls.size(); ++i)
    {
        if (calls[i].rfind("board0.EraseFlash() = 0", 0) == 0)
            erase = i;
        if (calls[i].rfind("board0.ProgramFlash(", 0) == 0)
            program = i;
        if (calls[i].rfind("VtlUsbClose", 0) == 0)
            close = i;
    }
    ASSERT_NE(erase, std::string::npos);
    ASSERT_NE(program, std::string::npos);
    ASSERT_NE(close, std::string::npos);
    EXPECT_LT(erase, program);
    EXPECT_LT(program, close);
    EXPECT_EQ(sim.Count("board0.GetFlashInfo("), 1u) << "nothing queried for a closed dialog";
    // With the window gone the program reads an empty path and fails; its box still comes.
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes.Record(0).text.rfind("Error when programming the flash:\r\n", 0), 0u)
        << boxes.Record(0).text;
}

VTL_THROW_STYLE_SUITE(TorvaneWorkerThrows);

TEST_P(TorvaneWorkerThrows, ThrownRecordIsShownAndLeavesTheButtonsDisabled)
{
    CSimSession sim(kFast + vtltest::StyleLine(GetParam()) +
                    "[board 0]\nthrow.EraseFlash = 13 Flash controller crashed\n");
    CMsgBoxCatcher boxes;
    std::string info;
    bool bDisabled = false;
    {
        CTestTorvaneDlg dlg;
        RunDialog(dlg, [&](HWND h) {
            Click(h, IDC_ERASE);
            EXPECT_TRUE(boxes.WaitForCount(1, kWait));
            // The box was answered; the worker is back waiting once the lock is free.
            EXPECT_TRUE(vtltest::WaitForCondition(
                [&] {
                    if (!TryEnterCriticalSection(&dlg.Lock()))
                        return false;
                    LeaveCriticalSection(&dlg.Lock());
                    return true;
                },
                kWait));
            info = Text(h, IDC_INFO);
            bDisabled = !Enabled(h, IDC_ERASE) && !Enabled(h, IDC_ERASE_BITSTREAM) &&
                        !Enabled(h, IDC_PROGRAM) && !Enabled(h, IDOK);
        });
    }
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes.Record(0).text,
              ShownText(GetParam(), "Flash controller crashed", "EraseFlash"));
    EXPECT_EQ(boxes.Record(0).caption, "Error");
    EXPECT_EQ(boxes.Record(0).icon, static_cast<UINT>(MB_ICONERROR));
    EXPECT_EQ(info, "Erasing flash ...\r\nCan take 2 minutes!");
    EXPECT_TRUE(bDisabled);
    EXPECT_EQ(sim.Count("VtlUsbClose"), 1u) << "a later quit still ends the thread";
    EXPECT_EQ(sim.Count("board0.EraseFlash() = throw 13 \"Flash controller crashed\""), 1u);
}

// An over-long or unterminated error text of a failing command reaches its box cut to the bound.
TEST_P(TorvaneDriverText, FailingCommandBoxShowsTheTextCutToTheBound)
{
    CSimSession sim(Config(std::string("fail.EraseFlash = 7 ") + vtltest::kShapeDigits + "\n" +
                           vtltest::ShapeKeys(GetParam())));
    CMsgBoxCatcher boxes;
    bool bIdle = false;
    {
        CTestTorvaneDlg dlg;
        RunDialog(dlg, [&](HWND h) {
            Click(h, IDC_ERASE);
            bIdle = WaitForIdle(h, kWait);
        });
    }
    ASSERT_TRUE(bIdle);
    ASSERT_EQ(boxes.Count(), 1u);
    const std::string text = boxes.Record(0).text;
    EXPECT_EQ(text, "Error when erasing the flash:\r\n" +
                        vtltest::Repeated(vtltest::kShapeDigits, kMaxDriverText))
        << text.size() << " characters";
    EXPECT_EQ(sim.Count("board0.GetErrorText() = \"0123456789"), 1u);
}

INSTANTIATE_TEST_SUITE_P(Shapes, TorvaneDriverText, testing::ValuesIn(vtltest::kTextShapes));
