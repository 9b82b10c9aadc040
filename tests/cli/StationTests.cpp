// StationTests.cpp - vtl-station against a plug script: boards come and go, each gets its row.
#include "CliHarness.h"

#include <fstream>
#include <sstream>

using namespace clitest;

namespace
{
typedef std::vector<std::string> CsvRow;

// RFC 4180: quoted fields, doubled quotes, CRLF; false when the text is not that.
bool ParseCsv(const std::string &strText, std::vector<CsvRow> &rows)
{
    rows.assign(1, CsvRow(1));
    bool bQuoted = false;
    for (size_t i = 0; i < strText.size(); ++i)
    {
        const char c = strText[i];
        std::string &field = rows.back().back();
        if (bQuoted && c == '"' && i + 1 < strText.size() && strText[i + 1] == '"')
            field += '"', ++i;
        else if (c == '"' && (bQuoted || field.empty()))
            bQuoted = !bQuoted;
        else if (bQuoted || (c != ',' && c != '\r' && c != '\n'))
            field += c;
        else if (c == ',')
            rows.back().emplace_back();
        else if (c == '\r' && (i + 1 >= strText.size() || strText[i + 1] != '\n'))
            return false;
        else if (c == '\n')
            rows.emplace_back(1);
    }
    if (rows.back() == CsvRow(1))
        rows.pop_back();
    return !bQuoted;
}

std::vector<CsvRow> ReadLog(const std::string &strPath)
{
    std::ifstream file(strPath, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    std::vector<CsvRow> rows;
    return ParseCsv(text.str(), rows) ? rows : std::vector<CsvRow>();
}

size_t Column(const CsvRow &header, const char *pszName)
{
    for (size_t i = 0; i < header.size(); ++i)
    {
        if (header[i] == pszName)
            return i;
    }
    ADD_FAILURE() << pszName;
    return 0;
}
} // namespace

// Alpha passes; Beta's new image does not verify and its backup goes back; Gamma is pulled out
// in the middle of its flash and passes once plugged again, its EEPROM already written; Delta
// stays plugged and is done once; Epsilon is stopped by Ctrl+C between its backup and its write.
TEST(Station, RunsEachNewBoardOnceAndLogsEveryRun)
{
    CSimSession sim("[driver]\nboards = 5\nprogress_ms = 3000\nprogress_step_ms = 50\n"
                    "[board 0]\ntype = Alpha\nio = 0x300\nunplugged = 1\n"
                    "[board 1]\ntype = Beta\nio = 0x310\nunplugged = 1\nfail.VerifyEeprom = 6 "
                    "EEPROM differs at 0x0006\nfail_times.VerifyEeprom = 2\n"
                    "[board 2]\ntype = Gamma\nio = 0x320\nunplugged = 1\n"
                    "[board 3]\ntype = Delta\nio = 0x330\nunplugged = 1\n"
                    "[board 4]\ntype = Epsilon\nio = 0x340\nunplugged = 1\n"
                    "delay.SaveEeprom = 3000\n"
                    "[plug]\n500 = plug 0\n6000 = unplug 0\n6500 = plug 1\n8000 = unplug 1\n"
                    "8500 = plug 2\n10500 = unplug 2\n12000 = plug 2\n16000 = plug 3\n"
                    "21000 = plug 4\n");
    const std::string strLog = sim.File("line.csv");
    CChildProcess process;
    ASSERT_TRUE(process.Start(
        CliCommand("vtl-station", L"--eeprom \"" + Widen(SamplePath("sample.iic")) +
                                      L"\" --flash \"" + Widen(SamplePath("sample.bit")) +
                                      L"\" --family virtex --version 1.3" + L" --log \"" +
                                      Widen(strLog) + L"\" --backup-dir \"" +
                                      Widen(sim.File("backups")) + L"\" --json"),
        CliOptions()));
    // Epsilon's first compare is journaled (list index 2 is its alone), and its backup takes
    // three seconds: Ctrl+C comes in the middle of it. Delta, left plugged, was done once.
    ASSERT_TRUE(sim.WaitForCall("board2.VerifyEeprom(", 60000, process.Pid()));
    EXPECT_EQ(ReadLog(strLog).size(), 6u);
    ASSERT_TRUE(SendCtrlC(process.Pid()));
    const CliRun run = Finish(process, 30000);
    EXPECT_EQ(4, run.nExit) << run.strErr;

    const std::vector<CsvRow> rows = ReadLog(strLog);
    ASSERT_EQ(7u, rows.size()) << run.strErr;
    const CsvRow &h = rows[0];
    ASSERT_EQ(20u, h.size());
    const size_t nType = Column(h, "board_type"), nIndex = Column(h, "index"),
                 nResult = Column(h, "result"), nError = Column(h, "error");
    const struct
    {
        const char *pszType, *pszIndex, *pszResult, *pszNote, *pszBefore;
        bool bFlash;
    } kRows[] = {
        {"Alpha", "0", "PASS", "EEPROM 1.02 -> 1.05", "1.02", true},
        {"Beta", "0", "FAIL", "backup restored", "1.02", false},
        {"Gamma", "0", "INTERRUPTED", "board removed", "1.02", true},
        {"Gamma", "0", "PASS", "identical", nullptr, true},
        {"Delta", "1", "PASS", "EEPROM 1.02 -> 1.05", "1.02", true},
        {"Epsilon", "2", "INTERRUPTED", "Ctrl+C", nullptr, false},
    };
    const std::string &strSha = rows[1][Column(h, "flash_sha256")];
    EXPECT_EQ(strSha.size(), 64u);
    for (size_t i = 0; i < std::size(kRows); ++i)
    {
        SCOPED_TRACE(i);
        const CsvRow &row = rows[i + 1];
        ASSERT_EQ(h.size(), row.size());
        EXPECT_EQ(row[nType], kRows[i].pszType);
        EXPECT_EQ(row[nIndex], kRows[i].pszIndex);
        EXPECT_EQ(row[nResult], kRows[i].pszResult);
        EXPECT_NE(row[nError].find(kRows[i].pszNote), std::string::npos) << row[nError];
        if (kRows[i].pszBefore)
        {
            EXPECT_EQ(row[Column(h, "eeprom_before")], kRows[i].pszBefore);
        }
        EXPECT_EQ(row[Column(h, "family")], "virtex");
        EXPECT_EQ(row[Column(h, "version")], "1.3");
        EXPECT_EQ(row[Column(h, "flash_sha256")], strSha);
        EXPECT_EQ(row[Column(h, "eeprom_sha256")].size(), 64u);
        EXPECT_EQ(!row[Column(h, "flash_ms")].empty(), kRows[i].bFlash);
        EXPECT_EQ(row[Column(h, "utc_time")].back(), 'Z');
    }
    EXPECT_EQ(rows[1][Column(h, "eeprom_after")], "1.05");

    // The JSON lines on stdout are the same rows.
    size_t nJson = 0;
    std::istringstream out(run.strOut);
    for (std::string strLine; std::getline(out, strLine);)
    {
        JsonValue value;
        if (strLine.empty() || strLine[0] != '{')
            continue;
        ASSERT_TRUE(ParseJson(strLine, value)) << strLine;
        EXPECT_EQ(value.members["result"].strValue, Widen(rows[1 + nJson][nResult]));
        ++nJson;
    }
    EXPECT_EQ(nJson, 6u);

    // Epsilon's EEPROM was not written, its board was released and the library closed last.
    const std::vector<std::string> calls = sim.Calls(run.dwPid);
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls.back(), "VtlUsbClose() = 0");
    EXPECT_EQ(calls[calls.size() - 2], "board2.ReleaseBoard() = 0");
    EXPECT_EQ(FindCall(calls, "board2.ProgramEeprom("), -1);
}
