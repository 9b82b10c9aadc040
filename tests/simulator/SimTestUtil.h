// SimTestUtil.h - the simulator tests' data: files read back whole, bitstreams and EEPROM images.
#pragma once

#include "VtlDrvUsb.h"

#include <SimSession.h>
#include <TestSupport.h>

#include <cstdint>
#include <string>
#include <vector>

namespace simtest
{
using vtltest::CSimEnv;
using vtltest::CSimSession;
using vtltest::HasLine;
using vtltest::JournalLines;

std::vector<std::uint8_t> ReadBytes(const std::string &path);

// A C2 EEPROM image of version nMajor.nMinor with one data record of n bytes and the reset record.
std::vector<std::uint8_t> MakeC2Image(int nMajor, int nMinor, std::size_t n);

// A bitstream file image with the given header texts and dataLen bytes of data.
std::vector<std::uint8_t> MakeBit(const std::string &design, const std::string &part,
                                  const std::string &date, const std::string &time,
                                  std::uint32_t dataLen = 16);

} // namespace simtest
