// SettingsAccess.cpp - the Users entry on the settings key, through the security API.
#include "SettingsAccess.h"

#include <aclapi.h>

const char kSettingsKeyPath[] = "SOFTWARE\\Veltrane\\VTL4410\\settings";

namespace
{
// An explicit entry of the key's own that gives Users every right.
bool HasFullUsersEntry(PACL pDacl, PSID pUsers)
{
    for (DWORD i = 0; pDacl && i < pDacl->AceCount; ++i)
    {
        ACCESS_ALLOWED_ACE *pAce = NULL;
        if (!GetAce(pDacl, i, reinterpret_cast<LPVOID *>(&pAce)))
            return false;
        if (pAce->Header.AceType == ACCESS_ALLOWED_ACE_TYPE &&
            (pAce->Header.AceFlags & INHERITED_ACE) == 0 &&
            (pAce->Mask & KEY_ALL_ACCESS) == KEY_ALL_ACCESS &&
            EqualSid(reinterpret_cast<PSID>(&pAce->SidStart), pUsers))
            return true;
    }
    return false;
}
} // namespace

LONG GrantUsersKeyAccess(HKEY root, const char *path)
{
    HKEY hKey = NULL;
    DWORD dwDisposition = 0;
    LONG nResult =
        RegCreateKeyExA(root, path, 0, NULL, REG_OPTION_NON_VOLATILE,
                        READ_CONTROL | WRITE_DAC | WRITE_OWNER, NULL, &hKey, &dwDisposition);
    if (nResult != ERROR_SUCCESS)
        return nResult;

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
    // A reinstall or an upgrade finds the key: its access list is the administrator's, except
    // for the full access that release 1.2.0.0 gave Users, which is narrowed.
    const bool bCreated = dwDisposition == REG_CREATED_NEW_KEY;
    if (nResult == ERROR_SUCCESS && !bCreated && !HasFullUsersEntry(pOldDacl, sid))
    {
        LocalFree(pSd);
        RegCloseKey(hKey);
        return ERROR_SUCCESS;
    }
    if (nResult == ERROR_SUCCESS)
    {
        EXPLICIT_ACCESSA access = {};
        access.grfAccessPermissions = kSettingsKeyRights;
        access.grfAccessMode = bCreated ? GRANT_ACCESS : SET_ACCESS;
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
