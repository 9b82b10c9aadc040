// CliBoardFile.h - the file a command reads or writes on each board: FILE with {index} and {io}
// standing for the board's list index and its I/O address.
#pragma once

#include "CliSession.h"

#include <map>
#include <string>
#include <vector>

// True when the name holds {index} or {io}.
bool HasBoardPlaceholder(const std::wstring &strName);

// The name with {index} and {io} replaced for the board ("0", "0x300").
std::wstring ForBoard(const std::wstring &strName, const CliBoard &board);

// A file the library is to read (bOutput false) or write, as the library takes its path: 0, or
// the exit code after printing why it cannot be used.
int CheckBoardFile(const std::wstring &strFile, bool bOutput, std::string &strPath);

// The library path of FILE for each chosen board, by list index: 0, or the exit code after
// printing why. Two boards that would write one file are a usage error.
int BoardFiles(const std::wstring &strFile, bool bOutput,
               const std::vector<const CliBoard *> &chosen,
               std::map<std::uint32_t, std::string> &paths);
