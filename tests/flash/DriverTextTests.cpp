// DriverTextTests.cpp - an over-long or unterminated error text of a failing command reaches its
// box cut to the bound. The open-failure box is in the suite both tools run.
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
