// RegistryTests.cpp - CRegEdit and the dialog's settings on an isolated HKEY_LOCAL_MACHINE.
#include <gtest/gtest.h>

#include <aclapi.h>

#include "FlashTestHelpers.h"
#include "RegEdit.h"

using namespace flashtest;
using vtltest::CIsolatedHklm;
using vtltest::CMsgBoxCatcher;

namespace
{
const char kKey[] = "SOFTWARE\\Veltrane\\VTL4410";
const char kSettings[] = "SOFTWARE\\Veltrane\\VTL4410\\settings";

HKEY CreateSettings()
{
    HKEY h = NULL;
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSettings, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &h, NULL);
    return h;
}

void SetRaw(const char *pszName, DWORD dwType, const void *p, DWORD n)
{
    HKEY h = CreateSettings();
    RegSetValueExA(h, pszName, 0, dwType, static_cast<const BYTE *>(p), n);
    RegCloseKey(h);
}

void SetDword(const char *pszName, DWORD v)
{
    SetRaw(pszName, REG_DWORD, &v, 4);
}

void SetString(const char *pszName, const std::string &s)
{
    SetRaw(pszName, REG_SZ, s.c_str(), static_cast<DWORD>(s.size() + 1));
}

bool ReadDword(const char *pszName, DWORD &v)
{
    return vtltest::RegReadDword(HKEY_LOCAL_MACHINE, kSettings, pszName, v);
}

// The four settings as stored, each with whether it is there at all.
struct Stored
{
    bool bFile, bMaj, bMin, bSpartan;
    std::string file;
    DWORD maj = 99, min = 99, spartan = 99;
};

// Reads through reg that fail with code 4 and leave the caller's values alone.
void ExpectReadsFail(CRegEdit &reg)
{
    DWORD dw = 77;
    CString str = "kept";
    EXPECT_EQ(reg.ReadDword("VerMaj", dw), 4);
    EXPECT_EQ(reg.ReadString("AppFile", str), 4);
    EXPECT_EQ(dw, 77u);
    EXPECT_EQ(std::string(str.GetString()), "kept");
}

Stored ReadStored()
{
    Stored s;
    s.bFile = vtltest::RegReadString(HKEY_LOCAL_MACHINE, kSettings, "AppFile", s.file);
    s.bMaj = ReadDword("VerMaj", s.maj);
    s.bMin = ReadDword("VerMin", s.min);
    s.bSpartan = ReadDword("Spartan", s.spartan);
    return s;
}

// Value data as stored: type and bytes.
bool ReadRaw(const char *pszName, DWORD &dwType, std::string &data)
{
    HKEY h = NULL;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSettings, 0, KEY_READ, &h) != ERROR_SUCCESS)
        return false;
    char buf[512];
    DWORD n = sizeof buf;
    LONG l = RegQueryValueExA(h, pszName, NULL, &dwType, reinterpret_cast<BYTE *>(buf), &n);
    RegCloseKey(h);
    data.assign(buf, l == ERROR_SUCCESS ? n : 0);
    return l == ERROR_SUCCESS;
}

// Everyone may read the key, nobody may change it (the owner keeps the right to change that).
bool MakeReadOnly(HKEY hParent, const char *pszSub, bool bReadOnly)
{
    HKEY h = NULL;
    if (RegOpenKeyExA(hParent, pszSub, 0, READ_CONTROL | WRITE_DAC, &h) != ERROR_SUCCESS)
        return false;
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    PSID pEveryone = NULL;
    AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &pEveryone);
    EXPLICIT_ACCESSA ea{};
    ea.grfAccessPermissions = bReadOnly ? (KEY_READ | WRITE_DAC) : KEY_ALL_ACCESS;
    ea.grfAccessMode = SET_ACCESS;
    ea.grfInheritance = NO_INHERITANCE;
    ea.Trustee.TrusteeForm = TRUSTEE_IS_SID;
    ea.Trustee.TrusteeType = TRUSTEE_IS_WELL_KNOWN_GROUP;
    ea.Trustee.ptstrName = static_cast<LPSTR>(pEveryone);
    PACL pAcl = NULL;
    bool bOk = SetEntriesInAclA(1, &ea, NULL, &pAcl) == ERROR_SUCCESS &&
               SetSecurityInfo(h, SE_REGISTRY_KEY,
                               DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                               NULL, NULL, pAcl, NULL) == ERROR_SUCCESS;
    LocalFree(pAcl);
    FreeSid(pEveryone);
    RegCloseKey(h);
    return bOk;
}

