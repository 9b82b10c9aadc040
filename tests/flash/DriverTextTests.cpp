// DriverTextTests.cpp - over-long and unterminated driver texts reach the boxes cut to the bound.
#include <gtest/gtest.h>

#include "DriverText.h"
#include "FlashTestHelpers.h"
#include "TextShapes.h"

using namespace flashtest;
using namespace vtltest;

namespace
{
const DWORD kWait = 10000;

class TorvaneDriverText : public DriverTextShapeTest
{
};
} // namespace

TEST_P(TorvaneDriverText, OpenFailureBoxShowsTheTextCutToTheBound)
{
    CSimSession sim(std::string("[driver]\nfail.VtlUsbOpen = 5 ") + kShapeDigits + "\n" +
                    ShapeKeys(GetParam()));
    const std::vector<MsgBoxRecord> boxes = FailedStartupBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    const std::string text = boxes[0].text;
    EXPECT_EQ(text, "Could not open VtlDrvUsb library.\n The error was " +
                        Repeated(kShapeDigits, kMaxDriverText) + "\n")
        << text.size() << " characters";
    EXPECT_EQ(sim.Count("VtlUsbGetError(5) = \"0123456789"), 1u);
}

TEST_P(TorvaneDriverText, FailingCommandBoxShowsTheTextCutToTheBound)
{
    CSimSession sim("[driver]\nprogress_ms = 60\nprogress_step_ms = 5\n[board 0]\n"
                    "fail.EraseFlash = 7 " +
                    std::string(kShapeDigits) + "\n" + ShapeKeys(GetParam()));
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
    EXPECT_EQ(text, "Error when erasing the flash:\r\n" + Repeated(kShapeDigits, kMaxDriverText))
        << text.size() << " characters";
    EXPECT_EQ(sim.Count("board0.GetErrorText() = \"0123456789"), 1u);
}

INSTANTIATE_TEST_SUITE_P(Shapes, TorvaneDriverText, testing::ValuesIn(kTextShapes));
