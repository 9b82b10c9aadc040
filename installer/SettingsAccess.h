// SettingsAccess.h - lets standard users save Torvane's settings under HKEY_LOCAL_MACHINE.
#pragma once

#include <windows.h>

// Torvane's settings key below HKEY_LOCAL_MACHINE.
extern const char kSettingsKeyPath[];

// What Torvane's writable open asks for, and no more: no DELETE, WRITE_DAC, WRITE_OWNER,
// KEY_CREATE_SUB_KEY or KEY_CREATE_LINK, so a user can neither lock administrators out nor plant
// a subkey or a link below a key the elevated uninstaller cleans up.
const DWORD kSettingsKeyRights = KEY_READ | KEY_SET_VALUE;

// Creates root\path when it is missing and then adds to its DACL an allow entry for BUILTIN\Users
// with kSettingsKeyRights that nothing below the key inherits. A key that is there already keeps
// its DACL as an administrator may have set it, unless Users hold every right on it (as release
// 1.2.0.0 granted): that entry becomes kSettingsKeyRights. Returns ERROR_SUCCESS or the Win32 error
// of the step that failed.
LONG GrantUsersKeyAccess(HKEY root, const char *path);
