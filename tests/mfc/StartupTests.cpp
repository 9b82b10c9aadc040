// StartupTests.cpp - the shared splash and About steps.
#include "MfcTestUtil.h"
#include "resource.h"

#include "AboutDlg.h"
#include "Splash.h"
#include "MainDialog.h"

#include <gtest/gtest.h>

#include <TestSupport.h>

#include <string>

namespace
{

POINT Origin(int dw, int dh, int sw, int sh)
{
    RECT rcDesktop = {0, 0, dw, dh};
    RECT rcSplash = {10, 20, 10 + sw, 20 + sh};
    return SplashOrigin(rcDesktop, rcSplash);
}

TEST(SplashOrigin, CentresOnTheWholeDesktopTruncatingTowardZero)
{
    POINT pt = Origin(800, 600, 300, 121);
    EXPECT_EQ(250, pt.x);
    EXPECT_EQ(239, pt.y);
    pt = Origin(800, 600, 803, 600);
    EXPECT_EQ(-1, pt.x); // -3 / 2
    EXPECT_EQ(0, pt.y);
    pt = Origin(800, 600, 805, 607);
    EXPECT_EQ(-2, pt.x);
    EXPECT_EQ(-3, pt.y);
    // The desktop's own offset does not move the result.
    RECT rcDesktop = {-100, -50, 700, 550};
    RECT rcSplash = {0, 0, 300, 121};
    pt = SplashOrigin(rcDesktop, rcSplash);
    EXPECT_EQ(250, pt.x);
    EXPECT_EQ(239, pt.y);
}

TEST(AboutCommand, IdsSixteenToThirtyOneOnly)
{
    for (UINT id = 16; id <= 31; ++id)
        EXPECT_TRUE(IsAboutCommand(id)) << id;
    EXPECT_FALSE(IsAboutCommand(15));
    EXPECT_FALSE(IsAboutCommand(32));
    EXPECT_FALSE(IsAboutCommand(SC_CLOSE));
    EXPECT_FALSE(IsAboutCommand(SC_MINIMIZE));
    EXPECT_FALSE(IsAboutCommand(SC_MOVE));
}

TEST(Splash, ShownCentredOwnedAndGoneWithTheObject)
{
    CDialog parent(IDD_MODAL);
    ASSERT_TRUE(parent.Create(IDD_MODAL));
    HWND hSplash = NULL;
    {
        CSplash splash;
        EXPECT_EQ(NULL, splash.m_hWnd); // constructing creates no window
        ASSERT_TRUE(ShowSplash(splash, CSplash::IDD, &parent));
        hSplash = splash.m_hWnd;
        EXPECT_TRUE(::IsWindowVisible(hSplash));
        EXPECT_EQ(parent.m_hWnd, ::GetWindow(hSplash, GW_OWNER));
        RECT rcDesktop, rcSplash;
        ::GetWindowRect(::GetDesktopWindow(), &rcDesktop);
        ::GetWindowRect(hSplash, &rcSplash);
        POINT pt = SplashOrigin(rcDesktop, rcSplash);
        EXPECT_EQ(pt.x, rcSplash.left);
        EXPECT_EQ(pt.y, rcSplash.top);
        splash.ShowWindow(SW_HIDE);
        EXPECT_FALSE(::IsWindowVisible(hSplash));
    }
    EXPECT_FALSE(::IsWindow(hSplash));
}

TEST(Splash, QueueIsDrainedAfterShowing)
{
    CDialog parent(IDD_MODAL);
    ASSERT_TRUE(parent.Create(IDD_MODAL));
    ::PostMessageA(parent.m_hWnd, WM_NULL, 0, 0);
    CSplash splash;
    ASSERT_TRUE(ShowSplash(splash, CSplash::IDD, &parent));
    MSG msg;
    EXPECT_FALSE(::PeekMessageA(&msg, NULL, 0, 0, PM_NOREMOVE));
}

TEST(AboutItem, AppendedAsSeparatorAndStringSixteen)
{
    CDialog dlg(IDD_ROUTE);
    ASSERT_TRUE(dlg.Create(IDD_ROUTE));
    HMENU hMenu = ::GetSystemMenu(dlg.m_hWnd, FALSE);
    ASSERT_NE(static_cast<HMENU>(NULL), hMenu);
    int nBefore = ::GetMenuItemCount(hMenu);
    EXPECT_TRUE(AppendAboutItem(dlg, IDS_ABOUTBOX));
    ASSERT_EQ(nBefore + 2, ::GetMenuItemCount(hMenu));
    MENUITEMINFOA sep = {};
    sep.cbSize = sizeof(sep);
    sep.fMask = MIIM_FTYPE;
    ASSERT_TRUE(::GetMenuItemInfoA(hMenu, nBefore, TRUE, &sep));
    EXPECT_TRUE(sep.fType & MFT_SEPARATOR);
    EXPECT_EQ(16u, ::GetMenuItemID(hMenu, nBefore + 1));
    char szText[64] = "";
    ::GetMenuStringA(hMenu, nBefore + 1, szText, sizeof(szText), MF_BYPOSITION);
    EXPECT_STREQ("&About MfcTests...", szText);
}

TEST(AboutItem, NotAppendedWithoutASystemMenu)
{
    CDialog dlg(IDD_NOSYSMENU);
    ASSERT_TRUE(dlg.Create(IDD_NOSYSMENU));
    EXPECT_EQ(nullptr, dlg.GetSystemMenu(FALSE));
    EXPECT_FALSE(AppendAboutItem(dlg, IDS_ABOUTBOX));
}

// Resources looked up in a module without string 101, for one test.
struct ResourceModuleScope
{
    explicit ResourceModuleScope(HINSTANCE h) : m_hOld(theApp.m_hInstance)
    {
        theApp.m_hInstance = h;
    }
    ~ResourceModuleScope() { theApp.m_hInstance = m_hOld; }
    HINSTANCE m_hOld;
};

TEST(AboutItem, NotAppendedWhenStringIsMissingYetTheBoxStillOpens)
{
    vtltest::CModalWatchdog watchdog;
    CDialog dlg(IDD_ROUTE);
    ASSERT_TRUE(dlg.Create(IDD_ROUTE));
    HMENU hMenu = ::GetSystemMenu(dlg.m_hWnd, FALSE);
    int nBefore = ::GetMenuItemCount(hMenu);
    HMODULE hNoStrings = ::LoadLibraryA("mfc_test_nostrings.dll");
    ASSERT_NE(static_cast<HMODULE>(NULL), hNoStrings);
    {
        ResourceModuleScope scope(hNoStrings);
        EXPECT_FALSE(AppendAboutItem(dlg, IDS_ABOUTBOX));
    }
    ::FreeLibrary(hNoStrings);
    EXPECT_EQ(nBefore, ::GetMenuItemCount(hMenu));

    // The About box from template 100 runs modally and ends with its OK button.
    // The About box from template 100 runs modally and ends with its OK button, pressed from
    // a helper thread as a user would.
    struct Presser
    {
        HWND hAbout = NULL;
        std::string caption;
        static DWORD WINAPI Run(LPVOID p)
        {
            Presser &self = *static_cast<Presser *>(p);
            vtltest::WindowQuery q;
            q.title = "About MfcTests";
            self.hAbout = vtltest::WaitForWindow(q, 10000);
            if (self.hAbout != NULL)
            {
                self.caption = vtltest::GetText(self.hAbout);
                ::PostMessageA(self.hAbout, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            }
            return 0;
        }
    } presser;
    CAboutDlg about;
    HANDLE hThread = ::CreateThread(NULL, 0, Presser::Run, &presser, 0, NULL);
    EXPECT_EQ(IDOK, about.DoModal());
    ASSERT_TRUE(vtltest::WaitForHandle(hThread, 10000));
    ::CloseHandle(hThread);
    EXPECT_NE(static_cast<HWND>(NULL), presser.hAbout);
    EXPECT_EQ("About MfcTests", presser.caption);
    EXPECT_FALSE(watchdog.Fired());
}

} // namespace
