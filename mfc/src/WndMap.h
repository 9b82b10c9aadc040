// WndMap.h - internal: dialog objects by window handle, per-thread temporaries and the
// message being processed, and the dialog procedure that routes messages into message maps.
#pragma once

#include "afxwin.h"

namespace afx
{

// Dialog whose window procedure binds to the next window it sees on this thread.
void SetDialogToBind(CDialog *pDlg);

// The permanent object of a window created by this layer, else NULL.
CDialog *LookupDialog(HWND hWnd);
void BindDialog(HWND hWnd, CDialog *pDlg);
// Forgets hWnd only while it still belongs to pWnd.
void UnbindWindow(HWND hWnd, const CWnd *pWnd);

// One untorn store: a worker thread reading the handle meanwhile sees either the old window
// (a call on it fails harmlessly once it is destroyed) or NULL.
inline void ClearHandle(CWnd &wnd)
{
    ::InterlockedExchangePointer(reinterpret_cast<PVOID volatile *>(&wnd.m_hWnd), NULL);
}

CWnd *TemporaryWnd(HWND hWnd);
CMenu *TemporaryMenu(HMENU hMenu);

// Message that this thread is processing in a message map, innermost first.
struct CurrentMessage
{
    HWND hWnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    CurrentMessage *pPrev;
};
const CurrentMessage *GetCurrentMessage();

// The system's default handling of the current message of a layer dialog.
LRESULT DefaultDialogMessage(const CurrentMessage &cur);

} // namespace afx

INT_PTR CALLBACK AfxDlgProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
