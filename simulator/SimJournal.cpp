// SimJournal.cpp - append-only journal shared by every process that uses the simulator.
#include "SimJournal.h"

#include "SimStrings.h"

#include <windows.h>

namespace vtlsim
{

namespace
{
volatile LONG g_nTimes = 0;

// The performance counter is one system-wide clock, so stamps of different processes compare.
std::string Stamp()
{
    LARGE_INTEGER n, f;
    QueryPerformanceCounter(&n);
    QueryPerformanceFrequency(&f);
    const LONGLONG ms =
        n.QuadPart / f.QuadPart * 1000 + n.QuadPart % f.QuadPart * 1000 / f.QuadPart;
    return "@" + std::to_string(ms) + " ";
}
} // namespace

void SetJournalTimes(bool bOn)
{
    InterlockedExchange(&g_nTimes, bOn ? 1 : 0);
}

void Journal(const std::string &entry)
{
    const std::string path = GetEnv("VTLSIM_JOURNAL");
    if (path.empty())
        return;
    const std::string line = std::to_string(GetCurrentProcessId()) + " " +
                             (g_nTimes ? Stamp() : std::string()) + entry + "\n";
    // Append-only access makes each write land at the end, whole, even with other writers.
    HANDLE h = CreateFileA(path.c_str(), FILE_APPEND_DATA,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return;
    DWORD n = 0;
    WriteFile(h, line.data(), static_cast<DWORD>(line.size()), &n, nullptr);
    CloseHandle(h);
}

} // namespace vtlsim
