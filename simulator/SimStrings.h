// SimStrings.h - text and number helpers of the simulator and vtlsim.
#pragma once

#include <cstdint>
#include <string>

namespace vtlsim
{

std::string Trim(const std::string &s);
std::string Upper(std::string s);
std::string Lower(std::string s);

// Decimal or 0x-hex, the whole text, no sign; false on anything else or overflow.
bool ParseUInt(const std::string &s, std::uint32_t &value);
// Like ParseUInt with an optional leading '-'.
bool ParseInt(const std::string &s, std::int32_t &value);

// \r \n \t \\ in configuration texts; false on an unknown escape.
bool Unescape(const std::string &s, std::string &out);
// Double-quoted journal text with \\ \" \r \n \t and \xNN escapes.
std::string Quote(const std::string &s);
std::string Hex(std::uint64_t v);

// Copies at most cap - 1 characters and always terminates (cap > 0).
void CopyText(char *dst, std::size_t cap, const std::string &src);

std::string GetEnv(const char *pszName);
} // namespace vtlsim
