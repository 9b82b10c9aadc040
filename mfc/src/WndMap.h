// WndMap.h - internal: dialog objects by window handle, per-thread temporaries and the
// message being processed. The dialog procedure that uses them is in Dialog.cpp.
#pragma once

#include "afxwin.h"

namespace afx
{

// The permanent object of a window created by this layer, else nullptr.
CDialog *LookupDialog(HWND hWnd);
void BindDialog(HWND hWnd, CDialog *pDlg);
// Forgets hWnd only while it still belongs to pWnd.
void UnbindWindow(HWND hWnd, const CWnd *pWnd);

// One untorn store: a worker thread reading the handle meanwhile sees either the old window
// (a call on it fails harmlessly once it is destroyed) or nullptr.
inline void ClearHandle(CWnd &wnd)
{
    ::InterlockedExchangePointer(reinterpret_cast<PVOID volatile *>(&wnd.m_hWnd), nullptr);
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
// cur is this thread's current message until PopCurrentMessage(cur).
void PushCurrentMessage(CurrentMessage &cur);
void PopCurrentMessage(const CurrentMessage &cur);

// The system's default handling of the current message of a layer dialog.
LRESULT DefaultDialogMessage(const CurrentMessage &cur);
// True, once, for the dialog procedure's call that DefaultDialogMessage causes: that call must
// answer "not handled" so that the system's handling runs.
bool IsDefaultCall(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

} // namespace afx

INT_PTR CALLBACK AfxDlgProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
