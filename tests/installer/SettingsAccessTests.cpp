// SettingsAccessTests.cpp - the installer's helper on an isolated HKLM: Users get what Torvane's
// writable open asks for, on the settings key alone, and only on a key the helper creates.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <aclapi.h>

#include "KeyAccess.h"
#include "SettingsAccess.h"
#include "TestSupport.h"

namespace
{
const char kParent[] = "SOFTWARE\\Veltrane\\VTL4410";

// Users' own entries that apply to the key: their rights, or 0 for one that also reaches below.
std::vector<DWORD> UsersEntriesOnTheKey()
{
    std::vector<DWORD> masks;
    for (const keycheck::UsersEntry &e :
         keycheck::UsersAllowEntries(HKEY_LOCAL_MACHINE, kSettingsKeyPath))
        if ((e.flags & (INHERITED_ACE | INHERIT_ONLY_ACE)) == 0)
            masks.push_back((e.flags & (CONTAINER_INHERIT_ACE | OBJECT_INHERIT_ACE)) ? 0 : e.mask);
    return masks;
}
} // namespace

TEST(SettingsAccess, StandardUsersMayReadAndSetValuesOnTheSettingsKeyAlone)
{
    vtltest::CIsolatedHklm hklm;
    ASSERT_TRUE(hklm.Ok());
    ASSERT_EQ(GrantUsersKeyAccess(HKEY_LOCAL_MACHINE, kSettingsKeyPath), ERROR_SUCCESS);
    EXPECT_EQ(UsersEntriesOnTheKey(), std::vector<DWORD>{KEY_READ | KEY_SET_VALUE});
    EXPECT_TRUE(
        keycheck::StandardUserGets(HKEY_LOCAL_MACHINE, kSettingsKeyPath, KEY_READ | KEY_SET_VALUE));
    for (DWORD dwRight : {DWORD(DELETE), DWORD(WRITE_DAC), DWORD(WRITE_OWNER),
                          DWORD(KEY_CREATE_SUB_KEY), DWORD(KEY_CREATE_LINK)})
        EXPECT_FALSE(keycheck::StandardUserGets(HKEY_LOCAL_MACHINE, kSettingsKeyPath, dwRight))
            << std::hex << dwRight;
    EXPECT_FALSE(keycheck::StandardUserGets(HKEY_LOCAL_MACHINE, kParent, KEY_SET_VALUE));
    const std::string strBelow = std::string(kSettingsKeyPath) + "\\below";
    HKEY h = NULL;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, strBelow.c_str(), 0, NULL, 0, KEY_ALL_ACCESS,
                              NULL, &h, NULL),
              ERROR_SUCCESS);
    RegCloseKey(h);
    EXPECT_FALSE(keycheck::StandardUserGets(HKEY_LOCAL_MACHINE, strBelow.c_str(), KEY_SET_VALUE));
}

TEST(SettingsAccess, AKeyThatIsThereKeepsItsAccessListAndValues)
{
    vtltest::CIsolatedHklm hklm;
    ASSERT_TRUE(hklm.Ok());
    // An administrator's key, or one whose entry an administrator took away again.
    const DWORD dwMajor = 7;
    ASSERT_EQ(RegSetKeyValueA(HKEY_LOCAL_MACHINE, kSettingsKeyPath, "VerMaj", REG_DWORD, &dwMajor,
                              sizeof dwMajor),
              ERROR_SUCCESS);
    ASSERT_EQ(GrantUsersKeyAccess(HKEY_LOCAL_MACHINE, kSettingsKeyPath), ERROR_SUCCESS);
    EXPECT_EQ(UsersEntriesOnTheKey(), std::vector<DWORD>{});
    EXPECT_FALSE(keycheck::StandardUserGets(HKEY_LOCAL_MACHINE, kSettingsKeyPath, KEY_SET_VALUE));
    DWORD dw = 0;
    EXPECT_TRUE(vtltest::RegReadDword(HKEY_LOCAL_MACHINE, kSettingsKeyPath, "VerMaj", dw));
    EXPECT_EQ(dw, dwMajor);
}

// An earlier release gave Users every right on the key; the upgrade narrows that entry.
TEST(SettingsAccess, AnUpgradeNarrowsTheFullAccessOfAnEarlierRelease)
{
    vtltest::CIsolatedHklm hklm;
    ASSERT_TRUE(hklm.Ok());
    ASSERT_EQ(GrantUsersKeyAccess(HKEY_LOCAL_MACHINE, kSettingsKeyPath), ERROR_SUCCESS);
    BYTE sid[SECURITY_MAX_SID_SIZE];
    DWORD cbSid = sizeof sid;
    ASSERT_TRUE(CreateWellKnownSid(WinBuiltinUsersSid, NULL, sid, &cbSid));
    EXPLICIT_ACCESSA full = {};
    full.grfAccessPermissions = KEY_ALL_ACCESS;
    full.grfAccessMode = SET_ACCESS;
    BuildTrusteeWithSidA(&full.Trustee, sid);
    PACL pDacl = NULL;
    HKEY hKey = NULL;
    ASSERT_EQ(SetEntriesInAclA(1, &full, NULL, &pDacl), ERROR_SUCCESS);
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSettingsKeyPath, 0, WRITE_DAC, &hKey),
              ERROR_SUCCESS);
    const DWORD dwSet =
        SetSecurityInfo(hKey, SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, NULL, NULL, pDacl, NULL);
    RegCloseKey(hKey);
    LocalFree(pDacl);
    ASSERT_EQ(dwSet, DWORD(ERROR_SUCCESS));
    ASSERT_EQ(UsersEntriesOnTheKey(), std::vector<DWORD>{KEY_ALL_ACCESS});
    ASSERT_EQ(GrantUsersKeyAccess(HKEY_LOCAL_MACHINE, kSettingsKeyPath), ERROR_SUCCESS);
    EXPECT_EQ(UsersEntriesOnTheKey(), std::vector<DWORD>{KEY_READ | KEY_SET_VALUE});
}

TEST(SettingsAccess, AKeyThatCannotBeCreatedIsAnError)
{
    vtltest::CIsolatedHklm hklm;
    ASSERT_TRUE(hklm.Ok());
    const std::string strTooLong = "SOFTWARE\\" + std::string(300, 'k');
    EXPECT_NE(GrantUsersKeyAccess(HKEY_LOCAL_MACHINE, strTooLong.c_str()), ERROR_SUCCESS);
}
