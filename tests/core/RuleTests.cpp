// The rules both faces share, one row per case.
#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "BackupRule.h"
#include "DriverText.h"
#include "EepromSafetyRule.h"
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
TEST(CoreRules, BackupNames)
{
    const struct
    {
        std::uint32_t dwIo;
        const char *pszType;
        unsigned nSerial;
        const char *pszName;
    } kRows[] = {
        {0x300, "VTL4410", 1, "0x300-VTL4410-20261208T225347Z.iic"},
        {0x310, "VTL4410", 3, "0x310-VTL4410-20261208T225347Z-3.iic"},
        {0xFFFFFFFF, "a<b>c:d\"e/f\\g|h?i*j", 1,
         "0xFFFFFFFF-a_b_c_d_e_f_g_h_i_j-20261208T225347Z.iic"},
        {0x300, "two\r\nlines\x7f\xe9", 1, "0x300-two__lines__-20261208T225347Z.iic"},
        {0x300, "dots. .", 1, "0x300-dots___-20261208T225347Z.iic"},
        {0x300, "", 1, "0x300-board-20261208T225347Z.iic"},
        {0x300, "A-B", 1, "0x300-A-B-20261208T225347Z.iic"},
        {0x300, "0123456789012345678901234567890123456789", 1,
         "0x300-01234567890123456789012345678901-20261208T225347Z.iic"},
    };
    for (const auto &r : kRows)
    {
        EepromBackupName name;
        name.dwIoAddress = r.dwIo;
        name.strType = r.pszType;
        name.nSerial = r.nSerial;
        ASSERT_TRUE(BackupStamp(2026, 12, 8, 22, 53, 47, name.strStamp));
        EXPECT_EQ(BackupFileName(name), r.pszName);
        EepromBackupName back;
        ASSERT_TRUE(ParseBackupFileName(r.pszName, back)) << r.pszName;
        EXPECT_EQ(back.dwIoAddress, r.dwIo) << r.pszName;
        EXPECT_EQ(back.strType, BackupSafeType(r.pszType)) << r.pszName;
        EXPECT_EQ(back.strStamp, "20261208T225347Z") << r.pszName;
        EXPECT_EQ(back.nSerial, r.nSerial) << r.pszName;
    }
    // Other files in the folder are never taken for backups.
    for (const char *pszOther :
         {"notes.txt", "0x300-VTL4410-20261208T225347Z.bin", "0x300-20261208T225347Z.iic",
          "300-VTL4410-20261208T225347Z.iic", "0x30g-VTL4410-20261208T225347Z.iic",
          "0x300-VTL4410-20261208225347Z.iic", "0x300-VTL4410-20261208T225347Z-1.iic",
          "0x300-VTL4410-20261208T225347Z-02.iic", "0x300-VTL4410-20261208T225347Z-x.iic",
          "0x123456789-VTL4410-20261208T225347Z.iic", "0x300-VTL4410-20261208T225347.iic"})
    {
        EepromBackupName name;
        EXPECT_FALSE(ParseBackupFileName(pszOther, name)) << pszOther;
    }
    std::string strStamp;
    EXPECT_FALSE(BackupStamp(2026, 13, 8, 22, 53, 47, strStamp));
}