struct DialogState
{
    std::string file, major, minor;
    int spartan = -1, virtex = -1;
    FpgaFamily family = FAMILY_SPARTAN;
    std::string firstQuery;
};

// What the settings put into the dialog.
void ExpectState(const DialogState &st, const char *pszFile, const char *pszMajor,
                 const char *pszMinor, int nSpartan, int nVirtex, FpgaFamily family)
{
    EXPECT_EQ(st.file, pszFile);
    EXPECT_EQ(st.major, pszMajor);
    EXPECT_EQ(st.minor, pszMinor);
    EXPECT_EQ(st.spartan, nSpartan);
    EXPECT_EQ(st.virtex, nVirtex);
    EXPECT_EQ(st.family, family);
}

// Starts the dialog, records what the settings put into it, runs extra steps, and ends it
// with nEnd (IDOK, IDCANCEL or WM_CLOSE as 0).
DialogState RunSettingsDialog(const std::function<void(HWND)> &steps = nullptr, int nEnd = IDCANCEL)
{
    CSimSession sim;
    CMsgBoxCatcher boxes;
    DialogState st;
    CTestTorvaneDlg dlg;
    RunDialog(dlg, [&](HWND h) {
        st.file = Text(h, IDC_FILE);
        st.major = Text(h, IDC_VER_MAJOR);
        st.minor = Text(h, IDC_VER_MINOR);
        st.spartan = Checked(h, IDC_SPARTAN);
        st.virtex = Checked(h, IDC_VIRTEX);
        st.family = dlg.Family();
        if (steps)
            steps(h);
        if (nEnd == 0)
            PostMessageA(h, WM_CLOSE, 0, 0);
        else
            PostMessageA(h, WM_COMMAND, nEnd, 0);
    });
    EXPECT_EQ(boxes.Count(), 0u);
    std::vector<std::string> queries = sim.CallsStartingWith("board0.GetFlashInfo(");
    if (!queries.empty())
        st.firstQuery = queries[0].substr(0, 21);
    return st;
}
} // namespace

TEST(TorvaneRegistry, FirstRunCreatesTheKeyEmptyKeepsDefaultsAndOkWritesAllFour)
{
    CIsolatedHklm hklm;
    ASSERT_TRUE(hklm.Ok());
    {
        CRegEdit reg(kKey, "settings");
        ExpectReadsFail(reg);
    }
    ExpectState(RunSettingsDialog(nullptr, IDOK), "", "", "", BST_UNCHECKED, BST_UNCHECKED,
                FAMILY_SPARTAN);
    const Stored s = ReadStored();
    EXPECT_TRUE(s.bFile);
    EXPECT_EQ(s.file, "");
    // Empty version boxes store the defaults that Program uses.
    EXPECT_TRUE(s.bMaj);
    EXPECT_TRUE(s.bMin);
    EXPECT_TRUE(s.bSpartan);
    EXPECT_EQ(s.maj, 1u);
    EXPECT_EQ(s.min, 0u);
    EXPECT_EQ(s.spartan, 1u) << "neither button checked stores the family in effect";
    EXPECT_EQ(RunSettingsDialog().spartan, BST_CHECKED);
}

TEST(TorvaneRegistry, StoredValuesLoadAndOkSavesTheEditedBoxes)
{
    CIsolatedHklm hklm;
    SetString("AppFile", "C:\\designs\\top.bit");
    SetDword("VerMaj", 4);
    SetDword("VerMin", 12);
    SetDword("Spartan", 0);
    DialogState st = RunSettingsDialog(
        [](HWND h) {
            SetText(h, IDC_VER_MAJOR, "5");
            SetText(h, IDC_VER_MINOR, "x");
            SetText(h, IDC_FILE, "D:\\other.app");
        },
        IDOK);
    ExpectState(st, "C:\\designs\\top.bit", "4", "12", BST_UNCHECKED, BST_CHECKED, FAMILY_VIRTEX);
    const Stored s = ReadStored();
    EXPECT_EQ(s.file, "D:\\other.app");
    EXPECT_EQ(s.maj, 5u);
    EXPECT_EQ(s.min, 0u) << "parsed on its own, not left over from the major box";
    EXPECT_EQ(s.spartan, 0u);
}

