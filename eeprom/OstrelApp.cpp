// OstrelApp.cpp - runs the main dialog; a program without its library ends quietly.
#include "OstrelApp.h"

#include "OstrelDlg.h"

// clang-format off
BEGIN_MESSAGE_MAP(COstrelApp, CWinApp)
    ON_COMMAND(ID_HELP, &CWinApp::OnHelp)
END_MESSAGE_MAP()
// clang-format on

COstrelApp::COstrelApp() {}

BOOL COstrelApp::InitInstance()
{
    AfxEnableControlContainer();
    try
    {
        COstrelDlg dlg(NULL);
        m_pMainWnd = &dlg;
        dlg.DoModal();
        m_pMainWnd = NULL;
    }
    catch (VTLExc &)
    {
        // The loader has told the user already; without the library there is nothing to run.
        m_pMainWnd = NULL;
        PostQuitMessage(1);
    }
    return FALSE;
}
