// TorvaneApp.h - the application object: runs the main dialog once and ends.
#pragma once

#include <afxwin.h>

class CTorvaneApp : public CWinApp
{
public:
    CTorvaneApp();

    virtual BOOL InitInstance();

    DECLARE_MESSAGE_MAP()
};
