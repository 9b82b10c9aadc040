// TorvaneApp.cpp - the one global application object of Torvane.
#include "TorvaneApp.h"

#include "TorvaneDlg.h"

BEGIN_MESSAGE_MAP(CTorvaneApp, CWinApp)
ON_COMMAND(ID_HELP, &CWinApp::OnHelp)
END_MESSAGE_MAP()

CTorvaneApp::CTorvaneApp() {}

CTorvaneApp theApp;

BOOL CTorvaneApp::InitInstance()
{
    CTorvaneDlg dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();
    return FALSE;
}
