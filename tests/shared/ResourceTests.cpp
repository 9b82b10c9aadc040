// ResourceTests.cpp - each tool's templates, menu, strings, icon and version as its program carries
// them. Built once per tool with that tool's resources; VTL_TESTED_TOOL picks its row.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "TestSupport.h"
#include "resource.h"

using vtltest::TemplateControl;

namespace
{
INT_PTR CALLBACK NullProc(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

struct MenuItem
{
    const char *text;
    UINT nId; // 0: a popup
};

struct ToolResources
{
    const char *name;
    int cx, cy;
    std::vector<TemplateControl> main;
    DWORD mainStyle, mainExStyle;          // bits the main dialog must have
    std::map<int, const char *> classes;   // control id -> window class
    std::vector<int> bordered, borderless; // how edits and lists show their frame
    int splashCx, splashCy;
    const char *splashCaption;
    std::vector<TemplateControl> splash;
    LONG aboutOkStyle;
    std::vector<MenuItem> menu;          // template 129 as a menu; empty: none
    std::set<std::pair<int, int>> icons; // size and bit depth; empty: only present
    bool bManifest;
    int nSplashBitmap; // its pixel size; 0: none
};

const LONG kInfo = ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | ES_AUTOHSCROLL;
const LONG kList = LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_TABSTOP;

// The main dialogs' controls in tab order, with the style bits each must have and must not have.
// Torvane's command buttons are 58 wide, from x 254: at 54 "Erase Bitstream" does not fit.
const std::vector<TemplateControl> kTorvaneMain = {
    {1000, nullptr, 45, 8, 255, 12, ES_AUTOHSCROLL | WS_TABSTOP},
    {1001, "...", 300, 8, 12, 12, 0},
    {1009, nullptr, 45, 21, 24, 12, ES_NUMBER | ES_RIGHT},
    {1010, nullptr, 78, 21, 24, 12, 0},
    {1012, "SPARTAN", 132, 24, 64, 8, BS_AUTORADIOBUTTON | WS_GROUP},
    {1013, "VIRTEX", 204, 24, 64, 8, 0},
    {1002, "Erase", 254, 36, 58, 12, 0},
    {1005, "Erase Bitstream", 254, 51, 58, 12, 0},
    {1003, "Program", 254, 66, 58, 12, 0},
    {2, "Cancel", 204, 111, 50, 14, 0, WS_VISIBLE}, // exists but is never shown
    {1, nullptr, 266, 111, 50, 14, BS_DEFPUSHBUTTON},
    {-1, "Bitstream:", 9, 8, 35, 12, 0},
    {1004, nullptr, 9, 36, 243, 42, kInfo, WS_TABSTOP},
    {-1, nullptr, 4, 0, 314, 104, BS_GROUPBOX, WS_TABSTOP},
    {1006, nullptr, 9, 81, 303, 8, 0, WS_TABSTOP},
    {1007, nullptr, 9, 90, 168, 12, ES_READONLY},
    {1008, nullptr, 181, 90, 131, 12, ES_READONLY | ES_RIGHT},
    {-1, "Version:", 9, 21, 35, 12, 0},
    {-1, ".", 69, 21, 8, 12, SS_CENTER}};
const std::vector<TemplateControl> kTorvaneSplash = {
    {1008, nullptr, 4, 4, 48, 44, SS_BITMAP},
    {1010, "Please wait while the Flash Programming Utility starts.", 64, 12, 104, 24, WS_GROUP}};
const std::vector<TemplateControl> kOstrelMain = {
    {IDOK, "OK", 208, 90, 50, 14, BS_DEFPUSHBUTTON}, {1000, "Update", 208, 8, 50, 14, WS_DISABLED},
    {1001, "Save", 208, 26, 50, 14, WS_DISABLED},    {1002, "Verify", 208, 44, 50, 14, WS_DISABLED},
    {-1, "", 4, 0, 260, 108, BS_GROUPBOX},           {1003, nullptr, 8, 8, 196, 96, kList},
    {1004, "Erase", 208, 64, 50, 14, WS_DISABLED}};
const std::vector<TemplateControl> kOstrelSplash = {
    {-1, nullptr, 4, 4, 21, 20, SS_ICON}, {-1, "Loading library ...", 44, 12, 88, 12, WS_GROUP}};
const DWORD kOstrelFrame = WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

// The themed progress bar draws its own frame and drops the template's border; the list view
// turns its border into a client edge when it is created.
const std::map<int, const char *> kTorvaneClasses = {{1006, "msctls_progress32"}};
const std::map<int, const char *> kOstrelClasses = {{1003, WC_LISTVIEWA}};
const std::vector<int> kTorvaneBordered = {1000, 1004, 1009, 1010}, kTorvaneBare = {1007, 1008};
const std::vector<int> kOstrelBordered = {1003}, kNone = {};
const std::vector<MenuItem> kOstrelMenu = {{"MSG", 0}, {"HOURGLASS", 32771}}, kNoMenu = {};
const std::set<std::pair<int, int>> kTorvaneIcons = {{16, 8}, {16, 32}, {32, 8}, {32, 32},
                                                     {48, 8}, {48, 32}, {72, 8}, {72, 32}},
                                    kAnyIcons = {};

// Ostrel's test program leaves the manifest out.
const ToolResources kTools[] = {
    {"Torvane", 322, 129, kTorvaneMain, 0, 0, kTorvaneClasses, kTorvaneBordered, kTorvaneBare, 184,
     68, "Flash Programming Utility", kTorvaneSplash, BS_DEFPUSHBUTTON | WS_TABSTOP, kNoMenu,
     kTorvaneIcons, true, 72},
    {"Ostrel", 268, 113, kOstrelMain, kOstrelFrame, WS_EX_APPWINDOW, kOstrelClasses,
     kOstrelBordered, kNone, 140, 33, "", kOstrelSplash, BS_DEFPUSHBUTTON | WS_GROUP | WS_TABSTOP,
     kOstrelMenu, kAnyIcons, false, 0},
};

struct Child
{
    int id;
    std::string cls;
    LONG style;
    LONG exStyle;

    // Edit controls and the list view turn a template's WS_BORDER into a sunken edge.
    bool Bordered() const
    {
        return (style & WS_BORDER) != 0 || (exStyle & (WS_EX_CLIENTEDGE | WS_EX_STATICEDGE)) != 0;
    }
};

// Creates the template hidden from this program's resources and lists its controls in order.
std::vector<Child> Controls(UINT nTemplate, LONG *pStyle = nullptr, LONG *pExStyle = nullptr)
{
    std::vector<Child> out;
    HWND h =
        CreateDialogParamA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(nTemplate), NULL, NullProc, 0);
    if (h == NULL)
        return out;
    if (pStyle)
        *pStyle = GetWindowLongA(h, GWL_STYLE);
    if (pExStyle)
        *pExStyle = GetWindowLongA(h, GWL_EXSTYLE);
    for (HWND c = GetWindow(h, GW_CHILD); c != NULL; c = GetWindow(c, GW_HWNDNEXT))
        out.push_back({static_cast<int>(static_cast<short>(GetDlgCtrlID(c))), vtltest::GetClass(c),
                       GetWindowLongA(c, GWL_STYLE), GetWindowLongA(c, GWL_EXSTYLE)});
    DestroyWindow(h);
    return out;
}

class ToolResourcesTest : public testing::TestWithParam<ToolResources>
{
};
} // namespace

