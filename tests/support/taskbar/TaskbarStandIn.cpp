// TaskbarStandIn.cpp - stands in for the shell's taskbar list: every call becomes a line of the
// file that VTL_TASKBAR_JOURNAL names. One object at a time; the methods no tool uses share one
// body, which the x64 calling convention allows.
#include <windows.h>

#include <shobjidl.h>

#include <string>

namespace
{
const char *const kStates[] = {"NOPROGRESS", "INDETERMINATE", "NORMAL", "3", "ERROR"};
DWORD g_dwThread;
LONG g_nRefs;

void Record(std::string strLine)
{
    // Registered as apartment-threaded: COM itself never calls from another thread.
    if (GetCurrentThreadId() != g_dwThread)
        strLine += " from another thread";
    strLine += "\n";
    char szPath[MAX_PATH];
    DWORD n = GetEnvironmentVariableA("VTL_TASKBAR_JOURNAL", szPath, MAX_PATH);
    HANDLE h = n > 0 && n < MAX_PATH ? CreateFileA(szPath, FILE_APPEND_DATA, FILE_SHARE_READ,
                                                   nullptr, OPEN_ALWAYS, 0, nullptr)
                                     : INVALID_HANDLE_VALUE;
    if (h == INVALID_HANDLE_VALUE)
        return;
    WriteFile(h, strLine.data(), strLine.size(), &n, nullptr);
    CloseHandle(h);
}

HRESULT STDMETHODCALLTYPE Other(void *)
{
    return S_OK;
}
ULONG STDMETHODCALLTYPE AddRef(void *)
{
    return ++g_nRefs;
}
ULONG STDMETHODCALLTYPE Release(void *)
{
    if (--g_nRefs == 0)
        Record("Released");
    return g_nRefs;
}
HRESULT STDMETHODCALLTYPE QueryInterface(void *pThis, REFIID riid, void **ppv)
{
    const bool bKnown = riid == IID_IUnknown || riid == IID_ITaskbarList ||
                        riid == IID_ITaskbarList2 || riid == IID_ITaskbarList3;
    *ppv = bKnown ? pThis : nullptr;
    return bKnown ? AddRef(pThis), S_OK : E_NOINTERFACE;
}
HRESULT STDMETHODCALLTYPE Same(void *pThis, REFIID, void **ppv)
{
    return *ppv = pThis, S_OK;
}
HRESULT STDMETHODCALLTYPE HrInit(void *)
{
    return Record("HrInit"), S_OK;
}
HRESULT STDMETHODCALLTYPE SetProgressValue(void *, HWND, ULONGLONG nDone, ULONGLONG nTotal)
{
    return Record("SetProgressValue " + std::to_string(nDone) + "/" + std::to_string(nTotal)), S_OK;
}
HRESULT STDMETHODCALLTYPE SetProgressState(void *, HWND, TBPFLAG nState)
{
    return Record(std::string("SetProgressState ") + (nState < 5 ? kStates[nState] : "PAUSED")),
           S_OK;
}
// ITaskbarList3 in order: IUnknown, ITaskbarList (HrInit .. SetActiveAlt), MarkFullscreenWindow,
// SetProgressValue, SetProgressState, then RegisterTab .. SetThumbnailClip.
void *const g_listTable[21] = {(void *)QueryInterface,
                               (void *)AddRef,
                               (void *)Release,
                               (void *)HrInit,
                               (void *)Other,
                               (void *)Other,
                               (void *)Other,
                               (void *)Other,
                               (void *)Other,
                               (void *)SetProgressValue,
                               (void *)SetProgressState,
                               (void *)Other,
                               (void *)Other,
                               (void *)Other,
                               (void *)Other,
                               (void *)Other,
                               (void *)Other,
                               (void *)Other,
                               (void *)Other,
                               (void *)Other,
                               (void *)Other};
const void *g_pList = g_listTable;

HRESULT STDMETHODCALLTYPE CreateInstance(void *, IUnknown *, REFIID, void **ppv)
{
    g_dwThread = GetCurrentThreadId();
    Record("Created");
    return QueryInterface(&g_pList, IID_IUnknown, ppv);
}
void *const g_factoryTable[5] = {(void *)Same, (void *)Other, (void *)Other, (void *)CreateInstance,
                                 (void *)Other};
const void *g_pFactory = g_factoryTable;
} // namespace

extern "C" HRESULT __stdcall DllGetClassObject(REFCLSID, REFIID, void **ppv)
{
    *ppv = &g_pFactory;
    return S_OK;
}

extern "C" HRESULT __stdcall DllCanUnloadNow()
{
    return g_nRefs == 0 ? S_OK : S_FALSE;
}
