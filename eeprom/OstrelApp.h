// OstrelApp.h - Ostrel's application object.
#pragma once

#include <afxwin.h>

class COstrelApp : public CWinApp
{
public:
    COstrelApp();
    BOOL InitInstance() override;

    DECLARE_MESSAGE_MAP()
};

extern COstrelApp theApp;
