// DialogTests.cpp - modal and modeless life cycles, data exchange and ownership.
#include "MfcTestUtil.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <TestSupport.h>

#include <functional>
#include <string>
#include <vector>

namespace
{

const UINT WM_STEP = WM_APP + 10;

// Runs one scripted step (posted after WM_INITDIALOG) inside the modal loop.
class CModalDlg : public CDialog
{
public:
    explicit CModalDlg(UINT nID = IDD_MODAL, CWnd *pParent = NULL) : CDialog(nID, pParent) {}
    CEdit m_edtText;
    CButton m_btnOne;
    std::vector<std::string> m_log;
    std::function<void(CModalDlg &)> m_step;
    std::function<BOOL(CModalDlg &)> m_init;
    HWND m_hOwnerAtInit = reinterpret_cast<HWND>(-1);
    bool m_bEverShown = false;

    using CDialog::EndDialog;

protected:
    void DoDataExchange(CDataExchange *pDX) override
    {
        CDialog::DoDataExchange(pDX);
        DDX_Control(pDX, IDC_EDIT, m_edtText);
        DDX_Control(pDX, IDC_BTN1, m_btnOne);
        m_log.push_back("ddx");
    }
    BOOL OnInitDialog() override
    {
        m_log.push_back("before-base");
        CDialog::OnInitDialog();
        m_log.push_back(m_edtText.m_hWnd != NULL ? "bound" : "unbound");
        m_hOwnerAtInit = ::GetWindow(m_hWnd, GW_OWNER);
        if (m_init)
            return m_init(*this);
        PostMessage(WM_STEP);
        return TRUE;
    }
    void OnOK() override
    {
        m_log.push_back("ok");
        CDialog::OnOK();
    }
    afx_msg LRESULT OnStep(WPARAM, LPARAM)
    {
        if (m_step)
            m_step(*this);
        return 0;
    }
    afx_msg LRESULT OnPosChanged(WPARAM, LPARAM lParam)
    {
        if (reinterpret_cast<WINDOWPOS *>(lParam)->flags & SWP_SHOWWINDOW)
            m_bEverShown = true;
        return Default();
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CModalDlg, CDialog)
ON_MESSAGE(WM_STEP, &CModalDlg::OnStep)
ON_MESSAGE(WM_WINDOWPOSCHANGED, &CModalDlg::OnPosChanged)
END_MESSAGE_MAP()

void Press(HWND hDlg, int nID)
{
    ::PostMessageA(hDlg, WM_COMMAND, MAKEWPARAM(nID, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(hDlg, nID)));
}

// The main window of the application for the length of one test.
struct MainWindowScope
{
    explicit MainWindowScope(CWnd *p) { theApp.m_pMainWnd = p; }
    ~MainWindowScope() { theApp.m_pMainWnd = NULL; }
};

TEST(ModalDialog, DataExchangeRunsBeforeTheDerivedInitAndOkEndsWithIdok)
{
    vtltest::CModalWatchdog watchdog;
    CModalDlg dlg;
    HWND hEditSeen = NULL;
    int nEditId = 0;
    dlg.m_step = [&](CModalDlg &d) {
        hEditSeen = d.m_edtText.m_hWnd;
        nEditId = ::GetDlgCtrlID(hEditSeen);
        d.m_edtText.SetWindowText("typed");
        Press(d.m_hWnd, IDOK);
    };
    EXPECT_EQ(IDOK, dlg.DoModal());
    EXPECT_FALSE(watchdog.Fired());
    // OnOK runs the data exchange again (save direction) before ending.
    EXPECT_EQ((std::vector<std::string>{"before-base", "ddx", "bound", "ok", "ddx"}), dlg.m_log);
    ASSERT_NE(static_cast<HWND>(NULL), hEditSeen);
    EXPECT_EQ(IDC_EDIT, nEditId);
    // The window and the bound controls are gone with the modal run.
    EXPECT_EQ(NULL, dlg.m_hWnd);
    EXPECT_EQ(NULL, dlg.m_edtText.m_hWnd);
    EXPECT_EQ(NULL, dlg.m_btnOne.m_hWnd);
    EXPECT_FALSE(::IsWindow(hEditSeen));
}

TEST(ModalDialog, CancelEscapeAndEndDialogResults)
{
    vtltest::CModalWatchdog watchdog;
    {
        CModalDlg dlg;
        dlg.m_step = [](CModalDlg &d) { Press(d.m_hWnd, IDCANCEL); };
        EXPECT_EQ(IDCANCEL, dlg.DoModal());
    }
    {
        CModalDlg dlg;
        dlg.m_step = [](CModalDlg &d) {
            ::PostMessageA(d.m_hWnd, WM_SYSCOMMAND, SC_CLOSE, 0); // the close box
        };
        EXPECT_EQ(IDCANCEL, dlg.DoModal());
    }
    {
        CModalDlg dlg;
        dlg.m_step = [](CModalDlg &d) { d.EndDialog(7); };
        EXPECT_EQ(7, dlg.DoModal());
        EXPECT_EQ(std::vector<std::string>({"before-base", "ddx", "bound"}), dlg.m_log);
    }
    EXPECT_FALSE(watchdog.Fired());
}

TEST(ModalDialog, RunsAgainAfterItEnded)
{
    vtltest::CModalWatchdog watchdog;
    CModalDlg dlg;
    dlg.m_step = [](CModalDlg &d) { Press(d.m_hWnd, IDOK); };
    EXPECT_EQ(IDOK, dlg.DoModal());
    dlg.m_log.clear();
    EXPECT_EQ(IDOK, dlg.DoModal());
    EXPECT_EQ((std::vector<std::string>{"before-base", "ddx", "bound", "ok", "ddx"}), dlg.m_log);
}

TEST(ModalDialog, EndedDuringInitItIsNeverShown)
{
    vtltest::CModalWatchdog watchdog;
    CModalDlg dlg(IDD_VISIBLE); // WS_VISIBLE template, like the main dialogs
    dlg.m_init = [](CModalDlg &d) {
        d.EndDialog(IDCANCEL);
        return FALSE;
    };
    EXPECT_EQ(IDCANCEL, dlg.DoModal());
    EXPECT_FALSE(dlg.m_bEverShown);
    // Not ended: the same template does appear.
    CModalDlg shown(IDD_VISIBLE);
    shown.m_step = [](CModalDlg &d) { Press(d.m_hWnd, IDOK); };
    EXPECT_EQ(IDOK, shown.DoModal());
    EXPECT_TRUE(shown.m_bEverShown);
    EXPECT_FALSE(watchdog.Fired());
}

TEST(ModalDialog, UnownedDialogIsCentredOnTheWorkArea)
{
    vtltest::CModalWatchdog watchdog;
    CModalDlg dlg;
    RECT rc = {0, 0, 0, 0};
    dlg.m_step = [&](CModalDlg &d) {
        ::GetWindowRect(d.m_hWnd, &rc);
        Press(d.m_hWnd, IDOK);
    };
    EXPECT_EQ(IDOK, dlg.DoModal());
    RECT rcWork;
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &rcWork, 0);
    EXPECT_NEAR((rcWork.left + rcWork.right) / 2, (rc.left + rc.right) / 2, 1);
    EXPECT_NEAR((rcWork.top + rcWork.bottom) / 2, (rc.top + rc.bottom) / 2, 1);
}

TEST(ModalDialog, MissingTemplateFailsWithoutAWindow)
{
    CModalDlg dlg(4321);
    EXPECT_EQ(-1, dlg.DoModal());
    EXPECT_TRUE(dlg.m_log.empty());
    EXPECT_FALSE(dlg.Create(4321));
    EXPECT_EQ(NULL, dlg.m_hWnd);
}

TEST(ModalDialog, MainDialogHasNoOwnerAndOwnsTheDialogsItOpens)
{
    vtltest::CModalWatchdog watchdog;
    CModalDlg mainDlg;
    MainWindowScope scope(&mainDlg); // set before the run, as InitInstance does
    HWND hInnerOwner = NULL;
    BOOL bMainEnabledDuringInner = TRUE;
    mainDlg.m_step = [&](CModalDlg &d) {
        CModalDlg inner; // no parent: the main window owns it
        inner.m_step = [&](CModalDlg &i) {
            hInnerOwner = i.m_hOwnerAtInit;
            bMainEnabledDuringInner = ::IsWindowEnabled(d.m_hWnd);
            Press(i.m_hWnd, IDCANCEL);
        };
        inner.DoModal();
        Press(d.m_hWnd, IDOK);
    };
    EXPECT_EQ(IDOK, mainDlg.DoModal());
    EXPECT_EQ(NULL, mainDlg.m_hOwnerAtInit);
    EXPECT_NE(static_cast<HWND>(NULL), hInnerOwner);
    EXPECT_EQ(FALSE, bMainEnabledDuringInner);
    EXPECT_FALSE(watchdog.Fired());
}

TEST(ModelessDialog, CreateBindsAndTheObjectTakesTheWindowAlong)
{
    HWND hWnd = NULL;
    HWND hEdit = NULL;
    {
        CModalDlg dlg;
        dlg.m_init = [](CModalDlg &) { return TRUE; };
        ASSERT_TRUE(dlg.Create(IDD_MODAL));
        hWnd = dlg.m_hWnd;
        hEdit = dlg.m_edtText.m_hWnd;
        EXPECT_TRUE(::IsWindow(hWnd));
        EXPECT_FALSE(::IsWindowVisible(hWnd)); // the template is not visible
        EXPECT_EQ(IDC_EDIT, ::GetDlgCtrlID(hEdit));
        EXPECT_EQ(&dlg, CWnd::FromHandle(hWnd)); // the permanent object, not a temporary
        EXPECT_FALSE(dlg.Create(IDD_MODAL));     // one window per object
    }
    EXPECT_FALSE(::IsWindow(hWnd));
    EXPECT_FALSE(::IsWindow(hEdit));
}

TEST(ModelessDialog, ParentOwnsIt)
{
    CModalDlg parent;
    parent.m_init = [](CModalDlg &) { return TRUE; };
    ASSERT_TRUE(parent.Create(IDD_MODAL));
    CModalDlg child;
    child.m_init = [](CModalDlg &) { return TRUE; };
    ASSERT_TRUE(child.Create(IDD_MODAL, &parent));
    EXPECT_EQ(parent.m_hWnd, ::GetWindow(child.m_hWnd, GW_OWNER));
}

TEST(WindowMessageBox, CaptionDefaultsToTheApplicationName)
{
    vtltest::CMsgBoxCatcher catcher;
    CModalDlg dlg;
    dlg.m_init = [](CModalDlg &) { return TRUE; };
    ASSERT_TRUE(dlg.Create(IDD_MODAL));
    catcher.PushAnswer(IDNO);
    EXPECT_EQ(IDNO, dlg.MessageBox("First text", NULL, MB_YESNO | MB_ICONWARNING));
    EXPECT_EQ(IDOK, dlg.MessageBox("Second text", "Given caption"));
    EXPECT_EQ(IDOK, AfxMessageBox("Third text", MB_ICONERROR));
    ASSERT_EQ(3u, catcher.Count());
    // The program is mfc_tests.exe and its application object names nothing.
    EXPECT_STREQ("mfc_tests", theApp.m_pszAppName);
    EXPECT_EQ("mfc_tests", catcher.Record(0).caption);
    EXPECT_EQ("First text", catcher.Record(0).text);
    EXPECT_EQ(static_cast<UINT>(MB_ICONWARNING), catcher.Record(0).icon);
    EXPECT_EQ(dlg.m_hWnd, catcher.Record(0).owner);
    EXPECT_EQ("Given caption", catcher.Record(1).caption);
    EXPECT_EQ("mfc_tests", catcher.Record(2).caption);
    EXPECT_EQ(static_cast<UINT>(MB_ICONERROR), catcher.Record(2).icon);
}

TEST(WindowMessageBox, ShownEvenWhenTheOwnerIsAlreadyGone)
{
    // A worker that read the handle just before the GUI thread destroyed the window.
    vtltest::CMsgBoxCatcher catcher;
    HWND h = ::CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 10, 10, NULL, NULL, NULL, NULL);
    ASSERT_NE(static_cast<HWND>(NULL), h);
    ASSERT_TRUE(::DestroyWindow(h));
    CWnd stale;
    stale.m_hWnd = h;
    EXPECT_EQ(IDOK, stale.MessageBox("Late text"));
    stale.m_hWnd = NULL;
    ASSERT_EQ(1u, catcher.Count());
    EXPECT_EQ("Late text", catcher.Record(0).text);
    EXPECT_EQ(static_cast<HWND>(NULL), catcher.Record(0).owner);
}

