// OstrelEepromCommands.cpp - ostrel-cli's EEPROM commands within the safety net.
#include "OstrelEepromCommands.h"

#include "CliBoardFile.h"
#include "CliBreak.h"
#include "CliOutput.h"
#include "CliText.h"
#include "EepromBackup.h"
#include "ExitCodes.h"
#include "OstrelText.h"

using namespace OstrelText;

namespace
{
// What became of a write that failed or did not verify: whether the backup undid it.
void ReportFailedWrite(const EepromUpdateOutcome &o, const CliBoard &info)
{
    const std::string strBackup = CliAnsi(o.strBackup);
    if (o.nResult == EepromUpdateResult::kFailedRestored)
        CliOutput().Err(CliFormat(CliText::kRestoredAfterFailure, strBackup.c_str()));
    else if (o.nResult == EepromUpdateResult::kFailedNotRestored)
        CliOutput().Err(CliFormat(CliText::kNotRestoredAfterFailure, strBackup.c_str(),
                                  RestoreCommand(o.strBackup, info.dwIoAddress).c_str()));
    else if (o.nResult == EepromUpdateResult::kFailedNoBackup)
        CliOutput().Err(CliText::kNoBackupAfterFailure);
}
} // namespace

// Takes the backup a command that changes the EEPROM starts with, unless strDir is empty.
bool BackedUp(CVtlBoard &board, const CliBoard &info, const std::wstring &strDir, CliResult &result)
{
    std::wstring strBackup;
    std::string strError;
    bool bPathFailed = false;
    if (strDir.empty())
        return true;
    if (!BackupEeprom(board, info, strDir, strBackup, strError, bPathFailed))
    {
        CliOutput().Err(CliFormat(CliText::kBackupFailed, strError.c_str()));
        result = {bPathFailed ? kExitBadFile : kExitLibraryFailure, std::string()};
        return false;
    }
    PruneEepromBackups(strDir, info.dwIoAddress);
    CliOutput().Err(CliFormat(CliText::kBackupTaken, CliAnsi(strBackup).c_str()));
    return true;
}

// Ostrel's decision, the consent being --allow-downgrade, within the safety net; a restore is
// the same with a backup as the image and no version rule.
CliResult UpdateEeprom(CVtlBoard &board, const CliBoard &info, const EepromUpdatePlan &plan,
                       bool bRestore)
{
    if (CliBreak::Requested())
        return CliInterrupted();
    EepromUpdateOutcome o;
    try
    {
        SafeEepromUpdate(board, info, plan, nullptr, o);
    }
    catch (VTLExc &)
    {
        if (o.bWriteStarted)
            ReportFailedWrite(o, info);
        throw;
    }
    const EepromUpdateVersions &v = o.versions;
    const bool bChecked = o.steps.nCompare >= 0 && o.nResult != EepromUpdateResult::kIdentical;
    if (!bRestore && bChecked && v.NeedsConsent())
    {
        // Written as the list writes versions: 1.10 and 1.05 must not read as 1.10 and 1.5.
        CliOutput().Err(CliFormat(plan.bAllowDowngrade ? CliText::kDowngradeAllowed
                                                       : CliText::kDowngradeRefused,
                                  CliFormat(kVersion, v.nEepromMajor, v.nEepromMinor).c_str(),
                                  CliFormat(kVersion, v.nFileMajor, v.nFileMinor).c_str()));
    }
    if (!o.strBackup.empty())
        CliOutput().Err(CliFormat(CliText::kBackupTaken, CliAnsi(o.strBackup).c_str()));
    switch (o.nResult)
    {
    case EepromUpdateResult::kIdentical:
        return {kExitDone, bRestore ? CliText::kRestoreIdentical : CliText::kUpdateIdentical};
    case EepromUpdateResult::kUpdated:
        return {kExitDone, (bRestore ? CliFormat(CliText::kEepromRestored, plan.strImage.c_str())
                                     : std::string(CliText::kEepromUpdated)) +
                               kProgramDone};
    case EepromUpdateResult::kInvalidImage:
        CliOutput().Err(std::string(kInvalidFile) + ": " + plan.strImage);
        return {kExitBadFile, std::string()};
    case EepromUpdateResult::kRefusedDowngrade:
        return {kExitRefusedDowngrade, std::string()};
    case EepromUpdateResult::kBackupFailed:
        CliOutput().Err(CliFormat(CliText::kBackupFailed, o.strError.c_str()));
        return {o.bBackupPathFailed ? kExitBadFile : kExitLibraryFailure, std::string()};
    case EepromUpdateResult::kInterrupted:
        return CliInterrupted();
    default:
        break;
    }
    const bool bWriteFailed = o.steps.nWrite != 0;
    const char *pszFailed = bWriteFailed ? kProgramFailed : kVerifyFailed;
    CliOutput().Err(o.strError.empty() ? std::string(pszFailed) : pszFailed + ("\n" + o.strError));
    ReportFailedWrite(o, info);
    return {bWriteFailed ? kExitLibraryFailure : kExitVerifyMismatch, std::string()};
}

