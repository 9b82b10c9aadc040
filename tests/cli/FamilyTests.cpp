// FamilyTests.cpp - the family torvane-cli takes from Torvane's settings, which it never writes.
#include "CliHarness.h"

#include <sddl.h>

using namespace clitest;

namespace
{
struct Stored
{
    const char *pszName;
    DWORD dwType;   // of "Spartan"; REG_NONE: no key at all
    DWORD dwNumber; // REG_SZ stores it as its decimal text
    const wchar_t *pszArgs;
    const char *pszFamilyLine;
    char cFamily;           // as the journal shows EraseBitstream's argument
    bool bReadOnly = false; // a key the user may read (and the cleaner delete), nothing more
};

const Stored kStored[] = {
    {"NoKey", REG_NONE, 0, L"", "Family: Spartan (default)", '0'},
    {"Zero", REG_DWORD, 0, L"", "Family: Virtex (Torvane's setting)", '1'},
    {"NonZero", REG_DWORD, 7, L"", "Family: Spartan (Torvane's setting)", '0'},
    {"WrongType", REG_SZ, 0, L"", "Family: Spartan (default)", '0'},
    {"OptionFirst", REG_DWORD, 0, L" --family SPARTAN", "Family: Spartan (--family)", '0'},
    {"ReadOnlyKey", REG_DWORD, 0, L"", "Family: Virtex (Torvane's setting)", '1', true},
};

// Everyone may read the key and delete it, nothing else; no inherited entry adds to that.
bool MakeReadOnly(HKEY h)
{
    PSECURITY_DESCRIPTOR pSd = NULL;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA("D:P(A;;KRSD;;;WD)", SDDL_REVISION_1,
                                                              &pSd, NULL))
        return false;
    const bool bOk = RegSetKeySecurity(h, DACL_SECURITY_INFORMATION, pSd) == ERROR_SUCCESS;
    LocalFree(pSd);
    return bOk;
}

// Stores "Spartan" as s gives it.
bool Store(const Stored &s)
{
    HKEY h = NULL;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, vtltest::kTorvaneSettingsKey, 0, NULL, 0,
                        KEY_SET_VALUE | READ_CONTROL | WRITE_DAC, NULL, &h, NULL) != ERROR_SUCCESS)
        return false;
    const std::string strText = std::to_string(s.dwNumber);
    const LONG lResult =
        s.dwType == REG_SZ
            ? RegSetValueExA(h, "Spartan", 0, REG_SZ,
                             reinterpret_cast<const BYTE *>(strText.c_str()),
                             DWORD(strText.size() + 1))
            : RegSetValueExA(h, "Spartan", 0, s.dwType, reinterpret_cast<const BYTE *>(&s.dwNumber),
                             sizeof s.dwNumber);
    const bool bOk = lResult == ERROR_SUCCESS && (!s.bReadOnly || MakeReadOnly(h));
    RegCloseKey(h);
    return bOk;
}

bool SettingsKeyExists()
{
    HKEY h = NULL;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, vtltest::kTorvaneSettingsKey, 0, KEY_READ, &h) !=
        ERROR_SUCCESS)
        return false;
    RegCloseKey(h);
    return true;
}

class CliFamilyTest : public testing::TestWithParam<Stored>
{
};
} // namespace

TEST_P(CliFamilyTest, TakesTheStoredFamilyAndSaysWhich)
{
    const Stored &s = GetParam();
    vtltest::CSettingsCleaner cleaner;
    if (s.dwType != REG_NONE)
    {
        ASSERT_TRUE(Store(s));
    }
    CSimSession sim("[driver]\nprogress_ms = 100\n");
    const CliRun run = RunCli("torvane-cli", std::wstring(L"erase-bitstream") + s.pszArgs);
    EXPECT_EQ(0, run.nExit) << run.strErr;
    // Which board, then which family, once the board is open.
    EXPECT_EQ("Board: board 0 at 0x300 (VTL4410), the one Torvane uses\n" +
                  std::string(s.pszFamilyLine) + "\nBitstream erased!\n",
              run.strOut);
    const std::string strCall = std::string("board0.EraseBitstream(") + s.cFamily + ") = 0";
    EXPECT_GE(FindCall(sim.Calls(run.dwPid), strCall), 0) << strCall;
    // Read only: a missing key stays missing.
    EXPECT_EQ(s.dwType != REG_NONE, SettingsKeyExists());
}

INSTANTIATE_TEST_SUITE_P(Cli, CliFamilyTest, testing::ValuesIn(kStored),
                         [](const testing::TestParamInfo<Stored> &info) {
                             return std::string(info.param.pszName);
                         });
