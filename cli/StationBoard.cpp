// StationBoard.cpp - the recipe on one board, and its log row.
#include "Station.h"

#include "CliBreak.h"
#include "CliJson.h"
#include "CliOutput.h"
#include "DriverText.h"
#include "ExitCodes.h"
#include "OstrelText.h"
#include "StationText.h"

#include <windows.h>

namespace
{
std::string VersionText(int nMajor, int nMinor)
{
    return CliFormat(StationText::kVersion, nMajor, nMinor);
}

// Notes and failures of one run, joined for the row's error column.
void AddNote(std::string &strNotes, const std::string &strNote)
{
    if (!strNote.empty())
        strNotes += (strNotes.empty() ? "" : "; ") + strNote;
}

const char *PhaseText(EepromPhase nPhase)
{
    switch (nPhase)
    {
    case kPhaseCheck:
        return StationText::kPhaseCheck;
    case kPhaseBackup:
        return StationText::kPhaseBackup;
    case kPhaseWrite:
        return StationText::kPhaseWrite;
    case kPhaseVerify:
        return StationText::kPhaseVerify;
    default:
        return StationText::kPhaseRestore;
    }
}
} // namespace

void CStation::Show(const std::string &strPhase, int nPercent)
{
    m_pConsole->Working(m_counts, m_strBoard, strPhase, nPercent);
}

int CStation::OnProgress(std::uint32_t, int nPercent, std::uint32_t, void *pContext)
{
    CStation *pThis = static_cast<CStation *>(pContext);
    // Into a pipe or a file each status is a line: every tenth percent is enough there.
    const int nStep = pThis->m_bErrConsole ? 1 : 10;
    const int nLast = pThis->m_nLastPercent;
    if (nLast < 0 || nPercent >= nLast + nStep || (nPercent == 100 && nLast != 100))
    {
        pThis->m_nLastPercent = nPercent;
        pThis->Show(pThis->m_options.bEraseFlash ? StationText::kPhaseErase
                                                 : StationText::kPhaseFlash,
                    nPercent);
    }
    return 0;
}

bool CStation::EepromStep(CVtlBoard &board, const CliBoard &info, StationRow &row,
                          std::string &strNote)
{
    EepromUpdatePlan plan;
    plan.strImage = m_eeprom.LibraryPath();
    plan.strBackupDir = m_options.strBackupDir;
    plan.bAllowDowngrade = m_options.bAllowDowngrade;
    EepromUpdateOutcome outcome;
    try
    {
        SafeEepromUpdate(
            board, info, plan, [&](EepromPhase nPhase) { Show(PhaseText(nPhase), -1); }, outcome);
    }
    catch (VTLExc &)
    {
        // The write had begun: the backup was written back, or the user needs the way back.
        if (outcome.nResult == EepromUpdateResult::kFailedRestored)
            AddNote(row.strError, StationText::kRestored);
        else if (outcome.nResult == EepromUpdateResult::kFailedNotRestored)
        {
            AddNote(row.strError, StationText::kNotRestored);
            m_pConsole->Message(
                CliFormat(StationText::kRestoreHint, info.Describe().c_str(),
                          RestoreCommand(outcome.strBackup, info.dwIoAddress).c_str()));
        }
        throw;
    }
    const EepromUpdateVersions &v = outcome.versions;
    if (v.bEepromRead)
        row.strEepromBefore = VersionText(v.nEepromMajor, v.nEepromMinor);
    if (outcome.bVersionAfter)
        row.strEepromAfter = VersionText(outcome.nMajorAfter, outcome.nMinorAfter);
    row.nMs[kStationBackup] = outcome.nMs[kPhaseBackup];
    row.nMs[kStationWrite] = outcome.nMs[kPhaseWrite];
    row.nMs[kStationRestore] = outcome.nMs[kPhaseRestore];
    // The compare before and the one after the write are both the verify's time.
    const int nCheck = outcome.nMs[kPhaseCheck], nVerify = outcome.nMs[kPhaseVerify];
    row.nMs[kStationVerify] = nCheck < 0 ? nVerify : nCheck + (nVerify < 0 ? 0 : nVerify);

    std::string strWhy;
    bool bOk = false;
    switch (outcome.nResult)
    {
    case EepromUpdateResult::kIdentical:
        strWhy = StationText::kIdentical;
        bOk = true;
        break;
    case EepromUpdateResult::kUpdated:
        strWhy = CliFormat(StationText::kUpdated,
                           row.strEepromBefore.empty() ? "?" : row.strEepromBefore.c_str(),
                           row.strEepromAfter.empty() ? "?" : row.strEepromAfter.c_str());
        bOk = true;
        break;
    case EepromUpdateResult::kInvalidImage:
        strWhy = StationText::kInvalidImage;
        break;
    case EepromUpdateResult::kRefusedDowngrade:
        strWhy =
            CliFormat(StationText::kRefused, VersionText(v.nEepromMajor, v.nEepromMinor).c_str(),
                      VersionText(v.nFileMajor, v.nFileMinor).c_str());
        break;
    case EepromUpdateResult::kBackupFailed:
        strWhy = StationText::kBackupFailed;
        break;
    case EepromUpdateResult::kFailedRestored:
        strWhy = StationText::kRestored;
        break;
    case EepromUpdateResult::kFailedNotRestored:
        strWhy = StationText::kNotRestored;
        break;
    case EepromUpdateResult::kFailedNoBackup:
        strWhy = StationText::kNoBackup;
        break;
    case EepromUpdateResult::kInterrupted:
        return false;
    }
    AddNote(strNote, strWhy);
    if (!bOk)
        AddNote(strNote, outcome.strError);
    if (outcome.nResult == EepromUpdateResult::kFailedNotRestored && !outcome.strBackup.empty())
        m_pConsole->Message(CliFormat(StationText::kRestoreHint, info.Describe().c_str(),
                                      RestoreCommand(outcome.strBackup, info.dwIoAddress).c_str()));
    return bOk;
}

