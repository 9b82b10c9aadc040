// DriverTests.cpp - the library's exported functions, sessions, configuration and journal.
#include "SimTestUtil.h"

#include "VtlDrvUsb.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace simtest;

namespace
{
BoardInfo Info(std::uint32_t i)
{
    BoardInfo bi;
    std::memset(&bi, 0xCC, sizeof bi);
    VtlUsbGetBoardInfo(i, &bi);
    return bi;
}

std::string FlashInfo(UsbBoard *b, FpgaFamily f)
{
    char buf[1024];
    std::uint32_t n = sizeof buf;
    EXPECT_EQ(0, b->GetFlashInfo(f, buf, &n));
    return std::string(buf, strnlen(buf, sizeof buf));
}
} // namespace

TEST(Driver, DefaultBoardWorksWithoutConfiguration)
{
    CSimEnv env("", "");
    ASSERT_EQ(0u, VtlUsbOpen(0));
    ASSERT_EQ(1u, VtlUsbGetBoardCount());
    const BoardInfo bi = Info(0);
    EXPECT_EQ(1u, bi.dwUsable);
    EXPECT_STREQ("VTL4410", bi.szBoardType);
    EXPECT_EQ(0x300u, bi.dwIoAddress);
    UsbBoard *b = VtlUsbOpenBoard(0);
    ASSERT_NE(nullptr, b);
    EXPECT_EQ(b, VtlUsbOpenBoard(0)) << "same object twice in one process";
    EXPECT_EQ(0, VtlUsbGetBoardIndex(b));
    EXPECT_NE(std::string::npos, FlashInfo(b, FAMILY_SPARTAN).find("Part: 3s1500fg456"));
    EXPECT_NE(std::string::npos, FlashInfo(b, FAMILY_VIRTEX).find("Part: 2vp30ff896"));
    int ma = -1, mi = -1;
    ASSERT_EQ(0, b->GetEepromVersion(&ma, &mi));
    EXPECT_EQ(1, ma);
    EXPECT_EQ(2, mi);
    EXPECT_EQ(nullptr, VtlUsbOpenBoard(1));
    BoardInfo none;
    EXPECT_EQ(1, VtlUsbGetBoardInfo(1, &none));
    EXPECT_EQ(1, VtlUsbGetBoardInfo(0, nullptr));
    VtlUsbClose();
}

TEST(Driver, ErrorTextsForKnownAndUnknownCodes)
{
    CSimSession sim("[driver]\nfail.VtlUsbOpen = 7 Device busy\n");
    ASSERT_EQ(7u, VtlUsbOpen(0));
    const char *busy = VtlUsbGetError(7);
    EXPECT_STREQ("Unknown error", VtlUsbGetError(12345));
    EXPECT_STREQ("Device busy", busy) << "still intact after the next call";
    EXPECT_NE(nullptr, VtlUsbGetError(0xFFFFFFFFu));
    VtlUsbClose();
}

TEST(Driver, MalformedConfigurationFailsOpenAndIsNotHalfApplied)
{
    CSimSession sim("[driver]\nboards = 2\n");
    const std::string ini = sim.ConfigPath();
    ASSERT_EQ(0u, VtlUsbOpen(0));
    EXPECT_EQ(2u, VtlUsbGetBoardCount());
    VtlUsbClose();

    sim.Write("sim.ini", "[driver]\nboards = 3\n[board 0]\ntype = NEW\ncolour = red\n");
    EXPECT_EQ(1000u, VtlUsbOpen(0));
    EXPECT_EQ(0u, VtlUsbGetBoardCount());
    EXPECT_EQ(nullptr, VtlUsbOpenBoard(0));
    const std::string text = VtlUsbGetError(1000);
    EXPECT_EQ("Simulator configuration error: " + ini + "(5): unknown key \"colour\"", text);
    EXPECT_TRUE(HasLine(sim.Calls(), "VtlUsbOpen(0x0) = 1000 \"Simulator configuration error: "));
    VtlUsbClose();

    sim.Write("sim.ini", "[driver]\nboards = 3\n"); // every open re-reads the file
    ASSERT_EQ(0u, VtlUsbOpen(0));
    EXPECT_EQ(3u, VtlUsbGetBoardCount());
    VtlUsbClose();
}

