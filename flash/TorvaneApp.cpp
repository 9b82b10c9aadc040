// TorvaneApp.cpp - the one global application object of Torvane.
#include "TorvaneApp.h"

#include "CrashBox.h"
#include "MainDialog.h"
#include "TorvaneDlg.h"

BEGIN_MESSAGE_MAP(CTorvaneApp, CWinApp)
ON_COMMAND(ID_HELP, &CWinApp::OnHelp)
END_MESSAGE_MAP()

CTorvaneApp::CTorvaneApp() {}

CTorvaneApp theApp;

BOOL CTorvaneApp::InitInstance()
{
    InstallCrashBox("Torvane");
    int nExitCode;
    {
        CTorvaneDlg dlg;
        m_pMainWnd = &dlg;
        nExitCode = RunMainDialog(dlg);
        m_pMainWnd = nullptr;
    }
    if (nExitCode != 0)
        PostQuitMessage(nExitCode);
    return FALSE;
}