TEST_P(ToolResourcesTest, ControlIdsAreUniqueWithinEachDialog)
{
    for (UINT nTemplate : {102u, static_cast<UINT>(IDD_SPLASH), static_cast<UINT>(IDD_ABOUTBOX)})
    {
        std::vector<Child> children = Controls(nTemplate);
        ASSERT_FALSE(children.empty()) << "template " << nTemplate;
        std::set<int> seen;
        for (const Child &c : children)
        {
            EXPECT_TRUE(c.id == -1 || seen.insert(c.id).second)
                << "template " << nTemplate << " repeats id " << c.id;
        }
    }
}

TEST_P(ToolResourcesTest, MainDialogControlsInTabOrder)
{
    const ToolResources &t = GetParam();
    vtltest::ExpectTemplate(102, t.cx, t.cy, t.name, t.main);

    LONG style = 0, exStyle = 0;
    std::map<int, Child> byId;
    for (const Child &x : Controls(102, &style, &exStyle))
        byId[x.id] = x;
    EXPECT_EQ(static_cast<DWORD>(style) & t.mainStyle, t.mainStyle);
    EXPECT_EQ(static_cast<DWORD>(exStyle) & t.mainExStyle, t.mainExStyle);
    for (const auto &c : t.classes)
        EXPECT_EQ(byId[c.first].cls, c.second) << c.first;
    for (int nId : t.bordered)
        EXPECT_TRUE(byId[nId].Bordered()) << nId;
    for (int nId : t.borderless)
        EXPECT_FALSE(byId[nId].Bordered()) << nId;
}

