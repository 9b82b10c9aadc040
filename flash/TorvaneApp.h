// TorvaneApp.h - the application object: runs the main dialog once and ends.
#pragma once

#include <afxwin.h>

class CTorvaneApp : public CWinApp
{
public:
    CTorvaneApp();

    BOOL InitInstance() override;

    DECLARE_MESSAGE_MAP()
};