bool CStation::FlashStep(CVtlBoard &board, StationRow &row)
{
    m_nLastPercent = -1;
    const char *pszPhase =
        m_options.bEraseFlash ? StationText::kPhaseErase : StationText::kPhaseFlash;
    Show(pszPhase, 0);
    board.SetProgressCallback(&CStation::OnProgress, this);
    if (CliBreak::Requested())
        return false;
    const ULONGLONG nStart = GetTickCount64();
    const int nStatus = m_options.bEraseFlash
                            ? board.EraseFlash()
                            : board.ProgramFlash(m_flash.LibraryPath().c_str(), m_options.nFamily,
                                                 m_options.nMajor, m_options.nMinor);
    const ULONGLONG nMs = GetTickCount64() - nStart;
    row.nMs[kStationFlash] = static_cast<int>(nMs);
    if (nStatus != 0)
    {
        AddNote(row.strError, StationText::kFlashFailed);
        AddNote(row.strError, CliOneLine(CopyDriverText(board.GetErrorText())));
        return false;
    }
    const double dSeconds = static_cast<double>(nMs) / 1000.0;
    if (m_options.bEraseFlash)
        m_pConsole->Message(CliFormat(StationText::kEraseDone, dSeconds));
    else
        m_pConsole->Message(CliFormat(
            StationText::kFlashDone, static_cast<unsigned long long>(m_flash.Size()), dSeconds,
            nMs == 0 ? 0.0 : static_cast<double>(m_flash.Size()) / 1024.0 / dSeconds));
    return true;
}

void CStation::RunBoard(const CliBoard &info, CStationPositions::Due nDue)
{
    m_strBoard = info.Describe();
    const unsigned nRemovalsBefore = m_pWatch->Removals();
    StationRow row;
    row.strUtc = StationUtcNow();
    row.strComputer = m_strComputer;
    row.nIndex = info.nPosition;
    row.dwIoAddress = info.dwIoAddress;
    row.strType = info.strType;
    if (!m_options.strEeprom.empty())
    {
        row.strEepromFile = m_eeprom.LibraryPath();
        row.strEepromSha256 = m_eeprom.Sha256();
    }
    if (!m_options.strFlash.empty())
    {
        row.strFlashFile = m_flash.LibraryPath();
        row.strFlashSha256 = m_flash.Sha256();
    }
    if (!m_options.strFlash.empty() || m_options.bEraseFlash)
        row.strFamily = m_options.nFamily == FAMILY_VIRTEX ? "virtex" : "spartan";
    if (!m_options.strFlash.empty())
        row.strVersion = CliFormat("%d.%d", m_options.nMajor, m_options.nMinor);
    if (nDue == CStationPositions::kRerun)
        AddNote(row.strError, StationText::kRerun);

    StationRun run = {false, false, false, false};
    Show(StationText::kPhaseOpen, -1);
    try
    {
        UsbBoard *pBoard = CliBreak::Requested() ? nullptr : m_pSession->OpenBoard(info);
        if (!pBoard && !CliBreak::Requested())
        {
            run.bFailed = true;
            AddNote(row.strError, StationText::kLocked);
        }
        else if (pBoard)
        {
            CVtlBoard board(pBoard);
            bool bOk = true;
            if (!m_options.strEeprom.empty())
            {
                std::string strNote;
                bOk = EepromStep(board, info, row, strNote);
                AddNote(row.strError, strNote);
                run.bFailed = !bOk && !strNote.empty();
            }
            if (bOk && (!m_options.strFlash.empty() || m_options.bEraseFlash))
            {
                bOk = FlashStep(board, row);
                run.bFailed = !bOk && !CliBreak::Requested();
            }
            run.bComplete = bOk;
        }
    }
    catch (VTLExc &e)
    {
        run.bException = true;
        AddNote(row.strError, CliFormat(StationText::kException, static_cast<int>(e.m_nCode),
                                        CliOneLine(DriverMessage(e)).c_str()));
    }
    m_pSession->ReleaseBoard();
    m_positions.Done(info.nPosition);

    // A board pulled out makes the operation fail before its notice may have come; listing
    // again tells, since a board that is gone is no longer listed.
    const size_t nListedBefore = m_nListed;
    if (!run.bComplete && !CliBreak::Requested())
        Relist();
    run.bRemoved = m_pWatch->Removals() != nRemovalsBefore || m_nListed < nListedBefore;
    const StationResult nResult = StationVerdict(run);
    if (nResult == StationResult::kPass)
        row.strResult = "PASS", ++m_counts.nPass;
    else if (nResult == StationResult::kFail)
        row.strResult = "FAIL", ++m_counts.nFail;
    else
    {
        row.strResult = "INTERRUPTED", ++m_counts.nInterrupted;
        if (run.bRemoved)
            AddNote(row.strError, StationText::kRemoved);
        else if (!run.bException && CliBreak::Requested())
            AddNote(row.strError, StationText::kBreak);
        if (run.bRemoved || run.bException)
            ++m_nInterruptedByBoard;
    }

    std::string strError;
    if (!m_log.Append(row, strError))
    {
        m_pConsole->Message(CliFormat(StationText::kLogFailed, strError.c_str()));
        m_bLogFailed = true;
    }
    if (m_options.bJson)
        CliOutput().Out(StationJsonLine(row));
    m_pConsole->Finished(m_counts, row.strResult,
                         m_strBoard + ": " + row.strResult +
                             (row.strError.empty() ? "" : " (" + CliOneLine(row.strError) + ")"));
}
