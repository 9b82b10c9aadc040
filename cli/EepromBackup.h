// EepromBackup.h - the folder of EEPROM backups: new names that never overwrite, the listing
// and the pruning. Only files whose names read as backups are ever touched.
#pragma once

#include "BackupRule.h"

#include <cstdint>
#include <string>
#include <vector>

struct EepromBackupFile
{
    std::wstring strPath;
    EepromBackupName name;
};

// Creates the folder with its parents: true when it is there, else false with the reason.
bool MakeEepromBackupDir(const std::wstring &strDir, std::string &strError);

// Creates a new, empty file for a backup of the board taken now (UTC), with "-2", "-3" ...
// when that second's name is taken: true with its path, else false with the reason.
bool ReserveEepromBackup(const std::wstring &strDir, std::uint32_t dwIoAddress,
                         const std::string &strType, std::wstring &strPath, std::string &strError);

// The backups in the folder, newest first; with bOneIo only those of dwIoAddress.
std::vector<EepromBackupFile> ListEepromBackups(const std::wstring &strDir, bool bOneIo = false,
                                                std::uint32_t dwIoAddress = 0);

// Deletes the backups of dwIoAddress beyond the kept ones (BackupsToDelete), never strKeep.
void PruneEepromBackups(const std::wstring &strDir, std::uint32_t dwIoAddress,
                        const std::wstring &strKeep = std::wstring());

// "2026-12-08 22:53:47Z" for a stamp.
std::string BackupTimeText(const std::string &strStamp);
