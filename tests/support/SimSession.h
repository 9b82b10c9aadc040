// SimSession.h - one simulator session for a test: a scratch folder with the configuration and
// the journal, named in this process's environment (and so in its children's), and the reading
// of the journal.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "TestSupport.h"

namespace vtltest
{
// Sets VTLSIM_CONFIG and VTLSIM_JOURNAL (an empty value unsets) for this process and the
// processes it starts; gives both their earlier values back on destruction.
class CSimEnv
{
public:
    CSimEnv(const std::string &strConfig, const std::string &strJournal);
    ~CSimEnv();
    CSimEnv(const CSimEnv &) = delete;
    CSimEnv &operator=(const CSimEnv &) = delete;

private:
    std::string m_strOldConfig;
    std::string m_strOldJournal;
};

class CSimSession
{
public:
    // sim.ini holds strConfig (empty: the defaults) and journal.txt the journal.
    explicit CSimSession(const std::string &strConfig = std::string());
    CSimSession(const CSimSession &) = delete;
    CSimSession &operator=(const CSimSession &) = delete;

    const CTempDir &Dir() const { return m_dir; }
    std::string File(const std::string &name) const { return m_dir.File(name); }
    // Writes a whole file into the session's folder; its path.
    std::string Write(const std::string &name, const std::string &bytes) const;
    std::string Write(const std::string &name, const std::vector<std::uint8_t> &bytes) const;
    const std::string &ConfigPath() const { return m_strConfig; }
    const std::string &JournalPath() const { return m_strJournal; }
    // The variables for a child started with an environment of its own.
    EnvVars Env() const;

    // Journal lines of process pid (0: this process), without the pid.
    std::vector<std::string> Calls(DWORD pid = 0) const;
    std::vector<std::string> CallsStartingWith(const std::string &prefix, DWORD pid = 0) const;
    size_t Count(const std::string &prefix, DWORD pid = 0) const;
    // Position of this process's first (or last) call that starts with prefix, -1 when none.
    int Find(const std::string &prefix, bool bLast = false) const;
    // Waits (pumping) until process pid (0: this process) journaled a call that starts with
    // prefix.
    bool WaitForCall(const std::string &prefix, DWORD timeoutMs, DWORD pid = 0) const;

private:
    CTempDir m_dir;
    std::string m_strConfig;
    std::string m_strJournal;
    CSimEnv m_env;
};

// A configuration of boards given as the bodies of their sections ("type = A\nio = 0x300").
std::string BoardsConfig(const std::vector<std::string> &boards,
                         const std::string &strDriver = std::string());

// The journal's lines of process pid (0: this process), without the "<pid> " and the CR.
std::vector<std::string> JournalLines(const std::string &path, DWORD pid = 0);
// Position of the first call at or after nFrom that starts with prefix; -1 when none.
int FindCall(const std::vector<std::string> &calls, const std::string &prefix, int nFrom = 0);
// True when some line contains text.
bool HasLine(const std::vector<std::string> &lines, const std::string &text);
// The library was closed, and that was the last call.
testing::AssertionResult ClosedLast(const std::vector<std::string> &calls);
// Every board that was handed out was released later, and an opened library was closed last.
testing::AssertionResult GaveEverythingBack(const std::vector<std::string> &calls);

// The one crash report of strProgram in sim's folder, made its LOCALAPPDATA: the dump starts with
// "MDMP" and holds an access violation's exception stream, the text names VtlDrvUsb.dll and
// strCall. strLine gets what the user must be told.
testing::AssertionResult HasCrashReport(const CSimSession &sim, const std::string &strProgram,
                                        const std::string &strCall, std::string &strLine);
// Answers a GUI tool's crash box; checks it, the report and the fault's exit code.
testing::AssertionResult AnswersCrashBox(CProcessDriver &p, const CSimSession &sim,
                                         const std::string &strProgram, const std::string &strCall);

// A sample input file that comes with the simulator (build/bin/samples).
std::string SamplePath(const char *pszName);
} // namespace vtltest
