// CleanChild.h - starts a program whose search path holds no driver library.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace vtltest
{
// Environment of this process with PATH reduced to the system folders and WINEPATH
// dropped, plus extra variables. Ready for CreateProcessA (double-NUL terminated).
std::vector<char> CleanEnvironment(const std::vector<std::pair<std::string, std::string>> &extra);

// Starts commandLine in workDir with CleanEnvironment(extra); the process handle or NULL.
HANDLE StartCleanChild(const std::string &commandLine, const std::string &workDir,
                       const std::vector<std::pair<std::string, std::string>> &extra,
                       DWORD *pPid = nullptr);

// Waits up to timeoutMs for the process; true with its exit code when it ended, else it
// is killed. Closes the handle either way.
bool FinishChild(HANDLE hProcess, DWORD timeoutMs, DWORD *pExitCode);
} // namespace vtltest
