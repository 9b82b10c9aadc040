// Dialog.cpp - CDialog: modal and modeless dialogs from the program's templates, and DDX.
#include "WndMap.h"

#include <algorithm>

CDialog::CDialog(UINT nIDTemplate, CWnd *pParentWnd)
    : m_nIDHelp(nIDTemplate), m_pParentWnd(pParentWnd)
{
}

CDialog::~CDialog()
{
    // The derived members are gone already: their handles must not be touched any more.
    m_boundControls.clear();
    if (m_hWnd != NULL)
        CWnd::DestroyWindow();
}

INT_PTR CDialog::DoModal()
{
    if (m_hWnd != NULL)
        return -1;
    HWND hOwner = m_pParentWnd != NULL ? m_pParentWnd->m_hWnd : NULL;
    if (hOwner == NULL)
    {
        // Like the framework: the main window owns it once that window exists, else nobody.
        CWnd *pMain = AfxGetMainWnd();
        if (pMain != NULL && pMain != this && pMain->m_hWnd != NULL && ::IsWindow(pMain->m_hWnd))
            hOwner = ::GetAncestor(pMain->m_hWnd, GA_ROOT);
    }
    m_bModal = TRUE;
    m_bEnded = FALSE;
    afx::SetDialogToBind(this);
    INT_PTR nResult = ::DialogBoxParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(m_nIDHelp), hOwner,
                                        AfxDlgProc, reinterpret_cast<LPARAM>(this));
    afx::SetDialogToBind(nullptr);
    m_bModal = FALSE;
    return nResult;
}

BOOL CDialog::Create(UINT nIDTemplate, CWnd *pParentWnd)
{
    if (m_hWnd != NULL)
        return FALSE;
    m_nIDHelp = nIDTemplate;
    m_pParentWnd = pParentWnd;
    m_bModal = FALSE;
    afx::SetDialogToBind(this);
    HWND hWnd = ::CreateDialogParamA(AfxGetResourceHandle(), MAKEINTRESOURCEA(nIDTemplate),
                                     pParentWnd != NULL ? pParentWnd->m_hWnd : NULL, AfxDlgProc,
                                     reinterpret_cast<LPARAM>(this));
    afx::SetDialogToBind(nullptr);
    return hWnd != NULL && m_hWnd == hWnd;
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
    if (pDX == NULL || pDX->m_pDlgWnd == NULL || rControl.m_hWnd != NULL)
        return;
    HWND hCtrl = ::GetDlgItem(pDX->m_pDlgWnd->m_hWnd, nIDC);
    if (hCtrl == NULL)
        return;
    rControl.m_hWnd = hCtrl;
    if (CDialog *pDlg = dynamic_cast<CDialog *>(pDX->m_pDlgWnd))
    {
        if (std::find(pDlg->m_boundControls.begin(), pDlg->m_boundControls.end(), &rControl) ==
            pDlg->m_boundControls.end())
            pDlg->m_boundControls.push_back(&rControl);
    }
}
