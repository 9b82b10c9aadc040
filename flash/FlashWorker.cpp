// FlashWorker.cpp - the command worker: one flash command at a time under the dialog's lock.
#include "TorvaneDlg.h"

#include <cstdio>

#include "DialogLock.h"
#include "DriverText.h"
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
    for (;;)
    {
        DWORD dw = WaitForMultipleObjects(4, ahEvents, FALSE, INFINITE);
        if (dw == WAIT_OBJECT_0 + kQuit)
            return 0;
        if (dw >= WAIT_OBJECT_0 && dw < WAIT_OBJECT_0 + kQuit)
            RunCommand(static_cast<int>(dw - WAIT_OBJECT_0));
        else if (dw == WAIT_FAILED)
            return 0; // the events are unusable; waiting again would only spin
    }
}

void CTorvaneDlg::RunCommand(int nIndex)
{
    const FlashCommandTexts &texts = kFlashCommands[nIndex];
    try
    {
        CDialogLock lock(m_cs);
        ResetProgress();
        EnableButtons(false);
        EnableInputs(false);
        m_edtInfo.SetWindowText(texts.pszStart);
        const bool bFailed = RunBoardOperation(nIndex) != 0;
        if (bFailed)
        {
            CString strText;
            strText.Format(texts.pszError,
                           CopyDriverText(CVtlBoard(m_pBoard).GetErrorText()).c_str());
            MessageBox(strText, kErrorCaption, MB_OK);
        }
        else
        {
            m_edtInfo.SetWindowText(texts.pszEnd);
        }
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
        ShowRecord(e);
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
