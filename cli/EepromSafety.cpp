// EepromSafety.cpp - the EEPROM update with backup, verify and restore.
#include "EepromSafety.h"

#include "CliArgs.h"
#include "CliBreak.h"
#include "CliOutput.h"
#include "DriverText.h"
#include "EepromBackup.h"
#include "OstrelText.h"

#include <windows.h>
#include <shlobj.h>

namespace
{
// A status for a step that threw instead of answering.
constexpr int kThrew = 0x7FFFFFFF;

// Times the phases into the outcome and announces each.
class CPhaseClock
{
public:
    CPhaseClock(EepromUpdateOutcome &outcome, const EepromPhaseFn &onPhase)
        : m_outcome(outcome), m_onPhase(onPhase)
    {
    }
    void Start(EepromPhase nPhase)
    {
        m_nPhase = nPhase;
        m_qwStart = GetTickCount64();
        if (m_onPhase)
            m_onPhase(nPhase);
    }
    void End() { m_outcome.nMs[m_nPhase] = static_cast<int>(GetTickCount64() - m_qwStart); }

private:
    EepromUpdateOutcome &m_outcome;
    const EepromPhaseFn &m_onPhase;
    EepromPhase m_nPhase = kPhaseCheck;
    ULONGLONG m_qwStart = 0;
};

// The path the library takes for a file that exists: the long one, or else its short name
// when the code page cannot hold the long one.
bool LibraryPathOf(const std::wstring &strFile, std::string &strPath, std::string &strError)
{
    if (ToLibraryPath(strFile, strPath, strError))
        return true;
    wchar_t szShort[MAX_PATH];
    const DWORD n = GetShortPathNameW(strFile.c_str(), szShort, MAX_PATH);
    std::string strIgnored;
    return n != 0 && n < MAX_PATH && ToLibraryPath(szShort, strPath, strIgnored);
}

std::string BoardError(CVtlBoard &board)
{
    return CliOneLine(CopyDriverText(board.GetErrorText()));
}

// Writes the backup back and compares it; a backup that is no image (a blank EEPROM is saved
// whole) is written back by erasing. Throws nothing: the outcome tells what came of it.
void Restore(CVtlBoard &board, EepromUpdateOutcome &outcome, CPhaseClock &clock)
{
    EepromSafetySteps &s = outcome.steps;
    std::string strPath;
    std::string strError;
    if (outcome.strBackup.empty() || !LibraryPathOf(outcome.strBackup, strPath, strError))
        return;
    clock.Start(kPhaseRestore);
    try
    {
        const bool bImage = board.IsValidEepromFile(strPath.c_str());
        s.nRestore = bImage ? board.ProgramEeprom(strPath.c_str()) : board.EraseEeprom();
        if (s.nRestore == 0)
            s.nRestoreVerify = board.VerifyEeprom(strPath.c_str());
    }
    catch (VTLExc &)
    {
        (s.nRestore < 0 ? s.nRestore : s.nRestoreVerify) = kThrew;
    }
    clock.End();
}

// The version after an update, when the library tells it.
void ReadVersionAfter(CVtlBoard &board, EepromUpdateOutcome &outcome)
{
    try
    {
        outcome.bVersionAfter =
            board.GetEepromVersion(&outcome.nMajorAfter, &outcome.nMinorAfter) == 0;
    }
    catch (VTLExc &)
    {
        outcome.bVersionAfter = false;
    }
}
} // namespace

bool BackupEeprom(CVtlBoard &board, const CliBoard &info, const std::wstring &strDir,
                  std::wstring &strBackup, std::string &strError, bool &bPathFailed)
{
    bPathFailed = true;
    strBackup.clear();
    std::wstring strFile;
    std::string strPath;
    if (!ReserveEepromBackup(strDir, info.dwIoAddress, info.strType, strFile, strError))
        return false;
    if (!LibraryPathOf(strFile, strPath, strError))
    {
        DeleteFileW(strFile.c_str());
        return false;
    }
    bPathFailed = false;
    int nStatus;
    try
    {
        nStatus = board.SaveEeprom(strPath.c_str());
    }
    catch (...)
    {
        DeleteFileW(strFile.c_str());
        throw;
    }
    if (nStatus != 0)
    {
        strError = BoardError(board);
        DeleteFileW(strFile.c_str()); // what is there is no backup
        return false;
    }
    strBackup = strFile;
    return true;
}

