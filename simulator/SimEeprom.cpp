// SimEeprom.cpp - EEPROM image layout: C0 header only, or C2 header plus load records.
#include "SimEeprom.h"

namespace vtlsim
{

namespace
{
constexpr std::uint16_t kVendorId = 0x5654;
constexpr std::uint16_t kProductId = 0x4410;
constexpr std::size_t kHeader = 8;
constexpr std::uint32_t kMaxRecord = 1023;
const std::uint8_t kResetRecord[5] = {0x80, 0x01, 0xE6, 0x00, 0x00};

void PutHeader(std::vector<std::uint8_t> &v, std::uint8_t kind, int nMajor, int nMinor)
{
    v = {kind,
         std::uint8_t(kVendorId & 0xFF),
         std::uint8_t(kVendorId >> 8),
         std::uint8_t(kProductId & 0xFF),
         std::uint8_t(kProductId >> 8),
         std::uint8_t(nMinor & 0xFF),
         std::uint8_t(nMajor & 0xFF),
         0x00};
}
} // namespace

std::size_t EepromImageLength(const std::vector<std::uint8_t> &b, bool bExact)
{
    if (b.size() < kHeader)
        return 0;
    std::size_t end = 0;
    if (b[0] == 0xC0)
        end = kHeader;
    else if (b[0] == 0xC2)
    {
        std::size_t pos = kHeader;
        for (;;)
        {
            if (pos + 4 > b.size())
                return 0; // truncated record header
            const std::uint32_t len = (std::uint32_t(b[pos]) << 8) | b[pos + 1];
            if (len & 0x8000)
            {
                if (pos + 5 > b.size())
                    return 0;
                for (int i = 0; i < 5; ++i)
                    if (b[pos + i] != kResetRecord[i])
                        return 0;
                end = pos + 5;
                break;
            }
            if (len > kMaxRecord)
                return 0;
            pos += 4;
            if (len > b.size() - pos)
                return 0; // truncated data
            pos += len;
        }
    }
    else
        return 0;
    if (bExact && end != b.size())
        return 0;
    return end;
}

bool EepromImageVersion(const std::vector<std::uint8_t> &b, int &nMajor, int &nMinor)
{
    if (EepromImageLength(b, false) == 0)
        return false;
    nMajor = b[6];
    nMinor = b[5];
    return true;
}

std::vector<std::uint8_t> MakeC0Image(int nMajor, int nMinor)
{
    std::vector<std::uint8_t> v;
    PutHeader(v, 0xC0, nMajor, nMinor);
    return v;
}

} // namespace vtlsim
