// CliHarness.cpp - child processes with piped output, simulator sessions, journal checks and a
// JSON reader for the companions' tests.
#include "CliHarness.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

namespace clitest
{
namespace
{
std::string ToLf(const std::string &strText)
{
    std::string strResult;
    for (size_t i = 0; i < strText.size(); ++i)
    {
        if (strText[i] != '\r' || i + 1 >= strText.size() || strText[i + 1] != '\n')
            strResult += strText[i];
    }
    return strResult;
}

void ReadAvailable(HANDLE hPipe, std::string &strText)
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
        strText.append(buffer, dwRead);
    }
}
} // namespace

CCliProcess::~CCliProcess()
{
    if (m_pi.hProcess && WaitForSingleObject(m_pi.hProcess, 0) == WAIT_TIMEOUT)
    {
        TerminateProcess(m_pi.hProcess, 99);
        WaitForSingleObject(m_pi.hProcess, 5000);
    }
    for (HANDLE h : {m_pi.hProcess, m_pi.hThread, m_hOut, m_hErr})
    {
        if (h)
            CloseHandle(h);
    }
}

bool CCliProcess::Start(const std::wstring &strCommand, const std::string &strDir,
                        const std::vector<char> *pEnvironment)
{
    SECURITY_ATTRIBUTES sa = {sizeof(sa), nullptr, TRUE};
    HANDLE hOutWrite = nullptr;
    HANDLE hErrWrite = nullptr;
    if (!CreatePipe(&m_hOut, &hOutWrite, &sa, 1 << 16) ||
        !CreatePipe(&m_hErr, &hErrWrite, &sa, 1 << 16))
        return false;
    SetHandleInformation(m_hOut, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(m_hErr, HANDLE_FLAG_INHERIT, 0);
    HANDLE hNul = CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa,
                              OPEN_EXISTING, 0, nullptr);
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = hNul;
    si.hStdOutput = hOutWrite;
    si.hStdError = hErrWrite;
    std::wstring strLine = strCommand;
    const std::wstring strWideDir = Wide(strDir);
    // A console without a window: console events reach it, and nothing shows on the desktop.
    const BOOL bStarted =
        CreateProcessW(nullptr, &strLine[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                       pEnvironment ? const_cast<char *>(pEnvironment->data()) : nullptr,
                       strDir.empty() ? nullptr : strWideDir.c_str(), &si, &m_pi);
    CloseHandle(hOutWrite);
    CloseHandle(hErrWrite);
    if (hNul != INVALID_HANDLE_VALUE)
        CloseHandle(hNul);
    if (!bStarted)
        m_pi = PROCESS_INFORMATION{};
    return bStarted != FALSE;
}

void CCliProcess::Drain()
{
    ReadAvailable(m_hOut, m_strOut);
    ReadAvailable(m_hErr, m_strErr);
}

CliRun CCliProcess::Finish(DWORD dwTimeoutMs)
{
    CliRun run;
    run.dwPid = m_pi.dwProcessId;
    const ULONGLONG nEnd = GetTickCount64() + dwTimeoutMs;
    bool bEnded = false;
    while (m_pi.hProcess && !bEnded && GetTickCount64() < nEnd)
    {
        Drain(); // a full pipe would stall the child
        bEnded = WaitForSingleObject(m_pi.hProcess, 20) == WAIT_OBJECT_0;
    }
    Drain();
    DWORD dwCode = 0;
    if (bEnded && GetExitCodeProcess(m_pi.hProcess, &dwCode))
        run.nExit = static_cast<int>(dwCode);
    run.strOut = ToLf(m_strOut);
    run.strErr = ToLf(m_strErr);
    return run;
}

std::wstring Wide(const std::string &strText)
{
    std::wstring strWide(strText.size(), L'\0');
    const int n = MultiByteToWideChar(CP_ACP, 0, strText.data(), static_cast<int>(strText.size()),
                                      &strWide[0], static_cast<int>(strWide.size()));
    strWide.resize(static_cast<size_t>(n > 0 ? n : 0));
    return strWide;
}

std::wstring CliCommand(const char *pszExe, const std::wstring &strArgs)
{
    return L"\"" + Wide(vtltest::BinDir() + pszExe + ".exe") + L"\" " + strArgs;
}

CliRun RunCli(const char *pszExe, const std::wstring &strArgs)
{
    CCliProcess process;
    if (!process.Start(CliCommand(pszExe, strArgs)))
        return CliRun();
    return process.Finish();
}

CCliSim::CCliSim(const std::string &strConfig)
    : m_strJournal(m_scratch.Path("journal.txt")),
      m_env(m_scratch.Write("sim.ini", strConfig), m_strJournal)
{
}

std::vector<std::string> CCliSim::Calls(DWORD dwPid) const
{
    std::vector<std::string> calls = simtest::JournalLines(m_strJournal, dwPid);
    for (std::string &strCall : calls)
        strCall = ToLf(strCall);
    return calls;
}

std::string BoardsConfig(const std::vector<std::string> &boards, const std::string &strDriver)
{
    std::string strText =
        "[driver]\nboards = " + std::to_string(boards.size()) + "\n" + strDriver + "\n";
    for (size_t i = 0; i < boards.size(); ++i)
        strText += "[board " + std::to_string(i) + "]\n" + boards[i] + "\n";
    return strText;
}

int FindCall(const std::vector<std::string> &calls, const std::string &strPrefix, int nFrom)
{
    for (size_t i = static_cast<size_t>(nFrom < 0 ? 0 : nFrom); i < calls.size(); ++i)
    {
        if (calls[i].compare(0, strPrefix.size(), strPrefix) == 0)
            return static_cast<int>(i);
    }
    return -1;
}

testing::AssertionResult GaveEverythingBack(const std::vector<std::string> &calls)
{
    for (size_t i = 0; i < calls.size(); ++i)
    {
        const size_t nAt = calls[i].find(" = board");
        if (calls[i].rfind("VtlUsbOpenBoard(", 0) != 0 || nAt == std::string::npos)
            continue;
        const std::string strBoard = calls[i].substr(nAt + 3);
        if (FindCall(calls, strBoard + ".ReleaseBoard()", static_cast<int>(i)) < 0)
            return testing::AssertionFailure() << strBoard << " was never released";
    }
    if (FindCall(calls, "VtlUsbOpen(") >= 0 &&
        (calls.empty() || calls.back().rfind("VtlUsbClose()", 0) != 0))
        return testing::AssertionFailure() << "the library was not closed last";
    return testing::AssertionSuccess();
}

std::string SamplePath(const char *pszName)
{
    return vtltest::BinDir() + "samples\\" + pszName;
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

HANDLE SendConsoleClose(HANDLE hProcess)
{
    // The console host starts CtrlRoutine in each process on the console; it runs the handlers.
    const FARPROC pfn = GetProcAddress(GetModuleHandleA("kernelbase.dll"), "CtrlRoutine");
    if (!pfn)
        return nullptr;
    return CreateRemoteThread(
        hProcess, nullptr, 0,
        reinterpret_cast<LPTHREAD_START_ROUTINE>(reinterpret_cast<void *>(pfn)),
        reinterpret_cast<LPVOID>(static_cast<ULONG_PTR>(CTRL_CLOSE_EVENT)), 0, nullptr);
}

namespace
{
// Just enough JSON for list --json: the companions write ASCII only.
struct CJsonReader
{
    const std::string &s;
    size_t i;

    void Blanks()
    {
        while (i < s.size() && (s[i] == ' ' || s[i] == '\t' || s[i] == '\r' || s[i] == '\n'))
            ++i;
    }
    bool Take(char c)
    {
        Blanks();
        if (i >= s.size() || s[i] != c)
            return false;
        ++i;
        return true;
    }
    bool Word(const char *pszWord, JsonValue::Kind nKind, JsonValue &v)
    {
        if (s.compare(i, strlen(pszWord), pszWord) != 0)
            return false;
        i += strlen(pszWord);
        v.nKind = nKind;
        v.bValue = pszWord[0] == 't';
        return true;
    }
    bool Text(std::wstring &strOut)
    {
        static const char kEscapes[] = "\"\\/bfnrt";
        static const char kMeanings[] = "\"\\/\b\f\n\r\t";
        if (!Take('"'))
            return false;
        while (i < s.size() && s[i] != '"')
        {
            const unsigned char c = static_cast<unsigned char>(s[i++]);
            if (c < 0x20 || c >= 0x7F || (c == '\\' && i >= s.size()))
                return false;
            const char *pszEscape = c == '\\' && s[i] ? strchr(kEscapes, s[i]) : nullptr;
            if (c != '\\')
                strOut += static_cast<wchar_t>(c);
            else if (pszEscape)
            {
                strOut += static_cast<wchar_t>(kMeanings[pszEscape - kEscapes]);
                ++i;
            }
            else if (s[i] == 'u' && i + 5 <= s.size())
            {
                char *pEnd = nullptr;
                strOut += static_cast<wchar_t>(strtoul(s.substr(i + 1, 4).c_str(), &pEnd, 16));
                if (*pEnd)
                    return false;
                i += 5;
            }
            else
                return false;
        }
        return Take('"');
    }
    bool Value(JsonValue &v)
    {
        Blanks();
        if (i < s.size() && s[i] == '"')
        {
            v.nKind = JsonValue::kString;
            return Text(v.strValue);
        }
        if (Word("null", JsonValue::kNull, v) || Word("true", JsonValue::kBool, v) ||
            Word("false", JsonValue::kBool, v))
            return true;
        if (i < s.size() && (s[i] == '-' || isdigit(static_cast<unsigned char>(s[i]))))
        {
            char *pEnd = nullptr;
            v.nKind = JsonValue::kNumber;
            v.nValue = strtoll(s.c_str() + i, &pEnd, 10);
            i = static_cast<size_t>(pEnd - s.c_str());
            return true;
        }
        const bool bArray = Take('[');
        if (!bArray && !Take('{'))
            return false;
        v.nKind = bArray ? JsonValue::kArray : JsonValue::kObject;
        const char cClose = bArray ? ']' : '}';
        if (Take(cClose))
            return true;
        do
        {
            std::wstring strName;
            JsonValue item;
            if ((!bArray && (!Text(strName) || !Take(':'))) || !Value(item))
                return false;
            if (bArray)
                v.items.push_back(item);
            else
                v.members[std::string(strName.begin(), strName.end())] = item;
        } while (Take(','));
        return Take(cClose);
    }
};
} // namespace

bool ParseJson(const std::string &strText, JsonValue &value)
{
    CJsonReader reader{strText, 0};
    if (!reader.Value(value))
        return false;
    reader.Blanks();
    return reader.i == strText.size();
}
} // namespace clitest
