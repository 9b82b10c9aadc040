// TextShapeTests.cpp - error texts stretched past the callers' bounds and left unterminated.
#include "SimTestUtil.h"
#include "TextShapes.h"

#include "VtlDrvUsb.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace simtest;
using vtltest::Repeated;

namespace
{
// True when the byte at p can be read without a fault.
bool Readable(const void *p)
{
    MEMORY_BASIC_INFORMATION mbi;
    if (VirtualQuery(p, &mbi, sizeof mbi) != sizeof mbi || mbi.State != MEM_COMMIT)
        return false;
    return (mbi.Protect & (PAGE_NOACCESS | PAGE_GUARD)) == 0;
}
} // namespace

TEST(TextShape, DriverTextsAreStretchedPastTheUsualCutAndEndInTheirNul)
{
    CSimSession sim("[driver]\nfail.VtlUsbOpen = 5 0123456789\n"
                    "error_length = 5000\n");
    ASSERT_EQ(5u, VtlUsbOpen(0));
    const char *psz = VtlUsbGetError(5);
    const char *pszUnknown = VtlUsbGetError(12345);
    ASSERT_TRUE(Readable(psz + 5000));
    EXPECT_EQ('\0', psz[5000]);
    EXPECT_FALSE(Readable(psz + 5001)) << "the NUL is the last readable byte";
    EXPECT_EQ(Repeated("0123456789", 5000), std::string(psz));
    EXPECT_EQ(Repeated("Unknown error", 5000), std::string(pszUnknown)) << "every code";
    EXPECT_EQ(Repeated("0123456789", 5000), std::string(psz)) << "intact after the next call";
    EXPECT_TRUE(
        HasLine(sim.Calls(), "VtlUsbGetError(5) = \"" + Repeated("0123456789", 5000) + "\""));
    VtlUsbClose();
}

TEST(TextShape, UnterminatedDriverTextEndsAtAnUnreadablePage)
{
    CSimSession sim("[driver]\nfail.VtlUsbOpen = 5 abc\nerror_length = 1024\n"
                    "error_unterminated = 1\n");
    ASSERT_EQ(5u, VtlUsbOpen(0));
    const char *psz = VtlUsbGetError(5);
    ASSERT_TRUE(Readable(psz) && Readable(psz + 1023));
    EXPECT_FALSE(Readable(psz + 1024));
    EXPECT_EQ(Repeated("abc", 1024), std::string(psz, 1024));
    VtlUsbClose();

    // Without a length the text keeps its own, still without a NUL.
    CSimEnv env2(sim.Write("sim2.ini", "[driver]\nfail.VtlUsbOpen = 6 Short text\n"
                                       "error_unterminated = 1\n"),
                 "");
    ASSERT_EQ(6u, VtlUsbOpen(0));
    psz = VtlUsbGetError(6);
    EXPECT_EQ("Short text", std::string(psz, 10));
    EXPECT_FALSE(Readable(psz + 10));
    VtlUsbClose();
}

TEST(TextShape, BoardErrorTextsAreShapedPerBoard)
{
    CSimSession sim("[board 0]\nfail.EraseFlash = 7 Erase failed. \n"
                    "error_length = 3000\nerror_unterminated = 1\n"
                    "[board 1]\nfail.EraseFlash = 7 Plain\n");
    ASSERT_EQ(0u, VtlUsbOpen(0));
    UsbBoard *b0 = VtlUsbOpenBoard(0);
    UsbBoard *b1 = VtlUsbOpenBoard(1);
    ASSERT_TRUE(b0 && b1);
    EXPECT_EQ(7, b0->EraseFlash());
    const char *psz = b0->GetErrorText();
    ASSERT_TRUE(Readable(psz + 2999));
    EXPECT_FALSE(Readable(psz + 3000));
    EXPECT_EQ(Repeated("Erase failed.", 3000), std::string(psz, 3000)) << "trimmed value repeated";
    EXPECT_EQ(7, b1->EraseFlash());
    EXPECT_STREQ("Plain", b1->GetErrorText());
    EXPECT_STREQ("Unknown error", VtlUsbGetError(99)) << "driver texts keep their shape";
    VtlUsbClose();
}

TEST(TextShape, BadShapeKeysFailTheWholeFileAndTheProblemIsToldInFull)
{
    CSimSession sim("[driver]\nerror_length = 20\n");
    const std::string ini = sim.ConfigPath();
    ASSERT_EQ(0u, VtlUsbOpen(0));
    EXPECT_EQ(20u, strlen(VtlUsbGetError(99)));
    VtlUsbClose();

    const char *const bad[] = {"[driver]\nerror_length = 1048577\n",
                               "[driver]\nerror_unterminated = 2\n",
                               "[board 0]\nerror_length = -1\n"};
    for (const char *pszText : bad)
    {
        sim.Write("sim.ini", pszText);
        EXPECT_EQ(1000u, VtlUsbOpen(0)) << pszText;
        const std::string text = VtlUsbGetError(1000);
        EXPECT_EQ(0u, text.rfind("Simulator configuration error: " + ini + "(2): ", 0)) << text;
        EXPECT_NE(std::string::npos, text.find("error_")) << text;
        VtlUsbClose();
    }
}
