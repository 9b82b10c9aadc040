// MessageMapTests.cpp - every entry kind reaches its handler; the rest reaches the base.
#include "MfcTestUtil.h"
#include "resource.h"

#include <afxcmn.h>
#include <gtest/gtest.h>

#include <TestSupport.h>

#include <string>
#include <vector>

namespace
{

const UINT WM_TEST_VALUE = WM_APP + 1;
const UINT WM_TEST_UNMAPPED = WM_APP + 2;

class CRouteDlg : public CDialog
{
public:
    CRouteDlg() : CDialog(IDD_ROUTE) {}
    std::vector<std::string> m_log;
    std::vector<UINT> m_sysCommands;
    HICON m_hIcon = ::LoadIconA(NULL, MAKEINTRESOURCEA(32512)); // IDI_APPLICATION
    bool m_bDefaultSysCommand = true;

protected:
    afx_msg void OnBtn1() { m_log.push_back("btn1"); }
    afx_msg void OnTestCommand() { m_log.push_back("cmd"); }
    afx_msg LRESULT OnTestValue(WPARAM wParam, LPARAM lParam)
    {
        m_log.push_back("value");
        return static_cast<LRESULT>(wParam + lParam);
    }
    afx_msg void OnClickList(NMHDR *pNMHDR, LRESULT *pResult)
    {
        m_log.push_back("click:" + std::to_string(pNMHDR->idFrom));
        *pResult = 42;
    }
    afx_msg void OnSysCommand(UINT nID, LPARAM lParam)
    {
        m_sysCommands.push_back(nID);
        if ((nID & 0xFFF0) != 16 && m_bDefaultSysCommand)
            CDialog::OnSysCommand(nID, lParam);
    }
    afx_msg void OnPaint()
    {
        m_log.push_back("paint");
        CDialog::OnPaint();
    }
    afx_msg HCURSOR OnQueryDragIcon() { return static_cast<HCURSOR>(m_hIcon); }
    void OnOK() override { m_log.push_back("ok"); }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CRouteDlg, CDialog)
ON_WM_SYSCOMMAND()
ON_WM_PAINT()
ON_WM_QUERYDRAGICON()
ON_BN_CLICKED(IDC_BTN1, &CRouteDlg::OnBtn1)
ON_COMMAND(ID_TEST_CMD, &CRouteDlg::OnTestCommand)
ON_COMMAND(IDC_EDIT, &CRouteDlg::OnTestCommand)
ON_MESSAGE(WM_TEST_VALUE, &CRouteDlg::OnTestValue)
ON_NOTIFY(NM_CLICK, IDC_LIST, &CRouteDlg::OnClickList)
END_MESSAGE_MAP()

// A second level: its own entries first, then everything of CRouteDlg.
class CRouteDlg2 : public CRouteDlg
{
protected:
    afx_msg void OnBtn2() { m_log.push_back("btn2"); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CRouteDlg2, CRouteDlg)
ON_BN_CLICKED(IDC_BTN2, &CRouteDlg2::OnBtn2)
END_MESSAGE_MAP()

LRESULT Command(HWND hDlg, int nID, int nCode = BN_CLICKED)
{
    return ::SendMessageA(hDlg, WM_COMMAND, MAKEWPARAM(nID, nCode),
                          reinterpret_cast<LPARAM>(::GetDlgItem(hDlg, nID)));
}

LRESULT Notify(HWND hDlg, int nID, UINT nCode)
{
    NMHDR hdr = {::GetDlgItem(hDlg, nID), static_cast<UINT_PTR>(nID), nCode};
    return ::SendMessageA(hDlg, WM_NOTIFY, nID, reinterpret_cast<LPARAM>(&hdr));
}

class MessageMap : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_dlg.Create(IDD_ROUTE)); }
    CRouteDlg2 m_dlg;
};

TEST_F(MessageMap, CommandsReachTheirHandlersAtEveryLevel)
{
    HWND h = m_dlg.m_hWnd;
    Command(h, IDC_BTN1);
    Command(h, IDC_BTN2);
    Command(h, IDC_BTN1, BN_SETFOCUS); // another notification of the same button: not mapped
    Command(h, IDC_EDIT, 1);           // a control's code 1 is no command
    ::PostMessageA(h, WM_COMMAND, ID_TEST_CMD, 0);                // a menu-style command, posted
    ::PostMessageA(h, WM_COMMAND, MAKEWPARAM(ID_TEST_CMD, 1), 0); // from an accelerator
    FlushMessages();
    EXPECT_EQ((std::vector<std::string>{"btn1", "btn2", "cmd", "cmd"}), m_dlg.m_log);
}

