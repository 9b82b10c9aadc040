// SimSession.cpp - simulator sessions and the journal.
#include "SimSession.h"

#include <sstream>

namespace vtltest
{
namespace
{
std::string GetEnv(const char *pszName)
{
    char sz[2048];
    const DWORD n = GetEnvironmentVariableA(pszName, sz, sizeof sz);
    return n > 0 && n < sizeof sz ? std::string(sz, n) : std::string();
}

void SetEnv(const char *pszName, const std::string &value)
{
    SetEnvironmentVariableA(pszName, value.empty() ? nullptr : value.c_str());
}

bool StartsWith(const std::string &text, const std::string &prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}
} // namespace

CSimEnv::CSimEnv(const std::string &strConfig, const std::string &strJournal)
    : m_strOldConfig(GetEnv("VTLSIM_CONFIG")), m_strOldJournal(GetEnv("VTLSIM_JOURNAL"))
{
    SetEnv("VTLSIM_CONFIG", strConfig);
    SetEnv("VTLSIM_JOURNAL", strJournal);
}

CSimEnv::~CSimEnv()
{
    SetEnv("VTLSIM_CONFIG", m_strOldConfig);
    SetEnv("VTLSIM_JOURNAL", m_strOldJournal);
}

CSimSession::CSimSession(const std::string &strConfig)
    : m_strConfig(Write("sim.ini", strConfig)), m_strJournal(m_dir.File("journal.txt")),
      m_env(m_strConfig, m_strJournal)
{
}

std::string CSimSession::Write(const std::string &name, const std::string &bytes) const
{
    const std::string path = m_dir.File(name);
    WriteFileText(path, bytes);
    return path;
}

std::string CSimSession::Write(const std::string &name,
                               const std::vector<std::uint8_t> &bytes) const
{
    return Write(name, std::string(bytes.begin(), bytes.end()));
}

EnvVars CSimSession::Env() const
{
    return {{"VTLSIM_CONFIG", m_strConfig}, {"VTLSIM_JOURNAL", m_strJournal}};
}

std::vector<std::string> CSimSession::Calls(DWORD pid) const
{
    return JournalLines(m_strJournal, pid);
}

std::vector<std::string> CSimSession::CallsStartingWith(const std::string &prefix, DWORD pid) const
{
    std::vector<std::string> out;
    for (const std::string &call : Calls(pid))
        if (StartsWith(call, prefix))
            out.push_back(call);
    return out;
}

size_t CSimSession::Count(const std::string &prefix, DWORD pid) const
{
    return CallsStartingWith(prefix, pid).size();
}

int CSimSession::Find(const std::string &prefix, bool bLast) const
{
    const std::vector<std::string> calls = Calls();
    int found = -1;
    for (int i = FindCall(calls, prefix); i >= 0 && (found < 0 || bLast);
         i = FindCall(calls, prefix, i + 1))
        found = i;
    return found;
}

bool CSimSession::WaitForCall(const std::string &prefix, DWORD timeoutMs, DWORD pid) const
{
    return WaitForCondition([&] { return Count(prefix, pid) > 0; }, timeoutMs);
}

std::string BoardsConfig(const std::vector<std::string> &boards, const std::string &strDriver)
{
    std::string text =
        "[driver]\nboards = " + std::to_string(boards.size()) + "\n" + strDriver + "\n";
    for (size_t i = 0; i < boards.size(); ++i)
        text += "[board " + std::to_string(i) + "]\n" + boards[i] + "\n";
    return text;
}

std::vector<std::string> JournalLines(const std::string &path, DWORD pid)
{
    std::vector<std::string> lines;
    std::string text;
    if (!ReadFileText(path, text))
        return lines;
    const std::string prefix = std::to_string(pid != 0 ? pid : GetCurrentProcessId()) + " ";
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
    {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (StartsWith(line, prefix))
            lines.push_back(line.substr(prefix.size()));
    }
    return lines;
}

int FindCall(const std::vector<std::string> &calls, const std::string &prefix, int nFrom)
{
    for (size_t i = static_cast<size_t>(nFrom < 0 ? 0 : nFrom); i < calls.size(); ++i)
        if (StartsWith(calls[i], prefix))
            return static_cast<int>(i);
    return -1;
}

bool HasLine(const std::vector<std::string> &lines, const std::string &text)
{
    for (const std::string &line : lines)
        if (line.find(text) != std::string::npos)
            return true;
    return false;
}

testing::AssertionResult ClosedLast(const std::vector<std::string> &calls)
{
    if (calls.empty())
        return testing::AssertionFailure() << "no calls at all";
    if (!StartsWith(calls.back(), "VtlUsbClose()"))
        return testing::AssertionFailure() << "the last call was " << calls.back();
    return testing::AssertionSuccess();
}

testing::AssertionResult GaveEverythingBack(const std::vector<std::string> &calls)
{
    std::map<std::string, int> held; // per board, opens its releases have not yet given back
    for (const std::string &call : calls)
    {
        const size_t nAt = call.find(" = board"), nDot = call.find(".ReleaseBoard()");
        if (StartsWith(call, "VtlUsbOpenBoard(") && nAt != std::string::npos)
            ++held[call.substr(nAt + 3)];
        else if (nDot != std::string::npos && held[call.substr(0, nDot)] > 0)
            --held[call.substr(0, nDot)];
    }
    for (const auto &board : held)
        if (board.second > 0)
            return testing::AssertionFailure() << board.first << " was not released once per open";
    if (FindCall(calls, "VtlUsbOpen(") >= 0)
        return ClosedLast(calls);
    return testing::AssertionSuccess();
}

std::string SamplePath(const char *pszName)
{
    return BinDir() + "samples\\" + pszName;
}
} // namespace vtltest
