// CoreTests.cpp - configuration parser, bitstream header and EEPROM image rules.
#include "SimConfig.h"
#include "SimEeprom.h"
#include "SimFlash.h"
#include "SimTestUtil.h"

#include <gtest/gtest.h>

using namespace vtlsim;

namespace
{

bool Parse(const std::string &text, DriverConfig &c, std::string &err)
{
    return ParseConfigText("C:\\t\\sim.ini", text, c, err);
}

} // namespace

TEST(Config, DefaultsGiveOneHealthyBoard)
{
    const DriverConfig c = DefaultConfig();
    ASSERT_EQ(1u, c.boards.size());
    EXPECT_EQ(1u, c.boards[0].nUsable);
    EXPECT_EQ("VTL4410", c.boards[0].type);
    EXPECT_EQ(0x300u, c.boards[0].nIoAddress);
    int ma = 0, mi = 0;
    ASSERT_TRUE(EepromImageVersion(c.boards[0].eeprom, ma, mi));
    EXPECT_EQ(1, ma);
    EXPECT_EQ(2, mi);
    EXPECT_NE(std::string::npos, DescribeFlash(c.boards[0].flash[0]).find("3s1500fg456"));
    EXPECT_NE(std::string::npos, DescribeFlash(c.boards[0].flash[1]).find("2vp30ff896"));
}

TEST(Config, FullFileIsApplied)
{
    DriverConfig c;
    std::string err;
    ASSERT_TRUE(Parse("# comment\n[driver]\nboards = 3\nprogress_ms = 50\nprogress_step_ms=5\n"
                      "fail.VtlUsbOpen = 5 Driver not loaded\n"
                      "[board 0]\ntype = VTL4410-A\nio = 0x320\neeprom_version = 1.05\n"
                      "fail.ProgramFlash = 7 Flash write error\ndelay.GetFlashInfo = 20\n"
                      "throw.EraseEeprom = -13 EEPROM gone\n"
                      "[board2]\nusable = 0\nopenable = 0\nunplugged = 1\nflash_status = 3\n"
                      "spartan_text = line1\\r\\nline2\nvirtex = empty\neeprom_erased = 1\n",
                      c, err))
        << err;
    EXPECT_EQ(50u, c.nProgressMs);
    EXPECT_EQ(5u, c.nProgressStepMs);
    EXPECT_TRUE(c.open.bFail);
    EXPECT_EQ(5, c.open.nFailStatus);
    EXPECT_EQ("Driver not loaded", c.open.failText);
    ASSERT_EQ(3u, c.boards.size());
    EXPECT_EQ("VTL4410-A", c.boards[0].type);
    EXPECT_EQ(0x320u, c.boards[0].nIoAddress);
    EXPECT_EQ(0x310u, c.boards[1].nIoAddress); // an unlisted board keeps the defaults
    EXPECT_EQ(0xC0, c.boards[0].eeprom[0]);
    EXPECT_EQ(0x05, c.boards[0].eeprom[5]);
    EXPECT_EQ(0x01, c.boards[0].eeprom[6]);
    const Fault &pf = c.boards[0].faults[OpProgramFlash];
    EXPECT_TRUE(pf.bFail);
    EXPECT_EQ(7, pf.nFailStatus);
    EXPECT_EQ("Flash write error", pf.failText);
    EXPECT_EQ(20u, c.boards[0].faults[OpGetFlashInfo].nDelayMs);
    EXPECT_TRUE(c.boards[0].faults[OpEraseEeprom].bThrow);
    EXPECT_EQ(-13, c.boards[0].faults[OpEraseEeprom].nThrowCode);
    EXPECT_EQ(0u, c.boards[2].nUsable);
    EXPECT_FALSE(c.boards[2].bOpenable);
    EXPECT_TRUE(c.boards[2].bUnplugged);
    EXPECT_EQ(3, c.boards[2].nFlashStatus[0]);
    EXPECT_EQ(3, c.boards[2].nFlashStatus[1]);
    EXPECT_EQ("line1\r\nline2", c.boards[2].text[0]);
    EXPECT_FALSE(c.boards[2].flash[1].bHasBit);
    EXPECT_EQ(0xFF, c.boards[2].eeprom[0]);
}

