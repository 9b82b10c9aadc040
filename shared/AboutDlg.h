// AboutDlg.h - the About box opened from the system menu.
#pragma once

#include <afxwin.h>

#include "resource.h"

class CAboutDlg : public CDialog
{
public:
    enum
    {
        IDD = IDD_ABOUTBOX
    };
    CAboutDlg();

    DECLARE_MESSAGE_MAP()
};
