// The rules both faces share, one row per case.
#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "DriverText.h"
#include "ElapsedText.h"
#include "FamilyRule.h"
#include "StationRule.h"
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

// A station's listings, one after the other: what each position is due for afterwards. Done
// marks the positions the station ran between the listings.
TEST(CoreRules, StationPositions)
{
    using P = CStationPositions;
    const struct
    {
        std::vector<std::uint32_t> keys; // one per listed board
        bool bRemovals;
        std::vector<std::uint32_t> done; // run after this listing
        std::vector<P::Due> due;         // at this listing, before the runs
        const char *pszCase;
    } kRows[] = {
        {{7}, false, {0}, {P::kNew}, "a board in an empty station is new"},
        {{7}, false, {}, {P::kNotDue}, "a board left plugged is done once"},
        {{7, 7}, false, {1}, {P::kNotDue, P::kNew}, "a second board is new, the first still done"},
        {{7, 7}, true, {0, 1}, {P::kRerun, P::kRerun}, "after a removal no position is known"},
        {{7}, false, {0}, {P::kRerun}, "fewer boards without a notice: a removal all the same"},
        {{}, false, {}, {}, "all gone"},
        {{7}, false, {0}, {P::kNew}, "the position was empty: a re-plugged board runs again"},
        {{7, 8, 9}, false, {1, 2}, {P::kNotDue, P::kNew, P::kNew}, "two arrivals at once"},
        {{7, 5, 8, 9},
         false,
         {1, 2, 3},
         {P::kNotDue, P::kRerun, P::kRerun, P::kNew},
         "one arrived before the others: another kind at a done position"},
    };
    P positions;
    for (const auto &r : kRows)
    {
        positions.Listed(r.keys, r.bRemovals);
        const std::uint32_t nCount = static_cast<std::uint32_t>(r.keys.size());
        for (std::uint32_t i = 0; i < r.due.size(); ++i)
            EXPECT_EQ(positions.At(i), r.due[i]) << r.pszCase << ", position " << i;
        EXPECT_EQ(positions.At(nCount), P::kNotDue) << r.pszCase;
        for (std::uint32_t n : r.done)
        {
            EXPECT_EQ(positions.Next(), static_cast<int>(n)) << r.pszCase;
            positions.Done(n);
        }
        EXPECT_EQ(positions.Next(), -1) << r.pszCase;
    }
}

// How a board's run ends, and the station's exit code.
TEST(CoreRules, StationVerdictAndExitCode)
{
    using R = StationResult;
    const struct
    {
        StationRun run;
        R nResult;
    } kRuns[] = {
        {{true, false, false, false}, R::kPass},
        {{true, false, true, false}, R::kPass},         // another board left meanwhile
        {{false, true, false, false}, R::kFail},        // verify failed, board still there
        {{false, true, true, false}, R::kInterrupted},  // the failure came from pulling it out
        {{false, false, false, true}, R::kInterrupted}, // the library threw
        {{true, false, false, true}, R::kInterrupted},
        {{false, false, false, false}, R::kInterrupted}, // a break before the recipe ended
    };
    for (size_t i = 0; i < std::size(kRuns); ++i)
        EXPECT_EQ(StationVerdict(kRuns[i].run), kRuns[i].nResult) << "row " << i;

    const struct
    {
        unsigned nFailed, nInterruptedByBoard;
        bool bBreak;
        int nCode;
    } kCodes[] = {{0, 0, false, 0},  {1, 0, false, 4}, {0, 1, false, 4},
                  {0, 0, true, 130}, {1, 0, true, 4},  {0, 2, true, 4}};
    for (const auto &c : kCodes)
        EXPECT_EQ(StationExitCode(c.nFailed, c.nInterruptedByBoard, c.bBreak), c.nCode)
            << c.nFailed << " " << c.nInterruptedByBoard << " " << c.bBreak;
}
} // namespace