void SafeEepromUpdate(CVtlBoard &board, const CliBoard &info, const EepromUpdatePlan &plan,
                      const EepromPhaseFn &onPhase, EepromUpdateOutcome &outcome)
{
    outcome = EepromUpdateOutcome();
    EepromSafetySteps &s = outcome.steps;
    s.bForce = plan.bForce;
    s.bBackupWanted = !plan.strBackupDir.empty();
    const char *pszImage = plan.strImage.c_str();
    CPhaseClock clock(outcome, onPhase);
    const auto decide = [&] { outcome.nResult = EepromSafetyResult(s); };

    clock.Start(kPhaseCheck);
    s.bValidImage = board.IsValidEepromFile(pszImage);
    if (!s.bValidImage || CliBreak::Requested())
    {
        clock.End();
        if (!s.bValidImage)
        {
            outcome.strError = BoardError(board);
            decide();
        }
        return;
    }
    // The version rule comes before the backup: a refused image then takes none, which would
    // push an older backup out of the folder.
    s.nCompare = board.VerifyEeprom(pszImage);
    outcome.versions = ReadEepromUpdateVersions(board, pszImage);
    s.bRefused = !plan.bAllowDowngrade && outcome.versions.NeedsConsent();
    clock.End();
    decide();
    if (outcome.nResult == EepromUpdateResult::kIdentical)
    {
        outcome.bVersionAfter = outcome.versions.bEepromRead;
        outcome.nMajorAfter = outcome.versions.nEepromMajor;
        outcome.nMinorAfter = outcome.versions.nEepromMinor;
        return;
    }
    if (outcome.nResult == EepromUpdateResult::kRefusedDowngrade)
        return;

    if (s.bBackupWanted)
    {
        if (CliBreak::Requested())
        {
            outcome.nResult = EepromUpdateResult::kInterrupted;
            return;
        }
        clock.Start(kPhaseBackup);
        std::string strError;
        const bool bSaved = BackupEeprom(board, info, plan.strBackupDir, outcome.strBackup,
                                         strError, outcome.bBackupPathFailed);
        s.nBackup = bSaved ? 0 : 1;
        clock.End();
        if (!bSaved)
        {
            outcome.strError = CliOneLine(strError);
            decide();
            return;
        }
    }
    // Pruned once the image is on or the run ends, never the image being written.
    const auto prune = [&] {
        if (!outcome.strBackup.empty())
            PruneEepromBackups(plan.strBackupDir, info.dwIoAddress, CliWide(plan.strImage));
    };
    if (CliBreak::Requested())
    {
        outcome.nResult = EepromUpdateResult::kInterrupted;
        prune();
        return;
    }

    outcome.bWriteStarted = true;
    try
    {
        clock.Start(kPhaseWrite);
        s.nWrite = board.ProgramEeprom(pszImage);
        clock.End();
        if (s.nWrite != 0)
            outcome.strError = BoardError(board);
        else
        {
            clock.Start(kPhaseVerify);
            s.nVerify = board.VerifyEeprom(pszImage);
            clock.End();
            if (s.nVerify != 0)
                outcome.strError = BoardError(board);
        }
    }
    catch (VTLExc &e)
    {
        // The board may hold half an image: put the backup back before the exception goes on.
        clock.End();
        (s.nWrite < 0 ? s.nWrite : s.nVerify) = kThrew;
        outcome.strError = CliOneLine(DriverMessage(e));
        Restore(board, outcome, clock);
        decide();
        ReadVersionAfter(board, outcome);
        prune();
        throw;
    }
    decide();
    if (outcome.nResult != EepromUpdateResult::kUpdated)
        Restore(board, outcome, clock);
    decide();
    ReadVersionAfter(board, outcome);
    prune();
}

std::wstring DefaultEepromBackupDir()
{
    std::wstring strBase;
    wchar_t szBase[MAX_PATH];
    const DWORD n = GetEnvironmentVariableW(L"LOCALAPPDATA", szBase, MAX_PATH);
    if (n != 0 && n < MAX_PATH)
        strBase.assign(szBase, n);
    else
    {
        PWSTR pszFolder = nullptr;
        if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &pszFolder)))
            strBase = pszFolder;
        CoTaskMemFree(pszFolder);
    }
    // Never the current folder: without a base there is no default.
    if (strBase.empty())
        return strBase;
    if (strBase.back() != L'\\')
        strBase += L'\\';
    return strBase + L"Veltrane\\VTL4410\\eeprom-backups";
}

std::string RestoreCommand(const std::wstring &strBackup, std::uint32_t dwIoAddress)
{
    return "ostrel-cli restore --from \"" + CliAnsi(strBackup) + "\" --io " +
           CliFormat(OstrelText::kIoAddress, static_cast<unsigned>(dwIoAddress));
}
