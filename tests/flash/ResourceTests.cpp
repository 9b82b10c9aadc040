// ResourceTests.cpp - the built dialog templates: ids unique, tab order, texts and styles.
#include <gtest/gtest.h>

#include <windows.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "resource.h"

namespace
{
INT_PTR CALLBACK NullProc(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

struct Child
{
    int id;
    std::string cls;
    std::string text;
    LONG style;
    LONG exStyle;

    // Edit controls and the progress bar turn a template's WS_BORDER into a sunken edge.
    bool Bordered() const
    {
        return (style & WS_BORDER) != 0 || (exStyle & (WS_EX_CLIENTEDGE | WS_EX_STATICEDGE)) != 0;
    }
};

// Creates the template hidden from this program's resources and lists its controls in order.
std::vector<Child> Controls(UINT nTemplate, std::string *pCaption = nullptr)
{
    std::vector<Child> out;
    HWND h =
        CreateDialogParamA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(nTemplate), NULL, NullProc, 0);
    if (h == NULL)
        return out;
    if (pCaption)
        *pCaption = vtltest::GetText(h);
    for (HWND c = GetWindow(h, GW_CHILD); c != NULL; c = GetWindow(c, GW_HWNDNEXT))
        out.push_back({static_cast<int>(static_cast<short>(GetDlgCtrlID(c))), vtltest::GetClass(c),
                       vtltest::GetText(c), GetWindowLongA(c, GWL_STYLE),
                       GetWindowLongA(c, GWL_EXSTYLE)});
    DestroyWindow(h);
    return out;
}
} // namespace

TEST(TorvaneResources, ControlIdsAreUniqueWithinEachDialog)
{
    for (UINT nTemplate : {IDD_TORVANE_DIALOG, IDD_SPLASH, IDD_ABOUTBOX})
    {
        std::vector<Child> children = Controls(nTemplate);
        ASSERT_FALSE(children.empty()) << "template " << nTemplate;
        std::set<int> seen;
        for (const Child &c : children)
        {
            if (c.id == -1)
                continue;
            EXPECT_TRUE(seen.insert(c.id).second)
                << "template " << nTemplate << " repeats id " << c.id;
        }
    }
}

// Each control in tab order: its place in dialog units, its text, the style bits it must have and
// those it must not have. The command buttons are 58 wide, from x 254: at 54 "Erase Bitstream"
// does not fit.
TEST(TorvaneResources, MainDialogControlsInTabOrder)
{
    const LONG kInfo = ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | ES_AUTOHSCROLL;
    vtltest::ExpectTemplate(
        IDD_TORVANE_DIALOG, 322, 129, "Torvane",
        {{1000, nullptr, 45, 8, 255, 12, ES_AUTOHSCROLL | WS_TABSTOP},
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
         {-1, ".", 69, 21, 8, 12, SS_CENTER}});

    std::map<int, Child> byId;
    for (const Child &x : Controls(IDD_TORVANE_DIALOG))
        byId[x.id] = x;
    EXPECT_EQ(byId[1006].cls, "msctls_progress32");
    // The themed progress bar draws its own frame and drops the template's border, so only the
    // edit boxes can show theirs here.
    for (int nId : {1000, 1004, 1009, 1010})
        EXPECT_TRUE(byId[nId].Bordered()) << nId;
    EXPECT_FALSE(byId[1007].Bordered());
    EXPECT_FALSE(byId[1008].Bordered());
}

// The icon static takes its icon's size at once; the template's size is the one it was made with.
TEST(TorvaneResources, AboutBoxSitsAndIsSizedAsTheTemplateSays)
{
    vtltest::ExpectTemplate(IDD_ABOUTBOX, 235, 55, "About Torvane",
                            {{-1, nullptr, 11, 17, 20, 20, SS_ICON},
                             {-1, "Torvane Version 1.0", 40, 10, 119, 8, SS_NOPREFIX | WS_GROUP},
                             {IDOK, "OK", 178, 7, 50, 14, BS_DEFPUSHBUTTON | WS_TABSTOP}});
}

TEST(TorvaneResources, SplashAboutStringIconBitmapAndVersion)
{
    std::string caption;
    std::vector<Child> splash = Controls(IDD_SPLASH, &caption);
    EXPECT_EQ(caption, "Flash Programming Utility");
    ASSERT_EQ(splash.size(), 2u);
    EXPECT_EQ(splash[0].id, 1008);
    EXPECT_EQ(splash[0].style & SS_TYPEMASK, SS_BITMAP);
    EXPECT_EQ(splash[1].text, "Please wait while the Flash Programming Utility starts.");

    std::vector<Child> about = Controls(IDD_ABOUTBOX, &caption);
    EXPECT_EQ(caption, "About Torvane");
    ASSERT_EQ(about.size(), 3u);
    EXPECT_EQ(about[1].text, "Torvane Version 1.0");
    EXPECT_EQ(about[2].id, IDOK);

    char sz[64] = "";
    LoadStringA(GetModuleHandleA(NULL), IDS_ABOUTBOX, sz, sizeof sz);
    EXPECT_STREQ(sz, "&About Torvane...");

    HBITMAP hBmp = static_cast<HBITMAP>(
        LoadImageA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDB_SPLASH), IMAGE_BITMAP, 0, 0, 0));
    ASSERT_NE(hBmp, (HBITMAP)NULL);
    BITMAP bm{};
    GetObjectA(hBmp, sizeof bm, &bm);
    EXPECT_EQ(bm.bmWidth, 72);
    EXPECT_EQ(bm.bmHeight, 72);
    DeleteObject(hBmp);

    // Icon group 128: 16, 32, 48 and 72 pixels at 8 and 32 bits per pixel.
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
    std::set<std::pair<int, int>> want = {{16, 8}, {16, 32}, {32, 8}, {32, 32},
                                          {48, 8}, {48, 32}, {72, 8}, {72, 32}};
    EXPECT_EQ(images, want);

    VS_FIXEDFILEINFO info = {};
    ASSERT_TRUE(vtltest::ReadOwnFileVersion(info));
    const VS_FIXEDFILEINFO *pInfo = &info;
    EXPECT_EQ(pInfo->dwFileVersionMS, 0x00010002u);
    EXPECT_EQ(pInfo->dwFileVersionLS, 0u);
    EXPECT_NE(FindResourceA(NULL, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24)), (HRSRC)NULL)
        << "manifest";
}