TEST(Config, BoardCountFollowsSectionsOrExplicitZero)
{
    DriverConfig c;
    std::string err;
    ASSERT_TRUE(Parse("[board 1]\ntype = B\n", c, err)) << err;
    EXPECT_EQ(2u, c.boards.size());
    ASSERT_TRUE(Parse("[driver]\nprogress_ms = 1\n", c, err)) << err;
    EXPECT_EQ(1u, c.boards.size());
    ASSERT_TRUE(Parse("[driver]\nboards = 0\n", c, err)) << err;
    EXPECT_EQ(0u, c.boards.size());
}

TEST(Config, MalformedFilesAreReportedWithLineAndNeverApplied)
{
    struct Case
    {
        const char *text;
        const char *expected;
    } cases[] = {
        {"[board 0]\ncolour = red\n", "sim.ini(2): unknown key \"colour\""},
        {"[board 0]\nio = 0x3zz\n", "(2): bad number \"0x3zz\" for io"},
        {"[board 0]\ntype = A\ntype = B\n", "(3): key \"type\" appears twice"},
        {"type = A\n", "(1): key outside a section"},
        {"[boards]\n", "(1): unknown section [boards]"},
        {"[board 0\n", "(1): section header without ']'"},
        {"[board 40]\n", "(1): unknown section"},
        {"[board 0]\n[board 0]\n", "(2): section [board 0] appears twice"},
        {"[board 0]\ntype = a\\qb\n", "(2): bad escape in type"},
        {"[board 0]\neeprom_version = 1.05\neeprom_erased = 1\n", "(3): only one of"},
        {"[board 0]\neeprom_version = 105\n", "(2): bad version"},
        {"[driver]\nboards = 1\n[board 1]\n", "section [board 1] but boards = 1"},
        {"[board 0]\nfail.Explode = 3\n", "(2): unknown operation \"Explode\""},
        {"[board 0]\nfail.EraseFlash = 0\n", "(2): a failure needs a non-zero status"},
        {"[board 0]\nfail.EraseFlash = x\n", "(2): bad status code \"x\""},
        {"[driver]\nfail.EraseFlash = 3\n", "(2): unknown operation"},
        {"[board 0]\nopenable = maybe\n", "(2): bad flag \"maybe\""},
        {"[driver]\nprogress_step_ms = 0\n", "(2): progress_step_ms must be at least 1"},
        {"[driver]\nthrow_style = msvc\n", "(2): bad throw_style \"msvc\""},
        {"[board 0]\nthrow.VtlUsbClose = 3\n", "(2): unknown operation \"VtlUsbClose\""},
        {"[board 0]\nnovalue\n", "(2): expected key = value"},
        {"[plug]\nsoon = plug 0\n", "(2): bad time \"soon\""},
        {"[plug]\n-5 = plug 0\n", "(2): bad time \"-5\""},
        {"[plug]\n10 = dance 0\n", "(2): unknown plug event \"dance 0\""},
        {"[driver]\nboards = 2\n[plug]\n10 = plug 2\n", "(4): no board 2 to plug (boards = 2)"},
        {"[plug]\nrepeat = 5\n10 = plug 0\n500 = unplug 0\n", "(2): repeat needs a period"},
        {"[plug]\nrepeat = 0\n", "(2): bad repeat \"0\""},
        {"[board 0]\nspartan = C:\\no\\such\\x.bit\n",
         "(2): spartan: C:\\no\\such\\x.bit: file not found"},
    };
    for (const Case &k : cases)
    {
        DriverConfig c;
        c.nProgressMs = 4242; // marker: a failed parse must leave it alone
        std::string err;
        EXPECT_FALSE(Parse(k.text, c, err)) << k.text;
        EXPECT_NE(std::string::npos, err.find(k.expected)) << k.text << " gave: " << err;
        EXPECT_EQ(4242u, c.nProgressMs) << k.text;
    }
}

