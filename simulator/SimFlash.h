// SimFlash.h - simulated flash contents of one FPGA family and the input files that fill it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vtlsim
{

// Header fields of a bitstream file.
struct BitInfo
{
    std::string design;
    std::string part;
    std::string date;
    std::string time;
};

// One family's part of the flash: a bitstream slot and an application slot.
struct FlashFamily
{
    bool bHasBit = false;
    BitInfo bit;
    int nBitMajor = 0;
    int nBitMinor = 0;
    bool bHasApp = false;
    std::string appName;
    std::uint64_t appSize = 0;
    int nAppMajor = 0;
    int nAppMinor = 0;
};

// Multi-line description shown by the tools ("Flash empty" when both slots are empty).
std::string DescribeFlash(const FlashFamily &f);

// Parses a bitstream header from the first bytes of a file of fileSize bytes.
// On failure problem says what is wrong, without the file name.
bool ParseBitHeader(const std::vector<std::uint8_t> &data, std::uint64_t fileSize, BitInfo &info,
                    std::string &problem);

// Loads a .bit or .app file into f (only on success). err names the file.
bool LoadFlashFile(const std::string &path, int nMajor, int nMinor, FlashFamily &f,
                   std::string &err);

// The content a new board starts with for family 0 (Spartan) or 1 (Virtex).
FlashFamily DefaultFlash(int family);

} // namespace vtlsim
