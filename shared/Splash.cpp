// Splash.cpp - the splash dialog class.
#include "Splash.h"

CSplash::CSplash(CWnd *pParent) : CDialog(IDD_SPLASH, pParent) {}

BEGIN_MESSAGE_MAP(CSplash, CDialog)
END_MESSAGE_MAP()
