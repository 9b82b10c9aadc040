// DialogTests.cpp - the main dialog's system menu, About box, icon and splash.
#include "OstrelHarness.h"

#include <gtest/gtest.h>

using namespace ostreltest;
using namespace vtltest;

TEST(OstrelDialog, SystemMenuEndsWithAboutWhichOpensTheAboutBox)
{
    CSimSession sim(BoardsConfig({"type = A"}));
    CTestOstrelDlg dlg;
    dlg.RunScript([&](CTestOstrelDlg &d) {
        HMENU hMenu = GetSystemMenu(d.m_hWnd, FALSE);
        ASSERT_TRUE(hMenu);
        const int n = GetMenuItemCount(hMenu);
        ASSERT_GE(n, 2);
        char szText[64] = "";
        GetMenuStringA(hMenu, n - 1, szText, sizeof(szText), MF_BYPOSITION);
        EXPECT_STREQ(szText, "&About Ostrel...");
        EXPECT_EQ(GetMenuItemID(hMenu, n - 1), 16u);
        EXPECT_TRUE(GetMenuState(hMenu, n - 2, MF_BYPOSITION) & MF_SEPARATOR);

        // Commands 16 to 31 open the About box; close it from another thread.
        for (UINT nID : {16u, 31u})
        {
            bool bSeen = false;
            std::thread closer([&] {
                WindowQuery q;
                q.className = "#32770";
                q.title = "About Ostrel";
                q.pid = GetCurrentProcessId();
                HWND hAbout = WaitForWindow(q, 10000);
                bSeen = hAbout != NULL;
                if (hAbout)
                {
                    bSeen = GetText(FindChildById(hAbout, IDOK)) == "OK";
                    PostMessageA(hAbout, WM_COMMAND, IDOK, 0);
                }
            });
            d.SendMessage(WM_SYSCOMMAND, nID, 0);
            closer.join();
            EXPECT_TRUE(bSeen) << nID;
        }
    });
}

TEST(OstrelDialog, DragIconIsTheApplicationIcon)
{
    CSimSession sim(BoardsConfig({"type = A"}));
    CTestOstrelDlg dlg;
    dlg.RunScript([&](CTestOstrelDlg &d) {
        const LRESULT hDrag = d.SendMessage(WM_QUERYDRAGICON);
        EXPECT_NE(hDrag, 0);
        EXPECT_EQ(hDrag, d.SendMessage(WM_GETICON, ICON_BIG));
        EXPECT_EQ(hDrag, d.SendMessage(WM_GETICON, ICON_SMALL));
    });
}

TEST(OstrelDialog, SplashShowsCentredWhileTheLibraryOpens)
{
    CSimSession sim(BoardsConfig({"type = A"}, "delay.VtlUsbOpen = 1500\n"));
    RECT rcSplash{};
    HWND hSplash = NULL;
    HWND hOwner = NULL;
    std::thread watcher([&] {
        WindowQuery q;
        q.className = "#32770";
        q.pid = GetCurrentProcessId();
        q.pred = [](HWND h) {
            return FindWindowExA(h, NULL, "Static", "Loading library ...") != NULL;
        };
        hSplash = WaitForWindow(q, 15000);
        if (hSplash)
        {
            GetWindowRect(hSplash, &rcSplash);
            hOwner = GetWindow(hSplash, GW_OWNER);
        }
    });
    CTestOstrelDlg dlg;
    HWND hDlg = NULL;
    bool bSplashGone = false;
    dlg.RunScript([&](CTestOstrelDlg &d) {
        hDlg = d.m_hWnd;
        bSplashGone = !hSplash || !IsWindow(hSplash);
    });
    watcher.join();
    ASSERT_TRUE(hSplash);
    EXPECT_EQ(hOwner, hDlg);
    EXPECT_TRUE(bSplashGone);
    RECT rcDesk;
    GetWindowRect(GetDesktopWindow(), &rcDesk);
    const LONG w = rcSplash.right - rcSplash.left;
    const LONG h = rcSplash.bottom - rcSplash.top;
    EXPECT_EQ(rcSplash.left, ((rcDesk.right - rcDesk.left) - w) / 2);
    EXPECT_EQ(rcSplash.top, ((rcDesk.bottom - rcDesk.top) - h) / 2);
}
