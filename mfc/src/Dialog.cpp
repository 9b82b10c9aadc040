// Dialog.cpp - CDialog: modal and modeless dialogs from the program's templates, the dialog
// procedure that routes their messages into message maps, and DDX.
#include "LayerText.h"
#include "WndMap.h"

#include <algorithm>

namespace
{
// Dialog whose procedure binds to the next window it sees on this thread.
thread_local CDialog *t_pDlgToBind = nullptr;

// That dialog, taken once.
CDialog *TakeDialogToBind()
{
    CDialog *pDlg = t_pDlgToBind;
    t_pDlgToBind = nullptr;
    return pDlg;
}

bool ReturnsValueDirectly(UINT message)
{
    switch (message)
    {
    case WM_INITDIALOG:
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
        return true;
    default:
        return false;
    }
}

// Like the framework: a dialog that stayed hidden and in place during its initialisation, and
// has no enabled owner, is centred.
void AutoCenter(CDialog *pDlg, DWORD dwStyleOld, const RECT &rcOld)
{
    HWND hWnd = pDlg->m_hWnd;
    if (hWnd == nullptr || (dwStyleOld & WS_VISIBLE) ||
        (::GetWindowLongA(hWnd, GWL_STYLE) & (WS_VISIBLE | WS_CHILD)))
        return;
    RECT rc;
    ::GetWindowRect(hWnd, &rc);
    if (rc.left != rcOld.left || rc.top != rcOld.top)
        return;
    HWND hOwner = ::GetWindow(hWnd, GW_OWNER);
    if (hOwner != nullptr && ::IsWindowEnabled(hOwner))
        return;
    pDlg->CenterWindow();
}
} // namespace

INT_PTR CALLBACK AfxDlgProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    using namespace afx;
    if (IsDefaultCall(hWnd, message, wParam, lParam))
        return FALSE;

    CDialog *pDlg = LookupDialog(hWnd);
    if (pDlg == nullptr)
    {
        pDlg = TakeDialogToBind();
        if (pDlg == nullptr && message == WM_INITDIALOG)
            pDlg = reinterpret_cast<CDialog *>(lParam);
        if (pDlg == nullptr)
            return FALSE;
        pDlg->m_hWnd = hWnd;
        BindDialog(hWnd, pDlg);
    }

    // The system shows a WS_VISIBLE template after WM_INITDIALOG even when the dialog was
    // ended there; an ended dialog is never to appear.
    if (message == WM_WINDOWPOSCHANGING && pDlg->m_bEnded && lParam != 0)
        reinterpret_cast<WINDOWPOS *>(lParam)->flags &= ~SWP_SHOWWINDOW;

    DWORD dwStyleOld = 0;
    RECT rcOld = {0, 0, 0, 0};
    if (message == WM_INITDIALOG)
    {
        dwStyleOld = static_cast<DWORD>(::GetWindowLongA(hWnd, GWL_STYLE));
        ::GetWindowRect(hWnd, &rcOld);
    }

    CurrentMessage cur = {hWnd, message, wParam, lParam, nullptr};
    PushCurrentMessage(cur);
    LRESULT lResult = 0;
    BOOL bHandled = FALSE;
    bool bFailed = false;
    try
    {
        bHandled = pDlg->OnWndMsg(message, wParam, lParam, &lResult);
    }
    catch (...)
    {
        // An exception must not unwind through the system's dialog code: that would leave
        // the modal loop and the window behind.
        bFailed = true;
    }
    PopCurrentMessage(cur);
    if (bFailed)
    {
        // Tell the user; the dialog stays usable. The handle, not the object: the handler may
        // have destroyed the window and, with it, a dialog that deletes itself.
        TemporaryWnd(hWnd)->MessageBox(kHandlerFailed, nullptr, MB_OK | MB_ICONERROR);
        bHandled = TRUE;
        lResult = 0;
    }

    if (message == WM_INITDIALOG && ::IsWindow(hWnd))
        AutoCenter(pDlg, dwStyleOld, rcOld);

    if (message == WM_NCDESTROY)
    {
        UnbindWindow(hWnd, pDlg);
        ClearHandle(*pDlg);
        pDlg->DetachControls();
        static_cast<CWnd *>(pDlg)->PostNcDestroy();
        return FALSE;
    }
    if (!bHandled)
        return FALSE;
    if (ReturnsValueDirectly(message))
        return static_cast<INT_PTR>(lResult);
    ::SetWindowLongPtrA(hWnd, DWLP_MSGRESULT, lResult);
    return TRUE;
}

