// SimPlugRun.cpp - when the plug script's events fall due, and carrying them out.
#include "SimPlugRun.h"

#include "SimCrossProcess.h"
#include "SimJournal.h"

#include <algorithm>

namespace vtlsim
{

namespace
{

// Guards the timeline: an old watcher that was told to stop may still be running next to a new one.
SRWLOCK g_lock = SRWLOCK_INIT;
ULONGLONG g_nStart = 0;    // tick count of the open with a window that started this timeline
std::uint64_t g_nNext = 0; // events carried out, counted over all passes
std::string g_identity;    // of the script the timeline belongs to

struct CTimelineHold
{
    CTimelineHold() { AcquireSRWLockExclusive(&g_lock); }
    ~CTimelineHold() { ReleaseSRWLockExclusive(&g_lock); }
    CTimelineHold(const CTimelineHold &) = delete;
    CTimelineHold &operator=(const CTimelineHold &) = delete;
};

std::string IdentityOf(const DriverConfig &config)
{
    return config.path + "\n" + config.plug.identity;
}

// Caller holds g_lock. False when config's script has nothing left to do.
bool NextDue(const DriverConfig &config, ULONGLONG &nDue)
{
    const PlugScript &s = config.plug;
    const std::uint64_t nTotal = static_cast<std::uint64_t>(s.nRepeat) * s.events.size();
    if (g_nStart == 0 || g_nNext >= nTotal || IdentityOf(config) != g_identity)
        return false;
    const std::uint64_t nPass = g_nNext / s.events.size();
    nDue = g_nStart + nPass * s.nPeriodMs + s.events[g_nNext % s.events.size()].nAtMs;
    return true;
}

} // namespace

void StartPlugScript(const DriverConfig &config)
{
    CTimelineHold hold;
    const std::string identity = IdentityOf(config);
    if (identity != g_identity)
    {
        g_identity = identity;
        g_nStart = GetTickCount64();
        g_nNext = 0;
    }
}

DWORD PlugScriptWait(const DriverConfig &config)
{
    CTimelineHold hold;
    ULONGLONG nDue;
    if (!NextDue(config, nDue))
        return INFINITE;
    const ULONGLONG nNow = GetTickCount64();
    // Long waits are cut, so a wait never reaches INFINITE's value.
    return nDue <= nNow ? 0 : static_cast<DWORD>(std::min<ULONGLONG>(nDue - nNow, 3600000));
}

bool RunPlugScriptEvent(const DriverConfig &config, HANDLE hStop)
{
    CTimelineHold hold;
    ULONGLONG nDue;
    if (!NextDue(config, nDue) || nDue > GetTickCount64() ||
        WaitForSingleObject(hStop, 0) == WAIT_OBJECT_0)
        return false;
    const PlugEvent &e = config.plug.events[g_nNext % config.plug.events.size()];
    ++g_nNext;
    const std::string what = (e.bPlug ? "plug " : "unplug ") + std::to_string(e.nBoard);
    Journal("script " + what);
    std::string err;
    if (!WritePlugged(config, e.nBoard, e.bPlug, err))
        Journal("script " + what + " failed: " + err);
    // Other processes of this configuration hear of it as they hear of vtlsim.
    SignalWatchers(ScopeOf(config.path));
    return true;
}

} // namespace vtlsim
