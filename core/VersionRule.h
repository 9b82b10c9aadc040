// VersionRule.h - the EEPROM update decision of Ostrel and ostrel-cli.
#pragma once

#include <cstdint>

#include "VtlGuard.h"

// True when the file's version is newer than the EEPROM's, both compared as pairs of unsigned
// numbers, major first. An equal version is not newer.
inline bool IsNewerVersion(int nFileMajor, int nFileMinor, int nEepromMajor, int nEepromMinor)
{
    const auto fMajor = static_cast<std::uint32_t>(nFileMajor);
    const auto fMinor = static_cast<std::uint32_t>(nFileMinor);
    const auto eMajor = static_cast<std::uint32_t>(nEepromMajor);
    const auto eMinor = static_cast<std::uint32_t>(nEepromMinor);
    return fMajor > eMajor || (fMajor == eMajor && fMinor > eMinor);
}

// The two versions an update compares. A file version the library cannot read counts as 0.0.
struct EepromUpdateVersions
{
    bool bEepromRead = false;
    int nEepromMajor = 0;
    int nEepromMinor = 0;
    int nFileMajor = 0;
    int nFileMinor = 0;

    // An image that is not newer than a readable EEPROM version is written only with consent;
    // an EEPROM whose version cannot be read is written.
    bool NeedsConsent() const
    {
        return bEepromRead && !IsNewerVersion(nFileMajor, nFileMinor, nEepromMajor, nEepromMinor);
    }
};

inline EepromUpdateVersions ReadEepromUpdateVersions(CVtlBoard &board, const char *pszPath)
{
    EepromUpdateVersions v;
    v.bEepromRead = board.GetEepromVersion(&v.nEepromMajor, &v.nEepromMinor) == 0;
    board.GetFileVersion(pszPath, &v.nFileMajor, &v.nFileMinor);
    return v;
}
