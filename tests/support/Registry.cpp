// Registry.cpp - HKEY_LOCAL_MACHINE redirected to a scratch key, the real settings key emptied
// around a test, and small readers.
#include "TestSupport.h"

#include <cstdio>

namespace vtltest
{

CIsolatedHklm::CIsolatedHklm()
{
    static LONG s_nSerial = 0;
    char sz[128];
    snprintf(sz, sizeof sz, "Software\\VtlTests\\%lu_%llu_%ld", GetCurrentProcessId(),
             static_cast<unsigned long long>(GetTickCount64()), InterlockedIncrement(&s_nSerial));
    m_strPath = sz;
    HKEY h = NULL;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, sz, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &h, NULL) !=
        ERROR_SUCCESS)
        return;
    if (RegOverridePredefKey(HKEY_LOCAL_MACHINE, h) != ERROR_SUCCESS)
    {
        RegCloseKey(h);
        RegDeleteTreeA(HKEY_CURRENT_USER, sz);
        return;
    }
    m_hScratch = h;
}

CIsolatedHklm::~CIsolatedHklm()
{
    if (!m_hScratch)
        return;
    RegOverridePredefKey(HKEY_LOCAL_MACHINE, NULL);
    RegCloseKey(m_hScratch);
    RegDeleteTreeA(HKEY_CURRENT_USER, m_strPath.c_str());
}

const char kTorvaneSettingsKey[] = "SOFTWARE\\Veltrane\\VTL4410\\settings";

CSettingsCleaner::CSettingsCleaner()
{
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kTorvaneSettingsKey);
}

CSettingsCleaner::~CSettingsCleaner()
{
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kTorvaneSettingsKey);
}

bool RegReadString(HKEY root, const char *pszSubKey, const char *pszValue, std::string &out)
{
    DWORD type = 0, size = 0;
    if (RegGetValueA(root, pszSubKey, pszValue, RRF_RT_ANY, &type, NULL, &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return false;
    std::string s(size + 1, '\0');
    if (RegGetValueA(root, pszSubKey, pszValue, RRF_RT_REG_SZ, NULL, &s[0], &size) != ERROR_SUCCESS)
        return false;
    s.resize(strlen(s.c_str()));
    out = s;
    return true;
}

bool RegReadDword(HKEY root, const char *pszSubKey, const char *pszValue, DWORD &out)
{
    DWORD size = sizeof out;
    return RegGetValueA(root, pszSubKey, pszValue, RRF_RT_REG_DWORD, NULL, &out, &size) ==
           ERROR_SUCCESS;
}

} // namespace vtltest
