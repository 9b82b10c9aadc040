// ThrowStyles.h - the simulator's throw styles, for running one exception case in each.
#pragma once

#include <gtest/gtest.h>

#include <string>

namespace vtltest
{
// A value of the simulator's throw_style; all but "other" throw the configured VTLExc.
struct ThrowStyle
{
    const char *pszName;
    bool bRecord;
};
const ThrowStyle kThrowStyles[] = {
    {"gcc", true}, {"class", true}, {"struct", true}, {"other", false}};

inline std::string StyleLine(const ThrowStyle &style)
{
    return std::string("throw_style = ") + style.pszName + "\n";
}

// What the tools show for a throw in pszCall whose record carries strText.
inline std::string ShownText(const ThrowStyle &style, const std::string &strText,
                             const char *pszCall)
{
    return style.bRecord ? strText
                         : std::string("The driver library failed in ") + pszCall +
                               " (unexpected exception).";
}

inline std::string StyleName(const testing::TestParamInfo<ThrowStyle> &info)
{
    return info.param.pszName;
}

// A suite of tests run once in each style.
class ThrowStyleTest : public testing::TestWithParam<ThrowStyle>
{
};
} // namespace vtltest

// Declares the suite and runs its tests in every throw style.
#define VTL_THROW_STYLE_SUITE(suite)                                                               \
    class suite : public vtltest::ThrowStyleTest                                                   \
    {                                                                                              \
    };                                                                                             \
    INSTANTIATE_TEST_SUITE_P(Styles, suite, testing::ValuesIn(vtltest::kThrowStyles),              \
                             vtltest::StyleName)
