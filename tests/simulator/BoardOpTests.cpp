// BoardOpTests.cpp - flash and EEPROM operations, progress reports and configured faults.
#include "SimTestUtil.h"

#include "VtlDrvUsb.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

using namespace simtest;

namespace
{

struct Progress
{
    std::vector<int> percents;
    void *pSeen = nullptr;
};

int OnProgress(std::uint32_t, int pct, std::uint32_t, void *pContext)
{
    Progress *p = static_cast<Progress *>(pContext);
    p->percents.push_back(pct);
    p->pSeen = pContext;
    return 0;
}

// Opens a fresh configuration (fast progress unless given) and board 0.
class BoardOps : public ::testing::Test
{
protected:
    void Open(const std::string &extra = std::string())
    {
        m_sim.Write("sim.ini",
                    "[driver]\nprogress_ms = 40\nprogress_step_ms = 5\n[board 0]\n" + extra);
        ASSERT_EQ(0u, VtlUsbOpen(0));
        m_b = VtlUsbOpenBoard(0);
        ASSERT_NE(nullptr, m_b);
        m_b->SetProgressCallback(OnProgress, &m_progress);
    }
    void TearDown() override { VtlUsbClose(); }
    std::string Info(FpgaFamily f)
    {
        char buf[1024];
        std::uint32_t n = sizeof buf;
        EXPECT_EQ(0, m_b->GetFlashInfo(f, buf, &n));
        return std::string(buf, strnlen(buf, sizeof buf));
    }

    CSimSession m_sim;
    UsbBoard *m_b = nullptr;
    Progress m_progress;
};

} // namespace

TEST_F(BoardOps, FlashInfoIsTruncatedWithinTheCallersSize)
{
    Open("spartan_text = 0123456789ABCDEF\n");
    char buf[32];
    for (std::uint32_t cap : {1u, 2u, 10u, 16u, 17u, 20u})
    {
        std::memset(buf, '#', sizeof buf);
        std::uint32_t n = cap;
        ASSERT_EQ(0, m_b->GetFlashInfo(FAMILY_SPARTAN, buf, &n)) << cap;
        const std::size_t len = cap - 1 < 16 ? cap - 1 : 16;
        EXPECT_EQ(std::string("0123456789ABCDEF").substr(0, len), std::string(buf)) << cap;
        EXPECT_EQ('#', buf[cap]) << "nothing written past the size " << cap;
        EXPECT_EQ(cap, n) << "size left alone";
    }
    std::memset(buf, '#', sizeof buf);
    std::uint32_t zero = 0;
    EXPECT_NE(0, m_b->GetFlashInfo(FAMILY_SPARTAN, buf, &zero));
    EXPECT_EQ('#', buf[0]);
    std::uint32_t n = sizeof buf;
    EXPECT_NE(0, m_b->GetFlashInfo(FAMILY_SPARTAN, nullptr, &n));
    EXPECT_NE(0, m_b->GetFlashInfo(FAMILY_SPARTAN, buf, nullptr));
    EXPECT_NE(0, m_b->GetFlashInfo(static_cast<FpgaFamily>(2), buf, &n));
}

TEST_F(BoardOps, FlashNotAccessibleAndUnterminatedOnCommand)
{
    Open("virtex_status = 3\nflash_unterminated = 1\n");
    char buf[40];
    std::memset(buf, '#', sizeof buf);
    std::uint32_t n = 32;
    EXPECT_EQ(3, m_b->GetFlashInfo(FAMILY_VIRTEX, buf, &n));
    EXPECT_NE(std::string::npos, std::string(m_b->GetErrorText()).find("not accessible"));
    ASSERT_EQ(0, m_b->GetFlashInfo(FAMILY_SPARTAN, buf, &n));
    EXPECT_EQ(nullptr, std::memchr(buf, '\0', 32)) << "all 32 bytes filled, no terminator";
    EXPECT_EQ('#', buf[32]);
}