// "%d" would overflow on a tenth digit: typing stops at nine, a stored value still shows whole.
TEST(TorvaneRegistry, VersionBoxesTakeNineTypedDigitsAndLoadStoredValuesWhole)
{
    CIsolatedHklm hklm;
    SetDword("VerMaj", 1234567890);
    std::string typed[2];
    DialogState st = RunSettingsDialog(
        [&](HWND h) {
            const int ids[2] = {IDC_VER_MAJOR, IDC_VER_MINOR};
            for (int i = 0; i < 2; ++i)
            {
                SetText(h, ids[i], "");
                for (char c : std::string("98765432101"))
                    SendMessageA(GetDlgItem(h, ids[i]), WM_CHAR, static_cast<WPARAM>(c), 0);
                typed[i] = Text(h, ids[i]);
            }
        },
        IDOK);
    EXPECT_EQ(st.major, "1234567890");
    EXPECT_EQ(typed[0], "987654321");
    EXPECT_EQ(typed[1], "987654321");
    const Stored s = ReadStored();
    EXPECT_EQ(s.maj, 987654321u);
    EXPECT_EQ(s.min, 987654321u);
}

TEST(TorvaneRegistry, SpartanValueSetsButtonsAndFamily)
{
    for (DWORD v : {0u, 1u, 7u})
    {
        CIsolatedHklm hklm;
        SetDword("Spartan", v);
        DialogState st = RunSettingsDialog();
        EXPECT_EQ(st.spartan, v ? BST_CHECKED : BST_UNCHECKED) << v;
        EXPECT_EQ(st.virtex, v ? BST_UNCHECKED : BST_CHECKED) << v;
        EXPECT_EQ(st.family, v ? FAMILY_SPARTAN : FAMILY_VIRTEX) << v;
        // Loaded before the library opens, so the first query already asks for that family.
        EXPECT_EQ(st.firstQuery, v ? "board0.GetFlashInfo(0" : "board0.GetFlashInfo(1") << v;
    }
}

TEST(TorvaneRegistry, EscAndTheCloseBoxWriteNothing)
{
    for (int nEnd : {IDCANCEL, 0})
    {
        CIsolatedHklm hklm;
        SetDword("VerMaj", 3);
        RunSettingsDialog(
            [](HWND h) {
                SetText(h, IDC_VER_MAJOR, "9");
                Click(h, IDC_VIRTEX);
            },
            nEnd);
        const Stored s = ReadStored();
        EXPECT_TRUE(s.bMaj);
        EXPECT_EQ(s.maj, 3u);
        EXPECT_FALSE(s.bSpartan);
        EXPECT_FALSE(s.bFile);
    }
}

TEST(TorvaneRegistry, ReadOnlyKeyLoadsButRefusesEveryWrite)
{
    CIsolatedHklm hklm;
    SetString("AppFile", "C:\\ro.bit");
    SetDword("VerMaj", 2);
    SetDword("Spartan", 1);
    ASSERT_TRUE(MakeReadOnly(HKEY_LOCAL_MACHINE, kSettings, true));
    HKEY hFull = NULL;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSettings, 0, NULL, 0, KEY_ALL_ACCESS, NULL,
                              &hFull, NULL),
              ERROR_ACCESS_DENIED)
        << "the registry must enforce the key's security";
    {
        CRegEdit reg(kKey, "settings");
        DWORD dw = 0;
        EXPECT_EQ(reg.ReadDword("VerMaj", dw), 0);
        EXPECT_EQ(dw, 2u);
        EXPECT_EQ(reg.WriteDword("VerMaj", 8), 1);
        EXPECT_EQ(reg.WriteString("AppFile", "C:\\new.bit"), 1);
    }
    DialogState st = RunSettingsDialog([](HWND h) { SetText(h, IDC_VER_MAJOR, "6"); }, IDOK);
    EXPECT_EQ(st.file, "C:\\ro.bit");
    EXPECT_EQ(st.major, "2");
    const Stored s = ReadStored();
    EXPECT_EQ(s.maj, 2u);
    EXPECT_EQ(s.file, "C:\\ro.bit");
    EXPECT_FALSE(s.bMin) << "nothing written";
    EXPECT_TRUE(MakeReadOnly(HKEY_LOCAL_MACHINE, kSettings, false));
}

