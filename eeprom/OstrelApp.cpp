// OstrelApp.cpp - the one global application object of Ostrel.
#include "OstrelApp.h"

#include "CrashBox.h"
#include "MainDialog.h"
#include "OstrelDlg.h"

BEGIN_MESSAGE_MAP(COstrelApp, CWinApp)
ON_COMMAND(ID_HELP, &CWinApp::OnHelp)
END_MESSAGE_MAP()

COstrelApp::COstrelApp() {}

COstrelApp theApp;

BOOL COstrelApp::InitInstance()
{
    InstallCrashBox("Ostrel");
    AfxEnableControlContainer();
    int nExitCode;
    try
    {
        COstrelDlg dlg;
        m_pMainWnd = &dlg;
        nExitCode = RunMainDialog(dlg);
        m_pMainWnd = nullptr;
    }
    catch (VTLExc &)
    {
        // The loader has told the user already; without the library there is nothing to run.
        m_pMainWnd = nullptr;
        nExitCode = 1;
    }
    if (nExitCode != 0)
        PostQuitMessage(nExitCode);
    return FALSE;
}