TEST_F(BoardOps, ProgramBitstreamReportsProgressAndDescribesTheDesign)
{
    Open("spartan = empty\n");
    const std::string bit =
        m_sim.Write("top.bit", MakeBit("top_level.ncd;UserID=0xFFFFFFFF", "3s1500fg456",
                                       "2026/12/07", "10:00:00", 100));
    EXPECT_EQ("Flash empty", Info(FAMILY_SPARTAN));
    ASSERT_EQ(0, m_b->ProgramFlash(bit.c_str(), FAMILY_SPARTAN, 2, 3));
    ASSERT_EQ(8u, m_progress.percents.size());
    for (std::size_t i = 1; i < m_progress.percents.size(); ++i)
        EXPECT_LT(m_progress.percents[i - 1], m_progress.percents[i]);
    EXPECT_EQ(100, m_progress.percents.back());
    EXPECT_EQ(&m_progress, m_progress.pSeen);
    EXPECT_EQ("Bitstream: top_level.ncd;UserID=0xFFFFFFFF\r\nPart: 3s1500fg456\r\n"
              "Date: 2026/12/07 10:00:00\r\nVersion: 2.3",
              Info(FAMILY_SPARTAN));
    EXPECT_NE(std::string::npos, Info(FAMILY_VIRTEX).find("2vp30ff896")) << "other family kept";
}

TEST_F(BoardOps, ProgramApplicationAndErase)
{
    Open();
    const std::string app = m_sim.Write("fw.app", std::string(1234, 'x'));
    ASSERT_EQ(0, m_b->ProgramFlash(app.c_str(), FAMILY_VIRTEX, 1, 4));
    EXPECT_NE(std::string::npos,
              Info(FAMILY_VIRTEX).find("Application: fw.app (1234 bytes), version 1.4"));
    ASSERT_EQ(0, m_b->EraseBitstream(FAMILY_VIRTEX));
    EXPECT_NE(std::string::npos, Info(FAMILY_VIRTEX).find("Bitstream: none"));
    m_progress.percents.clear();
    EXPECT_EQ(4, m_b->EraseBitstream(FAMILY_VIRTEX));
    EXPECT_STREQ("no bitstream stored for Virtex", m_b->GetErrorText());
    EXPECT_TRUE(m_progress.percents.empty()) << "a refused command reports no progress";
    ASSERT_EQ(0, m_b->EraseFlash());
    EXPECT_EQ(100, m_progress.percents.back());
    EXPECT_EQ("Flash empty", Info(FAMILY_SPARTAN));
    EXPECT_EQ("Flash empty", Info(FAMILY_VIRTEX));
}

TEST_F(BoardOps, BadFlashFilesAreRefusedWithTheirReason)
{
    Open();
    const std::string before = Info(FAMILY_SPARTAN);
    auto bytes = MakeBit("x.ncd", "p", "d", "t");
    bytes[4] = 0x11;
    const std::string foreign = m_sim.Write("foreign.bit", bytes);
    EXPECT_EQ(2, m_b->ProgramFlash(foreign.c_str(), FAMILY_SPARTAN, 1, 0));
    EXPECT_EQ(foreign + ": not a bitstream file (bad header magic)", m_b->GetErrorText());
    auto good = MakeBit("x.ncd", "p", "d", "t", 50);
    const std::string cut =
        m_sim.Write("cut.bit", std::vector<std::uint8_t>(good.begin(), good.begin() + 20));
    EXPECT_EQ(2, m_b->ProgramFlash(cut.c_str(), FAMILY_SPARTAN, 1, 0));
    EXPECT_NE(std::string::npos,
              std::string(m_b->GetErrorText()).find("truncated bitstream header"));
    const std::string missing = m_sim.File("missing.bit");
    EXPECT_EQ(2, m_b->ProgramFlash(missing.c_str(), FAMILY_SPARTAN, 1, 0));
    EXPECT_EQ(missing + ": file not found", m_b->GetErrorText());
    EXPECT_EQ(1, m_b->ProgramFlash("", FAMILY_SPARTAN, 1, 0));
    EXPECT_STREQ("No file name was given", m_b->GetErrorText());
    EXPECT_EQ(1, m_b->ProgramFlash(nullptr, FAMILY_SPARTAN, 1, 0));
    const std::string longPath = "C:\\" + std::string(300, 'a') + ".bit";
    EXPECT_EQ(1, m_b->ProgramFlash(longPath.c_str(), FAMILY_SPARTAN, 1, 0));
    EXPECT_NE(std::string::npos, std::string(m_b->GetErrorText()).find("too long"));
    const std::string txt = m_sim.Write("notes.txt", "hello");
    EXPECT_EQ(2, m_b->ProgramFlash(txt.c_str(), FAMILY_SPARTAN, 1, 0));
    EXPECT_NE(std::string::npos, std::string(m_b->GetErrorText()).find("unsupported file type"));
    EXPECT_TRUE(m_progress.percents.empty());
    EXPECT_EQ(before, Info(FAMILY_SPARTAN)) << "nothing changed";
}

