// DpiLayoutTests.cpp - the built tools at 144 DPI (LogPixels): every control's text fits its
// rectangle in the main dialogs, the splashes and the About boxes; and the manifests.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <sstream>
#include <string>
#include <vector>

#include "TestSupport.h"

using namespace vtltest;

namespace
{
const int kDpi = 144;
// Controls read by id (the tools' own resource ids).
const int kTorvaneInfo = 1004, kTorvanePercent = 1007, kTorvaneTime = 1008;
const int kOstrelBoards = 1003;

// New processes of the prefix read LogPixels at start; the old value comes back at the end.
class CLogPixels
{
public:
    explicit CLogPixels(DWORD dwDpi)
    {
        DWORD cb = sizeof m_dwOld;
        m_bHadOld = RegGetValueA(HKEY_CURRENT_USER, kKey, "LogPixels", RRF_RT_REG_DWORD, NULL,
                                 &m_dwOld, &cb) == ERROR_SUCCESS;
        m_bSet = RegSetKeyValueA(HKEY_CURRENT_USER, kKey, "LogPixels", REG_DWORD, &dwDpi,
                                 sizeof dwDpi) == ERROR_SUCCESS;
    }
    ~CLogPixels()
    {
        if (m_bHadOld)
            RegSetKeyValueA(HKEY_CURRENT_USER, kKey, "LogPixels", REG_DWORD, &m_dwOld,
                            sizeof m_dwOld);
        else
            RegDeleteKeyValueA(HKEY_CURRENT_USER, kKey, "LogPixels");
    }
    bool Ok() const { return m_bSet; }

private:
    static constexpr const char *kKey = "Control Panel\\Desktop";
    DWORD m_dwOld = 0;
    bool m_bHadOld = false;
    bool m_bSet = false;
};

int Scaled(int n)
{
    return MulDiv(n, kDpi, 96);
}

// The font a DS_SETFONT dialog of "MS Sans Serif" 8 gets at kDpi, in a DC of this process.
class CDialogFont
{
public:
    CDialogFont()
    {
        m_hFont = CreateFontA(-MulDiv(8, kDpi, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                              DEFAULT_CHARSET, 0, 0, PROOF_QUALITY, FF_DONTCARE, "MS Sans Serif");
        m_hDC = CreateCompatibleDC(NULL);
        m_hOld = SelectObject(m_hDC, m_hFont);
        TEXTMETRICA tm;
        GetTextMetricsA(m_hDC, &tm);
        SIZE sz;
        GetTextExtentPoint32A(m_hDC, kAlphabet, 52, &sz);
        m_nBaseX = (sz.cx / 26 + 1) / 2;
        m_nBaseY = tm.tmHeight;
    }
    ~CDialogFont()
    {
        SelectObject(m_hDC, m_hOld);
        DeleteDC(m_hDC);
        DeleteObject(m_hFont);
    }
    // Size DrawText needs for text; wrapped at nWrap pixels when nWrap > 0.
    SIZE Measure(const std::string &text, int nWrap = 0, UINT uExtra = 0) const
    {
        RECT rc = {0, 0, nWrap > 0 ? nWrap : 0, 0};
        UINT uFlags = DT_CALCRECT | DT_EXPANDTABS | uExtra | (nWrap > 0 ? DT_WORDBREAK : 0);
        DrawTextA(m_hDC, text.c_str(), -1, &rc, uFlags);
        return {rc.right - rc.left, rc.bottom - rc.top};
    }
    // Dialog units to pixels, as the dialog manager converts them.
    int X(int n) const { return MulDiv(n, m_nBaseX, 4); }

private:
    static constexpr const char *kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    HFONT m_hFont = NULL;
    HDC m_hDC = NULL;
    HGDIOBJ m_hOld = NULL;
    int m_nBaseX = 0;
    int m_nBaseY = 0;
};

SIZE ClientSize(HWND h)
{
    RECT rc{};
    GetClientRect(h, &rc);
    return {rc.right, rc.bottom};
}

// Why text does not fit control h; "" when it fits. The room each kind of control leaves for
// its text: push buttons lose their edge and focus frame, radio buttons their circle and gap,
// edits their margins; statics wrap at their width, multi-line edits too.
std::string Misfit(const CDialogFont &font, HWND h, const std::string &text)
{
    const std::string cls = GetClass(h);
    const LONG style = GetWindowLongA(h, GWL_STYLE);
    const SIZE have = ClientSize(h);
    SIZE need{};
    int nRoomX = have.cx, nRoomY = have.cy;
    if (cls == "Button")
    {
        const LONG type = style & BS_TYPEMASK;
        need = font.Measure(text, 0, DT_SINGLELINE);
        if (type == BS_AUTORADIOBUTTON || type == BS_RADIOBUTTON || type == BS_AUTOCHECKBOX ||
            type == BS_CHECKBOX)
            nRoomX -= Scaled(13) + Scaled(4);
        else
        {
            nRoomX -= 2 * Scaled(3);
            nRoomY -= 2 * Scaled(2);
        }
    }
    else if (cls == "Edit")
    {
        DWORD dwMargins = static_cast<DWORD>(SendMessageA(h, EM_GETMARGINS, 0, 0));
        nRoomX -= LOWORD(dwMargins) + HIWORD(dwMargins);
        need = (style & ES_MULTILINE) ? font.Measure(text, nRoomX) : font.Measure(text);
    }
    else
    {
        need = font.Measure(text, have.cx, (style & SS_NOPREFIX) ? DT_NOPREFIX : 0);
    }
    if (need.cx <= nRoomX && need.cy <= nRoomY)
        return "";
    std::ostringstream out;
    out << cls << " " << GetDlgCtrlID(h) << " \"" << text << "\" needs " << need.cx << "x"
        << need.cy << ", has " << nRoomX << "x" << nRoomY;
    return out.str();
}

std::string Join(const std::vector<std::string> &v)
{
    std::string s;
    for (const std::string &x : v)
        s += "\n  " + x;
    return s;
}

// A control's text. Statics and buttons: the text the system keeps, read without a message,
// since the splash's thread is busy opening the library. Edits keep theirs: ask them.
std::string ShownText(HWND h)
{
    if (GetClass(h) == "Edit")
        return GetText(h);
    char sz[1024] = "";
    GetWindowTextA(h, sz, sizeof sz);
    return sz;
}

// Misfits among the children of hDlg that show a text; *pnChecked counts the texts checked.
std::vector<std::string> TextMisfits(const CDialogFont &font, HWND hDlg, int *pnChecked)
{
    std::vector<std::string> out;
    *pnChecked = 0;
    for (HWND c = GetWindow(hDlg, GW_CHILD); c != NULL; c = GetWindow(c, GW_HWNDNEXT))
    {
        const std::string text = ShownText(c);
        if (!text.empty() && IsWindowVisible(c))
        {
            ++*pnChecked;
            std::string why = Misfit(font, c, text);
            if (!why.empty())
                out.push_back(why);
        }
    }
    return out;
}

// Checks hDlg's texts, expecting at least nTexts of them.
void ExpectTextsFit(const CDialogFont &font, HWND hDlg, int nTexts, const char *what)
{
    int nChecked = 0;
    EXPECT_EQ(Join(TextMisfits(font, hDlg, &nChecked)), "") << what;
    EXPECT_GE(nChecked, nTexts) << what;
}

// A window of pid whose child static reads text (splashes have no caption to look for).
HWND WaitForWindowWithText(DWORD pid, const std::string &text, DWORD timeoutMs)
{
    WindowQuery q;
    q.pid = pid;
    q.pred = [&](HWND h) {
        for (HWND c = GetWindow(h, GW_CHILD); c != NULL; c = GetWindow(c, GW_HWNDNEXT))
            if (ShownText(c) == text)
                return true;
        return false;
    };
    return WaitForWindow(q, timeoutMs);
}

// Opens the About box through the system menu, checks it and closes it.
void CheckAbout(const CDialogFont &font, CProcessDriver &app, const std::string &title)
{
    PostMessageA(app.MainWindow(), WM_SYSCOMMAND, 16, 0);
    WindowQuery q;
    q.pid = app.Pid();
    q.title = title;
    HWND hAbout = WaitForWindow(q, 15000);
    ASSERT_NE(hAbout, (HWND)NULL) << title;
    ExpectTextsFit(font, hAbout, 2, title.c_str());
    PostMessageA(hAbout, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(WaitForCondition([&] { return !IsWindow(hAbout); }, 15000));
}

// The simulator's VtlUsbOpen waits, so that the splash stays up long enough to be read.
std::string SlowOpenConfig(CTempDir &dir, const char *boards)
{
    const std::string path = dir.File("sim.ini");
    WriteFileText(path, std::string("[driver]\ndelay.VtlUsbOpen = 3000\n") + boards);
    return path;
}
} // namespace

TEST(DpiLayout, TorvaneTextsFitAt144Dpi)
{
    CLogPixels dpi(kDpi);
    ASSERT_TRUE(dpi.Ok());
    CDialogFont font;
    CTempDir dir;
    CProcessDriver app;
    ASSERT_TRUE(app.Start("Torvane.exe",
                          {{"VTLSIM_CONFIG", SlowOpenConfig(dir, "")}, {"VTLSIM_JOURNAL", ""}}));
    HWND hSplash = WaitForWindowWithText(
        app.Pid(), "Please wait while the Flash Programming Utility starts.", 20000);
    ASSERT_NE(hSplash, (HWND)NULL);
    ExpectTextsFit(font, hSplash, 1, "splash");

    ASSERT_NE(app.WaitForMainWindow(30000, "Torvane"), (HWND)NULL) << app.LastError();
    ASSERT_TRUE(WaitForCondition([&] { return !app.Text(kTorvaneInfo).empty(); }, 20000));
    // Same font as the dialog's: the dialog's width in dialog units comes out exactly.
    ASSERT_NEAR(ClientSize(app.MainWindow()).cx, font.X(322), 1) << "not at 144 DPI";
    ExpectTextsFit(font, app.MainWindow(), 9, "flash description");
    // The longest texts of a command.
    app.SetText(kTorvaneInfo, "Programming flash ...\r\nCan take 2 minutes!");
    app.SetText(kTorvanePercent, "100% completed");
    app.SetText(kTorvaneTime, "999 min 59 sec");
    ExpectTextsFit(font, app.MainWindow(), 12, "during a command");

    CheckAbout(font, app, "About Torvane");
    app.PostCommand(IDCANCEL);
    EXPECT_TRUE(app.WaitForExit(30000));
}

TEST(DpiLayout, OstrelTextsFitAt144Dpi)
{
    CLogPixels dpi(kDpi);
    ASSERT_TRUE(dpi.Ok());
    CDialogFont font;
    CTempDir dir;
    CProcessDriver app;
    ASSERT_TRUE(app.Start(
        "Ostrel.exe",
        {{"VTLSIM_CONFIG", SlowOpenConfig(dir, "[board 0]\n[board 1]\neeprom_version = 1.05\n")},
         {"VTLSIM_JOURNAL", ""}}));
    HWND hSplash = WaitForWindowWithText(app.Pid(), "Loading library ...", 20000);
    ASSERT_NE(hSplash, (HWND)NULL);
    ExpectTextsFit(font, hSplash, 1, "splash");

    ASSERT_NE(app.WaitForMainWindow(30000, "Ostrel"), (HWND)NULL) << app.LastError();
    ASSERT_TRUE(WaitForCondition([&] { return app.ListCount(kOstrelBoards) == 2; }, 20000));
    ASSERT_NEAR(ClientSize(app.MainWindow()).cx, font.X(268), 1) << "not at 144 DPI";
    ExpectTextsFit(font, app.MainWindow(), 5, "main dialog");

    // Column headers and cells: the text plus the header's margins on both sides.
    HWND hList = app.Control(kOstrelBoards);
    const char *headers[] = {"Board type    ", "I/O Address", "EEPROM Ver"};
    for (int col = 0; col < 3; ++col)
    {
        const int nWidth = static_cast<int>(SendMessageA(hList, LVM_GETCOLUMNWIDTH, col, 0));
        std::vector<std::string> texts = {headers[col]};
        for (int row = 0; row < 2; ++row)
            texts.push_back(app.ListText(kOstrelBoards, row, col));
        for (const std::string &text : texts)
            EXPECT_LE(font.Measure(text, 0, DT_SINGLELINE).cx + 2 * Scaled(6), nWidth)
                << "column " << col << " \"" << text << "\"";
    }

    CheckAbout(font, app, "About Ostrel");
    app.PostCommand(IDCANCEL);
    EXPECT_TRUE(app.WaitForExit(30000));
}

class ToolManifest : public testing::TestWithParam<const char *>
{
};

TEST_P(ToolManifest, AsksForSystemDpiAndNamesTheSupportedSystems)
{
    HMODULE hExe = LoadLibraryExA((BinDir() + GetParam()).c_str(), NULL,
                                  LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(hExe, (HMODULE)NULL);
    HRSRC hRes = FindResourceA(hExe, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    ASSERT_NE(hRes, (HRSRC)NULL);
    const char *p = static_cast<const char *>(LockResource(LoadResource(hExe, hRes)));
    ASSERT_NE(p, nullptr);
    const std::string manifest(p, SizeofResource(hExe, hRes));
    FreeLibrary(hExe);
    for (const char *want :
         {">true</dpiAware>", ">system</dpiAwareness>",
          "requestedExecutionLevel level=\"asInvoker\"",
          "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"",
          "{e2011457-1546-43c5-a5fe-008deee3d3f0}", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",
          "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}", "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",
          "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"})
        EXPECT_NE(manifest.find(want), std::string::npos) << GetParam() << " lacks " << want;
    // Nothing rescales on WM_DPICHANGED, so the tools must not ask for it.
    for (const char *unwanted : {"/pm<", "PerMonitor"})
        EXPECT_EQ(manifest.find(unwanted), std::string::npos) << GetParam() << " has " << unwanted;
}

INSTANTIATE_TEST_SUITE_P(Tools, ToolManifest, testing::Values("Torvane.exe", "Ostrel.exe"));
