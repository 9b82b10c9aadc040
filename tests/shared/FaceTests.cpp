// FaceTests.cpp - leak checks, driver-text shapes and the main dialog's frame (About, icons,
// splash), run by each tool's test program over its own dialog; ThisTool() is that program's row.
#include <gtest/gtest.h>

#include "DriverText.h"
#include "HandleCount.h"
#include "MainDialog.h"
#include "TextShapes.h"
#include "ToolFace.h"

using namespace facetest;
using namespace vtltest;

namespace
{
const int kCycles = 4;

class ToolSuite : public testing::TestWithParam<const ToolFace *>
{
};

class ToolDriverText : public DriverTextShapeTest
{
};
} // namespace

TEST_P(ToolSuite, StartUpAndCloseGiveBackEveryHandleAndWindow)
{
    const ToolFace &t = *GetParam();
    CSimSession sim(t.startConfig);
    CMsgBoxCatcher boxes;
    leaktest::ExpectStepGivesBack("cycle", kCycles, leaktest::kOnceOnly, true, t.startAndClose);
    EXPECT_EQ(boxes.Count(), 0u);
    EXPECT_EQ(sim.Count(t.closeCall), static_cast<size_t>(kCycles + 1));
}

TEST_P(ToolSuite, RepeatedCommandsGiveBackEveryHandle)
{
    const ToolFace &t = *GetParam();
    CSimSession sim(t.commandConfig);
    CMsgBoxCatcher boxes;
    t.repeatCommand(sim, [&](const Step &step) {
        leaktest::ExpectStepGivesBack("command", kCycles, leaktest::kOnceOnly, false, step);
    });
    EXPECT_EQ(sim.Count(t.commandCall), static_cast<size_t>(kCycles + 1 + t.nCommandCallsBesides));
    EXPECT_EQ(boxes.Count(), 0u);
}

TEST_P(ToolDriverText, OpenFailureBoxShowsTheTextCutToTheBound)
{
    const ToolFace &t = ThisTool();
    CSimSession sim(t.config(std::string("fail.VtlUsbOpen = 5 ") + kShapeDigits + "\n" +
                             ShapeKeys(GetParam())));
    const std::vector<MsgBoxRecord> boxes = t.failedStartBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    const std::string text = boxes[0].text;
    EXPECT_EQ(text,
              t.openFailurePrefix + Repeated(kShapeDigits, kMaxDriverText) + t.openFailureSuffix)
        << text.size() << " characters";
    if (t.openFailureCaption)
    {
        EXPECT_EQ(boxes[0].caption, t.openFailureCaption);
    }
    EXPECT_EQ(sim.Count("VtlUsbGetError(5) = \"0123456789"), 1u);
}

INSTANTIATE_TEST_SUITE_P(Shapes, ToolDriverText, testing::ValuesIn(kTextShapes));

namespace
{
// What the GUI thread does to the splash, seen from inside that thread, so no timing is involved.
struct SplashWatch
{
    const ToolFace *pFace = nullptr;
    const CSimSession *pSim = nullptr;
    HWND hSplash = NULL, hOwner = NULL;
    RECT rcShown{};
    int nShown = 0, nHidden = 0;
    int nOpensWhenShown = -1, nReadyWhenHidden = -1;
};
SplashWatch g_splash;

LRESULT CALLBACK SplashHook(int nCode, WPARAM wParam, LPARAM lParam)
{
    const CWPSTRUCT *p = reinterpret_cast<const CWPSTRUCT *>(lParam);
    if (nCode == HC_ACTION && p->message == WM_SHOWWINDOW &&
        FindWindowExA(p->hwnd, NULL, "Static", g_splash.pFace->splashText) != NULL)
    {
        if (p->wParam)
        {
            ++g_splash.nShown;
            g_splash.hSplash = p->hwnd;
            g_splash.hOwner = GetWindow(p->hwnd, GW_OWNER);
            GetWindowRect(p->hwnd, &g_splash.rcShown);
            g_splash.nOpensWhenShown = g_splash.pSim->Count("VtlUsbOpen(");
        }
        else if (g_splash.nHidden++ == 0)
        {
            g_splash.nReadyWhenHidden = g_splash.pSim->Count(g_splash.pFace->readyCall);
        }
    }
    return CallNextHookEx(NULL, nCode, wParam, lParam);
}
} // namespace

