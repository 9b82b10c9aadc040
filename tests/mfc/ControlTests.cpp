// ControlTests.cpp - control binding, the thin control calls, and calls from another thread.
#include "MfcTestUtil.h"
#include "resource.h"

#include <afxcmn.h>
#include <gtest/gtest.h>

#include <TestSupport.h>

#include <string>

namespace
{

class CControlsDlg : public CDialog
{
public:
    CControlsDlg() : CDialog(IDD_ROUTE) {}
    CButton m_btnOne;
    CButton m_chkCheck;
    CEdit m_edtText;
    CProgressCtrl m_progress;
    CListCtrl m_lstItems;

protected:
    void DoDataExchange(CDataExchange *pDX) override
    {
        CDialog::DoDataExchange(pDX);
        DDX_Control(pDX, IDC_BTN1, m_btnOne);
        DDX_Control(pDX, IDC_CHECK, m_chkCheck);
        DDX_Control(pDX, IDC_EDIT, m_edtText);
        DDX_Control(pDX, IDC_PROGRESS, m_progress);
        DDX_Control(pDX, IDC_LIST, m_lstItems);
    }
};

class Controls : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_dlg.Create(IDD_ROUTE)); }
    CControlsDlg m_dlg;
};

TEST_F(Controls, DataExchangeAttachesEachControlOnce)
{
    EXPECT_EQ(::GetDlgItem(m_dlg.m_hWnd, IDC_BTN1), m_dlg.m_btnOne.m_hWnd);
    EXPECT_EQ(::GetDlgItem(m_dlg.m_hWnd, IDC_CHECK), m_dlg.m_chkCheck.m_hWnd);
    EXPECT_EQ(::GetDlgItem(m_dlg.m_hWnd, IDC_EDIT), m_dlg.m_edtText.m_hWnd);
    EXPECT_EQ(::GetDlgItem(m_dlg.m_hWnd, IDC_PROGRESS), m_dlg.m_progress.m_hWnd);
    EXPECT_EQ(::GetDlgItem(m_dlg.m_hWnd, IDC_LIST), m_dlg.m_lstItems.m_hWnd);
    HWND hEdit = m_dlg.m_edtText.m_hWnd;
    EXPECT_TRUE(m_dlg.UpdateData(FALSE)); // again: nothing changes
    EXPECT_EQ(hEdit, m_dlg.m_edtText.m_hWnd);
    // No subclassing: the controls keep their own window procedures.
    EXPECT_EQ(0, ::GetWindowLongPtrA(hEdit, GWLP_USERDATA));
    // A control that the template lacks stays unbound.
    CWnd missing;
    CDataExchange dx(&m_dlg, FALSE);
    DDX_Control(&dx, 4242, missing);
    EXPECT_EQ(NULL, missing.m_hWnd);
}

TEST_F(Controls, WindowTextOfAnyLength)
{
    std::string longText(20000, 'x');
    longText[12345] = 'y';
    m_dlg.m_edtText.SetWindowText(longText.c_str());
    CString str;
    m_dlg.m_edtText.GetWindowText(str);
    EXPECT_EQ(longText, str.str());
    char buf[8];
    EXPECT_EQ(7, m_dlg.m_edtText.GetWindowText(buf, sizeof(buf)));
    EXPECT_STREQ("xxxxxxx", buf);
    CWnd none;
    none.GetWindowText(str);
    EXPECT_TRUE(str.IsEmpty());
}

TEST_F(Controls, ButtonsAndProgress)
{
    m_dlg.m_chkCheck.SetCheck(BST_CHECKED);
    EXPECT_EQ(BST_CHECKED, m_dlg.m_chkCheck.GetCheck());
    m_dlg.m_btnOne.EnableWindow(FALSE);
    EXPECT_FALSE(::IsWindowEnabled(m_dlg.m_btnOne));
    m_dlg.m_btnOne.EnableWindow();
    EXPECT_TRUE(::IsWindowEnabled(m_dlg.m_btnOne));

    EXPECT_EQ(0, m_dlg.m_progress.SetPos(40));
    EXPECT_EQ(40, m_dlg.m_progress.SetPos(55));
    EXPECT_EQ(55, ::SendMessageA(m_dlg.m_progress.m_hWnd, PBM_GETPOS, 0, 0));
}

