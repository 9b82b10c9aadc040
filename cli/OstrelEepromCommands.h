// OstrelEepromCommands.h - ostrel-cli's commands within the EEPROM safety net: update and
// restore, the backup before an erase, and the listing of the backup folder.
#pragma once

#include "CliArgs.h"
#include "CliSession.h"
#include "EepromSafety.h"

#include <string>

// --backup-dir, --no-backup, --latest and --from, before anything is done: false with the reason.
bool CheckBackupOptions(const CCliArgs &args, bool bRestore, std::string &strError);

// The backup folder, --backup-dir or the default: 0, or the exit code once told why.
int BackupDirOf(const CCliArgs &args, std::wstring &strDir);

// The backup an erase starts with, unless strDir is empty: false with the result to end on.
bool BackedUp(CVtlBoard &board, const CliBoard &info, const std::wstring &strDir,
              CliResult &result);

// update (bRestore false) or the write of restore, through SafeEepromUpdate, with its messages.
CliResult UpdateEeprom(CVtlBoard &board, const CliBoard &info, const EepromUpdatePlan &plan,
                       bool bRestore);

// restore: strFrom as the library takes it, else the newest backup in strDir of the board's
// I/O address; plan names where the backup before the restore goes.
CliResult RestoreEeprom(CVtlBoard &board, const CliBoard &info, const std::string &strFrom,
                        const std::wstring &strDir, EepromUpdatePlan plan);

// backups: the folder's backups, newest first, with --io only that address. Opens no library.
int ListBackups(const CliBoardChoice &choice, const std::wstring &strDir);
