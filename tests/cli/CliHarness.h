// CliHarness.h - runs the built console companions against the simulator and reads what they
// printed and what the simulator's journal recorded.
#pragma once

#include <windows.h>

#include "SimSession.h"
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

using vtltest::BoardsConfig;
using vtltest::CChildProcess;
using vtltest::CSimSession;
using vtltest::FindCall;
using vtltest::SamplePath;
using vtltest::Widen;

// How the companions run: a console without a window, stdout and stderr in two pipes.
vtltest::ChildOptions CliOptions(const std::string &strDir = std::string());
// Reads what it printed until it ended or dwTimeoutMs passed (then exit stays -1).
CliRun Finish(CChildProcess &process, DWORD dwTimeoutMs = 60000);

// "Z:\...\build\bin\torvane-cli.exe" and the like, quoted, with strArgs after it.
std::wstring CliCommand(const char *pszExe, const std::wstring &strArgs);

// Runs a companion from build/bin to its end.
CliRun RunCli(const char *pszExe, const std::wstring &strArgs);

using vtltest::GaveEverythingBack;

// Console events as the console host delivers them.
using vtltest::SendCtrlC;
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
