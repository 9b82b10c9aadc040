// CliHarness.cpp - child processes with piped output, simulator sessions, journal checks and a
// JSON reader for the companions' tests.
#include "CliHarness.h"

#include <cstdlib>

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

const std::string &CCliProcess::ErrSoFar()
{
    Drain();
    return m_strErr;
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
class CJsonReader
{
public:
    explicit CJsonReader(const std::string &strText) : m_strText(strText) {}

    bool Whole(JsonValue &value) { return Value(value) && (Blanks(), m_nPos == m_strText.size()); }

private:
    void Blanks()
    {
        while (m_nPos < m_strText.size() && strchr(" \t\r\n", m_strText[m_nPos]))
            ++m_nPos;
    }
    bool Take(char c)
    {
        Blanks();
        if (m_nPos >= m_strText.size() || m_strText[m_nPos] != c)
            return false;
        ++m_nPos;
        return true;
    }
    bool Word(const char *pszWord)
    {
        const size_t n = strlen(pszWord);
        if (m_strText.compare(m_nPos, n, pszWord) != 0)
            return false;
        m_nPos += n;
        return true;
    }
    bool String(std::wstring &strValue)
    {
        if (!Take('"'))
            return false;
        while (m_nPos < m_strText.size())
        {
            const unsigned char c = static_cast<unsigned char>(m_strText[m_nPos++]);
            if (c == '"')
                return true;
            if (c < 0x20 || c >= 0x7F)
                return false; // the companions write ASCII only
            if (c != '\\')
            {
                strValue += static_cast<wchar_t>(c);
                continue;
            }
            if (m_nPos >= m_strText.size())
                return false;
            static const char kEscapes[] = "\"\\/bfnrt";
            static const char kMeanings[] = "\"\\/\b\f\n\r\t";
            const char e = m_strText[m_nPos++];
            const char *pszEscape = e ? strchr(kEscapes, e) : nullptr;
            if (pszEscape)
            {
                strValue += static_cast<wchar_t>(kMeanings[pszEscape - kEscapes]);
                continue;
            }
            if (e != 'u' || m_nPos + 4 > m_strText.size())
                return false;
            char *pEnd = nullptr;
            const std::string strHex = m_strText.substr(m_nPos, 4);
            strValue += static_cast<wchar_t>(strtoul(strHex.c_str(), &pEnd, 16));
            if (*pEnd)
                return false;
            m_nPos += 4;
        }
        return false;
    }
    bool Value(JsonValue &value)
    {
        Blanks();
        if (m_nPos >= m_strText.size())
            return false;
        const char c = m_strText[m_nPos];
        if (c == '"')
            return value.nKind = JsonValue::kString, String(value.strValue);
        if (Word("null"))
            return value.nKind = JsonValue::kNull, true;
        if (Word("true") || Word("false"))
        {
            value.nKind = JsonValue::kBool;
            value.bValue = m_strText[m_nPos - 2] == 'u';
            return true;
        }
        if (c == '-' || (c >= '0' && c <= '9'))
        {
            char *pEnd = nullptr;
            value.nKind = JsonValue::kNumber;
            value.nValue = strtoll(m_strText.c_str() + m_nPos, &pEnd, 10);
            m_nPos = static_cast<size_t>(pEnd - m_strText.c_str());
            return true;
        }
        if (Take('['))
        {
            value.nKind = JsonValue::kArray;
            if (Take(']'))
                return true;
            do
            {
                value.items.emplace_back();
                if (!Value(value.items.back()))
                    return false;
            } while (Take(','));
            return Take(']');
        }
        if (!Take('{'))
            return false;
        value.nKind = JsonValue::kObject;
        if (Take('}'))
            return true;
        do
        {
            std::wstring strName;
            JsonValue member;
            if (!String(strName) || !Take(':') || !Value(member))
                return false;
            value.members[std::string(strName.begin(), strName.end())] = member;
        } while (Take(','));
        return Take('}');
    }

    const std::string &m_strText;
    size_t m_nPos = 0;
};
} // namespace

bool ParseJson(const std::string &strText, JsonValue &value)
{
    return CJsonReader(strText).Whole(value);
}
} // namespace clitest