TEST_P(ToolSuite, AboutOpensForSystemCommands16To31Only)
{
    const ToolFace &t = *GetParam();
    CSimSession sim(t.config(""));
    CMsgBoxCatcher boxes;
    const std::string about = std::string("About ") + t.name;
    int nOpened = 0;
    bool bOpenedFor32 = true, bSeparator = false;
    UINT nLastId = 0;
    std::string menuText;
    ASSERT_TRUE(t.runMain([&](HWND h) {
        HMENU hMenu = GetSystemMenu(h, FALSE);
        const int n = GetMenuItemCount(hMenu);
        char sz[64] = "";
        GetMenuStringA(hMenu, n - 1, sz, sizeof sz, MF_BYPOSITION);
        menuText = sz;
        nLastId = GetMenuItemID(hMenu, n - 1);
        bSeparator = (GetMenuState(hMenu, n - 2, MF_BYPOSITION) & MF_SEPARATOR) != 0;
        WindowQuery q;
        q.className = "#32770";
        q.title = about;
        q.pid = GetCurrentProcessId();
        for (UINT id = 16; id <= 31; ++id)
        {
            PostMessageA(h, WM_SYSCOMMAND, id, 0);
            HWND hAbout = WaitForWindow(q, 5000);
            if (hAbout == NULL)
                continue;
            nOpened += GetText(FindChildById(hAbout, IDOK)) == "OK";
            PostMessageA(hAbout, WM_COMMAND, IDOK, 0);
            WaitForCondition([&] { return !IsWindow(hAbout); }, 5000);
        }
        // Handled synchronously: a modal About box would keep the call from returning.
        DWORD_PTR res = 0;
        BOOL bDone = SendMessageTimeoutA(h, WM_SYSCOMMAND, 32, 0, SMTO_NORMAL, 3000, &res);
        bOpenedFor32 = !bDone || FindTopWindow(q) != NULL;
        if (HWND hStray = FindTopWindow(q))
            PostMessageA(hStray, WM_COMMAND, IDOK, 0);
    }));
    EXPECT_EQ(menuText, "&" + about + "...");
    EXPECT_EQ(nLastId, 16u);
    EXPECT_TRUE(bSeparator);
    EXPECT_EQ(nOpened, 16);
    EXPECT_FALSE(bOpenedFor32);
    EXPECT_EQ(boxes.Count(), 0u);
}

// The window's icons are the program's icon 128, big and small; minimised, it paints it itself.
TEST_P(ToolSuite, SetsTheIconsAndPaintsThemWhenMinimised)
{
    const ToolFace &t = *GetParam();
    CSimSession sim(t.config(""));
    CMsgBoxCatcher boxes;
    HICON hBig = NULL, hSmall = NULL, hDrag = NULL;
    bool bIconic = false, bAlive = false;
    ASSERT_TRUE(t.runMain([&](HWND h) {
        hBig = reinterpret_cast<HICON>(SendMessageA(h, WM_GETICON, ICON_BIG, 0));
        hSmall = reinterpret_cast<HICON>(SendMessageA(h, WM_GETICON, ICON_SMALL, 0));
        hDrag = reinterpret_cast<HICON>(SendMessageA(h, WM_QUERYDRAGICON, 0, 0));
        SendMessageA(h, WM_SYSCOMMAND, SC_MINIMIZE, 0);
        bIconic = IsIconic(h) != FALSE;
        RedrawWindow(h, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        SendMessageA(h, WM_SYSCOMMAND, SC_RESTORE, 0);
        bAlive = IsWindowVisible(h) && !IsIconic(h);
    }));
    EXPECT_NE(hBig, (HICON)NULL);
    EXPECT_EQ(hBig, LoadIconA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(128)));
    EXPECT_EQ(hSmall, hBig);
    EXPECT_EQ(hDrag, hBig) << "the drag cursor is the icon";
    EXPECT_TRUE(bIconic);
    EXPECT_TRUE(bAlive);
}

TEST_P(ToolSuite, SplashIsCentredOnTheDesktopWhileTheLibraryOpensAndGoneAfterwards)
{
    RECT rcDesk{0, 0, 800, 600}, rcSplash{0, 0, 300, 121};
    POINT pt = SplashOrigin(rcDesk, rcSplash);
    EXPECT_EQ(pt.x, 250);
    EXPECT_EQ(pt.y, 239);
    rcSplash.right = 803;
    EXPECT_EQ(SplashOrigin(rcDesk, rcSplash).x, -1);

    const ToolFace &t = *GetParam();
    CSimSession sim(t.config(""));
    CMsgBoxCatcher boxes;
    g_splash = SplashWatch();
    g_splash.pFace = &t;
    g_splash.pSim = &sim;
    HHOOK hHook = SetWindowsHookExA(WH_CALLWNDPROC, SplashHook, NULL, GetCurrentThreadId());
    ASSERT_NE(hHook, (HHOOK)NULL);
    HWND hDlg = NULL;
    bool bGone = false;
    const bool bShown = t.runMain([&](HWND h) {
        hDlg = h;
        bGone = !IsWindow(g_splash.hSplash);
    });
    UnhookWindowsHookEx(hHook);
    RECT rcDesktop{};
    GetWindowRect(GetDesktopWindow(), &rcDesktop);
    ASSERT_TRUE(bShown);
    ASSERT_EQ(g_splash.nShown, 1);
    EXPECT_EQ(g_splash.nHidden, 1);
    EXPECT_EQ(g_splash.hOwner, hDlg);
    POINT want = SplashOrigin(rcDesktop, g_splash.rcShown);
    EXPECT_EQ(g_splash.rcShown.left, want.x);
    EXPECT_EQ(g_splash.rcShown.top, want.y);
    EXPECT_EQ(g_splash.nOpensWhenShown, 0) << "shown before the library is opened";
    EXPECT_EQ(g_splash.nReadyWhenHidden, 1) << "hidden once the first boards are read";
    EXPECT_TRUE(bGone) << "the splash goes when start-up ends";
    EXPECT_EQ(boxes.Count(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Tool, ToolSuite, testing::Values(&ThisTool()),
                         [](const testing::TestParamInfo<const ToolFace *> &i) {
                             return std::string(i.param->name);
                         });
