// The rules both faces share, one row per case.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "DriverText.h"
#include "ElapsedText.h"
#include "FamilyRule.h"
#include "TorvaneText.h"
#include "VersionRule.h"

using namespace TorvaneText;

namespace
{
struct ConsentRow
{
    bool bEepromRead;
    int nEepromMajor, nEepromMinor, nFileMajor, nFileMinor;
    bool bNeedsConsent;
};
const ConsentRow kConsent[] = {
    {true, 1, 2, 2, 0, false},  // newer major
    {true, 1, 2, 1, 3, false},  // newer minor
    {true, 1, 2, 1, 2, true},   // equal
    {true, 1, 5, 1, 2, true},   // older minor
    {true, 2, 0, 1, 9, true},   // older major, larger minor
    {true, 1, 0, 0, 0, true},   // unreadable file version counts as 0.0
    {true, 1, 0, -1, 0, false}, // versions compare unsigned
    {false, 9, 9, 1, 0, false}, // unreadable EEPROM version: written
};

TEST(CoreRules, EepromUpdateConsent)
{
    for (const ConsentRow &r : kConsent)
    {
        EepromUpdateVersions v;
        v.bEepromRead = r.bEepromRead;
        v.nEepromMajor = r.nEepromMajor;
        v.nEepromMinor = r.nEepromMinor;
        v.nFileMajor = r.nFileMajor;
        v.nFileMinor = r.nFileMinor;
        EXPECT_EQ(v.NeedsConsent(), r.bNeedsConsent)
            << r.bEepromRead << " " << r.nEepromMajor << "." << r.nEepromMinor << " <- "
            << r.nFileMajor << "." << r.nFileMinor;
    }
}

TEST(CoreRules, StoredFamily)
{
    const struct
    {
        std::uint32_t dwValue;
        FpgaFamily family;
    } kRows[] = {
        {0, FAMILY_VIRTEX}, {1, FAMILY_SPARTAN}, {2, FAMILY_SPARTAN}, {0xFFFFFFFF, FAMILY_SPARTAN}};
    for (const auto &r : kRows)
        EXPECT_EQ(StoredFamily(r.dwValue), r.family) << r.dwValue;
}

TEST(CoreRules, ElapsedText)
{
    const struct
    {
        unsigned nSeconds;
        const char *pszText;
    } kRows[] = {{0, "0 sec"},
                 {59, "59 sec"},
                 {60, "1 min 0 sec"},
                 {61, "1 min 1 sec"},
                 {3599, "59 min 59 sec"},
                 {3600, "60 min 0 sec"},
                 {0x7FFFFFFF, "35791394 min 7 sec"}};
    for (const auto &r : kRows)
        EXPECT_EQ(ElapsedText(r.nSeconds), r.pszText) << r.nSeconds;
}

// Each command's error text takes the library's text once; its other texts are shown as they are.
TEST(CoreRules, FlashCommandTexts)
{
    const FlashCommand kRows[] = {kFlashErase, kFlashProgram, kFlashEraseBitstream};
    ASSERT_EQ(std::size(kRows), std::size(kFlashCommands));
    for (FlashCommand n : kRows)
    {
        const FlashCommandTexts &t = kFlashCommands[n];
        const std::string strError = t.pszError;
        EXPECT_EQ(strError.find('%'), strError.rfind('%')) << n;
        EXPECT_NE(strError.find("%s"), std::string::npos) << n;
        EXPECT_EQ(std::strchr(t.pszStart, '%'), nullptr) << n;
        EXPECT_EQ(std::strchr(t.pszEnd, '%'), nullptr) << n;
    }
}

// The library's fields may be full to the last byte: the copy stops at the field's end.
TEST(CoreRules, DriverFieldCopies)
{
    VTLExc e{};
    BoardInfo info{};
    const struct
    {
        size_t nFill;
        size_t nLength;
    } kRows[] = {{0, 0}, {5, 5}, {sizeof(e.m_szMessage), sizeof(e.m_szMessage)}};
    for (const auto &r : kRows)
    {
        std::memset(e.m_szMessage, 0, sizeof(e.m_szMessage));
        std::memset(e.m_szMessage, 'm', r.nFill);
        EXPECT_EQ(DriverMessage(e), std::string(r.nLength, 'm')) << r.nFill;
        const size_t nType =
            r.nFill < sizeof(info.szBoardType) ? r.nFill : sizeof(info.szBoardType);
        std::memset(info.szBoardType, 0, sizeof(info.szBoardType));
        std::memset(info.szBoardType, 't', nType);
        info.dwIoAddress = 0x74747474; // what follows the field reads as more text
        EXPECT_EQ(BoardTypeText(info), std::string(nType, 't')) << r.nFill;
    }
}
} // namespace
