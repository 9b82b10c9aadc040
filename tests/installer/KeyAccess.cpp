// KeyAccess.cpp - DACL entries and an access check of a registry key.
#include "KeyAccess.h"

#include <aclapi.h>

namespace keycheck
{
namespace
{
// The key's security descriptor with owner, group and DACL; LocalFree it. NULL on failure.
PSECURITY_DESCRIPTOR KeySecurity(HKEY root, const char *path, PACL *ppDacl)
{
    HKEY hKey = NULL;
    if (RegOpenKeyExA(root, path, 0, READ_CONTROL, &hKey) != ERROR_SUCCESS)
        return NULL;
    PSECURITY_DESCRIPTOR pSd = NULL;
    DWORD dw = GetSecurityInfo(hKey, SE_REGISTRY_KEY,
                               OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION |
                                   DACL_SECURITY_INFORMATION,
                               NULL, NULL, ppDacl, NULL, &pSd);
    RegCloseKey(hKey);
    return dw == ERROR_SUCCESS ? pSd : NULL;
}

struct Sid
{
    BYTE bytes[SECURITY_MAX_SID_SIZE];
    explicit Sid(WELL_KNOWN_SID_TYPE type)
    {
        DWORD cb = sizeof bytes;
        CreateWellKnownSid(type, NULL, bytes, &cb);
    }
    PSID Get() { return bytes; }
};
} // namespace

std::vector<UsersEntry> UsersAllowEntries(HKEY root, const char *path)
{
    std::vector<UsersEntry> out;
    PACL pDacl = NULL;
    PSECURITY_DESCRIPTOR pSd = KeySecurity(root, path, &pDacl);
    if (pSd == NULL)
        return out;
    Sid users(WinBuiltinUsersSid);
    for (DWORD i = 0; pDacl != NULL && i < pDacl->AceCount; ++i)
    {
        ACE_HEADER *pAce = NULL;
        if (!GetAce(pDacl, i, reinterpret_cast<void **>(&pAce)) ||
            pAce->AceType != ACCESS_ALLOWED_ACE_TYPE)
            continue;
        auto *pAllowed = reinterpret_cast<ACCESS_ALLOWED_ACE *>(pAce);
        if (EqualSid(&pAllowed->SidStart, users.Get()))
            out.push_back({pAllowed->Mask, pAce->AceFlags});
    }
    LocalFree(pSd);
    return out;
}

HANDLE StandardUserToken()
{
    HANDLE hToken = NULL, hRestricted = NULL;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY | TOKEN_DUPLICATE | TOKEN_ASSIGN_PRIMARY,
                          &hToken))
        return NULL;
    BYTE user[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
    DWORD cb = 0;
    Sid admins(WinBuiltinAdministratorsSid);
    SID_AND_ATTRIBUTES disabled[2] = {{admins.Get(), 0}, {NULL, 0}};
    DWORD nDisabled = 1;
    if (GetTokenInformation(hToken, TokenUser, user, sizeof user, &cb))
        disabled[nDisabled++].Sid = reinterpret_cast<TOKEN_USER *>(user)->User.Sid;
    if (!CreateRestrictedToken(hToken, DISABLE_MAX_PRIVILEGE, nDisabled, disabled, 0, NULL, 0, NULL,
                               &hRestricted))
        hRestricted = NULL;
    CloseHandle(hToken);
    return hRestricted;
}

bool StandardUserGets(HKEY root, const char *path, DWORD desired)
{
    PACL pDacl = NULL;
    PSECURITY_DESCRIPTOR pSd = KeySecurity(root, path, &pDacl);
    if (pSd == NULL)
        return false;
    bool bGranted = false;
    HANDLE hRestricted = StandardUserToken(), hImpersonation = NULL;
    if (hRestricted && DuplicateToken(hRestricted, SecurityImpersonation, &hImpersonation))
    {
        GENERIC_MAPPING mapping = {KEY_READ, KEY_WRITE, KEY_EXECUTE, KEY_ALL_ACCESS};
        PRIVILEGE_SET privileges;
        DWORD cbPrivileges = sizeof privileges, granted = 0;
        BOOL bStatus = FALSE;
        if (AccessCheck(pSd, hImpersonation, desired, &mapping, &privileges, &cbPrivileges,
                        &granted, &bStatus))
            bGranted = bStatus && (granted & desired) == desired;
    }
    for (HANDLE h : {hImpersonation, hRestricted})
        if (h != NULL)
            CloseHandle(h);
    LocalFree(pSd);
    return bGranted;
}
} // namespace keycheck
