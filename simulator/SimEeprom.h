// SimEeprom.h - USB controller EEPROM images: validity, version, generation.
#pragma once

#include <cstdint>
#include <vector>

namespace vtlsim
{

constexpr std::size_t kEepromSize = 16384;

// Length of the well-formed image at the start of bytes, 0 when there is none.
// With bExact the image must end exactly at the end of bytes.
std::size_t EepromImageLength(const std::vector<std::uint8_t> &bytes, bool bExact);

// Version (device id) of the image at the start of bytes; false when there is no image.
bool EepromImageVersion(const std::vector<std::uint8_t> &bytes, int &nMajor, int &nMinor);

// An 8-byte C0 image whose device id encodes the version.
std::vector<std::uint8_t> MakeC0Image(int nMajor, int nMinor);

} // namespace vtlsim
