// SettingsAccessTests.cpp - the installer's helper on an isolated HKLM: Users get what Torvane's
// full-access open asks for, on the settings key alone.
#include <gtest/gtest.h>

#include <string>

#include "KeyAccess.h"
#include "SettingsAccess.h"
#include "TestSupport.h"

namespace
{
const char kParent[] = "SOFTWARE\\Veltrane\\VTL4410";

// Users' entries that give Torvane's rights on the key itself and reach nothing below it.
int FullEntriesOnTheKeyAlone()
{
    int n = 0;
    for (const keycheck::UsersEntry &e :
         keycheck::UsersAllowEntries(HKEY_LOCAL_MACHINE, kSettingsKeyPath))
        n += (e.mask & KEY_ALL_ACCESS) == KEY_ALL_ACCESS &&
             (e.flags & (CONTAINER_INHERIT_ACE | OBJECT_INHERIT_ACE | INHERIT_ONLY_ACE)) == 0;
    return n;
}
} // namespace

TEST(SettingsAccess, StandardUsersGetFullAccessOnTheSettingsKeyAlone)
{
    vtltest::CIsolatedHklm hklm;
    ASSERT_TRUE(hklm.Ok());
    HKEY h = NULL;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSettingsKeyPath, 0, NULL, 0, KEY_ALL_ACCESS,
                              NULL, &h, NULL),
              ERROR_SUCCESS);
    RegCloseKey(h);
    EXPECT_FALSE(keycheck::StandardUserGets(HKEY_LOCAL_MACHINE, kSettingsKeyPath, KEY_ALL_ACCESS))
        << "a plain key must not let standard users write";

    ASSERT_EQ(GrantUsersKeyAccess(HKEY_LOCAL_MACHINE, kSettingsKeyPath), ERROR_SUCCESS);
    EXPECT_EQ(FullEntriesOnTheKeyAlone(), 1);
    // Torvane opens with KEY_ALL_ACCESS; read and write alone would leave it read-only.
    EXPECT_TRUE(keycheck::StandardUserGets(HKEY_LOCAL_MACHINE, kSettingsKeyPath, KEY_ALL_ACCESS));
    EXPECT_FALSE(keycheck::StandardUserGets(HKEY_LOCAL_MACHINE, kParent, KEY_SET_VALUE));
    const std::string strBelow = std::string(kSettingsKeyPath) + "\\below";
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, strBelow.c_str(), 0, NULL, 0, KEY_ALL_ACCESS,
                              NULL, &h, NULL),
              ERROR_SUCCESS);
    RegCloseKey(h);
    EXPECT_FALSE(keycheck::StandardUserGets(HKEY_LOCAL_MACHINE, strBelow.c_str(), KEY_SET_VALUE));
}

TEST(SettingsAccess, CreatesAMissingKeyKeepsItsValuesAndGrantsOnce)
{
    vtltest::CIsolatedHklm hklm;
    ASSERT_TRUE(hklm.Ok());
    ASSERT_EQ(GrantUsersKeyAccess(HKEY_LOCAL_MACHINE, kSettingsKeyPath), ERROR_SUCCESS);
    const DWORD dwMajor = 7;
    ASSERT_EQ(RegSetKeyValueA(HKEY_LOCAL_MACHINE, kSettingsKeyPath, "VerMaj", REG_DWORD, &dwMajor,
                              sizeof dwMajor),
              ERROR_SUCCESS);
    // The installer runs again on a reinstall: one entry, and the user's settings stay.
    ASSERT_EQ(GrantUsersKeyAccess(HKEY_LOCAL_MACHINE, kSettingsKeyPath), ERROR_SUCCESS);
    EXPECT_EQ(FullEntriesOnTheKeyAlone(), 1);
    DWORD dw = 0;
    EXPECT_TRUE(vtltest::RegReadDword(HKEY_LOCAL_MACHINE, kSettingsKeyPath, "VerMaj", dw));
    EXPECT_EQ(dw, dwMajor);
}

TEST(SettingsAccess, AKeyThatCannotBeCreatedIsAnError)
{
    vtltest::CIsolatedHklm hklm;
    ASSERT_TRUE(hklm.Ok());
    const std::string strTooLong = "SOFTWARE\\" + std::string(300, 'k');
    EXPECT_NE(GrantUsersKeyAccess(HKEY_LOCAL_MACHINE, strTooLong.c_str()), ERROR_SUCCESS);
}
