// SettingsAccess.cpp - the Users entry on the settings key, through the security API.
#include "SettingsAccess.h"

#include <aclapi.h>

const char kSettingsKeyPath[] = "SOFTWARE\\Veltrane\\VTL4410\\settings";

LONG GrantUsersKeyAccess(HKEY root, const char *path)
{
    HKEY hKey = NULL;
    DWORD dwDisposition = 0;
    LONG nResult =
        RegCreateKeyExA(root, path, 0, NULL, REG_OPTION_NON_VOLATILE,
                        READ_CONTROL | WRITE_DAC | WRITE_OWNER, NULL, &hKey, &dwDisposition);
    if (nResult != ERROR_SUCCESS)
        return nResult;
    // A reinstall or an upgrade finds the key: its access list is the administrator's.
    if (dwDisposition != REG_CREATED_NEW_KEY)
    {
        RegCloseKey(hKey);
        return ERROR_SUCCESS;
    }

    BYTE sid[SECURITY_MAX_SID_SIZE], admins[SECURITY_MAX_SID_SIZE];
    DWORD cbSid = sizeof sid, cbAdmins = sizeof admins;
    PACL pOldDacl = NULL;
    PSECURITY_DESCRIPTOR pSd = NULL;
    PACL pNewDacl = NULL;
    if (!CreateWellKnownSid(WinBuiltinUsersSid, NULL, sid, &cbSid) ||
        !CreateWellKnownSid(WinBuiltinAdministratorsSid, NULL, admins, &cbAdmins))
        nResult = static_cast<LONG>(GetLastError());
    else
        nResult = static_cast<LONG>(GetSecurityInfo(
            hKey, SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, NULL, NULL, &pOldDacl, NULL, &pSd));
    if (nResult == ERROR_SUCCESS)
    {
        EXPLICIT_ACCESSA access = {};
        access.grfAccessPermissions = kSettingsKeyRights;
        access.grfAccessMode = GRANT_ACCESS;
        access.grfInheritance = NO_INHERITANCE;
        access.Trustee.TrusteeForm = TRUSTEE_IS_SID;
        access.Trustee.TrusteeType = TRUSTEE_IS_WELL_KNOWN_GROUP;
        access.Trustee.ptstrName = reinterpret_cast<LPSTR>(sid);
        nResult = static_cast<LONG>(SetEntriesInAclA(1, &access, pOldDacl, &pNewDacl));
    }
    // Owned by the administrators: an owner may always change the DACL, and the default owner
    // can be a group that standard users are in.
    if (nResult == ERROR_SUCCESS)
        nResult = static_cast<LONG>(SetSecurityInfo(
            hKey, SE_REGISTRY_KEY, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, admins,
            NULL, pNewDacl, NULL));
    if (pNewDacl)
        LocalFree(pNewDacl);
    if (pSd)
        LocalFree(pSd);
    RegCloseKey(hKey);
    return nResult;
}
