// SettingsAccess.cpp - the Users entry on the settings key, through the security API.
#include "SettingsAccess.h"

#include <aclapi.h>

const char kSettingsKeyPath[] = "SOFTWARE\\Veltrane\\VTL4410\\settings";

namespace
{
// True when the DACL already lets sid do all of kSettingsKeyRights on the key itself.
bool HasEntry(PACL pDacl, PSID sid)
{
    for (DWORD i = 0; pDacl != NULL && i < pDacl->AceCount; ++i)
    {
        ACE_HEADER *pAce = NULL;
        if (!GetAce(pDacl, i, reinterpret_cast<void **>(&pAce)) ||
            pAce->AceType != ACCESS_ALLOWED_ACE_TYPE || (pAce->AceFlags & INHERIT_ONLY_ACE) != 0)
            continue;
        auto *pAllowed = reinterpret_cast<ACCESS_ALLOWED_ACE *>(pAce);
        if (EqualSid(&pAllowed->SidStart, sid) &&
            (pAllowed->Mask & kSettingsKeyRights) == kSettingsKeyRights)
            return true;
    }
    return false;
}
} // namespace

LONG GrantUsersKeyAccess(HKEY root, const char *path)
{
    HKEY hKey = NULL;
    LONG nResult = RegCreateKeyExA(root, path, 0, NULL, REG_OPTION_NON_VOLATILE,
                                   READ_CONTROL | WRITE_DAC, NULL, &hKey, NULL);
    if (nResult != ERROR_SUCCESS)
        return nResult;

    BYTE sid[SECURITY_MAX_SID_SIZE];
    DWORD cbSid = sizeof sid;
    PACL pOldDacl = NULL;
    PSECURITY_DESCRIPTOR pSd = NULL;
    PACL pNewDacl = NULL;
    if (!CreateWellKnownSid(WinBuiltinUsersSid, NULL, sid, &cbSid))
        nResult = static_cast<LONG>(GetLastError());
    else
        nResult = static_cast<LONG>(GetSecurityInfo(
            hKey, SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, NULL, NULL, &pOldDacl, NULL, &pSd));
    // A reinstall finds the entry there already: one is enough, and a deny entry that an
    // administrator added to lock the key stays in force either way.
    const bool bDone = nResult == ERROR_SUCCESS && HasEntry(pOldDacl, sid);
    if (nResult == ERROR_SUCCESS && !bDone)
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
    if (nResult == ERROR_SUCCESS && !bDone)
        nResult = static_cast<LONG>(SetSecurityInfo(
            hKey, SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, NULL, NULL, pNewDacl, NULL));
    if (pNewDacl)
        LocalFree(pNewDacl);
    if (pSd)
        LocalFree(pSd);
    RegCloseKey(hKey);
    return nResult;
}
