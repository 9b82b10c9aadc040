// EepromSafety.h - an EEPROM update that can be undone: the image is compared first, the EEPROM
// saved, the image written and compared again, and the saved contents written back when the new
// image does not hold. Shared by ostrel-cli update and vtl-station.
#pragma once

#include "CliSession.h"
#include "EepromSafetyRule.h" // EepromUpdateResult
#include "VersionRule.h"

#include <functional>
#include <string>

// The steps of an update, in their order; also the index into EepromUpdateOutcome::nMs.
enum EepromPhase
{
    kPhaseCheck,   // image check and the first compare
    kPhaseBackup,  // SaveEeprom into the backup folder
    kPhaseWrite,   // ProgramEeprom
    kPhaseVerify,  // VerifyEeprom after the write
    kPhaseRestore, // ProgramEeprom of the backup and its VerifyEeprom
    kPhaseCount
};

struct EepromUpdatePlan
{
    std::string strImage;      // library path of the image
    std::wstring strBackupDir; // folder of the backups; empty: none is taken (--no-backup)
    bool bAllowDowngrade = false;
    bool bForce = false; // write even when the EEPROM already holds the image
};

struct EepromUpdateOutcome
{
    EepromUpdateResult nResult = EepromUpdateResult::kInterrupted;
    EepromUpdateVersions versions; // read before the write (when the image was checked)
    bool bVersionAfter = false;    // the EEPROM's version read after the update
    int nMajorAfter = 0;
    int nMinorAfter = 0;
    std::wstring strBackup;                      // the backup taken, if any
    std::string strError;                        // the library's text for the failure, on one line
    bool bWriteStarted = false;                  // ProgramEeprom of the image was called
    int nMs[kPhaseCount] = {-1, -1, -1, -1, -1}; // milliseconds per phase, -1 when not run

    EepromSafetySteps steps;        // each step's status, as the result was decided from them
    bool bBackupPathFailed = false; // the backup's file could not be made, before the library
};

// Called as each phase starts, for a status line.
typedef std::function<void(EepromPhase)> EepromPhaseFn;

// Runs the update on an open board and fills outcome as it goes, so that a VTLExc thrown from
// the library (which passes through) leaves what was done, the backup's name above all. A break
// is honoured before the backup and before the write; once the write has begun, its verify and
// any restore run to the end, since stopping there could leave a board that no longer enumerates.
void SafeEepromUpdate(CVtlBoard &board, const CliBoard &info, const EepromUpdatePlan &plan,
                      const EepromPhaseFn &onPhase, EepromUpdateOutcome &outcome);

// Saves the EEPROM into a new file of the folder, made with its parents: true with the file's
// path, else false with the reason (bPathFailed: the file could not be made, so the library was
// not asked). Pruning is left to the caller (PruneEepromBackups).
bool BackupEeprom(CVtlBoard &board, const CliBoard &info, const std::wstring &strDir,
                  std::wstring &strBackup, std::string &strError, bool &bPathFailed);

// The EEPROM backup folder without --backup-dir:
// %LOCALAPPDATA%\Veltrane\VTL4410\eeprom-backups
std::wstring DefaultEepromBackupDir();

// The command that writes a backup back to the board at that I/O address, for a user to run:
// ostrel-cli restore --from "<backup>" --io 0x300
std::string RestoreCommand(const std::wstring &strBackup, std::uint32_t dwIoAddress);
