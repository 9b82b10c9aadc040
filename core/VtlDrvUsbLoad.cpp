// VtlDrvUsbLoad.cpp - run-time binding of the driver library.
#include "VtlDrvUsbLoad.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>

namespace
{
const char kLibraryName[] = "VtlDrvUsb.dll";
const char kNotFound[] = "Could not find VtlDrvUsb.dll";
const char kNotLoadable[] = "VtlDrvUsb.dll was found but could not be loaded.";

// Source lines that the records carry; fixed, so they survive reformatting.
constexpr int kLineNotFound = 42;

// One row per function, in lookup and check order (the count comes before the index,
// the reverse of the members' order).
struct EntryCheck
{
    const char *pszName;
    int nLine;
    const char *pszMessage;
};

const EntryCheck kChecks[] = {
    {"VtlUsbOpen", 56, "Could not locate VtlUsbOpen() function."},
    {"VtlUsbClose", 57, "Could not locate VtlUsbClose() function."},
    {"VtlUsbOpenBoard", 58, "Could not locate VtlUsbOpenBoard() function."},
    {"VtlUsbCloseBoard", 59, "Could not locate VtlUsbCloseBoard() function."},
    {"VtlUsbGetBoardCount", 60, "Could not locate VtlUsbGetBoardCount() function."},
    {"VtlUsbGetBoardIndex", 61, "Could not locate VtlUsbGetBoardIndex() function."},
    {"VtlUsbGetBoardInfo", 62, "Could not locate VtlUsbGetBoardInfo() function."},
    {"VtlUsbGetError", 63, "Could not locate VtlUsbGetError() function."},
    {"VtlUsbSetRefreshCallback", 64, "Could not locate VtlUsbSetRefreshCallback() function."},
    {"VtlUsbSetHWStatusCallback", 65, "Could not locate VtlUsbSetHWStatusCallback() function."},
    {"VtlUsbGetDLLVer", 66, "Could not locate VtlUsbGetDLLVer() function."},
};

void FormatBounded(char *pszBuffer, size_t nSize, const char *pszFormat, ...)
{
    va_list args;
    va_start(args, pszFormat);
    vsprintf_s(pszBuffer, nSize, pszFormat, args);
    va_end(args);
}

// The program's folder, empty when its path does not fit.
std::wstring ProgramFolder()
{
    wchar_t szPath[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, szPath, MAX_PATH);
    const wchar_t *pSlash = n > 0 && n < MAX_PATH ? wcsrchr(szPath, L'\\') : nullptr;
    return pSlash ? std::wstring(szPath, static_cast<size_t>(pSlash - szPath)) : std::wstring();
}

// Leaves the current folder out of the library search, so a library in the folder a script runs
// from cannot win over the maker's on PATH. An empty DLL directory does that on Windows but not
// under Wine; the program's own folder, searched first anyway, does it on both.
void LeaveCurrentFolderOut()
{
    SetDllDirectoryW(ProgramFolder().c_str());
}

// Why the load failed: the file may be there and still not load (an import missing, the wrong
// bitness). Looked for in the folders the load searched, in its order: the program's, the
// system's, then PATH.
const char *LoadFailureText()
{
    wchar_t szSystem[MAX_PATH] = L"", szWindows[MAX_PATH] = L"";
    GetSystemDirectoryW(szSystem, MAX_PATH);
    GetWindowsDirectoryW(szWindows, MAX_PATH);
    std::wstring folders =
        ProgramFolder() + L";" + szSystem + L";" + szWindows + L"\\system;" + szWindows + L";";
    const DWORD nPath = GetEnvironmentVariableW(L"PATH", nullptr, 0);
    std::wstring path(nPath, L'\0');
    if (nPath > 0 && GetEnvironmentVariableW(L"PATH", &path[0], nPath) < nPath)
        folders += path.c_str();
    wchar_t szFound[MAX_PATH];
    return SearchPathW(folders.c_str(), L"VtlDrvUsb.dll", nullptr, MAX_PATH, szFound, nullptr)
               ? kNotLoadable
               : kNotFound;
}

template <typename T> T As(FARPROC pfn)
{
    return reinterpret_cast<T>(reinterpret_cast<void *>(pfn));
}
} // namespace

