// CrashBox.cpp - the box a GUI tool shows when it crashed; the process ends once it is answered.
#include "CrashBox.h"

#include "VtlCrashReport.h"

#include <windows.h>

namespace
{
void ShowCrashBox(const wchar_t *pszProgram, const wchar_t *pszLine)
{
    // No owner: the main window's thread may be the one that faulted, or be waiting for it.
    // Task-modal, so that a faulted GUI thread takes no more commands while the box is open.
    MessageBoxW(nullptr, pszLine, pszProgram,
                MB_OK | MB_ICONERROR | MB_TASKMODAL | MB_SETFOREGROUND | MB_TOPMOST);
}
} // namespace

void InstallCrashBox(const char *pszProgram)
{
    // The process ends with the exception's code, as it would without the report.
    VtlCrashReportInstall(pszProgram, &ShowCrashBox, 0);
}
