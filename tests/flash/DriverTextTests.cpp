// DriverTextTests.cpp - over-long and unterminated driver texts reach the boxes cut to the bound.
#include <gtest/gtest.h>

#include "DriverText.h"
#include "FlashTestHelpers.h"

using namespace flashtest;
using vtltest::CMsgBoxCatcher;

namespace
{
const DWORD kWait = 10000;
const char kDigits[] = "0123456789";

// The text the simulator's error_length makes of kDigits, cut where the tool cuts it.
std::string CutDigits()
{
    std::string out;
    while (out.size() < kMaxDriverText)
        out += kDigits;
    return out.substr(0, kMaxDriverText);
}

struct TextShape
{
    unsigned nLength;
    bool bUnterminated;
};

std::string ShapeKeys(const TextShape &s)
{
    return "error_length = " + std::to_string(s.nLength) +
           "\nerror_unterminated = " + (s.bUnterminated ? "1" : "0") + "\n";
}

class TorvaneDriverText : public ::testing::TestWithParam<TextShape>
{
};
} // namespace

TEST_P(TorvaneDriverText, OpenFailureBoxShowsTheTextCutToTheBound)
{
    CSimSession sim(std::string("[driver]\nfail.VtlUsbOpen = 5 ") + kDigits + "\n" +
                    ShapeKeys(GetParam()));
    CMsgBoxCatcher boxes;
    {
        CTestTorvaneDlg dlg;
        EXPECT_EQ(RunDialog(
                      dlg, [](HWND) {}, 5000),
                  IDCANCEL);
    }
    ASSERT_EQ(boxes.Count(), 1u);
    const std::string text = boxes.Record(0).text;
    EXPECT_EQ(text, "Could not open VtlDrvUsb library.\n The error was " + CutDigits() + "\n")
        << text.size() << " characters";
    EXPECT_EQ(sim.Count("VtlUsbGetError(5) = \"0123456789"), 1);
}

TEST_P(TorvaneDriverText, FailingCommandBoxShowsTheTextCutToTheBound)
{
    CSimSession sim("[driver]\nprogress_ms = 60\nprogress_step_ms = 5\n[board 0]\n"
                    "fail.EraseFlash = 7 " +
                    std::string(kDigits) + "\n" + ShapeKeys(GetParam()));
    CMsgBoxCatcher boxes;
    bool bIdle = false;
    {
        CTestTorvaneDlg dlg;
        boxes.Rearm();
        RunDialog(dlg, [&](HWND h) {
            Click(h, IDC_ERASE);
            bIdle = WaitForIdle(h, kWait);
        });
    }
    ASSERT_TRUE(bIdle);
    ASSERT_EQ(boxes.Count(), 1u);
    const std::string text = boxes.Record(0).text;
    EXPECT_EQ(text, "Error when erasing the flash:\r\n" + CutDigits())
        << text.size() << " characters";
    EXPECT_EQ(sim.Count("board0.GetErrorText() = \"0123456789"), 1);
}

// Longer than the bound with its NUL, exactly the bound with no NUL before unreadable
// memory, and longer with no NUL.
INSTANTIATE_TEST_SUITE_P(Shapes, TorvaneDriverText,
                         ::testing::Values(TextShape{5000, false}, TextShape{1024, true},
                                           TextShape{5000, true}));
