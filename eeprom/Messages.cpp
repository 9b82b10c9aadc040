// Messages.cpp - the single place where Ostrel's dialog raises message boxes.
#include "Messages.h"

int OstrelMessageBox(CWnd &owner, LPCSTR pszText, LPCSTR pszCaption, UINT nType)
{
    return owner.MessageBox(pszText, pszCaption, nType);
}
