// DriverTextTests.cpp - over-long and unterminated library texts in the open-failure box.
#include "DriverText.h"
#include "OstrelHarness.h"
#include "TextShapes.h"

#include <gtest/gtest.h>

using namespace ostreltest;
using namespace vtltest;

namespace
{
class OstrelDriverText : public DriverTextShapeTest
{
};
} // namespace

TEST_P(OstrelDriverText, OpenFailureBoxShowsTheTextCutToTheBound)
{
    CSimSession sim(BoardsConfig({"type = A"}, std::string("fail.VtlUsbOpen = 5 ") + kShapeDigits +
                                                   "\n" + ShapeKeys(GetParam())));
    CMsgBoxCatcher boxes;
    CTestOstrelDlg dlg;
    dlg.RunScript([&](CTestOstrelDlg &d) {
        EXPECT_TRUE(d.Rows().empty());
        EXPECT_TRUE(d.ButtonsEnabled(false));
    });
    EXPECT_TRUE(dlg.m_bScriptRan);
    ASSERT_EQ(boxes.Count(), 1u);
    const std::string text = boxes.Record(0).text;
    EXPECT_EQ(text, "There was an error while trying to open the library.\n" +
                        Repeated(kShapeDigits, kMaxDriverText) + " [Error 0x5]")
        << text.size() << " characters";
    EXPECT_EQ(boxes.Record(0).caption, "Error");
    EXPECT_EQ(sim.Count("VtlUsbGetError(5) = \"0123456789"), 1u);
}

INSTANTIATE_TEST_SUITE_P(Shapes, OstrelDriverText, testing::ValuesIn(kTextShapes));
