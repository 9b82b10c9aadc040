// FamilyTests.cpp - the family torvane-cli takes from Torvane's settings, which it never writes.
#include "CliHarness.h"

using namespace clitest;

namespace
{
const char kSettingsKey[] = "SOFTWARE\\Veltrane\\VTL4410\\settings";

// Torvane's settings key as the test found it: removed for the test and put back afterwards.
class CSettingsKeyBackup
{
public:
    CSettingsKeyBackup()
    {
        HKEY hKey = nullptr;
        m_bExisted = RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, KEY_READ, &hKey) == 0;
        for (DWORD i = 0; m_bExisted; ++i)
        {
            char szName[256];
            DWORD nName = sizeof(szName);
            Value value;
            value.data.resize(4096);
            DWORD nData = static_cast<DWORD>(value.data.size());
            if (RegEnumValueA(hKey, i, szName, &nName, nullptr, &value.dwType, value.data.data(),
                              &nData) != 0)
                break;
            value.strName.assign(szName, nName);
            value.data.resize(nData);
            m_values.push_back(value);
        }
        if (hKey)
            RegCloseKey(hKey);
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kSettingsKey);
    }
    ~CSettingsKeyBackup()
    {
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kSettingsKey);
        HKEY hKey = nullptr;
        if (m_bExisted && RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, nullptr, 0,
                                          KEY_ALL_ACCESS, nullptr, &hKey, nullptr) == 0)
        {
            for (const Value &value : m_values)
                RegSetValueExA(hKey, value.strName.c_str(), 0, value.dwType, value.data.data(),
                               static_cast<DWORD>(value.data.size()));
            RegCloseKey(hKey);
        }
    }

private:
    struct Value
    {
        std::string strName;
        DWORD dwType = 0;
        std::vector<BYTE> data;
    };
    bool m_bExisted;
    std::vector<Value> m_values;
};

bool KeyExists()
{
    HKEY hKey = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, KEY_READ, &hKey) != 0)
        return false;
    RegCloseKey(hKey);
    return true;
}

struct Stored
{
    const char *pszName;
    DWORD dwType; // REG_NONE: no key at all
    std::string strData;
    const wchar_t *pszArgs;
    const char *pszFamilyLine;
    const char *pszCall;
};

const Stored kStored[] = {
    {"NoKey", REG_NONE, "", L"", "Family: Spartan (default)", "board0.EraseBitstream(0) = 0"},
    {"Zero", REG_DWORD, std::string(4, '\0'), L"", "Family: Virtex (Torvane's setting)",
     "board0.EraseBitstream(1) = 0"},
    {"NonZero", REG_DWORD, std::string("\x07\0\0\0", 4), L"", "Family: Spartan (Torvane's setting)",
     "board0.EraseBitstream(0) = 0"},
    {"WrongType", REG_SZ, std::string("0\0", 2), L"", "Family: Spartan (default)",
     "board0.EraseBitstream(0) = 0"},
    {"OptionFirst", REG_DWORD, std::string(4, '\0'), L" --family SPARTAN",
     "Family: Spartan (--family)", "board0.EraseBitstream(0) = 0"},
};

class CliFamilyTest : public testing::TestWithParam<Stored>
{
};
} // namespace

TEST_P(CliFamilyTest, TakesTheStoredFamilyAndSaysWhich)
{
    const Stored &s = GetParam();
    CSettingsKeyBackup backup;
    if (s.dwType != REG_NONE)
    {
        HKEY hKey = nullptr;
        ASSERT_EQ(0, RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, nullptr, 0,
                                     KEY_ALL_ACCESS, nullptr, &hKey, nullptr));
        RegSetValueExA(hKey, "Spartan", 0, s.dwType,
                       reinterpret_cast<const BYTE *>(s.strData.data()),
                       static_cast<DWORD>(s.strData.size()));
        RegCloseKey(hKey);
    }
    CCliSim sim("");
    const CliRun run = RunCli("torvane-cli", std::wstring(L"erase-bitstream") + s.pszArgs);
    EXPECT_EQ(0, run.nExit) << run.strErr;
    EXPECT_EQ(std::string(s.pszFamilyLine) + "\nBitstream erased!\n", run.strOut);
    EXPECT_GE(FindCall(sim.Calls(run.dwPid), s.pszCall), 0) << s.pszCall;
    EXPECT_EQ(s.dwType != REG_NONE, KeyExists()) << "the settings key was created";
}

INSTANTIATE_TEST_SUITE_P(Cli, CliFamilyTest, testing::ValuesIn(kStored),
                         [](const testing::TestParamInfo<Stored> &info) {
                             return std::string(info.param.pszName);
                         });
