// FlashWorker.cpp - the command worker: one flash command at a time under the dialog's lock.
#include "TorvaneDlg.h"

#include <cstdio>

#include "DialogLock.h"
#include "DriverText.h"
#include "TaskbarButton.h"
#include "TorvaneText.h"
#include "VtlGuard.h"

using namespace TorvaneText;

namespace
{
// The command events come first, in the order of the flash commands.
enum WaitIndex
{
    kErase = kFlashErase,
    kProgram = kFlashProgram,
    kEraseBitstream = kFlashEraseBitstream,
    kQuit = 3
};
} // namespace

DWORD WINAPI CTorvaneDlg::WorkerThreadProc(LPVOID pParam)
{
    return static_cast<DWORD>(static_cast<CTorvaneDlg *>(pParam)->WorkerThread());
}

int CTorvaneDlg::WorkerThread()
{
    const HANDLE ahEvents[4] = {m_hEraseEvent, m_hProgramEvent, m_hEraseBitstreamEvent,
                                m_hQuitEvent};
    // Lives on this thread, so the progress reports reach it without a window message.
    CTaskbarButton taskbar;
    unsigned nTaskbarButtons = 0;
    for (;;)
    {
        DWORD dw = WaitForMultipleObjects(4, ahEvents, FALSE, INFINITE);
        if (dw == WAIT_OBJECT_0 + kQuit)
            return 0;
        if (dw >= WAIT_OBJECT_0 && dw < WAIT_OBJECT_0 + kQuit)
        {
            const unsigned nButtons = m_nTaskbarButtons;
            if (nButtons != nTaskbarButtons)
            {
                nTaskbarButtons = nButtons;
                taskbar.Attach(m_hWnd);
            }
            m_pTaskbar = &taskbar;
            RunCommand(static_cast<int>(dw - WAIT_OBJECT_0), taskbar);
            m_pTaskbar = nullptr;
        }
        else if (dw == WAIT_FAILED)
            return 0; // the events are unusable; waiting again would only spin
    }
}

// The button is busy from the start, turns red until the error box is answered, and is
// cleared at the end.
void CTorvaneDlg::RunCommand(int nIndex, CTaskbarButton &taskbar)
{
    const FlashCommandTexts &texts = kFlashCommands[nIndex];
    try
    {
        CDialogLock lock(m_cs);
        ResetProgress();
        taskbar.SetIndeterminate();
        EnableButtons(false);
        EnableInputs(false);
        m_edtInfo.SetWindowText(texts.pszStart);
        const bool bFailed = RunBoardOperation(nIndex) != 0;
        if (bFailed)
        {
            CString strText;
            strText.Format(texts.pszError,
                           CopyDriverText(CVtlBoard(m_pBoard).GetErrorText()).c_str());
            taskbar.SetError();
            MessageBox(strText, kErrorCaption, MB_OK);
        }
        else
        {
            m_edtInfo.SetWindowText(texts.pszEnd);
        }
        taskbar.Clear();
        EnableButtons(true);
        // After a failure the box shows what the board reports, never the end text. A closed
        // dialog has no box to fill, and a failing query would raise a box nobody owns.
        if ((nIndex == kProgram || bFailed) && !m_bClosing)
            RefreshFlashInfo();
        // Only now may the GUI thread query the board again.
        EnableInputs(true);
    }
    catch (VTLExc &e)
    {
        // The board's state is unknown now: the buttons stay disabled and only closing is left.
        taskbar.SetError();
        ShowRecord(e);
        taskbar.Clear();
    }
}

int CTorvaneDlg::RunBoardOperation(int nIndex)
{
    switch (nIndex)
    {
    case kErase:
        return CVtlBoard(m_pBoard).EraseFlash();
    case kEraseBitstream:
        return CVtlBoard(m_pBoard).EraseBitstream(m_nFamily);
    default:
        break;
    }
    m_edtFile.GetWindowText(m_strFile);
    int nMajor = 1;
    int nMinor = 0;
    ReadVersion(m_edtVerMajor, kDefaultMajor, nMajor);
    ReadVersion(m_edtVerMinor, kDefaultMinor, nMinor);
    return CVtlBoard(m_pBoard).ProgramFlash(m_strFile.GetString(), m_nFamily, nMajor, nMinor);
}

// An empty box shows its default; text that does not begin with a number keeps the default.
void CTorvaneDlg::ReadVersion(CEdit &edt, LPCSTR pszDefault, int &nValue)
{
    CString strText;
    edt.GetWindowText(strText);
    if (strText.IsEmpty())
    {
        edt.SetWindowText(pszDefault);
        return;
    }
    int n = 0;
    if (sscanf(strText.GetString(), kVersionNumber, &n) == 1)
        nValue = n;
}