TEST(Driver, MissingConfigurationFileIsReported)
{
    CSimSession sim;
    CSimEnv env(sim.File("absent.ini"), "");
    EXPECT_EQ(1000u, VtlUsbOpen(0));
    EXPECT_NE(std::string::npos,
              std::string(VtlUsbGetError(1000)).find("absent.ini(0): file not found"));
    VtlUsbClose();
}

TEST(Driver, OpenFailsOrThrowsOnCommand)
{
    CSimSession sim("[driver]\nfail.VtlUsbOpen = 5 USB driver not loaded\n");
    EXPECT_EQ(5u, VtlUsbOpen(0));
    EXPECT_STREQ("USB driver not loaded", VtlUsbGetError(5));
    EXPECT_EQ(0u, VtlUsbGetBoardCount());
    VtlUsbClose();
    VtlUsbClose(); // twice, after a failed open

    sim.Write("sim.ini", "[driver]\nthrow.VtlUsbOpen = 42 Driver exploded\n");
    bool bCaught = false;
    try
    {
        VtlUsbOpen(0);
    }
    catch (VTLExc &e)
    {
        bCaught = true;
        EXPECT_EQ(42, e.m_nCode);
        EXPECT_STREQ("Driver exploded", e.m_szMessage);
        EXPECT_GT(e.m_nLine, 0);
        EXPECT_GT(strnlen(e.m_szFile, sizeof e.m_szFile), 0u);
    }
    EXPECT_TRUE(bCaught);
    VtlUsbClose();

    // A Microsoft style without the runtime's throw is refused, never thrown the GCC way.
    sim.Write("sim.ini", "[driver]\nthrow_style = class\nthrow_runtime = kernel32.dll\n");
    EXPECT_EQ(1000u, VtlUsbOpen(0));
    VtlUsbClose();
}

TEST(Driver, SeveralBoardsSkippedRecordsAndUnopenableBoards)
{
    CSimSession sim("[board 0]\ntype = VTL4410-A\nio = 0x300\neeprom_version = 1.05\n"
                    "[board 1]\nusable = 0\ntype = ghost\n"
                    "[board 2]\nunplugged = 1\ntype = away\n"
                    "[board 3]\ntype = VTL4410-D\nio = 0x330\nopenable = 0\n"
                    "[board 4]\ntype = VTL4410-E\neeprom_erased = 1\n");
    ASSERT_EQ(0u, VtlUsbOpen(0));
    ASSERT_EQ(4u, VtlUsbGetBoardCount()) << "the unplugged board is not counted";
    EXPECT_STREQ("VTL4410-A", Info(0).szBoardType);
    EXPECT_EQ(0u, Info(1).dwUsable);
    EXPECT_STREQ("VTL4410-D", Info(2).szBoardType) << "indexes run over plugged boards";
    EXPECT_EQ(0x330u, Info(2).dwIoAddress);
    EXPECT_EQ(0x340u, Info(3).dwIoAddress) << "default address of board section 4";
    EXPECT_EQ(nullptr, VtlUsbOpenBoard(2));
    const BoardInfo missing = Info(9);
    EXPECT_EQ(0u, missing.dwUsable);
    EXPECT_EQ('\0', missing.szBoardType[0]);
    UsbBoard *a = VtlUsbOpenBoard(0);
    UsbBoard *e = VtlUsbOpenBoard(3);
    ASSERT_NE(nullptr, a);
    ASSERT_NE(nullptr, e);
    int ma = 0, mi = 0;
    EXPECT_EQ(0, a->GetEepromVersion(&ma, &mi));
    EXPECT_EQ(105, ma * 100 + mi);
    ma = 7;
    mi = 8;
    EXPECT_NE(0, e->GetEepromVersion(&ma, &mi));
    EXPECT_EQ(7, ma) << "outputs untouched on failure";
    VtlUsbClose();
}

TEST(Driver, UnterminatedTypeTextOnCommand)
{
    CSimSession sim("[board 0]\ntype = ABC\ntype_unterminated = 1\n");
    ASSERT_EQ(0u, VtlUsbOpen(0));
    const BoardInfo bi = Info(0);
    EXPECT_EQ(sizeof bi.szBoardType, strnlen(bi.szBoardType, sizeof bi.szBoardType));
    EXPECT_EQ('A', bi.szBoardType[255]) << "ABC repeated to the last byte";
    EXPECT_EQ(0x300u, bi.dwIoAddress) << "the field after it is intact";
    VtlUsbClose();
}

