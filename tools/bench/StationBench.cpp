// StationBench.cpp - station_bench [period_ms [boards]]: vtl-station against plug scripts. Its
// time per board beyond the driver's, how soon it takes a new board, and whether a long run
// leaves memory or handles behind (period and boards of that run; default 500 ms, 1000).
#include "StationRun.h"

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace
{
const int kBoards = 20;          // the first run: one simulated board after the other
const int kFirstPeriodMs = 1000; // room enough that each is done long before it is pulled out
const int kEarlyRows = 10;       // the long run's first sample

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n == 0 ? 0 : n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

double Rank(std::vector<double> v, double dFraction)
{
    std::sort(v.begin(), v.end());
    const size_t n = static_cast<size_t>(dFraction * static_cast<double>(v.size()) + 0.999999);
    return v.empty() ? 0 : v[std::min(v.size(), std::max<size_t>(n, 1)) - 1];
}

// From the station's journal lines ("<pid> @<ms> <entry>"): the time from each arrival to the
// board's open, and from the open to its release.
void ReadSpans(const std::wstring &strJournal, DWORD dwPid, std::vector<double> &detection,
               std::vector<double> &spans)
{
    const std::string strText = ReadText(strJournal);
    long long nArrival = -1, nOpen = -1;
    for (size_t nAt = 0, nEnd; (nEnd = strText.find('\n', nAt)) != std::string::npos;
         nAt = nEnd + 1)
    {
        const std::string strLine = strText.substr(nAt, nEnd - nAt);
        unsigned long nPid = 0;
        long long nMs = 0;
        int nSkip = 0;
        if (sscanf(strLine.c_str(), "%lu @%lld %n", &nPid, &nMs, &nSkip) != 2 || nPid != dwPid)
            continue;
        const std::string strEntry = strLine.substr(static_cast<size_t>(nSkip));
        if (strEntry.compare(0, 12, "script plug ") == 0)
            nArrival = nMs;
        else if (strEntry.compare(0, 16, "VtlUsbOpenBoard(") == 0 &&
                 strEntry.find("= null") == std::string::npos)
        {
            if (nArrival >= 0)
                detection.push_back(static_cast<double>(nMs - nArrival));
            nArrival = -1;
            nOpen = nMs;
        }
        else if (nOpen >= 0 && strEntry.find(".ReleaseBoard()") != std::string::npos)
        {
            spans.push_back(static_cast<double>(nMs - nOpen));
            nOpen = -1;
        }
    }
}

const char kDriver[] = "[driver]\nprogress_ms = 0\njournal_times = 1\n";

// 20 boards, each plugged once and pulled out half a period later; each gets the whole recipe.
bool FirstRun(CScratch &scratch)
{
    std::string strConfig = kDriver + std::string("boards = ") + std::to_string(kBoards) + "\n";
    std::string strPlug = "[plug]\n";
    for (int i = 0; i < kBoards; ++i)
    {
        strConfig += "[board " + std::to_string(i) + "]\nunplugged = 1\n";
        const int nAt = 200 + i * kFirstPeriodMs;
        strPlug += std::to_string(nAt) + " = plug " + std::to_string(i) + "\n" +
                   std::to_string(nAt + kFirstPeriodMs / 2) + " = unplug " + std::to_string(i) +
                   "\n";
    }
    CStationRun run;
    if (!run.Start(scratch, "first", strConfig + strPlug))
    {
        printf("station overhead per board: failed: vtl-station did not start\n");
        return false;
    }
    const bool bAll = run.WaitForRows(kBoards, kBoards * kFirstPeriodMs + 30000, [](int) {});
    int nRows = 0, nPass = 0;
    CountRows(run.Log(), nRows, nPass);
    std::vector<double> detection, spans;
    ReadSpans(run.Journal(), run.Pid(), detection, spans);
    const std::string strTail = run.Tail();
    const std::string strEnd = run.End();
    if (!bAll || spans.size() != static_cast<size_t>(kBoards) ||
        detection.size() != static_cast<size_t>(kBoards))
    {
        printf("station overhead per board: failed: %d rows, %zu boards opened and released, %zu "
               "arrivals taken (%s): %s\n",
               nRows, spans.size(), detection.size(), strEnd.c_str(), strTail.c_str());
        return false;
    }
    printf("station overhead per board: median %.0f ms, p90 %.0f ms (n=%d, %d PASS; goal median "
           "<= 100)\n",
           Median(spans), Rank(spans, 0.9), kBoards, nPass);
    printf("station detection: median %.0f ms, max %.0f ms (n=%d; goal <= 600)\n",
           Median(detection), Rank(detection, 1.0), kBoards);
    printf("station run 1: open to release of each board, driver operations instant (progress_ms "
           "0, EEPROM at once), so all of it is the station's; ended by %s\n",
           strEnd.c_str());
    return true;
}

struct Usage
{
    unsigned long long nPrivate;
    unsigned long nHandles;
    const char *pszHow; // where the figures came from
};

// Committed private pages of another process, region by region.
unsigned long long PrivateCommitted(HANDLE hProcess)
{
    unsigned long long nBytes = 0;
    MEMORY_BASIC_INFORMATION mbi;
    for (const char *p = nullptr; VirtualQueryEx(hProcess, p, &mbi, sizeof(mbi)) == sizeof(mbi);
         p = static_cast<const char *>(mbi.BaseAddress) + mbi.RegionSize)
    {
        if (mbi.State == MEM_COMMIT && mbi.Type == MEM_PRIVATE)
            nBytes += mbi.RegionSize;
    }
    return nBytes;
}

// The system's handle table, counted for one process.
unsigned long HandlesOf(DWORD dwPid)
{
    struct Entry
    {
        PVOID pObject;
        ULONG_PTR nPid, nHandle;
        ULONG nAccess;
        USHORT nTrace, nType;
        ULONG nAttributes, nReserved;
    };
    struct Table
    {
        ULONG_PTR nCount, nReserved;
        Entry entries[1];
    };
    typedef LONG(WINAPI * QueryFn)(ULONG, PVOID, ULONG, PULONG);
    const QueryFn pfnQuery = reinterpret_cast<QueryFn>(reinterpret_cast<void *>(
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    const ULONG kExtendedHandles = 64;
    std::vector<char> buf(1 << 20);
    LONG nStatus = -1;
    for (int i = 0; pfnQuery && i < 6; ++i, buf.resize(buf.size() * 2))
    {
        ULONG nNeeded = 0;
        nStatus = pfnQuery(kExtendedHandles, buf.data(), static_cast<ULONG>(buf.size()), &nNeeded);
        if (nStatus != static_cast<LONG>(0xC0000004)) // anything but "too small"
            break;
    }
    if (nStatus != 0)
        return 0;
    const Table *pTable = reinterpret_cast<const Table *>(buf.data());
    unsigned long nHandles = 0;
    for (ULONG_PTR i = 0; i < pTable->nCount; ++i)
        nHandles += pTable->entries[i].nPid == dwPid ? 1 : 0;
    return nHandles;
}

// PrivateUsage and GetProcessHandleCount, or where they give nothing for another process (as
// under Wine), the committed private regions and the system's handle table.
Usage Sample(HANDLE hProcess, DWORD dwPid)
{
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof(counters);
    Usage usage = {0, 0, "PrivateUsage, GetProcessHandleCount"};
    if (GetProcessMemoryInfo(hProcess, reinterpret_cast<PROCESS_MEMORY_COUNTERS *>(&counters),
                             sizeof(counters)))
        usage.nPrivate = counters.PrivateUsage;
    DWORD dwHandles = 0;
    if (GetProcessHandleCount(hProcess, &dwHandles))
        usage.nHandles = dwHandles;
    if (usage.nPrivate == 0 || usage.nHandles == 0)
    {
        usage.nPrivate = PrivateCommitted(hProcess);
        usage.nHandles = HandlesOf(dwPid);
        usage.pszHow = "committed private regions, system handle table";
    }
    return usage;
}

// One board, plugged and pulled out every period, nBoards times.
bool Endurance(CScratch &scratch, int nPeriodMs, int nBoards)
{
    const std::string strConfig =
        kDriver + std::string("boards = 1\n[board 0]\nunplugged = 1\n[plug]\n0 = plug 0\n") +
        std::to_string(nPeriodMs / 2) + " = unplug 0\nrepeat = " + std::to_string(nBoards) +
        "\nperiod = " + std::to_string(nPeriodMs) + "\n";
    const std::string strName = "station endurance, " + std::to_string(nBoards) + " boards";
    CStationRun run;
    if (!run.Start(scratch, "endurance", strConfig))
    {
        printf("%s: failed: vtl-station did not start\n", strName.c_str());
        return false;
    }
    Usage early = {0, 0, ""}, late = early;
    const ULONGLONG nStart = GetTickCount64();
    const bool bAll = run.WaitForRows(
        nBoards, static_cast<DWORD>(nBoards) * static_cast<DWORD>(nPeriodMs) + 60000,
        [&](int nRows) {
            if (nRows >= kEarlyRows && early.nHandles == 0)
                early = Sample(run.Process(), run.Pid());
            if (nRows >= nBoards)
                late = Sample(run.Process(), run.Pid());
        });
    const double dSeconds = static_cast<double>(GetTickCount64() - nStart) / 1000.0;
    int nRows = 0, nPass = 0;
    CountRows(run.Log(), nRows, nPass);
    const std::string strTail = run.Tail();
    const std::string strEnd = run.End();
    if (!bAll || early.nHandles == 0 || late.nHandles == 0)
    {
        printf("%s: failed: %d rows, %d PASS after %.0f s (%s): %s\n", strName.c_str(), nRows,
               nPass, dSeconds, strEnd.c_str(), strTail.c_str());
        return false;
    }
    const double dKiB =
        (static_cast<double>(late.nPrivate) - static_cast<double>(early.nPrivate)) / 1024.0;
    printf("%s: private %+.0f KiB, handles %+ld (goal 1024 KiB, 10); %d/%d PASS, period %d ms\n",
           strName.c_str(), dKiB,
           static_cast<long>(late.nHandles) - static_cast<long>(early.nHandles), nPass, nRows,
           nPeriodMs);
    printf("station endurance detail: after board %d %.0f KiB private, %lu handles; after board "
           "%d %.0f KiB, %lu handles (%s); %.0f s; ended by %s\n",
           kEarlyRows, static_cast<double>(early.nPrivate) / 1024.0, early.nHandles, nBoards,
           static_cast<double>(late.nPrivate) / 1024.0, late.nHandles, late.pszHow, dSeconds,
           strEnd.c_str());
    return true;
}
} // namespace

int main(int argc, char **argv)
{
    const int nPeriodMs = argc > 1 ? atoi(argv[1]) : 500;
    const int nBoards = argc > 2 ? atoi(argv[2]) : 1000;
    if (nPeriodMs < 20 || nBoards < kEarlyRows)
    {
        printf("usage: station_bench [period_ms (>= 20) [boards (>= %d)]]\n", kEarlyRows);
        return 1;
    }
    CScratch scratch;
    if (!scratch.Made())
    {
        printf("station bench: cannot make a folder in the temp folder\n");
        return 1;
    }
    const bool bFirst = FirstRun(scratch);
    fflush(stdout);
    const bool bLong = Endurance(scratch, nPeriodMs, nBoards);
    return bFirst && bLong ? 0 : 1;
}
