// RefreshThread.cpp - rebuilds the board list on request, with the library closed for a pause.
#include "OstrelDlg.h"

#include "DialogLock.h"
#include "OstrelText.h"

using namespace OstrelText;

DWORD WINAPI COstrelDlg::RefreshThreadProc(LPVOID pParam)
{
    return static_cast<COstrelDlg *>(pParam)->RefreshThread();
}

// Never a post to a null handle: that would become a message for this very thread. Once the
// window is gone nothing is left to tell.
void COstrelDlg::PostToDialog(UINT nMessage, WPARAM wParam)
{
    const HWND hWnd = m_hWnd;
    if (hWnd)
        ::PostMessageA(hWnd, nMessage, wParam, 0);
}

DWORD COstrelDlg::RefreshThread()
{
    const HANDLE handles[2] = {m_hQuitEvent, m_hRefreshEvent};
    for (;;)
    {
        const DWORD dwWait = WaitForMultipleObjects(2, handles, FALSE, INFINITE);
        if (dwWait == WAIT_OBJECT_0)
            return 0;
        // Without its events the thread could only spin.
        if (dwWait == WAIT_FAILED)
            return 1;
        if (dwWait != WAIT_OBJECT_0 + 1)
            continue;
        if (IsClosing())
            continue;

        EnableButtons(false);
        PostToDialog(WM_COMMAND, ID_HOURGLASS);
        {
            // Checked under the lock: once the teardown has set the closing event and
            // taken the lock, no step below touches the library again.
            CDialogLock lock(m_cs);
            if (IsClosing())
                continue;
            RememberSelection();
            CloseBoards();
            ClearBoardList();
            CloseLibrary();
        }

        // The device settles while the library is closed; closing the dialog cuts it short.
        if (WaitForSingleObject(m_hClosingEvent, m_nRefreshPauseMs) == WAIT_OBJECT_0)
            continue;

        CString strError;
        bool bListed = false;
        {
            CDialogLock lock(m_cs);
            if (IsClosing())
                continue;
            strError = OpenLibraryQuietly();
            EnumerateBoards();
            FillBoardList();
            m_bCheckPending = true;
            bListed = !m_boards.empty();
        }
        // Before the buttons come back: a command clicked later is queued behind the check.
        PostToDialog(WM_CHECK_SELECTION, 0);
        if (!strError.IsEmpty())
            MessageBox(strError, kErrorCaption, MB_OK | MB_ICONERROR);
        PostToDialog(WM_COMMAND, ID_HOURGLASS);
        // Over an empty list the commands would do nothing, which reads as a hung tool.
        EnableButtons(bListed);
    }
}

// Posted by the refresh thread before and after each refresh: the cursor shows the wait.
void COstrelDlg::OnHourglass()
{
    if (!m_bHourglass)
    {
        SetCursor(LoadCursorA(nullptr, IDC_WAIT));
        m_bHourglass = TRUE;
    }
    else
    {
        SetCursor(LoadCursorA(nullptr, IDC_ARROW));
        m_bHourglass = FALSE;
    }
}
