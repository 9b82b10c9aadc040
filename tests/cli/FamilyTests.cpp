// FamilyTests.cpp - the family torvane-cli takes from Torvane's settings, which it never writes.
#include "CliHarness.h"

using namespace clitest;

namespace
{
const std::string kKey = "HKLM\\SOFTWARE\\Veltrane\\VTL4410\\settings";

int Reg(const std::string &strArgs)
{
    return vtltest::RunChild("reg.exe " + strArgs, 30000);
}

// Torvane's settings key is taken away for a test and put back as it was.
class CSettingsKeyBackup
{
public:
    CSettingsKeyBackup()
        : m_strFile(m_dir.File("settings.reg")),
          m_bExisted(Reg("export \"" + kKey + "\" \"" + m_strFile + "\" /y") == 0)
    {
        Reg("delete \"" + kKey + "\" /f");
    }
    ~CSettingsKeyBackup()
    {
        Reg("delete \"" + kKey + "\" /f");
        if (m_bExisted)
            Reg("import \"" + m_strFile + "\"");
    }

private:
    vtltest::CTempDir m_dir;
    std::string m_strFile;
    bool m_bExisted;
};

struct Stored
{
    const char *pszName;
    const char *pszValue; // reg.exe's type and data of "Spartan", or null for no key at all
    const wchar_t *pszArgs;
    const char *pszFamilyLine;
    char cFamily; // as the journal shows EraseBitstream's argument
};

const Stored kStored[] = {
    {"NoKey", nullptr, L"", "Family: Spartan (default)", '0'},
    {"Zero", "/t REG_DWORD /d 0", L"", "Family: Virtex (Torvane's setting)", '1'},
    {"NonZero", "/t REG_DWORD /d 7", L"", "Family: Spartan (Torvane's setting)", '0'},
    {"WrongType", "/t REG_SZ /d 0", L"", "Family: Spartan (default)", '0'},
    {"OptionFirst", "/t REG_DWORD /d 0", L" --family SPARTAN", "Family: Spartan (--family)", '0'},
};

class CliFamilyTest : public testing::TestWithParam<Stored>
{
};
} // namespace

TEST_P(CliFamilyTest, TakesTheStoredFamilyAndSaysWhich)
{
    const Stored &s = GetParam();
    CSettingsKeyBackup backup;
    if (s.pszValue)
    {
        ASSERT_EQ(0, Reg("add \"" + kKey + "\" /v Spartan " + s.pszValue + " /f"));
    }
    CSimSession sim("[driver]\nprogress_ms = 100\n");
    const CliRun run = RunCli("torvane-cli", std::wstring(L"erase-bitstream") + s.pszArgs);
    EXPECT_EQ(0, run.nExit) << run.strErr;
    EXPECT_EQ(std::string(s.pszFamilyLine) + "\nBitstream erased!\n", run.strOut);
    const std::string strCall = std::string("board0.EraseBitstream(") + s.cFamily + ") = 0";
    EXPECT_GE(FindCall(sim.Calls(run.dwPid), strCall), 0) << strCall;
    // Read only: a missing key stays missing.
    EXPECT_EQ(s.pszValue != nullptr, Reg("query \"" + kKey + "\"") == 0);
}

INSTANTIATE_TEST_SUITE_P(Cli, CliFamilyTest, testing::ValuesIn(kStored),
                         [](const testing::TestParamInfo<Stored> &info) {
                             return std::string(info.param.pszName);
                         });
