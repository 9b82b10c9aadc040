// OstrelApp.cpp - runs the main dialog; a program without its library ends quietly.
#include "OstrelApp.h"

#include "OstrelDlg.h"
#include "StartupWindows.h"

// clang-format off
BEGIN_MESSAGE_MAP(COstrelApp, CWinApp)
    ON_COMMAND(ID_HELP, &CWinApp::OnHelp)
END_MESSAGE_MAP()
// clang-format on

COstrelApp::COstrelApp() {}

BOOL COstrelApp::InitInstance()
{
    AfxEnableControlContainer();
    int nExitCode;
    try
    {
        COstrelDlg dlg(NULL);
        m_pMainWnd = &dlg;
        nExitCode = RunMainDialog(dlg);
        m_pMainWnd = NULL;
    }
    catch (VTLExc &)
    {
        // The loader has told the user already; without the library there is nothing to run.
        m_pMainWnd = NULL;
        nExitCode = 1;
    }
    if (nExitCode != 0)
        PostQuitMessage(nExitCode);
    return FALSE;
}