TEST_F(BoardOps, ConfiguredFailuresDelaysAndThrows)
{
    Open("fail.ProgramFlash = 7 Flash write error at sector 3\ndelay.GetFlashInfo = 150\n"
         "throw.EraseEeprom = 13 EEPROM gone\nfail.IsValidEepromFile = 2\n");
    const std::string app = m_sim.Write("a.app", "abc");
    EXPECT_EQ(7, m_b->ProgramFlash(app.c_str(), FAMILY_SPARTAN, 1, 0));
    EXPECT_STREQ("Flash write error at sector 3", m_b->GetErrorText());
    const DWORD t0 = GetTickCount();
    Info(FAMILY_SPARTAN);
    EXPECT_GE(GetTickCount() - t0, 140u);
    bool bCaught = false;
    try
    {
        m_b->EraseEeprom();
    }
    catch (VTLExc &e)
    {
        bCaught = true;
        EXPECT_EQ(13, e.m_nCode);
        EXPECT_STREQ("EEPROM gone", e.m_szMessage);
        EXPECT_GT(e.m_nLine, 0);
        EXPECT_STREQ("SimBoard.cpp", e.m_szFile);
    }
    EXPECT_TRUE(bCaught);
    EXPECT_TRUE(HasLine(m_sim.Calls(), "board0.EraseEeprom() = throw 13 \"EEPROM gone\""));
    const std::string iic =
        m_sim.Write("ok.iic", std::string("\xC0\x54\x56\x10\x44\x05\x01\x00", 8));
    EXPECT_FALSE(m_b->IsValidEepromFile(iic.c_str()));
}

