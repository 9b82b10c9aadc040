// DriverTextTests.cpp - over-long and unterminated library texts in the open-failure box.
#include "OstrelHarness.h"

#include <gtest/gtest.h>

using namespace ostreltest;
using namespace vtltest;

namespace
{
// Ostrel takes at most this much of a library text.
const size_t kBound = 1024;
const char kDigits[] = "0123456789";

std::string CutDigits()
{
    std::string out;
    while (out.size() < kBound)
        out += kDigits;
    return out.substr(0, kBound);
}

struct TextShape
{
    unsigned nLength;
    bool bUnterminated;
};

class OstrelDriverText : public ::testing::TestWithParam<TextShape>
{
};
} // namespace

TEST_P(OstrelDriverText, OpenFailureBoxShowsTheTextCutToTheBound)
{
    const TextShape &s = GetParam();
    CSimSession sim(BoardsConfig(
        {"type = A"}, std::string("fail.VtlUsbOpen = 5 ") + kDigits +
                          "\nerror_length = " + std::to_string(s.nLength) +
                          "\nerror_unterminated = " + (s.bUnterminated ? "1" : "0") + "\n"));
    CMsgBoxCatcher boxes;
    CTestOstrelDlg dlg;
    dlg.RunScript([&](CTestOstrelDlg &d) {
        EXPECT_TRUE(d.Rows().empty());
        EXPECT_TRUE(d.ButtonsEnabled(false));
    });
    EXPECT_TRUE(dlg.m_bScriptRan);
    ASSERT_EQ(boxes.Count(), 1u);
    const std::string text = boxes.Record(0).text;
    EXPECT_EQ(text, "There was an error while trying to open the library.\n" + CutDigits() +
                        " [Error 0x5]")
        << text.size() << " characters";
    EXPECT_EQ(boxes.Record(0).caption, "Error");
    EXPECT_EQ(sim.Count("VtlUsbGetError(5) = \"0123456789"), 1u);
}

// Longer than the bound with its NUL, exactly the bound with no NUL before unreadable
// memory, and longer with no NUL.
INSTANTIATE_TEST_SUITE_P(Shapes, OstrelDriverText,
                         ::testing::Values(TextShape{5000, false}, TextShape{1024, true},
                                           TextShape{5000, true}));
