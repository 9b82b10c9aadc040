// StringTests.cpp - CString formatting of any length, resources and buffers.
#include "MfcTestUtil.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

TEST(String, FormatHandlesTextsOfAnyLength)
{
    std::string big(100000, 'a');
    big[99999] = 'z';
    CString str;
    str.Format("[%s] %d%% %s", big.c_str(), 42, "end");
    EXPECT_EQ(1 + 100000 + 9, str.GetLength()); // "[" text "] 42% end"
    EXPECT_EQ("[" + big + "] 42% end", str.str());
    str.Format("%s", "");
    EXPECT_TRUE(str.IsEmpty());
    str.Format("%d sec", 7);
    EXPECT_EQ("7 sec", str);
    str.Format("Ver %d.%02d", 1, 5);
    EXPECT_EQ("Ver 1.05", str);
    str.Format("0x%X", 0x300u);
    EXPECT_EQ("0x300", str);
}

TEST(String, ValueOperations)
{
    CString a("abc");
    CString b = a;
    b += "def";
    b += "g";
    EXPECT_EQ("abc", a);
    EXPECT_EQ("abcdefg", b);
    EXPECT_TRUE(a != b);
    EXPECT_TRUE(CString("x") + "y" == "xy");
    EXPECT_TRUE("y" + CString("x") == "yx");
    CString n(static_cast<LPCSTR>(NULL));
    EXPECT_TRUE(n.IsEmpty());
    EXPECT_STREQ("", n.GetString());
    b.Empty();
    EXPECT_EQ(0, b.GetLength());
}

TEST(String, BufferRoundTrip)
{
    CString str("old");
    LPSTR p = str.GetBuffer(10);
    lstrcpyA(p, "new text");
    str.ReleaseBuffer();
    EXPECT_EQ("new text", str);
    p = str.GetBuffer(0);
    str.ReleaseBuffer(3);
    EXPECT_EQ("new", str);
}

TEST(String, LoadStringFromTheProgramsResources)
{
    CString str;
    EXPECT_TRUE(str.LoadString(IDS_ABOUTBOX));
    EXPECT_EQ("&About MfcTests...", str);
    // Longer than the first buffer tried.
    EXPECT_TRUE(str.LoadString(IDS_LONG));
    EXPECT_EQ(630, str.GetLength());
    EXPECT_EQ(0, str.str().find("The quick brown fox"));
    EXPECT_FALSE(str.LoadString(4711));
    EXPECT_TRUE(str.IsEmpty());
}

} // namespace
