// StationBench.cpp - station_bench [period_ms [boards]]: vtl-station against plug scripts. Its
// time per board beyond the driver's, how soon it takes a new board, and whether a long run
// leaves memory or handles behind (period and boards of that run; default 400 ms, 1000).
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace
{
const int kBoards = 20;        // the first run: one simulated board after the other
const int kFirstPeriodMs = 1000; // room enough that each is done long before it is pulled out
const int kEarlyRows = 10;     // the long run's first sample

std::wstring Wide(const std::string &str)
{
    return std::wstring(str.begin(), str.end());
}

std::string Narrow(const std::wstring &str)
{
    std::string strOut;
    for (wchar_t c : str)
        strOut += c < 0x80 ? static_cast<char>(c) : '?';
    return strOut;
}

std::wstring ExeDir()
{
    wchar_t sz[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, sz, MAX_PATH);
    std::wstring str(sz);
    return str.substr(0, str.find_last_of(L"\\/") + 1);
}

// A folder of this run's own. Only what it made, or told a station to make, is deleted, file by
// file; a folder with anything else left in it stays.
class CScratch
{
public:
    CScratch()
    {
        wchar_t szTemp[MAX_PATH] = L"";
        GetTempPathW(MAX_PATH, szTemp);
        m_strDir = std::wstring(szTemp) + L"vtl-station-bench-" +
                   std::to_wstring(GetCurrentProcessId()) + L"\\";
        m_bMade = CreateDirectoryW(m_strDir.c_str(), nullptr) != FALSE;
    }
    ~CScratch()
    {
        for (const std::wstring &strDir : m_dirs)
        {
            WIN32_FIND_DATAW data;
            const HANDLE hFind = FindFirstFileW((strDir + L"\\*.iic").c_str(), &data);
            for (BOOL b = hFind != INVALID_HANDLE_VALUE; b; b = FindNextFileW(hFind, &data))
                DeleteFileW((strDir + L"\\" + data.cFileName).c_str());
            if (hFind != INVALID_HANDLE_VALUE)
                FindClose(hFind);
            RemoveDirectoryW(strDir.c_str());
        }
        for (const std::wstring &strFile : m_files)
            DeleteFileW(strFile.c_str());
        if (m_bMade && !RemoveDirectoryW(m_strDir.c_str()))
            printf("station bench: left %s behind\n", Narrow(m_strDir).c_str());
    }
    bool Made() const { return m_bMade; }
    std::wstring File(const std::wstring &strName)
    {
        m_files.push_back(m_strDir + strName);
        return m_files.back();
    }
    // A backup folder: the station's backups in it go with it.
    std::wstring Folder(const std::wstring &strName)
    {
        const std::wstring strDir = m_strDir + strName;
        if (CreateDirectoryW(strDir.c_str(), nullptr))
            m_dirs.push_back(strDir);
        return strDir;
    }

private:
    std::wstring m_strDir;
    bool m_bMade;
    std::vector<std::wstring> m_files;
    std::vector<std::wstring> m_dirs;
};

bool WriteText(const std::wstring &strPath, const std::string &strText)
{
    const HANDLE h =
        CreateFileW(strPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD dw = 0;
    const bool bOk = h != INVALID_HANDLE_VALUE &&
                     WriteFile(h, strText.data(), static_cast<DWORD>(strText.size()), &dw,
                               nullptr) &&
                     dw == strText.size();
    return h != INVALID_HANDLE_VALUE && CloseHandle(h) && bOk;
}

std::string ReadText(const std::wstring &strPath)
{
    const HANDLE h = CreateFileW(strPath.c_str(), GENERIC_READ,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                 OPEN_EXISTING, 0, nullptr);
    std::string strText;
    if (h == INVALID_HANDLE_VALUE)
        return strText;
    char buf[65536];
    DWORD dw = 0;
    while (ReadFile(h, buf, sizeof(buf), &dw, nullptr) && dw > 0)
        strText.append(buf, dw);
    CloseHandle(h);
    return strText;
}

// The log's rows so far (lines after the header) and how many passed.
void CountRows(const std::wstring &strLog, int &nRows, int &nPass)
{
    const std::string strText = ReadText(strLog);
    nRows = -1, nPass = 0;
    for (size_t nAt = 0, nEnd; (nEnd = strText.find('\n', nAt)) != std::string::npos;
         nAt = nEnd + 1)
    {
        ++nRows;
        if (strText.substr(nAt, nEnd - nAt).find(",PASS,") != std::string::npos)
            ++nPass;
    }
    nRows = std::max(nRows, 0);
}

BOOL WINAPI SwallowConsoleEvent(DWORD)
{
    return TRUE;
}

// Ctrl+C into the station's own console, as an operator gives it.
bool SendCtrlC(DWORD dwPid)
{
    // A handler, not the ignore flag, which the next station would inherit.
    static const BOOL s_bSwallowing = SetConsoleCtrlHandler(SwallowConsoleEvent, TRUE);
    if (!s_bSwallowing)
        return false;
    FreeConsole();
    if (!AttachConsole(dwPid))
        return false;
    const BOOL bSent = GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0);
    FreeConsole();
    return bSent != FALSE;
}

class CStationRun
{
public:
    CStationRun() : m_pi() {}
    ~CStationRun() { End(); }

    bool Start(CScratch &scratch, const std::string &strName, const std::string &strConfig)
    {
        const std::wstring strBin = ExeDir() + L"..\\bin\\";
        const std::wstring strConfigPath = scratch.File(Wide(strName) + L".ini");
        scratch.File(Wide(strName) + L".ini.plug"); // the simulator's plugged state
        m_strJournal = scratch.File(Wide(strName) + L".journal");
        m_strLog = scratch.File(Wide(strName) + L".csv");
        m_strOut = scratch.File(Wide(strName) + L".out");
        if (!WriteText(strConfigPath, strConfig))
            return false;
        SetEnvironmentVariableW(L"VTLSIM_CONFIG", strConfigPath.c_str());
        SetEnvironmentVariableW(L"VTLSIM_JOURNAL", m_strJournal.c_str());
        const std::wstring strCommand =
            L"\"" + strBin + L"vtl-station.exe\" --eeprom \"" + strBin +
            L"samples\\sample.iic\" --flash \"" + strBin +
            L"samples\\sample.bit\" --family spartan --version 1.0 --log \"" + m_strLog +
            L"\" --backup-dir \"" + scratch.Folder(Wide(strName) + L"-backups") + L"\"";
        SECURITY_ATTRIBUTES sa = {sizeof(sa), nullptr, TRUE};
        const HANDLE hOut = CreateFileW(m_strOut.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa,
                                        CREATE_ALWAYS, 0, nullptr);
        const HANDLE hIn = CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                       &sa, OPEN_EXISTING, 0, nullptr);
        STARTUPINFOW si = {};
        si.cb = sizeof(si);
        si.dwFlags = STARTF_USESTDHANDLES;
        si.hStdInput = hIn;
        si.hStdOutput = si.hStdError = hOut;
        std::wstring strLine = strCommand;
        // A console of its own without a window: Ctrl+C reaches it there.
        const bool bStarted = hOut != INVALID_HANDLE_VALUE && hIn != INVALID_HANDLE_VALUE &&
                              CreateProcessW(nullptr, &strLine[0], nullptr, nullptr, TRUE,
                                             CREATE_NO_WINDOW, nullptr, nullptr, &si, &m_pi);
        for (HANDLE h : {hOut, hIn})
        {
            if (h != INVALID_HANDLE_VALUE)
                CloseHandle(h);
        }
        return bStarted;
    }

    // Polls the log every 50 ms until it holds nRows rows (false when the station ended or the
    // time ran out); onRow sees each new count.
    template <class F> bool WaitForRows(int nRows, DWORD dwTimeoutMs, F onRow)
    {
        const ULONGLONG nEnd = GetTickCount64() + dwTimeoutMs;
        int nSeen = -1;
        while (GetTickCount64() < nEnd)
        {
            int nNow = 0, nPass = 0;
            CountRows(m_strLog, nNow, nPass);
            if (nNow != nSeen)
                onRow(nSeen = nNow);
            if (nNow >= nRows)
                return true;
            if (WaitForSingleObject(m_pi.hProcess, 50) == WAIT_OBJECT_0)
                return false;
        }
        return false;
    }

    // Ctrl+C, then TerminateProcess after 20 s: how it ended.
    std::string End()
    {
        if (!m_pi.hProcess)
            return "";
        std::string strHow = "already ended";
        if (WaitForSingleObject(m_pi.hProcess, 0) != WAIT_OBJECT_0)
        {
            strHow = "Ctrl+C";
            if (!SendCtrlC(m_pi.dwProcessId) || WaitForSingleObject(m_pi.hProcess, 20000) != 0)
            {
                TerminateProcess(m_pi.hProcess, 1);
                WaitForSingleObject(m_pi.hProcess, 20000);
                strHow = "terminated, Ctrl+C did not end it";
            }
        }
        DWORD dwCode = 0;
        GetExitCodeProcess(m_pi.hProcess, &dwCode);
        CloseHandle(m_pi.hProcess);
        CloseHandle(m_pi.hThread);
        m_pi = PROCESS_INFORMATION();
        return strHow + ", exit " + std::to_string(dwCode);
    }

    // The station's last words, for a run that went wrong.
    std::string Tail() const
    {
        const std::string strOut = ReadText(m_strOut);
        return strOut.substr(strOut.size() > 400 ? strOut.size() - 400 : 0);
    }

    HANDLE Process() const { return m_pi.hProcess; }
    DWORD Pid() const { return m_pi.dwProcessId; }
    const std::wstring &Journal() const { return m_strJournal; }
    const std::wstring &Log() const { return m_strLog; }

private:
    PROCESS_INFORMATION m_pi;
    std::wstring m_strJournal, m_strLog, m_strOut;
};

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
    const double dKiB = (static_cast<double>(late.nPrivate) - static_cast<double>(early.nPrivate)) /
                        1024.0;
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
    const int nPeriodMs = argc > 1 ? atoi(argv[1]) : 400;
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