// Every box of the layer takes this path: from a worker it is owned by the window all the same,
// and AfxMessageBox leaves out a main window that is gone.
TEST(WindowMessageBox, FromAWorkerAndThroughAfxMessageBoxWithTheMainWindowGone)
{
    vtltest::CMsgBoxCatcher catcher;
    CModalDlg dlg;
    dlg.m_init = [](CModalDlg &) { return TRUE; };
    ASSERT_TRUE(dlg.Create(IDD_MODAL));
    HANDLE hWorker = ::CreateThread(
        NULL, 0,
        [](LPVOID p) -> DWORD {
            return static_cast<DWORD>(static_cast<CWnd *>(p)->MessageBox("From the worker"));
        },
        &dlg, 0, NULL);
    ASSERT_TRUE(vtltest::WaitForHandle(hWorker, 10000));
    DWORD dwAnswer = 0;
    ::GetExitCodeThread(hWorker, &dwAnswer);
    ::CloseHandle(hWorker);
    EXPECT_EQ(static_cast<DWORD>(IDOK), dwAnswer);

    HWND h = ::CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 10, 10, NULL, NULL, NULL, NULL);
    ASSERT_TRUE(::DestroyWindow(h));
    CWnd gone;
    gone.m_hWnd = h;
    {
        MainWindowScope scope(&gone);
        EXPECT_EQ(IDOK, AfxMessageBox("After the main window"));
    }
    gone.m_hWnd = NULL;
    ASSERT_EQ(2u, catcher.Count());
    EXPECT_EQ(dlg.m_hWnd, catcher.Record(0).owner);
    EXPECT_NE(::GetCurrentThreadId(), catcher.Record(0).threadId);
    EXPECT_EQ("mfc_tests", catcher.Record(1).caption);
    EXPECT_EQ(static_cast<HWND>(NULL), catcher.Record(1).owner);
}

TEST(Application, ExitInstanceReturnsAWaitingQuitCode)
{
    FlushMessages();
    EXPECT_EQ(0, theApp.ExitInstance());
    ::PostQuitMessage(3);
    EXPECT_EQ(3, theApp.ExitInstance());
    EXPECT_EQ(0, theApp.ExitInstance()); // taken from the queue
    EXPECT_EQ(&theApp, AfxGetApp());
}

} // namespace