CVtlDrvUsbLoad::CVtlDrvUsbLoad()
{
    try
    {
        Load();
    }
    catch (VTLExc &e)
    {
        MessageBoxA(nullptr, e.m_szMessage, nullptr, MB_OK);
        // Rethrown as the plain record: callers only ever catch VTLExc.
        throw VTLExc(e);
    }
}

CVtlDrvUsbLoad::CVtlDrvUsbLoad(VtlLoadQuietly, DWORD *pdwLoadError)
{
    LoadModule(false, pdwLoadError);
    try
    {
        ResolveEntries();
    }
    catch (VTLExc &)
    {
        // No destructor runs for an unfinished object: give the library back here.
        Unload();
        throw;
    }
}

CVtlDrvUsbLoad::~CVtlDrvUsbLoad()
{
    Unload();
}

void CVtlDrvUsbLoad::Throw(int nLine, const char *pszMessage)
{
    VtlExcept e;
    e.m_nCode = kVtlLoadErrorCode;
    e.m_nLine = nLine;
    strncpy_s(e.m_szFile, sizeof(e.m_szFile), __FILE__, sizeof(e.m_szFile) - 1);
    strcpy_s(e.m_szMessage, sizeof(e.m_szMessage), pszMessage);
    throw e;
}

int CVtlDrvUsbLoad::Load()
{
    if (m_hModule)
        return 0;

    LoadModule(true, nullptr);
    ResolveEntries();
    return 0;
}

void CVtlDrvUsbLoad::LoadModule(bool bShowCode, DWORD *pdwError)
{
    LeaveCurrentFolderOut();
    m_hModule = LoadLibraryA(kLibraryName);
    const DWORD dwError = GetLastError();
    if (m_hModule)
        return;
    if (pdwError)
        *pdwError = dwError;
    if (bShowCode)
    {
        char szCode[256];
        FormatBounded(szCode, sizeof(szCode), "%x", static_cast<unsigned>(dwError));
        MessageBoxA(nullptr, szCode, nullptr, MB_OK);
    }
    Throw(kLineNotFound, LoadFailureText());
}

void CVtlDrvUsbLoad::ResolveEntries()
{
    // Every name is looked up, in table order, before the first one is checked.
    constexpr size_t nEntries = sizeof(kChecks) / sizeof(kChecks[0]);
    FARPROC procs[nEntries];
    for (size_t i = 0; i < nEntries; ++i)
        procs[i] = GetProcAddress(m_hModule, kChecks[i].pszName);
    SetEntries(procs);
    for (size_t i = 0; i < nEntries; ++i)
    {
        if (!procs[i])
            Throw(kChecks[i].nLine, kChecks[i].pszMessage);
    }
}

// The eleven entries in table order; nullptr throughout forgets them.
void CVtlDrvUsbLoad::SetEntries(const FARPROC *procs)
{
    m_pfnOpen = As<PFN_VtlUsbOpen>(procs[0]);
    m_pfnClose = As<PFN_VtlUsbClose>(procs[1]);
    m_pfnOpenBoard = As<PFN_VtlUsbOpenBoard>(procs[2]);
    m_pfnCloseBoard = procs[3];
    m_pfnGetBoardCount = As<PFN_VtlUsbGetBoardCount>(procs[4]);
    m_pfnGetBoardIndex = procs[5];
    m_pfnGetBoardInfo = As<PFN_VtlUsbGetBoardInfo>(procs[6]);
    m_pfnGetError = As<PFN_VtlUsbGetError>(procs[7]);
    m_pfnSetRefreshCallback = procs[8];
    m_pfnSetHWStatusCallback = procs[9];
    m_pfnGetDLLVer = procs[10];
}

void CVtlDrvUsbLoad::Unload()
{
    if (m_hModule)
        FreeLibrary(m_hModule);
    m_hModule = nullptr;
    const FARPROC none[sizeof(kChecks) / sizeof(kChecks[0])] = {};
    SetEntries(none);
}
