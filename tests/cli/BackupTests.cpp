// BackupTests.cpp - ostrel-cli's EEPROM backups on disk: taken, named and pruned by update,
// written back by restore, listed by backups.
#include "CliHarness.h"

#include <algorithm>
#include <regex>

using namespace clitest;

namespace
{
std::vector<std::string> IicFiles(const std::string &strDir)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    const HANDLE hFind = FindFirstFileA((strDir + "\\*.iic").c_str(), &data);
    if (hFind == INVALID_HANDLE_VALUE)
        return names;
    do
        names.push_back(data.cFileName);
    while (FindNextFileA(hFind, &data));
    FindClose(hFind);
    std::sort(names.begin(), names.end());
    return names;
}

// A call of board 0 on the file named strName that succeeded.
bool Succeeded(const std::vector<std::string> &calls, const char *pszOp, const std::string &strName)
{
    return std::any_of(calls.begin(), calls.end(), [&](const std::string &strCall) {
        return strCall.rfind(std::string("board0.") + pszOp + "(", 0) == 0 &&
               strCall.find("\\\\" + strName + "\") = 0") != std::string::npos;
    });
}

CliRun Ostrel(const std::string &strArgs)
{
    return RunCli("ostrel-cli", Widen(strArgs));
}
} // namespace

// The backup holds the EEPROM as it was, under a name of its own; of 0x300 the 10 newest and
// the oldest stay, while another address and other files are left alone.
TEST(CliBackup, UpdateBacksUpFirstAndPrunes)
{
    CSimSession sim;
    const std::string strDir = sim.File("bk");
    ASSERT_TRUE(CreateDirectoryA(strDir.c_str(), nullptr));
    std::vector<std::string> expected = {"0x300-VTL4410-20200101T000000Z.iic",
                                         "0x310-VTL4410-20200101T000000Z.iic"};
    for (int nDay = 1; nDay <= 12; ++nDay)
    {
        char szName[64];
        snprintf(szName, sizeof(szName), "0x300-VTL4410-202501%02dT000000Z.iic", nDay);
        if (nDay > 3)
            expected.push_back(szName);
        sim.Write(std::string("bk\\") + szName, "earlier");
    }
    sim.Write("bk\\0x310-VTL4410-20200101T000000Z.iic", "other");
    sim.Write("bk\\0x300-VTL4410-20200101T000000Z.iic", "oldest");
    sim.Write("bk\\notes.txt", "mine");

    const CliRun run =
        Ostrel("update \"" + SamplePath("sample.iic") + "\" --backup-dir \"" + strDir + "\"");
    ASSERT_EQ(0, run.nExit) << run.strErr;
    std::vector<std::string> files = IicFiles(strDir);
    const std::regex newName("0x300-VTL4410-2\\d{7}T\\d{6}Z\\.iic");
    const auto itNew = std::find_if(files.begin(), files.end(), [&](const std::string &s) {
        return std::regex_match(s, newName) && s.compare(14, 2, "20") == 0 &&
               s.compare(14, 4, "2020") != 0 && s.compare(14, 4, "2025") != 0;
    });
    ASSERT_NE(itNew, files.end()) << run.strErr;
    const std::string strNew = *itNew;
    files.erase(itNew);
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(expected, files);
    std::string strText;
    EXPECT_TRUE(vtltest::ReadFileText(strDir + "\\notes.txt", strText));

    // The default EEPROM: a C0 image of version 1.02, saved before the image was written.
    ASSERT_TRUE(vtltest::ReadFileText(strDir + "\\" + strNew, strText));
    EXPECT_EQ(std::string("\xC0\x54\x56\x10\x44\x02\x01\x00", 8), strText);
    EXPECT_NE(std::string::npos, run.strErr.find("EEPROM backed up to " + strDir + "\\" + strNew));
    const std::vector<std::string> calls = sim.Calls(run.dwPid);
    EXPECT_TRUE(Succeeded(calls, "SaveEeprom", strNew));
    EXPECT_LT(FindCall(calls, "board0.SaveEeprom("), FindCall(calls, "board0.ProgramEeprom("));
}

// restore takes the newest backup of the board's address, or the file given; backups lists
// them newest first.
TEST(CliBackup, RestoresTheLatestOrTheFileGivenAndLists)
{
    CSimSession sim;
    const std::string strDir = sim.File("bk");
    ASSERT_TRUE(CreateDirectoryA(strDir.c_str(), nullptr));
    std::string strC0, strC2;
    ASSERT_TRUE(vtltest::ReadFileText(SamplePath("sample.iic"), strC0));
    ASSERT_TRUE(vtltest::ReadFileText(SamplePath("sample_c2.iic"), strC2));
    const std::string strOlder = "0x300-VTL4410-20200101T000000Z.iic";
    const std::string strNewer = "0x300-VTL4410-20210101T000000Z.iic";
    sim.Write("bk\\" + strOlder, strC0);
    sim.Write("bk\\" + strNewer, strC2);
    sim.Write("bk\\0x310-VTL4410-20220101T000000Z.iic", strC0);

    CliRun run = Ostrel("restore --backup-dir \"" + strDir + "\"");
    ASSERT_EQ(0, run.nExit) << run.strErr;
    std::vector<std::string> calls = sim.Calls(run.dwPid);
    EXPECT_TRUE(Succeeded(calls, "ProgramEeprom", strNewer)) << run.strErr;
    EXPECT_TRUE(Succeeded(calls, "VerifyEeprom", strNewer));
    EXPECT_EQ(1u, sim.Count("board0.ProgramEeprom(", run.dwPid));
    EXPECT_EQ(4u, IicFiles(strDir).size()) << "the EEPROM is backed up before the restore";

    run = Ostrel("restore --from \"" + strDir + "\\" + strOlder + "\" --backup-dir \"" + strDir +
                 "\"");
    ASSERT_EQ(0, run.nExit) << run.strErr;
    calls = sim.Calls(run.dwPid);
    EXPECT_TRUE(Succeeded(calls, "ProgramEeprom", strOlder)) << run.strErr;
    EXPECT_TRUE(Succeeded(calls, "VerifyEeprom", strOlder));

    run = Ostrel("backups --backup-dir \"" + strDir + "\"");
    ASSERT_EQ(0, run.nExit) << run.strErr;
    const size_t n2022 = run.strOut.find("2022-01-01 00:00:00Z  0x310        VTL4410");
    const size_t n2021 = run.strOut.find("2021-01-01 00:00:00Z  0x300        VTL4410");
    const size_t n2020 = run.strOut.find("2020-01-01 00:00:00Z  0x300        VTL4410");
    const size_t nFirst = run.strOut.find('\n') + 1;
    EXPECT_GT(run.strOut.substr(nFirst, 20), "2022-01-01 00:00:00Z") << "today's come first";
    EXPECT_TRUE(n2022 < n2021 && n2021 < n2020 && n2020 != std::string::npos) << run.strOut;
    EXPECT_NE(std::string::npos, run.strOut.find(strDir + "\\" + strOlder + "\n"));
    EXPECT_TRUE(sim.Calls(run.dwPid).empty()) << "backups opens no library";

    run = Ostrel("backups --io 0x310 --backup-dir \"" + strDir + "\"");
    EXPECT_EQ(std::string::npos, run.strOut.find("0x300-")) << run.strOut;
    EXPECT_NE(std::string::npos, run.strOut.find("0x310-")) << run.strOut;
}
