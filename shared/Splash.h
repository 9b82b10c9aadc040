// Splash.h - the waiting window shown while a main dialog initialises.
#pragma once

#include <afxwin.h>

#include "resource.h"

// Binds the program's splash template; the caller creates it modeless and its window goes
// with the object.
class CSplash : public CDialog
{
public:
    enum
    {
        IDD = IDD_SPLASH
    };
    explicit CSplash(CWnd *pParent = nullptr);

    DECLARE_MESSAGE_MAP()
};