// Per I/O address the 10 newest and the oldest stay; a later serial is newer.
TEST(CoreRules, BackupsToDelete)
{
    const struct
    {
        size_t nOf300, nOf310;         // backups of each address, one a day from the oldest
        size_t nDoomed300, nDoomed310; // deleted: the 2nd oldest onwards
    } kRows[] = {{0, 1, 0, 0}, {11, 1, 0, 0}, {12, 1, 1, 0}, {13, 13, 2, 2}, {30, 0, 19, 0}};
    for (const auto &r : kRows)
    {
        const size_t n = r.nOf300 + r.nOf310;
        std::vector<EepromBackupName> names;
        for (size_t i = 0; i < n; ++i)
        {
            EepromBackupName name;
            name.dwIoAddress = i < r.nOf300 ? 0x300 : 0x310;
            const int nDay = static_cast<int>(i < r.nOf300 ? i : i - r.nOf300) + 1;
            BackupStamp(2026, 1 + nDay / 28, 1 + nDay % 28, 0, 0, 0, name.strStamp);
            names.push_back(name);
        }
        std::reverse(names.begin(), names.end()); // the order of the folder does not count
        std::set<size_t> expected;
        for (size_t j = 0; j < r.nDoomed300; ++j)
            expected.insert(n - 2 - j);
        for (size_t j = 0; j < r.nDoomed310; ++j)
            expected.insert(r.nOf310 - 2 - j);
        const std::vector<size_t> doomed = BackupsToDelete(names);
        EXPECT_EQ(std::set<size_t>(doomed.begin(), doomed.end()), expected) << r.nOf300;
    }
    EepromBackupName a, b;
    a.strStamp = b.strStamp = "20261208T225347Z";
    b.nSerial = 2;
    EXPECT_TRUE(BackupIsNewer(b, a));
    EXPECT_FALSE(BackupIsNewer(a, b));
}

// Each row: the steps that ran (-1 not run, 0 success) and what the update came to.
TEST(CoreRules, EepromSafetyOutcome)
{
    using R = EepromUpdateResult;
    const struct
    {
        bool bValid;
        int nCompare;
        bool bForce, bRefused, bBackupWanted;
        int nBackup, nWrite, nVerify, nRestore, nRestoreVerify;
        R nResult;
    } kRows[] = {
        {false, -1, false, false, true, -1, -1, -1, -1, -1, R::kInvalidImage},
        {true, 0, false, false, true, -1, -1, -1, -1, -1, R::kIdentical},
        {true, 0, false, true, true, -1, -1, -1, -1, -1, R::kIdentical}, // equal: not refused
        {true, 0, true, false, true, 0, 0, 0, -1, -1, R::kUpdated},      // --force writes
        {true, 6, false, true, true, -1, -1, -1, -1, -1, R::kRefusedDowngrade},
        {true, 6, false, false, true, 1, -1, -1, -1, -1, R::kBackupFailed},
        {true, -1, false, false, true, -1, -1, -1, -1, -1, R::kInterrupted}, // break after check
        {true, 6, false, false, true, 0, -1, -1, -1, -1, R::kInterrupted},   // break after backup
        {true, 6, false, false, true, 0, 0, 0, -1, -1, R::kUpdated},
        {true, 6, false, false, false, -1, 0, 0, -1, -1, R::kUpdated}, // --no-backup
        {true, 6, false, false, true, 0, 0, 6, 0, 0, R::kFailedRestored},
        {true, 6, false, false, true, 0, 7, -1, 0, 0, R::kFailedRestored},
        {true, 6, false, false, true, 0, 0, 6, 0, 6, R::kFailedNotRestored},
        {true, 6, false, false, true, 0, 7, -1, 7, -1, R::kFailedNotRestored},
        {true, 6, false, false, true, 0, 0, -1, -1, -1, R::kFailedNotRestored}, // verify threw
        {true, 6, false, false, false, -1, 0, 6, -1, -1, R::kFailedNoBackup},
        {true, 6, false, false, false, -1, 7, -1, -1, -1, R::kFailedNoBackup},
    };
    for (size_t i = 0; i < std::size(kRows); ++i)
    {
        const auto &r = kRows[i];
        EepromSafetySteps s;
        s.bValidImage = r.bValid;
        s.nCompare = r.nCompare;
        s.bForce = r.bForce;
        s.bRefused = r.bRefused;
        s.bBackupWanted = r.bBackupWanted;
        s.nBackup = r.nBackup;
        s.nWrite = r.nWrite;
        s.nVerify = r.nVerify;
        s.nRestore = r.nRestore;
        s.nRestoreVerify = r.nRestoreVerify;
        EXPECT_EQ(static_cast<int>(EepromSafetyResult(s)), static_cast<int>(r.nResult))
            << "row " << i;
    }
}
} // namespace