TEST(TorvaneRegistry, ValuesOfTheWrongTypeOrSizeAreRefused)
{
    CIsolatedHklm hklm;
    SetString("VerMaj", "12345");
    SetString("VerMin", "ab");
    SetRaw("AppFile", REG_EXPAND_SZ, "%TEMP%\\x.bit", 14);
    {
        CRegEdit reg(kKey, "settings");
        DWORD dw = 5;
        CString str = "kept";
        EXPECT_EQ(reg.ReadDword("VerMaj", dw), 4) << "larger than 4 bytes";
        EXPECT_EQ(reg.ReadDword("VerMin", dw), 5) << "fits in 4 bytes";
        EXPECT_EQ(dw, 5u);
        EXPECT_EQ(reg.ReadString("AppFile", str), 5);
        EXPECT_EQ(std::string(str.GetString()), "kept");
    }
    DialogState st = RunSettingsDialog();
    EXPECT_EQ(st.major, "");
    EXPECT_EQ(st.minor, "");
    EXPECT_EQ(st.file, "");
}

TEST(TorvaneRegistry, StringsAreReadWithinTheirStoredSize)
{
    CIsolatedHklm hklm;
    SetRaw("NoNul", REG_SZ, "abc", 3);
    SetRaw("Inner", REG_SZ, "ab\0cd", 5);
    SetRaw("OnlyNul", REG_SZ, "", 1);
    SetRaw("Empty", REG_SZ, "", 0);
    CRegEdit reg(kKey, "settings");
    CString str;
    EXPECT_EQ(reg.ReadString("NoNul", str), 0);
    EXPECT_EQ(std::string(str.GetString()), "abc");
    EXPECT_EQ(reg.ReadString("Inner", str), 0);
    EXPECT_EQ(std::string(str.GetString()), "ab");
    str = "x";
    EXPECT_EQ(reg.ReadString("OnlyNul", str), 0);
    EXPECT_EQ(std::string(str.GetString()), "");
    str = "x";
    EXPECT_EQ(reg.ReadString("Empty", str), 0);
    EXPECT_EQ(std::string(str.GetString()), "");
    EXPECT_EQ(reg.ReadString("Missing", str), 4);
}

TEST(TorvaneRegistry, AppFileHoldingOnlyTheNulEmptiesThePathBox)
{
    CIsolatedHklm hklm;
    SetRaw("AppFile", REG_SZ, "", 1);
    std::string after = "unread";
    RunSettingsDialog([&](HWND h) {
        SetText(h, IDC_FILE, "typed");
        // Loading again from the test thread: the stored empty path replaces the text.
        CWnd *pWnd = CWnd::FromHandle(h);
        static_cast<CTorvaneDlg *>(pWnd)->LoadSettings();
        after = Text(h, IDC_FILE);
    });
    EXPECT_EQ(after, "");
}

TEST(TorvaneRegistry, WriteStringOfTheEmptyTextStoresOneByte)
{
    CIsolatedHklm hklm;
    {
        CRegEdit reg(kKey, "settings");
        EXPECT_EQ(reg.WriteString("AppFile", ""), 0);
        EXPECT_EQ(reg.WriteString("Other", "C:\\a.bit"), 0);
        EXPECT_EQ(reg.WriteDword("VerMaj", 0xFFFFFFFFu), 0);
    }
    DWORD dwType = 0;
    std::string data;
    ASSERT_TRUE(ReadRaw("AppFile", dwType, data));
    EXPECT_EQ(dwType, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(data, std::string(1, '\0'));
    ASSERT_TRUE(ReadRaw("Other", dwType, data));
    EXPECT_EQ(data, std::string("C:\\a.bit", 9));
    ASSERT_TRUE(ReadRaw("VerMaj", dwType, data));
    EXPECT_EQ(dwType, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(data.size(), 4u);
}

TEST(TorvaneRegistry, KeyThatCannotBeOpenedReadsFourAndWritesOne)
{
    CIsolatedHklm hklm;
    // A sub-key name beyond the registry's limit: neither the full nor the read-only open works.
    CRegEdit reg(kKey, std::string(300, 'k').c_str());
    ExpectReadsFail(reg);
    EXPECT_EQ(reg.WriteDword("VerMaj", 1), 1);
    EXPECT_EQ(reg.WriteString("AppFile", "x"), 1);
}
