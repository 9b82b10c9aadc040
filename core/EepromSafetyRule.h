// EepromSafetyRule.h - what an EEPROM update that can be undone came to, from its steps.
#pragma once

enum class EepromUpdateResult
{
    kIdentical,         // the EEPROM already held the image; nothing written
    kUpdated,           // written and verified
    kInvalidImage,      // the library refused the image; nothing written
    kRefusedDowngrade,  // not newer and no consent; nothing written
    kBackupFailed,      // the backup could not be taken; nothing written
    kFailedRestored,    // the write or its verify failed; the backup was written back and verified
    kFailedNotRestored, // ... and writing the backup back failed or it did not verify
    kFailedNoBackup,    // the write or its verify failed, and no backup had been taken
    kInterrupted        // a break came before the write; nothing written
};

// The steps in the order they run; a status is -1 while its step has not run, 0 for success.
struct EepromSafetySteps
{
    bool bValidImage = false;
    int nCompare = -1; // VerifyEeprom of the image before anything is written
    bool bForce = false;
    bool bRefused = false; // the version rule said no
    bool bBackupWanted = true;
    int nBackup = -1;
    int nWrite = -1;
    int nVerify = -1;
    int nRestore = -1; // writing the backup back
    int nRestoreVerify = -1;
};

inline EepromUpdateResult EepromSafetyResult(const EepromSafetySteps &s)
{
    if (!s.bValidImage)
        return EepromUpdateResult::kInvalidImage;
    if (s.nCompare == 0 && !s.bForce)
        return EepromUpdateResult::kIdentical;
    if (s.bRefused)
        return EepromUpdateResult::kRefusedDowngrade;
    if (s.bBackupWanted && s.nBackup > 0)
        return EepromUpdateResult::kBackupFailed;
    if (s.nWrite < 0)
        return EepromUpdateResult::kInterrupted; // nothing was written
    if (s.nWrite == 0 && s.nVerify == 0)
        return EepromUpdateResult::kUpdated;
    // Written, at least in part, and not verified: only a verified backup undoes it.
    if (!s.bBackupWanted || s.nBackup != 0)
        return EepromUpdateResult::kFailedNoBackup;
    if (s.nRestore == 0 && s.nRestoreVerify == 0)
        return EepromUpdateResult::kFailedRestored;
    return EepromUpdateResult::kFailedNotRestored;
}
