// TaskbarStandIn.cpp - stands in for the shell's taskbar list: each call becomes a line
// "Taskbar.<call>" of the simulator's journal. One object at a time; the methods no tool uses
// share one body, which the x64 calling convention allows.
#include <windows.h>

#include <shobjidl.h>

#include <string>

namespace
{
DWORD g_dwThread;
LONG g_nRefs;

void Record(std::string strCall)
{
    // Registered as apartment-threaded: COM itself never calls from another thread.
    if (GetCurrentThreadId() != g_dwThread)
        strCall += " from another thread";
    const std::string strLine =
        std::to_string(GetCurrentProcessId()) + " Taskbar." + strCall + "\n";
    char szPath[MAX_PATH];
    DWORD n = GetEnvironmentVariableA("VTLSIM_JOURNAL", szPath, MAX_PATH);
    HANDLE h = n > 0 && n < MAX_PATH ? CreateFileA(szPath, FILE_APPEND_DATA, FILE_SHARE_READ,
                                                   nullptr, OPEN_ALWAYS, 0, nullptr)
                                     : INVALID_HANDLE_VALUE;
    if (h == INVALID_HANDLE_VALUE)
        return;
    WriteFile(h, strLine.data(), strLine.size(), &n, nullptr);
    CloseHandle(h);
}

struct CStandIn
{
    static HRESULT STDMETHODCALLTYPE Other(void *) { return S_OK; }
    static ULONG STDMETHODCALLTYPE AddRef(void *) { return ++g_nRefs; }
    static ULONG STDMETHODCALLTYPE Release(void *) { return --g_nRefs ?: (Record("Released"), 0); }
    static HRESULT STDMETHODCALLTYPE Query(void *p, REFIID riid, void **ppv)
    {
        *ppv = riid == IID_IUnknown || riid == IID_ITaskbarList || riid == IID_ITaskbarList2 ||
                       riid == IID_ITaskbarList3
                   ? p
                   : nullptr;
        return *ppv ? AddRef(p), S_OK : E_NOINTERFACE;
    }
    static HRESULT STDMETHODCALLTYPE HrInit(void *) { return Record("HrInit"), S_OK; }
    static HRESULT STDMETHODCALLTYPE SetValue(void *, HWND, ULONGLONG n, ULONGLONG nTotal)
    {
        return Record("SetProgressValue " + std::to_string(n) + "/" + std::to_string(nTotal)), S_OK;
    }
    static HRESULT STDMETHODCALLTYPE SetState(void *, HWND, TBPFLAG n)
    {
        const char *const kNames[] = {"NOPROGRESS", "INDETERMINATE", "NORMAL", "", "ERROR"};
        return Record(std::string("SetProgressState ") + (n <= 4 ? kNames[n] : "PAUSED")), S_OK;
    }
    static HRESULT STDMETHODCALLTYPE Factory(void *p, REFIID, void **ppv) { return *ppv = p, S_OK; }
    static HRESULT STDMETHODCALLTYPE Create(void *, IUnknown *, REFIID riid, void **ppv);
};

// ITaskbarList3 in order: IUnknown, HrInit, four tab methods, MarkFullscreenWindow, the two
// progress methods, then ten for tabs and thumbnails.
void *const g_listTable[21] = {
    (void *)CStandIn::Query,    (void *)CStandIn::AddRef,   (void *)CStandIn::Release,
    (void *)CStandIn::HrInit,   (void *)CStandIn::Other,    (void *)CStandIn::Other,
    (void *)CStandIn::Other,    (void *)CStandIn::Other,    (void *)CStandIn::Other,
    (void *)CStandIn::SetValue, (void *)CStandIn::SetState, (void *)CStandIn::Other,
    (void *)CStandIn::Other,    (void *)CStandIn::Other,    (void *)CStandIn::Other,
    (void *)CStandIn::Other,    (void *)CStandIn::Other,    (void *)CStandIn::Other,
    (void *)CStandIn::Other,    (void *)CStandIn::Other,    (void *)CStandIn::Other};
const void *g_pList = g_listTable;
void *const g_factoryTable[5] = {(void *)CStandIn::Factory, (void *)CStandIn::Other,
                                 (void *)CStandIn::Other, (void *)CStandIn::Create,
                                 (void *)CStandIn::Other};
const void *g_pFactory = g_factoryTable;

HRESULT STDMETHODCALLTYPE CStandIn::Create(void *, IUnknown *, REFIID riid, void **ppv)
{
    g_dwThread = GetCurrentThreadId();
    Record("Created");
    return Query(&g_pList, riid, ppv);
}
} // namespace

extern "C" HRESULT __stdcall DllGetClassObject(REFCLSID, REFIID, void **ppv)
{
    return *ppv = &g_pFactory, S_OK;
}

extern "C" HRESULT __stdcall DllCanUnloadNow()
{
    return g_nRefs == 0 ? S_OK : S_FALSE;
}
