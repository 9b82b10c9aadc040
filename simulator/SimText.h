// SimText.h - small text, number and file helpers shared by the simulator and vtlsim.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

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
std::string FileNameOf(const std::string &path);
std::string ExtensionOf(const std::string &path); // lower case, with the dot

// Reads at most maxBytes from the start of a file; fileSize gets the whole size.
// On failure err says why, naming the file.
bool ReadFileHead(const std::string &path, std::size_t maxBytes, std::vector<std::uint8_t> &data,
                  std::uint64_t &fileSize, std::string &err);
// Whole file, refused when larger than maxBytes.
bool ReadWholeFile(const std::string &path, std::size_t maxBytes, std::vector<std::uint8_t> &data,
                   std::string &err);
bool WriteWholeFile(const std::string &path, const std::vector<std::uint8_t> &data,
                    std::string &err);
// Writes beside the target and renames over it, so readers never see half a file.
bool ReplaceFileAtomically(const std::string &path, const std::string &text, std::string &err);

} // namespace vtlsim
