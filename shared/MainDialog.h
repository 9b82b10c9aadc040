// MainDialog.h - window steps both main dialogs share: the modal run, the splash, the About
// item and the minimised icon.
#pragma once

#include <afxwin.h>

// System-menu command of the About item.
const UINT IDM_ABOUTBOX = 0x0010;

// Top-left corner that centres a window of rcWnd's size on rcDesktop, in signed 32-bit
// arithmetic with division truncating toward zero (803 wide on 800 gives x = -1).
POINT SplashOrigin(const RECT &rcDesktop, const RECT &rcWnd);

// Creates splash from nIDTemplate owned by pParent, centres it on the whole desktop, shows it
// and drains the thread's queue so it paints before the slow steps. FALSE if not created.
BOOL ShowSplash(CDialog &splash, UINT nIDTemplate, CWnd *pParent);

// Runs the main dialog modally. When its window cannot be created, shows the system's text for
// the error, captioned with the application name, and returns that error; otherwise 0. The
// caller ends the program with a non-zero result as its exit code.
int RunMainDialog(CDialog &dlg);

// Removes, translates and dispatches every message waiting for any window of this thread.
void DrainMessageQueue();

// Appends a separator and the About item (string nIDText, id 16) to pWnd's system menu when the
// menu exists and the string is not empty. TRUE when appended.
BOOL AppendAboutItem(CWnd &wnd, UINT nIDText);

// System commands 16 to 31 are the About item: the low four bits belong to the system.
inline bool IsAboutCommand(UINT nID)
{
    return (nID & 0xFFF0) == IDM_ABOUTBOX;
}

// Paints a minimised window: the icon background, then hIcon centred in the client area.
void PaintMinimisedIcon(CWnd &wnd, HICON hIcon);