TEST(Config, PlugScriptKeepsEventsOfOneTimeInFileOrder)
{
    DriverConfig c;
    std::string err;
    ASSERT_TRUE(Parse("[driver]\nboards = 2\n[plug]\nrepeat = 3\nperiod = 400\n300 = unplug 0\n"
                      "300 = plug 1\n0 = plug 0\n",
                      c, err))
        << err;
    ASSERT_EQ(3u, c.plug.events.size());
    EXPECT_EQ(0u, c.plug.events[0].nAtMs);
    EXPECT_TRUE(c.plug.events[0].bPlug);
    EXPECT_EQ(300u, c.plug.events[1].nAtMs);
    EXPECT_FALSE(c.plug.events[1].bPlug);
    EXPECT_EQ(1u, c.plug.events[2].nBoard);
    EXPECT_EQ(3u, c.plug.nRepeat);
    EXPECT_EQ(400u, c.plug.nPeriodMs);
}

TEST(Config, ValidLinesBeforeAnErrorAreNotApplied)
{
    DriverConfig c = DefaultConfig();
    std::string err;
    EXPECT_FALSE(
        Parse("[driver]\nboards = 5\nprogress_ms = 1\n[board 0]\ntype = NEW\nbogus = 1\n", c, err));
    EXPECT_EQ(1u, c.boards.size());
    EXPECT_EQ("VTL4410", c.boards[0].type);
    EXPECT_EQ(3000u, c.nProgressMs);
}

TEST(Config, MissingFileIsReportedAtLineZero)
{
    DriverConfig c;
    std::string err;
    EXPECT_FALSE(LoadConfig("C:\\no\\such\\dir\\sim.ini", c, err));
    EXPECT_EQ("C:\\no\\such\\dir\\sim.ini(0): file not found", err);
}

// ---------------------------------------------------------------------------

TEST(BitHeader, FieldsAreReadWhateverTheDesignNameLength)
{
    for (std::size_t len : {0u, 1u, 7u, 100u, 300u})
    {
        const std::string design(len, 'd');
        const auto bytes = simtest::MakeBit(design, "3s1500fg456", "2026/12/07", "10:00:00", 40);
        BitInfo info;
        std::string problem;
        ASSERT_TRUE(ParseBitHeader(bytes, bytes.size(), info, problem)) << len << " " << problem;
        EXPECT_EQ(design, info.design);
        EXPECT_EQ("3s1500fg456", info.part);
        EXPECT_EQ("2026/12/07", info.date);
        EXPECT_EQ("10:00:00", info.time);
    }
}

TEST(BitHeader, EveryTruncationIsRefused)
{
    const auto full = simtest::MakeBit("top.ncd", "2vp30ff896", "2026/01/02", "03:04:05", 8);
    for (std::size_t n = 0; n < full.size(); ++n)
    {
        const std::vector<std::uint8_t> cut(full.begin(), full.begin() + n);
        BitInfo info;
        info.design = "untouched";
        std::string problem;
        EXPECT_FALSE(ParseBitHeader(cut, cut.size(), info, problem)) << "cut at " << n;
        EXPECT_FALSE(problem.empty());
        EXPECT_EQ("untouched", info.design);
        if (n >= 13 && n < full.size() - 8)
        {
            EXPECT_NE(std::string::npos, problem.find("truncated bitstream header")) << n;
        }
        if (n >= full.size() - 8)
        {
            EXPECT_EQ("truncated bitstream data", problem) << n;
        }
    }
}

TEST(BitHeader, TruncationNamesTheField)
{
    const auto full = simtest::MakeBit("top.ncd", "p", "d", "t", 4);
    // 13 bytes of preamble, then 'a', length 00 08, "top.ncd\0", then 'b'.
    const std::vector<std::uint8_t> cut(full.begin(), full.begin() + 13 + 3 + 8 + 2);
    BitInfo info;
    std::string problem;
    EXPECT_FALSE(ParseBitHeader(cut, cut.size(), info, problem));
    EXPECT_EQ("truncated bitstream header (field 'b')", problem);
}

