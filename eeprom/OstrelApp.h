// OstrelApp.h - the application object: runs the main dialog once and ends.
#pragma once

#include <afxwin.h>

class COstrelApp : public CWinApp
{
public:
    COstrelApp();

    BOOL InitInstance() override;

    DECLARE_MESSAGE_MAP()
};
