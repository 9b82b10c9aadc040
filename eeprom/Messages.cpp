// Messages.cpp - the single place where Ostrel's dialog raises message boxes, and the
// copying of texts that come from the library.
#include "Messages.h"

#include <cstring>

int OstrelMessageBox(CWnd &owner, LPCSTR pszText, LPCSTR pszCaption, UINT nType)
{
    return owner.MessageBox(pszText, pszCaption, nType);
}

CString BoundedText(const char *psz, size_t nMax)
{
    return psz ? CString(psz, static_cast<int>(strnlen(psz, nMax))) : CString();
}
