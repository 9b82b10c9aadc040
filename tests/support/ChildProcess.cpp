// ChildProcess.cpp - starting programs for the tests: environment, pipes, waiting and ending.
#include "TestSupport.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace vtltest
{
namespace
{
bool HasName(const std::string &entry, const std::string &name)
{
    return entry.size() > name.size() && entry[name.size()] == '=' &&
           _strnicmp(entry.c_str(), name.c_str(), name.size()) == 0;
}

// This process's environment with vars added or replacing same-named ones, as an ANSI block.
std::vector<char> EnvironmentBlock(const ChildOptions &options)
{
    std::vector<std::string> entries;
    if (char *pEnv = GetEnvironmentStringsA())
    {
        for (const char *p = pEnv; *p; p += strlen(p) + 1)
            entries.push_back(p);
        FreeEnvironmentStringsA(pEnv);
    }
    EnvVars vars = options.vars;
    if (options.bCleanPath)
    {
        char szWindows[MAX_PATH] = "C:\\windows";
        GetWindowsDirectoryA(szWindows, MAX_PATH);
        vars.push_back({"PATH", std::string(szWindows) + "\\system32;" + szWindows});
        entries.erase(std::remove_if(entries.begin(), entries.end(),
                                     [](const std::string &e) { return HasName(e, "WINEPATH"); }),
                      entries.end());
    }
    for (const auto &v : vars)
    {
        entries.erase(std::remove_if(entries.begin(), entries.end(),
                                     [&](const std::string &e) { return HasName(e, v.first); }),
                      entries.end());
        entries.push_back(v.first + "=" + v.second);
    }
    std::vector<char> block;
    for (const std::string &e : entries)
    {
        block.insert(block.end(), e.begin(), e.end());
        block.push_back('\0');
    }
    block.push_back('\0');
    return block;
}

void ReadAvailable(HANDLE hPipe, std::string &text)
{
    DWORD dwAvailable = 0;
    while (hPipe && PeekNamedPipe(hPipe, nullptr, 0, nullptr, &dwAvailable, nullptr) &&
           dwAvailable > 0)
    {
        char buffer[4096];
        DWORD dwRead = 0;
        if (!ReadFile(hPipe, buffer, dwAvailable < sizeof(buffer) ? dwAvailable : sizeof(buffer),
                      &dwRead, nullptr) ||
            dwRead == 0)
            return;
        text.append(buffer, dwRead);
    }
}
} // namespace

CChildProcess::~CChildProcess()
{
    if (Running())
        Kill();
    for (HANDLE h : {m_pi.hProcess, m_pi.hThread, m_hOut, m_hErr})
        if (h)
            CloseHandle(h);
}

bool CChildProcess::Start(const std::wstring &strCommand, const ChildOptions &options)
{
    if (m_pi.hProcess)
        return false;
    SECURITY_ATTRIBUTES sa = {sizeof(sa), nullptr, TRUE};
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    HANDLE hOutWrite = nullptr;
    HANDLE hErrWrite = nullptr;
    HANDLE hNul = INVALID_HANDLE_VALUE;
    if (options.bCapture)
    {
        if (!CreatePipe(&m_hOut, &hOutWrite, &sa, 1 << 16))
            return false;
        if (!CreatePipe(&m_hErr, &hErrWrite, &sa, 1 << 16))
        {
            CloseHandle(hOutWrite);
            CloseHandle(m_hOut);
            m_hOut = nullptr;
            return false;
        }
        SetHandleInformation(m_hOut, HANDLE_FLAG_INHERIT, 0);
        SetHandleInformation(m_hErr, HANDLE_FLAG_INHERIT, 0);
        hNul = CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa,
                           OPEN_EXISTING, 0, nullptr);
        si.dwFlags = STARTF_USESTDHANDLES;
        si.hStdInput = hNul;
        si.hStdOutput = hOutWrite;
        si.hStdError = hErrWrite;
    }
    std::vector<char> environment;
    if (!options.vars.empty() || options.bCleanPath)
        environment = EnvironmentBlock(options);
    std::wstring strLine = strCommand;
    const std::wstring strDir = Widen(options.strDir);
    const BOOL bStarted =
        CreateProcessW(nullptr, &strLine[0], nullptr, nullptr, options.bCapture, options.dwFlags,
                       environment.empty() ? nullptr : environment.data(),
                       strDir.empty() ? nullptr : strDir.c_str(), &si, &m_pi);
    m_dwStartError = bStarted ? 0 : GetLastError();
    for (HANDLE h : {hOutWrite, hErrWrite})
        if (h)
            CloseHandle(h);
    if (hNul != INVALID_HANDLE_VALUE)
        CloseHandle(hNul);
    if (!bStarted)
        m_pi = PROCESS_INFORMATION{};
    return bStarted != FALSE;
}

bool CChildProcess::Running() const
{
    return m_pi.hProcess && WaitForSingleObject(m_pi.hProcess, 0) == WAIT_TIMEOUT;
}

void CChildProcess::Drain()
{
    ReadAvailable(m_hOut, m_strOut);
    ReadAvailable(m_hErr, m_strErr);
}

bool CChildProcess::Wait(DWORD timeoutMs, DWORD *pExitCode)
{
    if (!m_pi.hProcess)
        return false;
    const ULONGLONG ullEnd = GetTickCount64() + timeoutMs;
    bool bEnded = false;
    for (;;)
    {
        Drain(); // a full pipe would stall the child
        const ULONGLONG ullNow = GetTickCount64();
        const DWORD dwLeft = ullNow >= ullEnd ? 0 : static_cast<DWORD>(ullEnd - ullNow);
        bEnded = WaitForHandle(m_pi.hProcess, m_hOut ? std::min<DWORD>(dwLeft, 20) : dwLeft);
        if (bEnded || dwLeft == 0)
            break;
    }
    Drain();
    DWORD dwCode = 0;
    if (bEnded && pExitCode && GetExitCodeProcess(m_pi.hProcess, &dwCode))
        *pExitCode = dwCode;
    return bEnded;
}

void CChildProcess::Kill()
{
    if (!m_pi.hProcess)
        return;
    TerminateProcess(m_pi.hProcess, 255);
    WaitForSingleObject(m_pi.hProcess, 10000);
}

int RunChild(const std::string &strCommand, DWORD timeoutMs, std::string *pOutput)
{
    CChildProcess child;
    ChildOptions options;
    options.bCapture = pOutput != nullptr;
    options.dwFlags = CREATE_NO_WINDOW;
    DWORD dwCode = 0;
    if (!child.Start(Widen(strCommand), options) || !child.Wait(timeoutMs, &dwCode))
        return -1;
    if (pOutput)
        *pOutput = child.Out() + child.Err();
    return static_cast<int>(dwCode);
}
namespace
{
BOOL WINAPI SwallowConsoleEvent(DWORD)
{
    return TRUE;
}
} // namespace

bool SendCtrlC(DWORD dwPid)
{
    // This process joins the child's console for a moment and must not end on the event. A
    // handler, not the ignore flag: children inherit that flag and would ignore events too.
    static const BOOL s_bSwallowing = SetConsoleCtrlHandler(SwallowConsoleEvent, TRUE);
    if (!s_bSwallowing)
        return false;
    FreeConsole();
    if (!AttachConsole(dwPid))
        return false;
    const BOOL bSent = GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0);
    FreeConsole();
    return bSent != FALSE;
}
} // namespace vtltest