TEST_F(MessageMap, MessageAndNotifyResultsReachTheSender)
{
    HWND h = m_dlg.m_hWnd;
    EXPECT_EQ(11, ::SendMessageA(h, WM_TEST_VALUE, 5, 6));
    EXPECT_EQ(42, Notify(h, IDC_LIST, NM_CLICK));
    EXPECT_EQ(0, Notify(h, IDC_LIST, NM_RCLICK)); // not mapped
    EXPECT_EQ(0, Notify(h, IDC_EDIT, NM_CLICK));  // another control
    EXPECT_EQ((std::vector<std::string>{"value", "click:1005"}), m_dlg.m_log);
}

TEST_F(MessageMap, UnmappedMessagesGetTheBaseHandling)
{
    HWND h = m_dlg.m_hWnd;
    EXPECT_EQ(0, ::SendMessageA(h, WM_TEST_UNMAPPED, 1, 2));
    // The dialog's default handling still answers what nobody maps.
    EXPECT_EQ(MAKELRESULT(IDOK, DC_HASDEFID), ::SendMessageA(h, DM_GETDEFID, 0, 0));
    // Commands nobody in the window maps go on to the application's map.
    int nBefore = theApp.m_nAppCommands;
    Command(h, ID_APP_CMD, 0);
    EXPECT_EQ(nBefore + 1, theApp.m_nAppCommands);
    EXPECT_TRUE(m_dlg.m_log.empty());
}

TEST_F(MessageMap, OkAndCancelRouteToTheVirtualHandlers)
{
    HWND h = m_dlg.m_hWnd;
    Command(h, IDOK);
    EXPECT_EQ((std::vector<std::string>{"ok"}), m_dlg.m_log);
    EXPECT_TRUE(::IsWindow(h));
    // The base OnCancel of a modeless dialog destroys its window.
    Command(h, IDCANCEL);
    EXPECT_FALSE(::IsWindow(h));
    EXPECT_EQ(NULL, m_dlg.m_hWnd);
}

TEST_F(MessageMap, SysCommandPaintAndDragIcon)
{
    HWND h = m_dlg.m_hWnd;
    m_dlg.ShowWindow(SW_SHOW);
    FlushMessages();
    ::SendMessageA(h, WM_SYSCOMMAND, 16, 0);
    EXPECT_FALSE(m_dlg.IsIconic());
    // The default handling runs for the rest: the window really minimises.
    ::SendMessageA(h, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(m_dlg.IsIconic());
    EXPECT_EQ((std::vector<UINT>{16, SC_MINIMIZE}), m_dlg.m_sysCommands);
    ::SendMessageA(h, WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_FALSE(m_dlg.IsIconic());

    m_dlg.m_log.clear();
    ::InvalidateRect(h, NULL, TRUE);
    ::UpdateWindow(h);
    ASSERT_FALSE(m_dlg.m_log.empty());
    EXPECT_EQ("paint", m_dlg.m_log.front());
    // Default() painted and validated: nothing is left to paint.
    RECT rc;
    EXPECT_FALSE(::GetUpdateRect(h, &rc, FALSE));

    EXPECT_EQ(reinterpret_cast<LRESULT>(m_dlg.m_hIcon), ::SendMessageA(h, WM_QUERYDRAGICON, 0, 0));
}

class CThrowingDlg : public CDialog
{
public:
    CThrowingDlg() : CDialog(IDD_MODAL) {}

protected:
    afx_msg void OnBtn1() { throw 42; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CThrowingDlg, CDialog)
ON_BN_CLICKED(IDC_BTN1, &CThrowingDlg::OnBtn1)
END_MESSAGE_MAP()

TEST(MessageMapFaults, ExceptionFromAHandlerIsReportedAndTheDialogLivesOn)
{
    vtltest::CMsgBoxCatcher catcher;
    CThrowingDlg dlg;
    ASSERT_TRUE(dlg.Create(IDD_MODAL));
    Command(dlg.m_hWnd, IDC_BTN1);
    ASSERT_EQ(1u, catcher.Count());
    EXPECT_EQ(static_cast<UINT>(MB_ICONERROR), catcher.Record(0).icon);
    EXPECT_EQ("mfc_tests", catcher.Record(0).caption);
    EXPECT_TRUE(::IsWindow(dlg.m_hWnd));
    Command(dlg.m_hWnd, IDCANCEL);
    EXPECT_EQ(NULL, dlg.m_hWnd);
}

TEST_F(MessageMap, CloseBoxEndsThroughCancel)
{
    HWND h = m_dlg.m_hWnd;
    ::SendMessageA(h, WM_SYSCOMMAND, SC_CLOSE, 0);
    FlushMessages();
    EXPECT_FALSE(::IsWindow(h));
}

} // namespace