TEST(Driver, BoardUseAfterCloseFailsCleanlyAndReopenWorks)
{
    CSimSession sim("[driver]\nprogress_ms = 0\n");
    VtlUsbClose(); // before any open
    ASSERT_EQ(0u, VtlUsbOpen(0));
    UsbBoard *b = VtlUsbOpenBoard(0);
    ASSERT_NE(nullptr, b);
    VtlUsbClose();
    VtlUsbClose();
    EXPECT_EQ(8, b->EraseFlash());
    EXPECT_STRNE("", b->GetErrorText());
    ASSERT_EQ(0u, VtlUsbOpen(0));
    UsbBoard *again = VtlUsbOpenBoard(0);
    ASSERT_NE(nullptr, again);
    EXPECT_EQ(0, again->EraseFlash());
    again->ReleaseBoard();
    EXPECT_EQ(8, again->EraseFlash()) << "released";
    EXPECT_EQ(again, VtlUsbOpenBoard(0)) << "a released board can be taken again";
    EXPECT_EQ(0, again->EraseFlash());
    VtlUsbClose();
}

TEST(Driver, UncalledFunctionsAndSlotsExist)
{
    CSimSession sim("[driver]\n");
    ASSERT_EQ(0u, VtlUsbOpen(0));
    UsbBoard *b = VtlUsbOpenBoard(0);
    ASSERT_NE(nullptr, b);
    EXPECT_EQ(0, b->Reserved00());
    EXPECT_EQ(0, b->Reserved18());
    EXPECT_EQ(0, b->Reserved23());
    EXPECT_EQ(0, b->Reserved34());
    EXPECT_EQ(0, VtlUsbSetRefreshCallback(nullptr, nullptr));
    EXPECT_EQ(0, VtlUsbSetHWStatusCallback(nullptr, nullptr));
    EXPECT_NE(0u, VtlUsbGetDLLVer());
    EXPECT_EQ(0, VtlUsbCloseBoard(b));
    EXPECT_EQ(8, b->EraseEeprom());
    EXPECT_EQ(-1, VtlUsbGetBoardIndex(reinterpret_cast<UsbBoard *>(&sim)));
    VtlUsbClose();
}

TEST(Driver, JournalRecordsAWholeSession)
{
    CSimSession sim("[driver]\nprogress_ms = 10\nprogress_step_ms = 5\n"
                    "[board 0]\nspartan_text = one\\r\\ntwo \"q\"\n");
    const std::string journal = sim.JournalPath();
    ASSERT_EQ(0u, VtlUsbOpen(0x1234));
    ASSERT_EQ(1u, VtlUsbGetBoardCount());
    UsbBoard *b = VtlUsbOpenBoard(0);
    ASSERT_NE(nullptr, b);
    b->SetProgressCallback([](std::uint32_t, int, std::uint32_t, void *) { return 0; }, nullptr);
    char buf[1024];
    std::uint32_t n = sizeof buf;
    b->GetFlashInfo(FAMILY_SPARTAN, buf, &n);
    b->EraseBitstream(FAMILY_VIRTEX);
    b->EraseBitstream(FAMILY_VIRTEX);
    b->GetErrorText();
    b->ReleaseBoard();
    VtlUsbClose();
    const std::vector<std::string> expected = {
        "VtlUsbOpen(0x1234) = 0",
        "VtlUsbGetBoardCount() = 1",
        "VtlUsbOpenBoard(0) = board0",
        "board0.SetProgressCallback(0x",
        "board0.GetFlashInfo(0, 1024) = 0 \"one\\r\\ntwo \\\"q\\\"\"",
        "board0.Progress(0, 50, 0) = 0",
        "board0.Progress(0, 100, 0) = 0",
        "board0.EraseBitstream(1) = 0",
        "board0.EraseBitstream(1) = 4 \"no bitstream stored for Virtex\"",
        "board0.GetErrorText() = \"no bitstream stored for Virtex\"",
        "board0.ReleaseBoard() = 0",
        "VtlUsbClose() = 0"};
    const auto lines = JournalLines(journal);
    std::size_t at = 0;
    for (const std::string &l : lines)
        if (at < expected.size() && l.compare(0, expected[at].size(), expected[at]) == 0)
            ++at;
    EXPECT_EQ(expected.size(), at)
        << "missing in order: " << (at < expected.size() ? expected[at] : "");
    for (const std::string &l : lines)
        EXPECT_EQ(std::string::npos, l.find('\r')) << "texts are escaped";
}
