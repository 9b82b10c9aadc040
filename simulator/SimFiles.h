// SimFiles.h - paths and whole-file reads and writes of the simulator and vtlsim.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vtlsim
{

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