// The icon static takes its icon's size at once; the template's size is the one it was made with.
TEST_P(ToolResourcesTest, SplashAndAboutTemplates)
{
    const ToolResources &t = GetParam();
    vtltest::ExpectTemplate(IDD_SPLASH, t.splashCx, t.splashCy, t.splashCaption, t.splash);
    const std::string version = std::string(t.name) + " Version 1.0";
    vtltest::ExpectTemplate(IDD_ABOUTBOX, 235, 55, ("About " + std::string(t.name)).c_str(),
                            {{-1, nullptr, 11, 17, 20, 20, SS_ICON},
                             {-1, version.c_str(), 40, 10, 119, 8, SS_NOPREFIX | WS_GROUP},
                             {IDOK, "OK", 178, 7, 50, 14, t.aboutOkStyle}});
}

TEST_P(ToolResourcesTest, MenuStringIconBitmapAndVersion)
{
    const ToolResources &t = GetParam();
    HMENU hMenu = LoadMenuA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(129));
    ASSERT_EQ(hMenu != NULL, !t.menu.empty());
    char sz[64] = "";
    for (size_t i = 0; hMenu && i < t.menu.size(); ++i)
    {
        // One popup holding one item.
        HMENU hAt = i == 0 ? hMenu : GetSubMenu(hMenu, 0);
        ASSERT_NE(hAt, (HMENU)NULL);
        ASSERT_EQ(GetMenuItemCount(hAt), 1);
        if (t.menu[i].nId != 0)
        {
            EXPECT_EQ(GetMenuItemID(hAt, 0), t.menu[i].nId);
        }
        GetMenuStringA(hAt, 0, sz, sizeof sz, MF_BYPOSITION);
        EXPECT_STREQ(sz, t.menu[i].text);
    }
    if (hMenu)
        DestroyMenu(hMenu);

    sz[0] = '\0';
    LoadStringA(GetModuleHandleA(NULL), IDS_ABOUTBOX, sz, sizeof sz);
    EXPECT_EQ(std::string(sz), "&About " + std::string(t.name) + "...");

    HBITMAP hBmp = static_cast<HBITMAP>(
        LoadImageA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(131), IMAGE_BITMAP, 0, 0, 0));
    ASSERT_EQ(hBmp != NULL, t.nSplashBitmap != 0);
    if (hBmp)
    {
        BITMAP bm{};
        GetObjectA(hBmp, sizeof bm, &bm);
        EXPECT_EQ(bm.bmWidth, t.nSplashBitmap);
        EXPECT_EQ(bm.bmHeight, t.nSplashBitmap);
        DeleteObject(hBmp);
    }

    HRSRC hRes = FindResourceA(NULL, MAKEINTRESOURCEA(IDR_MAINFRAME), RT_GROUP_ICON);
    ASSERT_NE(hRes, (HRSRC)NULL);
    const BYTE *p = static_cast<const BYTE *>(LockResource(LoadResource(NULL, hRes)));
    WORD nCount = *reinterpret_cast<const WORD *>(p + 4);
    std::set<std::pair<int, int>> images;
    for (WORD i = 0; i < nCount; ++i)
    {
        const BYTE *e = p + 6 + 14 * i;
        int n = e[0] == 0 ? 256 : e[0];
        images.insert({n, *reinterpret_cast<const WORD *>(e + 6)});
    }
    EXPECT_FALSE(images.empty());
    if (!t.icons.empty())
    {
        EXPECT_EQ(images, t.icons);
    }

    VS_FIXEDFILEINFO info = {};
    ASSERT_TRUE(vtltest::ReadOwnFileVersion(info));
    EXPECT_EQ(info.dwFileVersionMS, 0x00010002u);
    EXPECT_EQ(info.dwFileVersionLS, 0u);
    EXPECT_EQ(info.dwProductVersionMS, 0x00010002u);
    EXPECT_EQ(info.dwProductVersionLS, 0u);
    EXPECT_EQ(FindResourceA(NULL, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24)) != NULL, t.bManifest)
        << "manifest";
}

INSTANTIATE_TEST_SUITE_P(Carried, ToolResourcesTest, testing::Values(kTools[VTL_TESTED_TOOL]),
                         [](const testing::TestParamInfo<ToolResources> &i) {
                             return std::string(i.param.name);
                         });
