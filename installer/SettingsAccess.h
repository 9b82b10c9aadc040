// SettingsAccess.h - lets standard users save Torvane's settings under HKEY_LOCAL_MACHINE.
#pragma once

#include <windows.h>

// Torvane's settings key below HKEY_LOCAL_MACHINE.
extern const char kSettingsKeyPath[];

// Rights Torvane asks for when it opens the key for writing (KEY_ALL_ACCESS): read and write
// alone would not satisfy that open, and Torvane would fall back to read-only.
const DWORD kSettingsKeyRights = KEY_ALL_ACCESS;

// Creates root\path when it is missing and adds to its DACL an allow entry for BUILTIN\Users
// with kSettingsKeyRights that nothing below the key inherits. Entries already there stay.
// Returns ERROR_SUCCESS or the Win32 error of the step that failed.
LONG GrantUsersKeyAccess(HKEY root, const char *path);