TEST_F(Controls, ListViewRowsColumnsAndStates)
{
    CListCtrl &list = m_dlg.m_lstItems;
    EXPECT_EQ(0, list.InsertColumn(0, "Board type    ", LVCFMT_LEFT, 116));
    EXPECT_EQ(1, list.InsertColumn(1, "I/O Address", LVCFMT_LEFT, 91));
    EXPECT_EQ(116, ListView_GetColumnWidth(list, 0));
    EXPECT_EQ(91, ListView_GetColumnWidth(list, 1));

    EXPECT_EQ(0, list.InsertItem(0, "first"));
    EXPECT_EQ(1, list.InsertItem(1, "second"));
    EXPECT_TRUE(list.SetItemText(1, 1, "0x300"));
    std::string longText(1000, 'L');
    EXPECT_TRUE(list.SetItemText(0, 1, longText.c_str()));
    EXPECT_EQ(2, vtltest::ListCount(list));
    EXPECT_EQ("second", vtltest::ListText(list, 1, 0));
    EXPECT_EQ("0x300", vtltest::ListText(list, 1, 1));
    EXPECT_EQ(longText, vtltest::ListText(list, 0, 1));
    EXPECT_TRUE(vtltest::ListText(list, 5, 0).empty());

    // Mask 0: the whole extended style is replaced, the old one returned.
    list.SetExtendedStyle(LVS_EX_FULLROWSELECT);
    EXPECT_EQ(static_cast<DWORD>(LVS_EX_FULLROWSELECT),
              list.SetExtendedStyle(LVS_EX_GRIDLINES) & LVS_EX_FULLROWSELECT);
    EXPECT_EQ(0u, ListView_GetExtendedListViewStyle(list) & LVS_EX_FULLROWSELECT);
    EXPECT_TRUE(ListView_GetExtendedListViewStyle(list) & LVS_EX_GRIDLINES);

    const UINT both = LVIS_SELECTED | LVIS_FOCUSED;
    EXPECT_TRUE(list.SetItemState(1, both, both));
    EXPECT_EQ(both, ListView_GetItemState(list, 1, both));
    EXPECT_EQ(1, list.GetNextItem(-1, LVNI_SELECTED));
    EXPECT_TRUE(list.DeleteAllItems());
    EXPECT_EQ(0, vtltest::ListCount(list));
}

struct WorkerArgs
{
    CControlsDlg *pDlg;
};

DWORD WINAPI WorkerProc(LPVOID pParam)
{
    CControlsDlg &dlg = *static_cast<WorkerArgs *>(pParam)->pDlg;
    dlg.m_btnOne.EnableWindow(FALSE);
    dlg.m_edtText.SetWindowText("from the worker");
    dlg.m_progress.SetPos(33);
    dlg.m_lstItems.InsertColumn(0, "c");
    dlg.m_lstItems.InsertItem(0, "row");
    return vtltest::ListText(dlg.m_lstItems, 0, 0) == "row" ? 0 : 1;
}

TEST_F(Controls, CallableFromAnotherThreadWhileTheGuiThreadPumps)
{
    WorkerArgs args = {&m_dlg};
    HANDLE hThread = ::CreateThread(NULL, 0, WorkerProc, &args, 0, NULL);
    ASSERT_NE(static_cast<HANDLE>(NULL), hThread);
    ASSERT_TRUE(vtltest::WaitForHandle(hThread, 10000));
    DWORD dwCode = 99;
    ::GetExitCodeThread(hThread, &dwCode);
    ::CloseHandle(hThread);
    EXPECT_EQ(0u, dwCode);
    EXPECT_FALSE(::IsWindowEnabled(m_dlg.m_btnOne));
    CString str;
    m_dlg.m_edtText.GetWindowText(str);
    EXPECT_EQ("from the worker", str);
    EXPECT_EQ(33, ::SendMessageA(m_dlg.m_progress.m_hWnd, PBM_GETPOS, 0, 0));
    EXPECT_EQ(1, vtltest::ListCount(m_dlg.m_lstItems));
}

TEST(WindowObjects, TemporariesForForeignHandles)
{
    CWnd *pDesktop = CWnd::GetDesktopWindow();
    ASSERT_NE(nullptr, pDesktop);
    EXPECT_EQ(::GetDesktopWindow(), pDesktop->m_hWnd);
    EXPECT_EQ(pDesktop, CWnd::FromHandle(::GetDesktopWindow())); // the same temporary
    EXPECT_EQ(nullptr, CWnd::FromHandle(NULL));
    CRect rc;
    pDesktop->GetWindowRect(&rc);
    EXPECT_GT(rc.Width(), 0);
    EXPECT_GT(rc.Height(), 0);
}

} // namespace
