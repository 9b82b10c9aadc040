// EepromCommands.cpp - Update, Save, Verify and Erase on the selected board.
#include "OstrelDlg.h"

#include "DialogLock.h"
#include "DriverText.h"
#include "OstrelText.h"
#include "VersionRule.h"

#include <afxdlgs.h>

using namespace OstrelText;

bool COstrelDlg::CheckBoardLock()
{
    CDialogLock lock(m_cs);
    if (m_pSelected && !m_pSelected->pBoard)
    {
        ErrorBox(kLockFailed, kLockFailedCaption, MB_OK | MB_ICONINFORMATION);
        return false;
    }
    return true;
}

// Holds m_cs for the whole command, so a refresh cannot drop the board meanwhile. A
// record thrown by the library is reported once the lock is given back.
void COstrelDlg::RunCommand(void (COstrelDlg::*pfnBody)(UsbBoard *pBoard))
{
    VTLExc failure;
    bool bFailed = false;
    {
        CDialogLock lock(m_cs);
        if (!CheckBoardLock() || !m_pSelected)
            return;
        try
        {
            (this->*pfnBody)(m_pSelected->pBoard);
        }
        catch (VTLExc &e)
        {
            failure = e;
            bFailed = true;
        }
    }
    if (bFailed)
    {
        ErrorBox(DriverMessage(failure).c_str(), kErrorCaption, MB_OK | MB_ICONERROR);
    }
}

int COstrelDlg::ErrorBox(LPCSTR pszText, LPCSTR pszCaption, UINT nType)
{
    CTaskbarState error(m_taskbar, TBPF_ERROR);
    return MessageBox(pszText, pszCaption, nType);
}

bool COstrelDlg::ChooseFile(BOOL bOpen, DWORD dwFlags, CString &strPath)
{
    CFileDialog dlg(bOpen, kDefaultExtension, nullptr, dwFlags, kFileFilter, this);
    if (dlg.DoModal() != IDOK)
        return false;
    strPath = dlg.GetPathName();
    return true;
}

void COstrelDlg::OnErase()
{
    RunCommand(&COstrelDlg::DoErase);
}

void COstrelDlg::OnSave()
{
    RunCommand(&COstrelDlg::DoSave);
}

void COstrelDlg::OnUpdate()
{
    RunCommand(&COstrelDlg::DoUpdate);
}

void COstrelDlg::OnVerify()
{
    RunCommand(&COstrelDlg::DoVerify);
}

// Open dialog for Update and Verify, then the driver's image check; false ends the command.
bool COstrelDlg::ChooseImageFile(UsbBoard *pBoard, CString &strPath)
{
    if (!ChooseFile(TRUE, OFN_HIDEREADONLY | OFN_NOCHANGEDIR, strPath))
        return false;
    if (Busy([&] { return CVtlBoard(pBoard).IsValidEepromFile(strPath); }))
        return true;
    ErrorBox(kInvalidFile, kInvalidFileCaption, MB_OK | MB_ICONINFORMATION);
    return false;
}

void COstrelDlg::DoErase(UsbBoard *pBoard)
{
    if (Busy([&] { return CVtlBoard(pBoard).EraseEeprom(); }) == 0)
        MessageBox(kEraseDone, kResetCaption, MB_OK | MB_ICONINFORMATION);
    else
        ErrorBox(kEraseFailed, kEraseFailedCaption, MB_OK | MB_ICONERROR);
}

void COstrelDlg::DoSave(UsbBoard *pBoard)
{
    CString strPath;
    if (!ChooseFile(FALSE, OFN_OVERWRITEPROMPT | OFN_NOCHANGEDIR, strPath))
        return;
    if (Busy([&] { return CVtlBoard(pBoard).SaveEeprom(strPath); }) != 0)
        ErrorBox(kSaveFailed, kSaveFailedCaption, MB_OK | MB_ICONWARNING);
}

void COstrelDlg::DoUpdate(UsbBoard *pBoard)
{
    CString strPath;
    if (!ChooseImageFile(pBoard, strPath))
        return;
    // Repaints what the file dialog covered before the driver keeps the thread busy.
    PumpMessages();

    CVtlBoard board(pBoard);
    const EepromUpdateVersions v = Busy([&] { return ReadEepromUpdateVersions(board, strPath); });
    if (v.NeedsConsent())
    {
        CString strQuestion;
        strQuestion.Format(kVersionQuestion, v.nEepromMajor, v.nEepromMinor, v.nFileMajor,
                           v.nFileMinor);
        if (MessageBox(strQuestion, kVersionCaption, MB_YESNOCANCEL | MB_ICONWARNING) != IDYES)
            return;
    }

    if (Busy([&] { return CVtlBoard(pBoard).ProgramEeprom(strPath); }) == 0)
        MessageBox(kProgramDone, kResetCaption, MB_OK | MB_ICONINFORMATION);
    else
        ErrorBox(kProgramFailed, kProgramFailedCaption, MB_OK | MB_ICONERROR);
}

void COstrelDlg::DoVerify(UsbBoard *pBoard)
{
    CString strPath;
    if (!ChooseImageFile(pBoard, strPath))
        return;
    if (Busy([&] { return CVtlBoard(pBoard).VerifyEeprom(strPath); }) == 0)
        MessageBox(kVerifyDone, kVerifyDoneCaption, MB_OK | MB_ICONINFORMATION);
    else
        ErrorBox(kVerifyFailed, kVerifyFailedCaption, MB_OK | MB_ICONERROR);
}
