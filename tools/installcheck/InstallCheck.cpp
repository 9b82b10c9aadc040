// InstallCheck.cpp - vtl_installcheck: scripts/release-check.sh runs it in a fresh Wine prefix.
//   vtl_installcheck trust <certificate.der>   adds the signer to the machine's trusted roots
//   vtl_installcheck verify <file>...          prints WinVerifyTrust's result for each file
//   vtl_installcheck hold                      lives until its input ends (at most 15 min): keeps
//                                              the prefix's server, which keeps the security of
//                                              registry keys only while it runs
//   vtl_installcheck --gtest_filter=Installed.*|Uninstalled.*|Elsewhere.*|Purged.*
// (AsStandardUser.* run in a copy of it that Installed.* starts under a standard user's token.)
#include <gtest/gtest.h>

#include <windows.h>

#include <shlobj.h>
#include <softpub.h>
#include <wincrypt.h>
#include <wintrust.h>

#include <cstdio>
#include <string>
#include <vector>

#include "InstallCheck.h"
#include "KeyAccess.h"
#include "TestSupport.h"

namespace installcheck
{
const char kSettingsKey[] = "SOFTWARE\\Veltrane\\VTL4410\\settings";
} // namespace installcheck

using installcheck::kSettingsKey;

namespace
{
const char kUninstallKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Veltrane VTL4410 Tools";

std::string KnownFolder(REFKNOWNFOLDERID id)
{
    PWSTR pw = NULL;
    std::string out;
    if (SUCCEEDED(SHGetKnownFolderPath(id, 0, NULL, &pw)))
    {
        char sz[MAX_PATH * 2] = "";
        WideCharToMultiByte(CP_ACP, 0, pw, -1, sz, sizeof sz, NULL, NULL);
        out = sz;
    }
    CoTaskMemFree(pw);
    return out;
}

std::string InstallDir()
{
    return KnownFolder(FOLDERID_ProgramFiles) + "\\Veltrane\\VTL4410 Tools";
}

std::string MenuDir()
{
    return KnownFolder(FOLDERID_CommonPrograms) + "\\Veltrane VTL4410";
}

bool Exists(const std::string &path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool KeyExists(const char *path)
{
    HKEY h = NULL;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &h) != ERROR_SUCCESS)
        return false;
    RegCloseKey(h);
    return true;
}

// The program a shortcut starts, "" when it cannot be read.
std::string LinkTarget(const std::string &lnk)
{
    std::string out;
    IShellLinkA *pLink = NULL;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void **>(&pLink))))
        return out;
    IPersistFile *pFile = NULL;
    if (SUCCEEDED(pLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void **>(&pFile))))
    {
        wchar_t wsz[MAX_PATH];
        MultiByteToWideChar(CP_ACP, 0, lnk.c_str(), -1, wsz, MAX_PATH);
        char sz[MAX_PATH] = "";
        if (SUCCEEDED(pFile->Load(wsz, STGM_READ)) &&
            SUCCEEDED(pLink->GetPath(sz, MAX_PATH, NULL, 0)))
            out = sz;
        pFile->Release();
    }
    pLink->Release();
    return out;
}

// The programs the installer puts in each tools folder.
const char *const kTools[] = {"Torvane.exe", "Ostrel.exe", "torvane-cli.exe", "ostrel-cli.exe",
                              "vtl-station.exe"};

std::string Lower(std::string s)
{
    for (char &c : s)
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return s;
}

class CCom
{
public:
    CCom() { CoInitializeEx(NULL, COINIT_APARTMENTTHREADED); }
    ~CCom() { CoUninitialize(); }
};
} // namespace

std::string installcheck::SimulatorDir()
{
    return InstallDir() + "\\Simulator";
}

using installcheck::SimulatorDir;

