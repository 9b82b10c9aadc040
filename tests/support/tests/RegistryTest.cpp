// HKEY_LOCAL_MACHINE redirected to a scratch key.
#include <gtest/gtest.h>

#include "TestSupport.h"

using namespace vtltest;

TEST(IsolatedHklm, WritesLandInTheScratchKeyAndVanishAfterwards)
{
    const char *kSub = "SOFTWARE\\VtlSupportTest\\settings";
    std::string scratchPath;
    {
        CIsolatedHklm iso;
        ASSERT_TRUE(iso.Ok());
        scratchPath = iso.Path();
        HKEY h = NULL;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, kSub, 0, NULL, 0,
                                                 KEY_ALL_ACCESS, NULL, &h, NULL));
        DWORD v = 7;
        EXPECT_EQ(ERROR_SUCCESS, RegSetValueExA(h, "VerMaj", 0, REG_DWORD,
                                                reinterpret_cast<BYTE *>(&v), sizeof v));
        EXPECT_EQ(ERROR_SUCCESS, RegSetValueExA(h, "AppFile", 0, REG_SZ,
                                                reinterpret_cast<const BYTE *>("C:\\a.bit"), 9));
        RegCloseKey(h);

        DWORD got = 0;
        std::string s;
        EXPECT_TRUE(RegReadDword(HKEY_LOCAL_MACHINE, kSub, "VerMaj", got));
        EXPECT_EQ(7u, got);
        EXPECT_TRUE(RegReadString(HKEY_LOCAL_MACHINE, kSub, "AppFile", s));
        EXPECT_EQ("C:\\a.bit", s);
        // Type mismatches are refused, not converted.
        EXPECT_FALSE(RegReadString(HKEY_LOCAL_MACHINE, kSub, "VerMaj", s));
        EXPECT_FALSE(RegReadDword(HKEY_LOCAL_MACHINE, kSub, "AppFile", got));
        // The value really sits under the scratch key in HKCU.
        EXPECT_TRUE(
            RegReadDword(HKEY_CURRENT_USER, (scratchPath + "\\" + kSub).c_str(), "VerMaj", got));
    }
    HKEY h = NULL;
    EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSub, 0, KEY_READ, &h));
    EXPECT_NE(ERROR_SUCCESS,
              RegOpenKeyExA(HKEY_CURRENT_USER, scratchPath.c_str(), 0, KEY_READ, &h));
    // The real HKLM is back.
    EXPECT_EQ(ERROR_SUCCESS,
              RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft", 0, KEY_READ, &h));
    RegCloseKey(h);
}

TEST(IsolatedHklm, TwoInTurnAreIndependent)
{
    std::string first;
    {
        CIsolatedHklm a;
        ASSERT_TRUE(a.Ok());
        first = a.Path();
        HKEY h;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Left", 0, NULL, 0,
                                                 KEY_ALL_ACCESS, NULL, &h, NULL));
        RegCloseKey(h);
    }
    CIsolatedHklm b;
    ASSERT_TRUE(b.Ok());
    EXPECT_NE(first, b.Path());
    HKEY h;
    EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Left", 0, KEY_READ, &h));
}

TEST(TempDir, HoldsFilesAndIsRemovedWithThem)
{
    std::string dir;
    {
        CTempDir t;
        ASSERT_FALSE(t.Path().empty());
        dir = t.Path();
        ASSERT_TRUE(WriteFileText(t.File("a.txt"), std::string("x\0y", 3)));
        std::string s;
        ASSERT_TRUE(ReadFileText(t.File("a.txt"), s));
        EXPECT_EQ(std::string("x\0y", 3), s);
        EXPECT_FALSE(ReadFileText(t.File("missing.txt"), s));
    }
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(dir.c_str()));
}
