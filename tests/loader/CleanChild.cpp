// CleanChild.cpp - child processes that cannot find the simulator's VtlDrvUsb.dll.
#include "CleanChild.h"

#include <cstring>

namespace vtltest
{
namespace
{
bool HasName(const char *pszEntry, const char *pszName)
{
    const size_t n = strlen(pszName);
    return _strnicmp(pszEntry, pszName, n) == 0 && pszEntry[n] == '=';
}
} // namespace

std::vector<char> CleanEnvironment(const std::vector<std::pair<std::string, std::string>> &extra)
{
    std::vector<char> block;
    auto append = [&block](const std::string &entry) {
        block.insert(block.end(), entry.begin(), entry.end());
        block.push_back('\0');
    };
    char *pEnv = GetEnvironmentStringsA();
    for (const char *p = pEnv; p && *p; p += strlen(p) + 1)
    {
        if (HasName(p, "PATH") || HasName(p, "WINEPATH"))
            continue;
        bool bReplaced = false;
        for (const auto &kv : extra)
            bReplaced = bReplaced || HasName(p, kv.first.c_str());
        if (!bReplaced)
            append(p);
    }
    if (pEnv)
        FreeEnvironmentStringsA(pEnv);
    char szWindows[MAX_PATH] = "C:\\windows";
    GetWindowsDirectoryA(szWindows, MAX_PATH);
    append(std::string("PATH=") + szWindows + "\\system32;" + szWindows);
    for (const auto &kv : extra)
        append(kv.first + "=" + kv.second);
    block.push_back('\0');
    return block;
}

HANDLE StartCleanChild(const std::string &commandLine, const std::string &workDir,
                       const std::vector<std::pair<std::string, std::string>> &extra, DWORD *pPid)
{
    std::vector<char> env = CleanEnvironment(extra);
    std::vector<char> cmd(commandLine.begin(), commandLine.end());
    cmd.push_back('\0');
    STARTUPINFOA si{};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, env.data(),
                        workDir.empty() ? nullptr : workDir.c_str(), &si, &pi))
        return NULL;
    CloseHandle(pi.hThread);
    if (pPid)
        *pPid = pi.dwProcessId;
    return pi.hProcess;
}

bool FinishChild(HANDLE hProcess, DWORD timeoutMs, DWORD *pExitCode)
{
    if (!hProcess)
        return false;
    const bool bEnded = WaitForSingleObject(hProcess, timeoutMs) == WAIT_OBJECT_0;
    if (bEnded && pExitCode)
        GetExitCodeProcess(hProcess, pExitCode);
    if (!bEnded)
    {
        TerminateProcess(hProcess, 99);
        WaitForSingleObject(hProcess, 5000);
    }
    CloseHandle(hProcess);
    return bEnded;
}
} // namespace vtltest
