// SimJournal.cpp - append-only journal shared by every process that uses the simulator.
#include "SimJournal.h"

#include "SimStrings.h"

#include <windows.h>

namespace vtlsim
{

void Journal(const std::string &entry)
{
    const std::string path = GetEnv("VTLSIM_JOURNAL");
    if (path.empty())
        return;
    const std::string line = std::to_string(GetCurrentProcessId()) + " " + entry + "\n";
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
