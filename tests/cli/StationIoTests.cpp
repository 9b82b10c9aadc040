// StationIoTests.cpp - the station's log rows and file, and its locked, hashed images.
#include "CliHarness.h"
#include "ExitCodes.h"
#include "StationImage.h"
#include "StationLog.h"

using namespace clitest;
using vtltest::CTempDir;

TEST(StationLog, QuotesOnlyTheFieldsThatNeedIt)
{
    EXPECT_EQ(
        "utc_time,computer,index,io_address,board_type,eeprom_before,eeprom_after,eeprom_file,"
        "eeprom_sha256,flash_file,flash_sha256,family,version,backup_ms,write_ms,verify_ms,"
        "restore_ms,flash_ms,result,error\r\n",
        StationCsvHeader());
    const struct
    {
        std::string strError, strCell;
    } rows[] = {{"plain text", "plain text"},
                {"a, b", "\"a, b\""},
                {"say \"no\"", "\"say \"\"no\"\"\""},
                {"one\r\ntwo", "\"one\r\ntwo\""},
                {"x\x01y", "\"x\x01y\""}};
    for (const auto &row : rows)
    {
        StationRow station;
        station.nIndex = 2;
        station.dwIoAddress = 0x300;
        station.strType = "VTL4410";
        station.nMs[kStationWrite] = 15;
        station.strResult = "FAIL";
        station.strError = row.strError;
        EXPECT_EQ(",,2,0x300,VTL4410,,,,,,,,,,15,,,,FAIL," + row.strCell + "\r\n",
                  StationCsvLine(station));
    }
}

TEST(StationLog, JsonLineReadsBack)
{
    StationRow row;
    row.dwIoAddress = 0x310;
    row.nMs[kStationFlash] = 1200;
    row.strResult = "INTERRUPTED";
    row.strError = "gone,\r\n\x01\"";
    const std::string strLine = StationJsonLine(row);
    JsonValue value;
    ASSERT_TRUE(ParseJson(strLine, value)) << strLine;
    EXPECT_EQ(std::string::npos, strLine.find_first_of("\r\n"));
    EXPECT_EQ(20u, value.members.size());
    EXPECT_EQ(L"0x310", value.members["io_address"].strValue);
    EXPECT_EQ(1200, value.members["flash_ms"].nValue);
    EXPECT_EQ(JsonValue::kNull, value.members["backup_ms"].nKind);
    EXPECT_EQ(L"gone,\r\n\x01\"", value.members["error"].strValue);
}

TEST(StationLog, AppendsWithOneHeaderAndNeverTruncates)
{
    CTempDir dir;
    StationRow row;
    row.strResult = "PASS";
    const std::string strRow = StationCsvLine(row);
    for (const std::string &strBefore : {std::string(), std::string("kept\r\n")})
    {
        const std::string strPath = dir.File("log.csv");
        DeleteFileA(strPath.c_str());
        if (!strBefore.empty())
        {
            ASSERT_TRUE(vtltest::WriteFileText(strPath, strBefore));
        }
        for (int nRun = 0; nRun < 2; ++nRun)
        {
            CStationLog log;
            ASSERT_EQ(kExitDone, log.Open(Widen(strPath)));
            std::string strError, strText;
            EXPECT_TRUE(log.Append(row, strError)) << strError;
            // Someone may watch the log while the station writes it.
            EXPECT_TRUE(vtltest::ReadFileText(strPath, strText));
        }
        std::string strText;
        ASSERT_TRUE(vtltest::ReadFileText(strPath, strText));
        EXPECT_EQ((strBefore.empty() ? StationCsvHeader() : strBefore) + strRow + strRow, strText);
    }
    CStationLog log;
    EXPECT_EQ(kExitBadFile, log.Open(Widen(dir.Path())));
}

TEST(StationImage, HashesAndHoldsTheFile)
{
    CTempDir dir;
    std::string strBytes(1 << 20, '\0');
    for (size_t i = 0; i < strBytes.size(); ++i)
        strBytes[i] = static_cast<char>(i * 7);
    const std::wstring strPath = Widen(dir.File("image.bit"));
    ASSERT_TRUE(vtltest::WriteFileText(dir.File("image.bit"), strBytes));
    const auto OpenToWrite = [&] {
        return CreateFileW(strPath.c_str(), GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    };
    {
        CStationImage image;
        ASSERT_EQ(kExitDone, image.Open(strPath));
        EXPECT_EQ("1d7368ef6f59e0c704a978b815288f1e464037959645bbfd79348d330269480d",
                  image.Sha256());
        EXPECT_EQ(strBytes.size(), image.Size());
        EXPECT_EQ(INVALID_HANDLE_VALUE, OpenToWrite());
        EXPECT_FALSE(DeleteFileW(strPath.c_str()));
    }
    const HANDLE hWriter = OpenToWrite();
    ASSERT_NE(INVALID_HANDLE_VALUE, hWriter);
    CStationImage locked, missing;
    EXPECT_EQ(kExitBadFile, locked.Open(strPath)) << "open for writing elsewhere";
    CloseHandle(hWriter);
    EXPECT_EQ(kExitBadFile, missing.Open(Widen(dir.File("missing.bit"))));
}
