// CliHarness.h - runs the built console companions against the simulator and reads what they
// printed and what the simulator's journal recorded.
#pragma once

#include <windows.h>

#include "SimTestUtil.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace clitest
{
// What one run of a companion left behind.
struct CliRun
{
    DWORD dwPid = 0;
    int nExit = -1;     // -1 when it did not end in time and was killed
    std::string strOut; // line ends as LF
    std::string strErr;
};

// A companion running in a hidden console of its own, its stdout and stderr in two pipes.
class CCliProcess
{
public:
    CCliProcess() = default;
    ~CCliProcess(); // kills a process still running
    CCliProcess(const CCliProcess &) = delete;
    CCliProcess &operator=(const CCliProcess &) = delete;

    // strCommand: the whole command line; pEnvironment: an ANSI block, or null to inherit.
    bool Start(const std::wstring &strCommand, const std::string &strDir = std::string(),
               const std::vector<char> *pEnvironment = nullptr);
    // Reads the pipes until the process ended or dwTimeoutMs passed.
    CliRun Finish(DWORD dwTimeoutMs = 60000);

    HANDLE Process() const { return m_pi.hProcess; }
    DWORD Pid() const { return m_pi.dwProcessId; }

private:
    void Drain();

    PROCESS_INFORMATION m_pi{};
    HANDLE m_hOut = nullptr;
    HANDLE m_hErr = nullptr;
    std::string m_strOut;
    std::string m_strErr;
};

// "Z:\...\build\bin\torvane-cli.exe" and the like, quoted, with strArgs after it.
std::wstring CliCommand(const char *pszExe, const std::wstring &strArgs);

// Runs a companion from build/bin to its end.
CliRun RunCli(const char *pszExe, const std::wstring &strArgs);

// A simulator configuration and journal in a scratch folder, named in this process's
// environment (and so in the companions') while the object lives.
class CCliSim
{
public:
    explicit CCliSim(const std::string &strConfig);
    std::vector<std::string> Calls(DWORD dwPid) const;
    std::string Path(const std::string &strName) const { return m_scratch.Path(strName); }
    std::string Write(const std::string &strName, const std::string &strBytes) const
    {
        return m_scratch.Write(strName, strBytes);
    }

private:
    simtest::CScratch m_scratch;
    std::string m_strJournal;
    simtest::CSimEnv m_env;
};

// A configuration of boards given as section bodies.
std::string BoardsConfig(const std::vector<std::string> &boards,
                         const std::string &strDriver = std::string());

// Position of the first call at or after nFrom that starts with strPrefix; -1 when none.
int FindCall(const std::vector<std::string> &calls, const std::string &strPrefix, int nFrom = 0);

// Every board that was handed out was released, and an opened library was closed last.
testing::AssertionResult GaveEverythingBack(const std::vector<std::string> &calls);

// Sample input files that come with the simulator.
std::string SamplePath(const char *pszName);
std::wstring Wide(const std::string &strText);

// Console events as the console host delivers them.
bool SendCtrlC(DWORD dwPid);              // to every process on the child's console
HANDLE SendConsoleClose(HANDLE hProcess); // the thread that runs the handlers, or null

// A small JSON reader for list --json.
struct JsonValue
{
    // clang-format off
    enum Kind { kNull, kBool, kNumber, kString, kArray, kObject } nKind = kNull;
    // clang-format on
    bool bValue = false;
    long long nValue = 0;
    std::wstring strValue;
    std::vector<JsonValue> items;
    std::map<std::string, JsonValue> members;
};
// False unless the whole text is one JSON value.
bool ParseJson(const std::string &strText, JsonValue &value);
} // namespace clitest
