// VtlCrashReport.h - the report a program leaves when it crashes: a minidump and a short text in
// %LOCALAPPDATA%\Veltrane\VTL4410\crash-reports, one line for the user, then the end.
//
// A new program installs it first thing:
//   VtlCrashReportInstall("station-cli", nullptr, 9);  // console: the line on stderr, code 9
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Shows the line to the user, on the faulting thread, and returns when the user has seen it.
// It must not call the driver library or wait for another thread.
typedef void (*VtlCrashTell)(const wchar_t *pszProgram, const wchar_t *pszLine);

// Installs the process's unhandled-exception filter and keeps the report folder to the newest
// reports. pszProgram (ASCII) names the reports and begins the line ("Torvane"). pfnTell null
// writes the line to stderr. The process ends with nExitCode, or with the exception code when it
// is 0. Reads the version from the program's version resource.
void VtlCrashReportInstall(const char *pszProgram, VtlCrashTell pfnTell, UINT nExitCode);

// How many reports of one program the folder keeps.
constexpr size_t kVtlCrashReportsKept = 10;

// Of the file names in the report folder, those to delete so that only the nKeep newest reports
// of pszProgram remain: a report is the pair <program>-<yyyymmddThhmmssZ>-<pid>.dmp and .txt,
// the newest by its time, then its pid. Names of other programs and other files stay.
std::vector<std::wstring> VtlCrashReportsToDelete(const std::vector<std::wstring> &names,
                                                  const wchar_t *pszProgram, size_t nKeep);

// The report folder under %LOCALAPPDATA%; empty when the variable is unset.
std::wstring VtlCrashReportFolder();

// Deletes from folder the reports of pszProgram beyond the newest kVtlCrashReportsKept.
void VtlCrashPruneFolder(const std::wstring &folder, const wchar_t *pszProgram);
