// VersionRule.h - when an EEPROM image may be written without asking: Ostrel and ostrel-cli.
#pragma once

#include <cstdint>

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
