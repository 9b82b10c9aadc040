// CrashBox.cpp - the box a GUI tool shows when it crashed; the process ends once it is answered.
#include "CrashBox.h"

#include "VtlCrashReport.h"

#include <windows.h>

namespace
{
struct CrashBoxText
{
    const wchar_t *pszProgram;
    const wchar_t *pszLine;
};

DWORD WINAPI CrashBoxThread(LPVOID pParam)
{
    const CrashBoxText &text = *static_cast<const CrashBoxText *>(pParam);
    // No owner: the main window's thread may be the one that faulted, or be waiting for it.
    MessageBoxW(nullptr, text.pszLine, text.pszProgram,
                MB_OK | MB_ICONERROR | MB_TASKMODAL | MB_SETFOREGROUND | MB_TOPMOST);
    return 0;
}

void ShowCrashBox(const wchar_t *pszProgram, const wchar_t *pszLine)
{
    // The box runs its message loop on a thread of its own: a loop on the faulted thread would
    // hand that thread's windows more commands, and with them more calls into the library.
    CrashBoxText text = {pszProgram, pszLine};
    const HANDLE hThread = CreateThread(nullptr, 0, CrashBoxThread, &text, 0, nullptr);
    if (hThread == nullptr)
    {
        CrashBoxThread(&text);
        return;
    }
    WaitForSingleObject(hThread, INFINITE);
    CloseHandle(hThread);
}
} // namespace

void InstallCrashBox(const char *pszProgram)
{
    // The process ends with the exception's code, as it would without the report.
    VtlCrashReportInstall(pszProgram, &ShowCrashBox, 0);
}
