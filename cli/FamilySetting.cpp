// FamilySetting.cpp - reading Torvane's family setting from HKEY_LOCAL_MACHINE.
#include "FamilySetting.h"

#include "FamilyRule.h"
#include "TorvaneText.h"

#include <string>

FpgaFamily ReadStoredFamily(bool &bStored)
{
    bStored = false;
    const std::string strKey = std::string(TorvaneText::kRegKey) + "\\" + TorvaneText::kRegSubKey;
    HKEY hKey = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, strKey.c_str(), 0, KEY_QUERY_VALUE, &hKey) !=
        ERROR_SUCCESS)
        return FAMILY_SPARTAN;
    DWORD dwType = 0;
    DWORD dwValue = 0;
    DWORD dwSize = sizeof(dwValue);
    const LONG nResult = RegQueryValueExA(hKey, TorvaneText::kRegSpartan, nullptr, &dwType,
                                          reinterpret_cast<BYTE *>(&dwValue), &dwSize);
    RegCloseKey(hKey);
    if (nResult != ERROR_SUCCESS || dwType != REG_DWORD || dwSize != sizeof(dwValue))
        return FAMILY_SPARTAN;
    bStored = true;
    return StoredFamily(dwValue);
}