TEST_F(BoardOps, EepromSaveVerifyEraseRoundTrip)
{
    Open();
    const std::string saved = m_sim.File("saved.iic");
    ASSERT_EQ(0, m_b->SaveEeprom(saved.c_str()));
    const std::vector<std::uint8_t> c0 = {0xC0, 0x54, 0x56, 0x10, 0x44, 0x02, 0x01, 0x00};
    EXPECT_EQ(c0, ReadBytes(saved));
    EXPECT_TRUE(m_b->IsValidEepromFile(saved.c_str()));
    EXPECT_EQ(0, m_b->VerifyEeprom(saved.c_str()));

    const std::vector<std::uint8_t> c2 = MakeC2Image(1, 7, 3);
    const std::string img = m_sim.Write("new.iic", c2);
    int ma = 0, mi = 0;
    ASSERT_EQ(0, m_b->GetFileVersion(img.c_str(), &ma, &mi));
    EXPECT_EQ(107, ma * 100 + mi);
    EXPECT_EQ(6, m_b->VerifyEeprom(img.c_str()));
    EXPECT_NE(std::string::npos, std::string(m_b->GetErrorText()).find("differs"));
    ASSERT_EQ(0, m_b->ProgramEeprom(img.c_str()));
    EXPECT_EQ(0, m_b->VerifyEeprom(img.c_str()));
    ASSERT_EQ(0, m_b->GetEepromVersion(&ma, &mi));
    EXPECT_EQ(107, ma * 100 + mi);
    const std::string saved2 = m_sim.File("saved2.iic");
    ASSERT_EQ(0, m_b->SaveEeprom(saved2.c_str()));
    EXPECT_EQ(c2, ReadBytes(saved2));

    ASSERT_EQ(0, m_b->EraseEeprom());
    ma = 11;
    mi = 22;
    EXPECT_EQ(5, m_b->GetEepromVersion(&ma, &mi));
    EXPECT_EQ(11, ma);
    EXPECT_EQ(22, mi);
    EXPECT_EQ(6, m_b->VerifyEeprom(img.c_str()));
    const std::string blank = m_sim.File("blank.bin");
    ASSERT_EQ(0, m_b->SaveEeprom(blank.c_str()));
    EXPECT_EQ(std::vector<std::uint8_t>(16384, 0xFF), ReadBytes(blank));
    EXPECT_EQ(0, m_b->VerifyEeprom(blank.c_str()));
}

TEST_F(BoardOps, EepromBadFilesAndPaths)
{
    Open();
    const std::string nowhere = m_sim.File("no\\such\\dir\\x.iic");
    EXPECT_EQ(2, m_b->SaveEeprom(nowhere.c_str()));
    EXPECT_NE(std::string::npos, std::string(m_b->GetErrorText()).find(nowhere));
    const std::string junk = m_sim.Write("junk.iic", "not an image at all");
    EXPECT_FALSE(m_b->IsValidEepromFile(junk.c_str()));
    EXPECT_FALSE(m_b->IsValidEepromFile(m_sim.File("missing.iic").c_str()));
    EXPECT_FALSE(m_b->IsValidEepromFile(""));
    EXPECT_FALSE(m_b->IsValidEepromFile(nullptr));
    EXPECT_EQ(2, m_b->ProgramEeprom(junk.c_str()));
    int ma = 0, mi = 0;
    ASSERT_EQ(0, m_b->GetEepromVersion(&ma, &mi));
    EXPECT_EQ(102, ma * 100 + mi) << "a refused image changes nothing";
    ma = 0;
    mi = 0;
    EXPECT_NE(0, m_b->GetFileVersion(junk.c_str(), &ma, &mi));
    EXPECT_NE(0, m_b->GetFileVersion(m_sim.File("missing.iic").c_str(), &ma, &mi));
    EXPECT_EQ(0, ma);
    EXPECT_EQ(0, mi);
    const std::string big = m_sim.Write("big.iic", std::string(20000, '\xFF'));
    EXPECT_EQ(6, m_b->VerifyEeprom(big.c_str()));
    EXPECT_NE(0, m_b->GetEepromVersion(nullptr, &mi));
}

TEST_F(BoardOps, AFlashRunTakesAboutTheConfiguredTime)
{
    Open();
    VtlUsbClose();
    m_sim.Write("sim.ini", "[driver]\nprogress_ms = 300\nprogress_step_ms = 7\n");
    ASSERT_EQ(0u, VtlUsbOpen(0));
    m_b = VtlUsbOpenBoard(0);
    ASSERT_NE(nullptr, m_b);
    m_b->SetProgressCallback(OnProgress, &m_progress);
    const ULONGLONG t0 = GetTickCount64();
    ASSERT_EQ(0, m_b->EraseFlash());
    const ULONGLONG ms = GetTickCount64() - t0;
    EXPECT_GE(ms, 280u);
    EXPECT_LT(ms, 3000u);
    EXPECT_EQ(42u, m_progress.percents.size()) << "300 / 7 steps, each a new percentage";
    EXPECT_EQ(100, m_progress.percents.back());
}
