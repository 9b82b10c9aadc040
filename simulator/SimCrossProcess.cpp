// SimCrossProcess.cpp - named kernel objects and the plug state file.
#include "SimCrossProcess.h"

#include "SimFiles.h"
#include "SimStrings.h"

#include <cstdio>

namespace vtlsim
{

namespace
{

constexpr int kMaxWatchers = 64;

struct WatcherTable
{
    DWORD pids[kMaxWatchers];
};

// A named mutex held only within one call, so the owning thread never changes.
class CGuard
{
public:
    explicit CGuard(const std::string &scope)
    {
        m_h = CreateMutexA(nullptr, FALSE, ("Local\\VtlSimGuard-" + scope).c_str());
        if (m_h)
        {
            const DWORD r = WaitForSingleObject(m_h, 10000);
            // An owner that died leaves the mutex abandoned: it is ours now all the same.
            m_bHeld = r == WAIT_OBJECT_0 || r == WAIT_ABANDONED;
        }
    }
    ~CGuard()
    {
        if (m_bHeld)
            ReleaseMutex(m_h);
        if (m_h)
            CloseHandle(m_h);
    }

private:
    HANDLE m_h = nullptr;
    bool m_bHeld = false;
};

HANDLE g_hTable = nullptr; // keeps the watcher table alive while this process is registered

WatcherTable *MapTable(const std::string &scope, HANDLE &hMap, bool bCreate)
{
    const std::string name = "Local\\VtlSimProcs-" + scope;
    hMap = bCreate ? CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                        sizeof(WatcherTable), name.c_str())
                   : OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, name.c_str());
    if (!hMap)
        return nullptr;
    void *p = MapViewOfFile(hMap, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(WatcherTable));
    if (!p)
    {
        CloseHandle(hMap);
        hMap = nullptr;
    }
    return static_cast<WatcherTable *>(p);
}

} // namespace

std::string ScopeOf(const std::string &configPath)
{
    if (configPath.empty())
        return "default";
    std::uint32_t h = 2166136261u;
    for (const char c : Upper(configPath))
    {
        h ^= static_cast<unsigned char>(c);
        h *= 16777619u;
    }
    char buf[16];
    std::snprintf(buf, sizeof buf, "%08x", static_cast<unsigned>(h));
    return buf;
}

HANDLE TryLockBoard(const std::string &scope, std::uint32_t index)
{
    CGuard guard(scope);
    const std::string name = "Local\\VtlSimBoard-" + scope + "-" + std::to_string(index);
    HANDLE h = CreateEventA(nullptr, TRUE, FALSE, name.c_str());
    if (h && GetLastError() == ERROR_ALREADY_EXISTS)
    {
        CloseHandle(h);
        h = nullptr;
    }
    return h;
}

void UnlockBoard(const std::string &scope, HANDLE hLock)
{
    if (!hLock)
        return;
    CGuard guard(scope);
    CloseHandle(hLock);
}

std::string StateFilePath(const std::string &configPath)
{
    if (!configPath.empty())
        return configPath + ".plug";
    char tmp[MAX_PATH + 1];
    const DWORD n = GetTempPathA(sizeof tmp, tmp);
    std::string dir = n > 0 && n < sizeof tmp ? std::string(tmp, n) : std::string(".\\");
    return dir + "vtlsim-default.plug";
}

std::vector<bool> ReadPlugged(const DriverConfig &config)
{
    std::vector<bool> plugged;
    for (const BoardConfig &b : config.boards)
        plugged.push_back(!b.bUnplugged);
    return ReadPlugged(config.path, plugged);
}

std::vector<bool> ReadPlugged(const std::string &configPath, std::vector<bool> plugged)
{
    std::vector<std::uint8_t> bytes;
    std::string err;
    if (!ReadWholeFile(StateFilePath(configPath), 65536, bytes, err))
        return plugged;
    const std::string text(bytes.begin(), bytes.end());
    std::size_t pos = 0;
    while (pos < text.size())
    {
        std::size_t nl = text.find('\n', pos);
        if (nl == std::string::npos)
            nl = text.size();
        const std::string line = text.substr(pos, nl - pos);
        pos = nl + 1;
        const std::size_t eq = line.find('=');
        std::uint32_t i;
        if (eq == std::string::npos || !ParseUInt(Trim(line.substr(0, eq)), i) ||
            i >= plugged.size())
            continue;
        const std::string v = Trim(line.substr(eq + 1));
        if (v == "plugged" || v == "unplugged")
            plugged[i] = v == "plugged";
    }
    return plugged;
}

bool WritePlugged(const DriverConfig &config, std::uint32_t index, bool bPlugged, std::string &err)
{
    std::vector<bool> plugged = ReadPlugged(config);
    if (index >= plugged.size())
    {
        err = "no board " + std::to_string(index) + " (the configuration has " +
              std::to_string(plugged.size()) + ")";
        return false;
    }
    plugged[index] = bPlugged;
    std::string text;
    for (std::size_t i = 0; i < plugged.size(); ++i)
        text += std::to_string(i) + " = " + (plugged[i] ? "plugged" : "unplugged") + "\r\n";
    return ReplaceFileAtomically(StateFilePath(config.path), text, err);
}

std::string PlugEventName(const std::string &scope, DWORD pid)
{
    return "Local\\VtlSimPlug-" + scope + "-" + std::to_string(pid);
}

bool RegisterWatcher(const std::string &scope, DWORD pid)
{
    CGuard guard(scope);
    HANDLE hMap;
    WatcherTable *t = MapTable(scope, hMap, true);
    if (!t)
        return false;
    bool bDone = false;
    for (int i = 0; i < kMaxWatchers && !bDone; ++i)
        if (t->pids[i] == pid)
            bDone = true;
    for (int i = 0; i < kMaxWatchers && !bDone; ++i)
        if (t->pids[i] == 0)
        {
            t->pids[i] = pid;
            bDone = true;
        }
    UnmapViewOfFile(t);
    if (bDone && !g_hTable)
        g_hTable = hMap;
    else
        CloseHandle(hMap);
    return bDone;
}

void UnregisterWatcher(const std::string &scope, DWORD pid)
{
    CGuard guard(scope);
    HANDLE hMap;
    WatcherTable *t = MapTable(scope, hMap, false);
    if (t)
    {
        for (int i = 0; i < kMaxWatchers; ++i)
            if (t->pids[i] == pid)
                t->pids[i] = 0;
        UnmapViewOfFile(t);
        CloseHandle(hMap);
    }
    if (g_hTable)
    {
        CloseHandle(g_hTable);
        g_hTable = nullptr;
    }
}

int SignalWatchers(const std::string &scope)
{
    CGuard guard(scope);
    HANDLE hMap;
    WatcherTable *t = MapTable(scope, hMap, false);
    if (!t)
        return 0;
    int n = 0;
    for (int i = 0; i < kMaxWatchers; ++i)
    {
        if (t->pids[i] == 0)
            continue;
        HANDLE h = OpenEventA(EVENT_MODIFY_STATE, FALSE, PlugEventName(scope, t->pids[i]).c_str());
        if (!h)
        {
            t->pids[i] = 0; // that process is gone
            continue;
        }
        SetEvent(h);
        CloseHandle(h);
        ++n;
    }
    UnmapViewOfFile(t);
    CloseHandle(hMap);
    return n;
}

} // namespace vtlsim
