// TextShapes.h - the shapes of driver texts that reach past a caller's bound, for the tests of
// both tools and of the simulator.
#pragma once

#include <gtest/gtest.h>

#include <string>

namespace vtltest
{
// The simulator's error_length and error_unterminated.
struct TextShape
{
    unsigned nLength;
    bool bUnterminated;
};

// Longer than the bound with its NUL, exactly the bound with no NUL before unreadable memory,
// and longer with no NUL.
const TextShape kTextShapes[] = {{5000, false}, {1024, true}, {5000, true}};

// The text the shaped failures carry.
constexpr char kShapeDigits[] = "0123456789";

// text repeated, or cut, to n characters.
inline std::string Repeated(const std::string &text, size_t n)
{
    std::string out;
    while (out.size() < n)
        out += text;
    return out.substr(0, n);
}

// The configuration lines that give the texts of a section this shape.
inline std::string ShapeKeys(const TextShape &shape)
{
    return "error_length = " + std::to_string(shape.nLength) +
           "\nerror_unterminated = " + (shape.bUnterminated ? "1" : "0") + "\n";
}

// A test of each shape: INSTANTIATE_TEST_SUITE_P(Shapes, X, ValuesIn(kTextShapes)).
class DriverTextShapeTest : public testing::TestWithParam<TextShape>
{
};
} // namespace vtltest