CDialog::CDialog(UINT nIDTemplate, CWnd *pParentWnd)
    : m_nIDHelp(nIDTemplate), m_pParentWnd(pParentWnd)
{
}

CDialog::~CDialog()
{
    // The derived members are gone already: their handles must not be touched any more.
    m_boundControls.clear();
    if (m_hWnd != nullptr)
        CWnd::DestroyWindow();
}

INT_PTR CDialog::DoModal()
{
    if (m_hWnd != nullptr)
        return -1;
    HWND hOwner = m_pParentWnd != nullptr ? m_pParentWnd->m_hWnd : nullptr;
    if (hOwner == nullptr)
    {
        // Like the framework: the main window owns it once that window exists, else nobody.
        CWnd *pMain = AfxGetMainWnd();
        if (pMain != nullptr && pMain != this && pMain->m_hWnd != nullptr &&
            ::IsWindow(pMain->m_hWnd))
            hOwner = ::GetAncestor(pMain->m_hWnd, GA_ROOT);
    }
    m_bModal = TRUE;
    m_bEnded = FALSE;
    t_pDlgToBind = this;
    INT_PTR nResult = ::DialogBoxParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(m_nIDHelp), hOwner,
                                        AfxDlgProc, reinterpret_cast<LPARAM>(this));
    t_pDlgToBind = nullptr;
    m_bModal = FALSE;
    return nResult;
}

BOOL CDialog::Create(UINT nIDTemplate, CWnd *pParentWnd)
{
    if (m_hWnd != nullptr)
        return FALSE;
    m_nIDHelp = nIDTemplate;
    m_pParentWnd = pParentWnd;
    m_bModal = FALSE;
    t_pDlgToBind = this;
    HWND hWnd = ::CreateDialogParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(nIDTemplate),
                                     pParentWnd != nullptr ? pParentWnd->m_hWnd : nullptr,
                                     AfxDlgProc, reinterpret_cast<LPARAM>(this));
    t_pDlgToBind = nullptr;
    return hWnd != nullptr && m_hWnd == hWnd;
}

void CDialog::EndDialog(int nResult)
{
    if (m_bModal)
        m_bEnded = TRUE;
    ::EndDialog(m_hWnd, nResult);
}

BOOL CDialog::UpdateData(BOOL bSaveAndValidate)
{
    CDataExchange dx(this, bSaveAndValidate);
    DoDataExchange(&dx);
    return TRUE;
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK()
{
    if (!UpdateData(TRUE))
        return;
    if (m_bModal)
        EndDialog(IDOK);
    else
        DestroyWindow();
}

void CDialog::OnCancel()
{
    if (m_bModal)
        EndDialog(IDCANCEL);
    else
        DestroyWindow();
}

BOOL CDialog::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT *pResult)
{
    if (message == WM_INITDIALOG)
    {
        *pResult = OnInitDialog();
        return TRUE;
    }
    if (message == WM_COMMAND && AFX_IS_COMMAND(wParam, lParam))
    {
        if (LOWORD(wParam) == IDOK)
        {
            OnOK();
            *pResult = 0;
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL)
        {
            OnCancel();
            *pResult = 0;
            return TRUE;
        }
    }
    return CWnd::OnWndMsg(message, wParam, lParam, pResult);
}

void CDialog::DetachControls()
{
    for (CWnd *pCtrl : m_boundControls)
        afx::ClearHandle(*pCtrl);
    m_boundControls.clear();
}

void DDX_Control(CDataExchange *pDX, int nIDC, CWnd &rControl)
{
    if (pDX == nullptr || pDX->m_pDlgWnd == nullptr || rControl.m_hWnd != nullptr)
        return;
    HWND hCtrl = ::GetDlgItem(pDX->m_pDlgWnd->m_hWnd, nIDC);
    if (hCtrl == nullptr)
        return;
    rControl.m_hWnd = hCtrl;
    if (CDialog *pDlg = dynamic_cast<CDialog *>(pDX->m_pDlgWnd))
    {
        if (std::find(pDlg->m_boundControls.begin(), pDlg->m_boundControls.end(), &rControl) ==
            pDlg->m_boundControls.end())
            pDlg->m_boundControls.push_back(&rControl);
    }
}
