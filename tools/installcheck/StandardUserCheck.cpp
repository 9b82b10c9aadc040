// StandardUserCheck.cpp - Torvane of the installed simulator folder under a standard user's
// token: OK saves its settings while the installer's entry is on the key, it falls back to
// read-only without it, and the user can do nothing else to the key. StandardUser.* (run as the
// administrator) start this program again under that token for AsStandardUser.*, whose checks
// an administrator would fail.
#include <gtest/gtest.h>

#include <windows.h>

#include <sddl.h>

#include <string>

#include "InstallCheck.h"
#include "KeyAccess.h"
#include "TestSupport.h"
#include "flash/resource.h"

using installcheck::kSettingsKey;

namespace
{
const char kSavedFile[] = "C:\\designs\\top.bit";

// This program with filter under keycheck::StandardUserToken(); its exit code, or -1 when it
// could not start or did not end within three minutes.
int RunAsStandardUser(const wchar_t *pszFilter)
{
    wchar_t wszExe[MAX_PATH];
    HANDLE hToken = keycheck::StandardUserToken();
    std::wstring cmd = L"\"\" --gtest_brief=1 --gtest_filter=";
    const DWORD n = GetModuleFileNameW(NULL, wszExe, MAX_PATH);
    cmd.insert(1, wszExe, n < MAX_PATH ? n : 0);
    cmd += pszFilter;
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION pi = {};
    DWORD dwExit = DWORD(-1);
    if (hToken && n && n < MAX_PATH &&
        CreateProcessAsUserW(hToken, wszExe, &cmd[0], NULL, NULL, TRUE, 0, NULL, NULL, &si, &pi))
    {
        if (WaitForSingleObject(pi.hProcess, 180000) != WAIT_OBJECT_0 ||
            !GetExitCodeProcess(pi.hProcess, &dwExit))
            TerminateProcess(pi.hProcess, dwExit = DWORD(-1));
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    if (hToken)
        CloseHandle(hToken);
    return static_cast<int>(dwExit);
}

// Sets the key's DACL from SDDL, as an administrator may (or a user who could).
LONG SetKeyDacl(const char *pszSddl)
{
    PSECURITY_DESCRIPTOR pSd = NULL;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(pszSddl, SDDL_REVISION_1, &pSd, NULL))
        return static_cast<LONG>(GetLastError());
    HKEY hKey = NULL;
    LONG nResult = RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, WRITE_DAC, &hKey);
    if (nResult == ERROR_SUCCESS)
    {
        nResult = RegSetKeySecurity(hKey, DACL_SECURITY_INFORMATION, pSd);
        RegCloseKey(hKey);
    }
    LocalFree(pSd);
    return nResult;
}

// Torvane of the simulator folder, its path box set to file and ended with OK; the path it
// loaded at start comes back in pLoaded.
void OkInTorvane(const std::string &file, std::string *pLoaded)
{
    vtltest::CProcessDriver torvane;
    ASSERT_TRUE(torvane.Start(installcheck::SimulatorDir() + "\\Torvane.exe",
                              {{"VTLSIM_CONFIG", ""}, {"VTLSIM_JOURNAL", ""}}))
        << torvane.LastError();
    ASSERT_NE(torvane.WaitForMainWindow(30000, "Torvane"), (HWND)NULL) << torvane.LastError();
    ASSERT_TRUE(vtltest::WaitForCondition([&] { return !torvane.Text(IDC_INFO).empty(); }, 15000))
        << "the simulated board's flash description";
    *pLoaded = torvane.Text(IDC_FILE);
    ASSERT_TRUE(torvane.SetText(IDC_FILE, file));
    ASSERT_TRUE(torvane.Click(IDOK));
    ASSERT_TRUE(torvane.WaitForExit(30000));
}

std::string StoredFile()
{
    std::string s;
    return vtltest::RegReadString(HKEY_LOCAL_MACHINE, kSettingsKey, "AppFile", s) ? s : "(none)";
}
} // namespace

TEST(StandardUser, SavesOnOkAndCannotTakeTheKey)
{
    ASSERT_EQ(StoredFile(), "(none)") << "a fresh prefix has no settings yet";
    ASSERT_EQ(RunAsStandardUser(L"AsStandardUser.SavesOnOkAndCannotTakeTheKey"), 0);
    EXPECT_EQ(StoredFile(), kSavedFile);
}

TEST(StandardUser, WithoutTheInstallersEntryTorvaneIsReadOnly)
{
    // Administrators all, users read: the installer's entry taken away.
    ASSERT_EQ(SetKeyDacl("D:(A;;KA;;;BA)(A;;KR;;;BU)"), ERROR_SUCCESS);
    ASSERT_EQ(RunAsStandardUser(L"AsStandardUser.TorvaneIsReadOnly"), 0);
    EXPECT_EQ(StoredFile(), kSavedFile);
}

TEST(AsStandardUser, SavesOnOkAndCannotTakeTheKey)
{
    std::string loaded;
    OkInTorvane(kSavedFile, &loaded);
    // A subkey needs KEY_CREATE_SUB_KEY on the key. Wine checks it when the key is opened, but
    // not on the existing keys of a longer path that RegCreateKeyEx walks from HKLM.
    HKEY h = NULL;
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSettingsKey, 0, KEY_CREATE_SUB_KEY, &h),
              ERROR_ACCESS_DENIED);
    EXPECT_EQ(SetKeyDacl("D:(A;;KA;;;WD)"), ERROR_ACCESS_DENIED);
    EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, kSettingsKey), ERROR_ACCESS_DENIED);
}

TEST(AsStandardUser, TorvaneIsReadOnly)
{
    std::string loaded;
    OkInTorvane("C:\\designs\\other.bit", &loaded);
    EXPECT_EQ(loaded, kSavedFile) << "the settings still load";
}
