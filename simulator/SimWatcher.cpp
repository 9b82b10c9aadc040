// SimWatcher.cpp - plug watcher: waits on the process's plug event and notifies the window.
#include "SimWatcher.h"

#include "SimJournal.h"
#include "SimCrossProcess.h"
#include "SimPlugRun.h"
#include "SimStrings.h"

#include <dbt.h>

#include <cstring>

namespace vtlsim
{

namespace
{

struct WatchContext
{
    HWND hwnd;
    DriverConfig config;
    std::vector<bool> plugged;
    HANDLE hStop;
    HANDLE hPlug;
    HMODULE hSelf;
};

// Guards g_hStop and g_scope: a tool may open on one thread while it closes on another.
// Never held while a notification is sent.
SRWLOCK g_watchLock = SRWLOCK_INIT;
HANDLE g_hStop = nullptr;
std::string g_scope;

// Caller holds g_watchLock.
void StopLocked()
{
    if (!g_hStop)
        return;
    UnregisterWatcher(g_scope, GetCurrentProcessId());
    SetEvent(g_hStop);
    CloseHandle(g_hStop);
    g_hStop = nullptr;
}

struct CWatchHold
{
    CWatchHold() { AcquireSRWLockExclusive(&g_watchLock); }
    ~CWatchHold() { ReleaseSRWLockExclusive(&g_watchLock); }
    CWatchHold(const CWatchHold &) = delete;
    CWatchHold &operator=(const CWatchHold &) = delete;
};

// The interface class of USB devices, as a real arrival names it.
const GUID kUsbDeviceClass = {
    0xA5DCBF10, 0x6530, 0x11D2, {0x90, 0x1F, 0x00, 0xC0, 0x4F, 0xB9, 0x51, 0xED}};

void Note(HWND hwnd, const char *pszEvent, std::uint32_t nSection)
{
    Journal("notify(" + Hex(reinterpret_cast<std::uintptr_t>(hwnd)) + ") WM_DEVICECHANGE " +
            pszEvent + (nSection == ~0u ? std::string() : " board" + std::to_string(nSection)));
}

// Notifies the window of every board whose plugged state changed since the last time.
void Deliver(WatchContext *ctx)
{
    const std::vector<bool> now = ReadPlugged(ctx->config);
    for (std::size_t i = 0; i < now.size() && i < ctx->plugged.size(); ++i)
    {
        if (now[i] == ctx->plugged[i])
            continue;
        if (WaitForSingleObject(ctx->hStop, 0) == WAIT_OBJECT_0)
            break;
        ctx->plugged[i] = now[i];
        if (IsWindow(ctx->hwnd))
            SendPlugNotifications(ctx->hwnd, static_cast<std::uint32_t>(i), now[i]);
    }
}

DWORD WINAPI WatcherMain(void *p)
{
    WatchContext *ctx = static_cast<WatchContext *>(p);
    HANDLE hs[2] = {ctx->hStop, ctx->hPlug};
    for (;;)
    {
        // The plug script's next event is due when the wait times out.
        const DWORD r = WaitForMultipleObjects(2, hs, FALSE, PlugScriptWait(ctx->config));
        if (r == WAIT_TIMEOUT)
        {
            if (RunPlugScriptEvent(ctx->config, ctx->hStop))
                Deliver(ctx);
        }
        else if (r == WAIT_OBJECT_0 + 1)
            Deliver(ctx);
        else
            break;
    }
    CloseHandle(ctx->hStop);
    CloseHandle(ctx->hPlug);
    const HMODULE hSelf = ctx->hSelf;
    delete ctx;
    // Our own reference keeps the code mapped until this very call.
    FreeLibraryAndExitThread(hSelf, 0);
}

} // namespace

void SendPlugNotifications(HWND hwnd, std::uint32_t nSection, bool bArrival)
{
    if (bArrival)
    {
        struct
        {
            DEV_BROADCAST_DEVICEINTERFACE_A hdr;
            char more[160];
        } b;
        std::memset(&b, 0, sizeof b);
        const std::string name = "\\\\?\\USB#VID_5654&PID_4410#VTLSIM" + std::to_string(nSection) +
                                 "#{A5DCBF10-6530-11D2-901F-00C04FB951ED}";
        b.hdr.dbcc_size = static_cast<DWORD>(sizeof b.hdr + name.size());
        b.hdr.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
        b.hdr.dbcc_classguid = kUsbDeviceClass;
        std::memcpy(b.hdr.dbcc_name, name.c_str(), name.size() + 1);
        Note(hwnd, "DBT_DEVICEARRIVAL", nSection);
        SendMessageA(hwnd, WM_DEVICECHANGE, DBT_DEVICEARRIVAL, reinterpret_cast<LPARAM>(&b));
        Note(hwnd, "DBT_DEVNODES_CHANGED", ~0u);
        SendMessageA(hwnd, WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0);
    }
    else
    {
        DEV_BROADCAST_HANDLE h;
        std::memset(&h, 0, sizeof h);
        h.dbch_size = sizeof h;
        h.dbch_devicetype = DBT_DEVTYP_HANDLE;
        Note(hwnd, "DBT_DEVNODES_CHANGED", ~0u);
        SendMessageA(hwnd, WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0);
        Note(hwnd, "DBT_DEVICEREMOVECOMPLETE", nSection);
        SendMessageA(hwnd, WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE, reinterpret_cast<LPARAM>(&h));
    }
}

bool StartWatcher(HWND hwnd, const DriverConfig &config, const std::vector<bool> &plugged)
{
    CWatchHold hold;
    StopLocked();
    const DWORD pid = GetCurrentProcessId();
    const std::string scope = ScopeOf(config.path);
    HMODULE hSelf = nullptr;
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                            reinterpret_cast<LPCSTR>(&WatcherMain), &hSelf))
        return false;
    WatchContext *ctx = new WatchContext{hwnd, config, plugged, nullptr, nullptr, hSelf};
    ctx->hPlug = CreateEventA(nullptr, FALSE, FALSE, PlugEventName(scope, pid).c_str());
    HANDLE hStop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!ctx->hPlug || !hStop ||
        !DuplicateHandle(GetCurrentProcess(), hStop, GetCurrentProcess(), &ctx->hStop, 0, FALSE,
                         DUPLICATE_SAME_ACCESS))
    {
        if (ctx->hPlug)
            CloseHandle(ctx->hPlug);
        if (hStop)
            CloseHandle(hStop);
        FreeLibrary(hSelf);
        delete ctx;
        return false;
    }
    StartPlugScript(config);
    HANDLE hThread = CreateThread(nullptr, 0, WatcherMain, ctx, 0, nullptr);
    if (!hThread)
    {
        CloseHandle(ctx->hPlug);
        CloseHandle(ctx->hStop);
        CloseHandle(hStop);
        FreeLibrary(hSelf);
        delete ctx;
        return false;
    }
    CloseHandle(hThread);
    g_hStop = hStop;
    g_scope = scope;
    RegisterWatcher(scope, pid);
    return true;
}

void StopWatcher()
{
    CWatchHold hold;
    StopLocked();
}

} // namespace vtlsim
