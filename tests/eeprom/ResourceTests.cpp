// ResourceTests.cpp - Ostrel's templates, menu, string and version as the program carries them.
#include "TestSupport.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace vtltest;

namespace
{
INT_PTR CALLBACK NullProc(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}
} // namespace

TEST(OstrelResources, MainDialogTemplate)
{
    const LONG kList = LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_TABSTOP;
    ExpectTemplate(IDD_OSTREL_DIALOG, 268, 113, "Ostrel",
                   {{IDOK, "OK", 208, 90, 50, 14, BS_DEFPUSHBUTTON},
                    {IDC_UPDATE, "Update", 208, 8, 50, 14, WS_DISABLED},
                    {IDC_SAVE, "Save", 208, 26, 50, 14, WS_DISABLED},
                    {IDC_VERIFY, "Verify", 208, 44, 50, 14, WS_DISABLED},
                    {-1, "", 4, 0, 260, 108, BS_GROUPBOX},
                    {IDC_BOARDS, nullptr, 8, 8, 196, 96, kList},
                    {IDC_ERASE, "Erase", 208, 64, 50, 14, WS_DISABLED}});
    HWND h = CreateDialogParamA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDD_OSTREL_DIALOG), NULL,
                                NullProc, 0);
    ASSERT_NE(h, (HWND)NULL);
    // The list view turns its border into a client edge when it is created.
    HWND hList = GetDlgItem(h, IDC_BOARDS);
    EXPECT_TRUE((GetWindowLongA(hList, GWL_STYLE) & WS_BORDER) ||
                (GetWindowLongA(hList, GWL_EXSTYLE) & WS_EX_CLIENTEDGE));
    const LONG style = GetWindowLongA(h, GWL_STYLE);
    const LONG want = WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    EXPECT_EQ(style & want, want);
    EXPECT_TRUE(GetWindowLongA(h, GWL_EXSTYLE) & WS_EX_APPWINDOW);
    DestroyWindow(h);
}

TEST(OstrelResources, SplashAndAboutTemplates)
{
    ExpectTemplate(IDD_SPLASH, 140, 33, "",
                   {{-1, nullptr, 4, 4, 21, 20, SS_ICON},
                    {-1, "Loading library ...", 44, 12, 88, 12, WS_GROUP}});
    ExpectTemplate(IDD_ABOUTBOX, 235, 55, "About Ostrel",
                   {{-1, nullptr, 11, 17, 20, 20, SS_ICON},
                    {-1, "Ostrel Version 1.0", 40, 10, 119, 8, SS_NOPREFIX | WS_GROUP},
                    {IDOK, "OK", 178, 7, 50, 14, BS_DEFPUSHBUTTON | WS_GROUP | WS_TABSTOP}});
}

TEST(OstrelResources, MenuStringAndVersion)
{
    HMENU hMenu = LoadMenuA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(129));
    ASSERT_NE(hMenu, (HMENU)NULL);
    char sz[64] = "";
    ASSERT_EQ(GetMenuItemCount(hMenu), 1);
    GetMenuStringA(hMenu, 0, sz, sizeof sz, MF_BYPOSITION);
    EXPECT_STREQ(sz, "MSG");
    HMENU hPopup = GetSubMenu(hMenu, 0);
    ASSERT_NE(hPopup, (HMENU)NULL);
    ASSERT_EQ(GetMenuItemCount(hPopup), 1);
    EXPECT_EQ(GetMenuItemID(hPopup, 0), 32771u);
    GetMenuStringA(hPopup, 0, sz, sizeof sz, MF_BYPOSITION);
    EXPECT_STREQ(sz, "HOURGLASS");
    DestroyMenu(hMenu);

    sz[0] = '\0';
    LoadStringA(GetModuleHandleA(NULL), 101, sz, sizeof sz);
    EXPECT_STREQ(sz, "&About Ostrel...");
    EXPECT_NE(FindResourceA(NULL, MAKEINTRESOURCEA(128), RT_GROUP_ICON), (HRSRC)NULL);

    VS_FIXEDFILEINFO info = {};
    ASSERT_TRUE(vtltest::ReadOwnFileVersion(info));
    const VS_FIXEDFILEINFO *pInfo = &info;
    EXPECT_EQ(pInfo->dwFileVersionMS, 0x00010002u);
    EXPECT_EQ(pInfo->dwFileVersionLS, 0u);
    EXPECT_EQ(pInfo->dwProductVersionMS, 0x00010002u);
    EXPECT_EQ(pInfo->dwProductVersionLS, 0u);
}