TEST(Installed, ToolsShortcutsAndUninstallEntry)
{
    CCom com;
    const std::string dir = InstallDir();
    for (const char *tool : kTools)
        EXPECT_TRUE(Exists(dir + "\\" + tool)) << tool;
    EXPECT_TRUE(Exists(dir + "\\Uninstall.exe"));
    EXPECT_TRUE(Exists(dir + "\\README.txt")) << "the finish page offers it";
    EXPECT_FALSE(Exists(dir + "\\VtlDrvUsb.dll"))
        << "the simulator must never sit beside the tools";
    EXPECT_FALSE(Exists(dir + "\\VtlSettingsAccess.exe")) << "the helper is not installed";

    EXPECT_EQ(Lower(LinkTarget(MenuDir() + "\\Torvane.lnk")), Lower(dir + "\\Torvane.exe"));
    EXPECT_EQ(Lower(LinkTarget(MenuDir() + "\\Ostrel.lnk")), Lower(dir + "\\Ostrel.exe"));

    std::string s;
    ASSERT_TRUE(vtltest::RegReadString(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayVersion", s));
    EXPECT_EQ(s, "1.2.0.0");
    ASSERT_TRUE(vtltest::RegReadString(HKEY_LOCAL_MACHINE, kUninstallKey, "Publisher", s));
    EXPECT_EQ(s, "Veltrane");
    ASSERT_TRUE(vtltest::RegReadString(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName", s));
    EXPECT_EQ(s, "Veltrane VTL4410 Tools");
    ASSERT_TRUE(vtltest::RegReadString(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString", s));
    EXPECT_EQ(Lower(s), Lower("\"" + dir + "\\Uninstall.exe\""));
    ASSERT_TRUE(
        vtltest::RegReadString(HKEY_LOCAL_MACHINE, kUninstallKey, "QuietUninstallString", s));
    EXPECT_EQ(Lower(s), Lower("\"" + dir + "\\Uninstall.exe\" /S"));
    ASSERT_TRUE(vtltest::RegReadString(HKEY_LOCAL_MACHINE, kUninstallKey, "InstallLocation", s));
    EXPECT_EQ(Lower(s), Lower(dir));
}

TEST(Installed, SimulatorInItsOwnFolderWithItsOwnShortcuts)
{
    CCom com;
    const std::string sim = SimulatorDir();
    for (const char *tool : kTools)
        EXPECT_TRUE(Exists(sim + "\\" + tool)) << tool;
    for (const char *f :
         {"VtlDrvUsb.dll", "vtlsim.exe", "two-boards.ini", "README.txt", "samples\\sample.bit",
          "samples\\sample.app", "samples\\sample.iic", "samples\\sample_c2.iic"})
        EXPECT_TRUE(Exists(sim + "\\" + f)) << f;
    EXPECT_EQ(Lower(LinkTarget(MenuDir() + "\\Torvane (simulated board).lnk")),
              Lower(sim + "\\Torvane.exe"));
    EXPECT_EQ(Lower(LinkTarget(MenuDir() + "\\Ostrel (simulated board).lnk")),
              Lower(sim + "\\Ostrel.exe"));
}

TEST(Installed, StandardUsersMayReadAndSetValuesOfTheSettingsKeyAlone)
{
    std::vector<DWORD> masks;
    for (const keycheck::UsersEntry &e :
         keycheck::UsersAllowEntries(HKEY_LOCAL_MACHINE, kSettingsKey))
        if ((e.flags & (INHERITED_ACE | INHERIT_ONLY_ACE)) == 0)
            masks.push_back((e.flags & (CONTAINER_INHERIT_ACE | OBJECT_INHERIT_ACE)) ? 0 : e.mask);
    EXPECT_EQ(masks, std::vector<DWORD>{KEY_READ | KEY_SET_VALUE})
        << "BUILTIN\\Users' own entry of the settings key";
    EXPECT_TRUE(
        keycheck::StandardUserGets(HKEY_LOCAL_MACHINE, kSettingsKey, KEY_READ | KEY_SET_VALUE));
    EXPECT_FALSE(keycheck::StandardUserGets(HKEY_LOCAL_MACHINE, "SOFTWARE\\Veltrane\\VTL4410",
                                            KEY_SET_VALUE));
}

TEST(Uninstalled, NothingInstalledIsLeft)
{
    const std::string dir = InstallDir();
    EXPECT_FALSE(Exists(dir)) << dir;
    EXPECT_FALSE(Exists(KnownFolder(FOLDERID_ProgramFiles) + "\\Veltrane"));
    EXPECT_FALSE(Exists(MenuDir())) << MenuDir();
    EXPECT_FALSE(KeyExists(kUninstallKey));
}

TEST(Uninstalled, SettingsStay)
{
    std::string s;
    EXPECT_TRUE(vtltest::RegReadString(HKEY_LOCAL_MACHINE, kSettingsKey, "AppFile", s));
    EXPECT_EQ(s, "C:\\designs\\top.bit");
}

// Installed with /D=C:\\Apps\\VTL4410, reinstalled without /D, uninstalled with /REMOVESETTINGS
// after an administrator added a key below the settings.
TEST(Elsewhere, TheUsersParentFolderAndAKeyBelowTheSettingsStay)
{
    EXPECT_FALSE(Exists("C:\\Apps\\VTL4410"));
    EXPECT_TRUE(Exists("C:\\Apps")) << "a parent folder the installer did not make";
    std::string s;
    EXPECT_FALSE(vtltest::RegReadString(HKEY_LOCAL_MACHINE, kSettingsKey, "AppFile", s));
    DWORD dw = 0;
    for (const char *value : {"VerMaj", "VerMin", "Spartan"})
        EXPECT_FALSE(vtltest::RegReadDword(HKEY_LOCAL_MACHINE, kSettingsKey, value, dw)) << value;
    const std::string strPlanted = std::string(kSettingsKey) + "\\planted";
    EXPECT_TRUE(vtltest::RegReadString(HKEY_LOCAL_MACHINE, strPlanted.c_str(), "Kept", s))
        << "the uninstaller deletes no tree";
}

TEST(Purged, SettingsAreGoneWhenAskedFor)
{
    EXPECT_FALSE(KeyExists(kSettingsKey));
    EXPECT_FALSE(KeyExists("SOFTWARE\\Veltrane"));
}

namespace
{
LONG VerifyTrust(const wchar_t *pszPath)
{
    WINTRUST_FILE_INFO file = {};
    file.cbStruct = sizeof file;
    file.pcwszFilePath = pszPath;
    WINTRUST_DATA data = {};
    data.cbStruct = sizeof data;
    data.dwUIChoice = WTD_UI_NONE;
    data.fdwRevocationChecks = WTD_REVOKE_NONE;
    data.dwUnionChoice = WTD_CHOICE_FILE;
    data.pFile = &file;
    data.dwStateAction = WTD_STATEACTION_VERIFY;
    GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    LONG nResult = WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
    data.dwStateAction = WTD_STATEACTION_CLOSE;
    WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
    return nResult;
}

int Trust(const wchar_t *pszDer)
{
    std::string der;
    char sz[MAX_PATH * 2] = "";
    WideCharToMultiByte(CP_ACP, 0, pszDer, -1, sz, sizeof sz, NULL, NULL);
    if (!vtltest::ReadFileText(sz, der) || der.empty())
    {
        fprintf(stderr, "cannot read %s\n", sz);
        return 1;
    }
    HCERTSTORE hStore =
        CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"Root");
    BOOL bAdded =
        hStore && CertAddEncodedCertificateToStore(
                      hStore, X509_ASN_ENCODING, reinterpret_cast<const BYTE *>(der.data()),
                      static_cast<DWORD>(der.size()), CERT_STORE_ADD_REPLACE_EXISTING, NULL);
    if (hStore)
        CertCloseStore(hStore, 0);
    if (!bAdded)
        fprintf(stderr, "cannot add the certificate: 0x%08lX\n", GetLastError());
    return bAdded ? 0 : 1;
}
} // namespace

int main(int argc, char **argv)
{
    int nArgs = 0;
    LPWSTR *ppArgs = CommandLineToArgvW(GetCommandLineW(), &nArgs);
    if (ppArgs && nArgs == 3 && wcscmp(ppArgs[1], L"trust") == 0)
        return Trust(ppArgs[2]);
    if (ppArgs && nArgs == 2 && wcscmp(ppArgs[1], L"hold") == 0)
    {
        HANDLE hReader = CreateThread(
            NULL, 0,
            [](void *) -> DWORD {
                char buf[256];
                DWORD n = 0;
                while (ReadFile(GetStdHandle(STD_INPUT_HANDLE), buf, sizeof buf, &n, NULL) && n)
                    ;
                return 0;
            },
            NULL, 0, NULL);
        return hReader && WaitForSingleObject(hReader, 15 * 60 * 1000) == WAIT_OBJECT_0 ? 0 : 1;
    }
    if (ppArgs && nArgs >= 2 && wcscmp(ppArgs[1], L"verify") == 0)
    {
        for (int i = 2; i < nArgs; ++i)
            printf("0x%08lX %ls\n", static_cast<unsigned long>(VerifyTrust(ppArgs[i])), ppArgs[i]);
        return 0;
    }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