// restore: --from FILE as given, else the newest backup of the board's address.
CliResult RestoreEeprom(CVtlBoard &board, const CliBoard &info, const std::string &strFrom,
                        const std::wstring &strDir, EepromUpdatePlan plan)
{
    plan.strImage = strFrom;
    if (strFrom.empty())
    {
        const std::string strIo = CliFormat(kIoAddress, static_cast<unsigned>(info.dwIoAddress));
        const std::vector<EepromBackupFile> files =
            ListEepromBackups(strDir, true, info.dwIoAddress);
        if (files.empty())
        {
            CliOutput().Err(
                CliFormat(CliText::kNoBackupOfBoard, strIo.c_str(), CliAnsi(strDir).c_str()));
            return {kExitBadFile, std::string()};
        }
        const int nCode = CheckBoardFile(files.front().strPath, false, plan.strImage);
        if (nCode != kExitDone)
            return {nCode, std::string()};
        CliOutput().Err(CliFormat(CliText::kRestoringLatest, strIo.c_str(), plan.strImage.c_str()));
    }
    plan.bAllowDowngrade = true;
    return UpdateEeprom(board, info, plan, true);
}

// backups: reads the folder only.
int ListBackups(const CliBoardChoice &choice, const std::wstring &strDir)
{
    const bool bOneIo = choice.nKind == CliBoardChoice::kIo;
    const std::vector<EepromBackupFile> files = ListEepromBackups(strDir, bOneIo, choice.nValue);
    if (files.empty())
    {
        CliOutput().Out(CliFormat(CliText::kNoBackups, CliAnsi(strDir).c_str()));
        return kExitDone;
    }
    std::string strText = "time                  I/O address  board type        file";
    for (const EepromBackupFile &file : files)
    {
        const std::string strIo =
            CliFormat(kIoAddress, static_cast<unsigned>(file.name.dwIoAddress));
        strText +=
            CliFormat("\n%s  %-11s  %-16s  %s", BackupTimeText(file.name.strStamp).c_str(),
                      strIo.c_str(), file.name.strType.c_str(), CliAnsi(file.strPath).c_str());
    }
    CliOutput().Out(strText);
    return kExitDone;
}

// The backup folder: 0 with the folder (empty for none), or the exit code once told why.
int BackupDirOf(const CCliArgs &args, std::wstring &strDir)
{
    strDir = args.Has(L"--backup-dir") ? args.Value(L"--backup-dir") : DefaultEepromBackupDir();
    if (!strDir.empty())
        return kExitDone;
    CliOutput().Err(CliText::kNoBackupFolder);
    return kExitBadFile;
}

// Option checks of the backup commands, before anything else is done: false with the reason.
bool CheckBackupOptions(const CCliArgs &args, bool bRestore, std::string &strError)
{
    if (args.Has(L"--backup-dir") && args.Value(L"--backup-dir").empty())
        strError = CliText::kEmptyBackupDir;
    else if (!bRestore && args.Has(L"--backup-dir") && args.Has(L"--no-backup"))
        strError = CliText::kNoBackupAndDir;
    else if (args.Has(L"--latest") && args.Has(L"--from"))
        strError = CliText::kLatestAndFrom;
    else if (args.Has(L"--from") && args.Value(L"--from").empty())
        strError = "--from takes a file name";
    return strError.empty();
}
