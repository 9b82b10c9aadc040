// Drive.h - shared steps of vtldrive, which works a tool from outside for scripts/run.sh.
#pragma once

#include <string>

#include "TestSupport.h"

// Prints a progress line for the script.
void Say(const char *fmt, ...) __attribute__((format(printf, 1, 2)));

// Asks the script for a screenshot named name and waits for its answer on stdin. With windows
// given, the picture is cropped to them (hMain and, when shown, the message box hBox over it).
void Shot(const char *name, HWND hMain = NULL, HWND hBox = NULL);

// Answers whatever message box the tool shows next with its default, prints it, false on timeout.
bool ReportMessageBox(vtltest::CProcessDriver &app, DWORD timeoutMs, const char *shotName);

// The two scenarios; workDir holds files they may create. Return the process exit code.
int DriveTorvane(const std::string &samples, const std::string &workDir);
int DriveOstrel(const std::string &samples, const std::string &workDir);
