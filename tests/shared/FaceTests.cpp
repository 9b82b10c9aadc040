// FaceTests.cpp - leak checks and driver-text shapes, run by each tool's test program over its own
// dialog; ThisTool() is that program's row.
#include <gtest/gtest.h>

#include "DriverText.h"
#include "HandleCount.h"
#include "TextShapes.h"
#include "ToolFace.h"

using namespace facetest;
using namespace vtltest;

namespace
{
const int kCycles = 4;

class ToolLeaks : public testing::TestWithParam<const ToolFace *>
{
};

class ToolDriverText : public DriverTextShapeTest
{
};
} // namespace

TEST_P(ToolLeaks, StartUpAndCloseGiveBackEveryHandleAndWindow)
{
    const ToolFace &t = *GetParam();
    CSimSession sim(t.startConfig);
    CMsgBoxCatcher boxes;
    leaktest::ExpectStepGivesBack("cycle", kCycles, leaktest::kOnceOnly, true, t.startAndClose);
    EXPECT_EQ(boxes.Count(), 0u);
    EXPECT_EQ(sim.Count(t.closeCall), static_cast<size_t>(kCycles + 1));
}

TEST_P(ToolLeaks, RepeatedCommandsGiveBackEveryHandle)
{
    const ToolFace &t = *GetParam();
    CSimSession sim(t.commandConfig);
    CMsgBoxCatcher boxes;
    t.repeatCommand(sim, [&](const Step &step) {
        leaktest::ExpectStepGivesBack("command", kCycles, leaktest::kOnceOnly, false, step);
    });
    EXPECT_EQ(sim.Count(t.commandCall), static_cast<size_t>(kCycles + 1 + t.nCommandCallsBesides));
    EXPECT_EQ(boxes.Count(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Tool, ToolLeaks, testing::Values(&ThisTool()),
                         [](const testing::TestParamInfo<const ToolFace *> &i) {
                             return std::string(i.param->name);
                         });

TEST_P(ToolDriverText, OpenFailureBoxShowsTheTextCutToTheBound)
{
    const ToolFace &t = ThisTool();
    CSimSession sim(t.config(std::string("fail.VtlUsbOpen = 5 ") + kShapeDigits + "\n" +
                             ShapeKeys(GetParam())));
    const std::vector<MsgBoxRecord> boxes = t.failedStartBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    const std::string text = boxes[0].text;
    EXPECT_EQ(text,
              t.openFailurePrefix + Repeated(kShapeDigits, kMaxDriverText) + t.openFailureSuffix)
        << text.size() << " characters";
    if (t.openFailureCaption)
    {
        EXPECT_EQ(boxes[0].caption, t.openFailureCaption);
    }
    EXPECT_EQ(sim.Count("VtlUsbGetError(5) = \"0123456789"), 1u);
}

INSTANTIATE_TEST_SUITE_P(Shapes, ToolDriverText, testing::ValuesIn(kTextShapes));
