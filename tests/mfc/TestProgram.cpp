// TestProgram.cpp - a program on the layer's WinMain, started by ProgramTests.cpp.
// Its command line picks the start-up path: "quit", "throw", "save" or "dialog".
#include <afxdlgs.h>
#include <afxwin.h>

#include "resource.h"

#include <cstring>

namespace
{

class CProgramDlg : public CDialog
{
public:
    CProgramDlg() : CDialog(IDD_ROUTE) {}

protected:
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        PostMessage(WM_APP);
        return TRUE;
    }
    afx_msg LRESULT OnGreet(WPARAM, LPARAM)
    {
        MessageBox("Started.");
        return 0;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CProgramDlg, CDialog)
ON_MESSAGE(WM_APP, &CProgramDlg::OnGreet)
END_MESSAGE_MAP()

class CProgramApp : public CWinApp
{
public:
    BOOL InitInstance() override
    {
        LPCSTR pszCmd = ::GetCommandLineA();
        if (std::strstr(pszCmd, "quit") != NULL)
        {
            ::PostQuitMessage(5);
            return FALSE;
        }
        if (std::strstr(pszCmd, "throw") != NULL)
            throw 42;
        if (std::strstr(pszCmd, "save") != NULL)
        {
            CFileDialog dlg(FALSE, "iic", NULL, OFN_OVERWRITEPROMPT | OFN_NOCHANGEDIR,
                            "EEPROM Files (*.iic)|*.iic|All Files (*.*)|*.*||");
            AfxMessageBox(dlg.DoModal() == IDOK ? dlg.GetPathName().GetString() : "cancelled");
            return FALSE;
        }
        AfxEnableControlContainer();
        CProgramDlg dlg;
        m_pMainWnd = &dlg;
        dlg.DoModal();
        return FALSE;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CProgramApp, CWinApp)
ON_COMMAND(ID_HELP, &CWinApp::OnHelp)
END_MESSAGE_MAP()

CProgramApp theProgramApp;

} // namespace
