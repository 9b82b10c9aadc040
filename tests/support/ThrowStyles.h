// ThrowStyles.h - the simulator's throw styles, for running one exception case in each.
#pragma once

#include <gtest/gtest.h>

#include <string>

namespace vtltest
{
struct ThrowStyle
{
    const char *pszName; // value of the simulator's throw_style
    bool bRecord;        // throws the configured VTLExc, not an object of another type
};

const ThrowStyle kThrowStyles[] = {
    {"gcc", true}, {"class", true}, {"struct", true}, {"other", false}};

// The [driver] line that selects the style.
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
} // namespace vtltest
