// KeyAccess.h - reads back who may do what on a registry key, through the security API.
#pragma once

#include <windows.h>

#include <vector>

namespace keycheck
{
// One allow entry of BUILTIN\Users in a key's DACL.
struct UsersEntry
{
    DWORD mask;
    BYTE flags; // ACE flags: inheritance, INHERITED_ACE
};

// BUILTIN\Users' allow entries on root\path, in DACL order; empty when the key cannot be read.
std::vector<UsersEntry> UsersAllowEntries(HKEY root, const char *path);

// A standard user's primary token: this process's token with the administrators group and the
// user's own account made deny-only and no privileges but SeChangeNotify, so that only group
// memberships such as BUILTIN\Users count. NULL on failure; CloseHandle it.
HANDLE StandardUserToken();

// Whether a standard user gets all of desired on root\path: an access check of the key's
// security descriptor against StandardUserToken(). False when the key cannot be read.
bool StandardUserGets(HKEY root, const char *path, DWORD desired);
} // namespace keycheck
