// HandleCount.h - counts of this process's kernel handles and windows, for leak tests.
// Wine answers GetProcessHandleCount with 0 and GetGuiResources not at all, but it does
// list every process's handles through NtQuerySystemInformation.
#pragma once

#include <windows.h>

#include <TestSupport.h>
#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace leaktest
{

// Kernel handles this process holds; -1 when the system will not say.
inline long ProcessHandleCount()
{
    struct Entry
    {
        PVOID pObject;
        ULONG_PTR nPid;
        ULONG_PTR nHandle;
        ULONG nAccess;
        USHORT nBackTrace;
        USHORT nType;
        ULONG nAttributes;
        ULONG nReserved;
    };
    struct Table
    {
        ULONG_PTR nCount;
        ULONG_PTR nReserved;
        Entry entries[1];
    };
    typedef LONG(WINAPI * PFN_Query)(ULONG, PVOID, ULONG, PULONG);
    constexpr ULONG kExtendedHandleInformation = 64;
    constexpr LONG kLengthMismatch = static_cast<LONG>(0xC0000004L);
    static const PFN_Query pfnQuery = reinterpret_cast<PFN_Query>(reinterpret_cast<void *>(
        GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
    if (!pfnQuery)
        return -1;
    std::vector<ULONG_PTR> buffer(1 << 14);
    for (int nTry = 0; nTry < 16; ++nTry)
    {
        ULONG nNeeded = 0;
        const ULONG nBytes = static_cast<ULONG>(buffer.size() * sizeof(ULONG_PTR));
        const LONG st = pfnQuery(kExtendedHandleInformation, buffer.data(), nBytes, &nNeeded);
        if (st == kLengthMismatch)
        {
            buffer.resize(buffer.size() * 2);
            continue;
        }
        if (st != 0)
            return -1;
        const Table *pTable = reinterpret_cast<const Table *>(buffer.data());
        const ULONG_PTR nPid = GetCurrentProcessId();
        long n = 0;
        for (ULONG_PTR i = 0; i < pTable->nCount; ++i)
            n += pTable->entries[i].nPid == nPid;
        return n;
    }
    return -1;
}

// Windows of this process, top-level and child, visible or not.
inline long ProcessWindowCount()
{
    struct Counter
    {
        static BOOL CALLBACK Child(HWND, LPARAM lParam)
        {
            ++*reinterpret_cast<long *>(lParam);
            return TRUE;
        }
        static BOOL CALLBACK Top(HWND h, LPARAM lParam)
        {
            DWORD pid = 0;
            GetWindowThreadProcessId(h, &pid);
            if (pid == GetCurrentProcessId())
            {
                ++*reinterpret_cast<long *>(lParam);
                EnumChildWindows(h, Child, lParam);
            }
            return TRUE;
        }
    };
    long n = 0;
    EnumWindows(Counter::Top, reinterpret_cast<LPARAM>(&n));
    return n;
}

// The lowest handle count seen over dwWindowMs: other threads of the test (the message-box
// catcher's scans, for one) hold a handle now and then for a moment.
inline long LowestHandleCount(DWORD dwWindowMs = 300)
{
    long nLowest = ProcessHandleCount();
    vtltest::WaitForCondition(
        [&] {
            const long n = ProcessHandleCount();
            if (n < nLowest)
                nLowest = n;
            return false;
        },
        dwWindowMs);
    return nLowest;
}

// Waits (pumping) until the handle count is back at nLevel or below: threads that end on
// their own, such as the library's hot-plug watcher, give theirs back a little later.
inline bool WaitForCountAtMost(long (*pfnCount)(), long nLevel, DWORD dwTimeoutMs, long *pLast)
{
    long nLast = 0;
    const bool bOk =
        vtltest::WaitForCondition([&] { return (nLast = pfnCount()) <= nLevel; }, dwTimeoutMs);
    if (pLast)
        *pLast = nLast;
    return bOk;
}

inline bool WaitForHandlesAtMost(long nLevel, DWORD dwTimeoutMs, long *pLast = nullptr)
{
    return WaitForCountAtMost(ProcessHandleCount, nLevel, dwTimeoutMs, pLast);
}

inline bool WaitForWindowsAtMost(long nLevel, DWORD dwTimeoutMs, long *pLast = nullptr)
{
    return WaitForCountAtMost(ProcessWindowCount, nLevel, dwTimeoutMs, pLast);
}

// Wine now and then creates an object of its own (an event) late, once, and keeps it: the
// dialog tests let one handle through over all cycles, never one per cycle.
const long kOnceOnly = 1;

// Runs step once to warm up, then nCycles times, expecting after each run that the handle
// count is back at its level (plus nAllowance) and, with bWindows, the window count too.
// A step that returns false ends the loop as a failure.
inline void ExpectStepGivesBack(const char *pszWhat, int nCycles, long nAllowance, bool bWindows,
                                const std::function<bool()> &step)
{
    const DWORD kSettleMs = 5000;
    ASSERT_GE(ProcessHandleCount(), 0) << "the system lists no handles";
    ASSERT_TRUE(step()) << pszWhat << " (warm-up)";
    const long nHandles = LowestHandleCount();
    const long nWindows = ProcessWindowCount();
    for (int i = 0; i < nCycles; ++i)
    {
        ASSERT_TRUE(step()) << pszWhat << " " << i;
        long nNow = 0;
        EXPECT_TRUE(WaitForHandlesAtMost(nHandles + nAllowance, kSettleMs, &nNow))
            << pszWhat << " " << i << ": " << nNow << " handles, " << nHandles << " before";
        if (bWindows)
        {
            EXPECT_TRUE(WaitForWindowsAtMost(nWindows, kSettleMs, &nNow))
                << pszWhat << " " << i << ": " << nNow << " windows, " << nWindows << " before";
        }
    }
}

} // namespace leaktest
