// SettingsAccessMain.cpp - run by the installer (elevated, no window): creates Torvane's
// settings key and lets BUILTIN\Users write it. Exit code: 0, or the Win32 error.
#include "SettingsAccess.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    return static_cast<int>(GrantUsersKeyAccess(HKEY_LOCAL_MACHINE, kSettingsKeyPath));
}