TEST(BitHeader, ForeignOrDamagedHeadersAreRefused)
{
    const auto good = simtest::MakeBit("a.ncd", "p", "d", "t");
    BitInfo info;
    std::string problem;
    auto bad = good;
    bad[5] = 0x00; // magic
    EXPECT_FALSE(ParseBitHeader(bad, bad.size(), info, problem));
    EXPECT_EQ("not a bitstream file (bad header magic)", problem);
    bad = good;
    bad[1] = 8; // magic length
    EXPECT_FALSE(ParseBitHeader(bad, bad.size(), info, problem));
    bad = good;
    bad[13] = 'b'; // key out of order
    EXPECT_FALSE(ParseBitHeader(bad, bad.size(), info, problem));
    EXPECT_NE(std::string::npos, problem.find("'a' was expected"));
    bad = good;
    bad[13 + 3 + 5] = 'x'; // design text loses its terminator
    EXPECT_FALSE(ParseBitHeader(bad, bad.size(), info, problem));
    EXPECT_NE(std::string::npos, problem.find("unterminated"));
    const std::vector<std::uint8_t> text = {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'};
    EXPECT_FALSE(ParseBitHeader(text, text.size(), info, problem));
}

// ---------------------------------------------------------------------------

namespace
{
std::vector<std::uint8_t> C2(std::initializer_list<std::vector<std::uint8_t>> parts)
{
    std::vector<std::uint8_t> v = {0xC2, 0x54, 0x56, 0x10, 0x44, 0x03, 0x02, 0x00};
    for (const auto &p : parts)
        v.insert(v.end(), p.begin(), p.end());
    return v;
}
std::vector<std::uint8_t> Record(std::size_t n)
{
    std::vector<std::uint8_t> r = {std::uint8_t(n >> 8), std::uint8_t(n), 0x10, 0x00};
    r.resize(4 + n, 0x5A);
    return r;
}
const std::vector<std::uint8_t> kReset = {0x80, 0x01, 0xE6, 0x00, 0x00};
} // namespace

TEST(EepromImage, C0IsExactlyEightBytes)
{
    auto img = MakeC0Image(1, 5);
    EXPECT_EQ(8u, EepromImageLength(img, true));
    int ma = 0, mi = 0;
    ASSERT_TRUE(EepromImageVersion(img, ma, mi));
    EXPECT_EQ(1, ma);
    EXPECT_EQ(5, mi);
    auto shorter = img;
    shorter.pop_back();
    EXPECT_EQ(0u, EepromImageLength(shorter, true));
    auto longer = img;
    longer.push_back(0);
    EXPECT_EQ(0u, EepromImageLength(longer, true));
    EXPECT_EQ(8u, EepromImageLength(longer, false));
}

TEST(EepromImage, C2RecordsAndResetRecord)
{
    EXPECT_EQ(8u + 4 + 3 + 5, EepromImageLength(C2({Record(3), kReset}), true));
    EXPECT_NE(0u, EepromImageLength(C2({Record(1023), Record(0), kReset}), true));
    EXPECT_NE(0u, EepromImageLength(C2({kReset}), true));
    EXPECT_EQ(0u, EepromImageLength(C2({Record(1024), kReset}), true)) << "over 1023";
    EXPECT_EQ(0u, EepromImageLength(C2({Record(3)}), true)) << "no reset record";
    auto cut = C2({Record(10), kReset});
    cut.resize(8 + 4 + 5);
    EXPECT_EQ(0u, EepromImageLength(cut, true)) << "truncated record data";
    EXPECT_EQ(0u, EepromImageLength(C2({{0x00, 0x03, 0x00}}), true)) << "truncated record header";
    EXPECT_EQ(0u, EepromImageLength(C2({Record(2), {0x80, 0x01, 0xE6, 0x00, 0x01}}), true));
    EXPECT_EQ(0u, EepromImageLength(C2({Record(2), {0x80, 0x01, 0xE6}}), true));
    EXPECT_EQ(0u, EepromImageLength(C2({Record(2), kReset, {0x00}}), true)) << "trailing byte";
    int ma = 0, mi = 0;
    ASSERT_TRUE(EepromImageVersion(C2({kReset}), ma, mi));
    EXPECT_EQ(2, ma);
    EXPECT_EQ(3, mi);
}

TEST(EepromImage, OtherContentHasNoImageAndNoVersion)
{
    const std::vector<std::uint8_t> erased(kEepromSize, 0xFF);
    EXPECT_EQ(0u, EepromImageLength(erased, false));
    int ma = 77, mi = 88;
    EXPECT_FALSE(EepromImageVersion(erased, ma, mi));
    EXPECT_EQ(77, ma);
    EXPECT_EQ(88, mi);
    EXPECT_EQ(0u, EepromImageLength({}, true));
    EXPECT_EQ(0u, EepromImageLength({0xC1, 0, 0, 0, 0, 0, 0, 0}, true));
}
