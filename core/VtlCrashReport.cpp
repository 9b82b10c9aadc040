// VtlCrashReport.cpp - the unhandled-exception filter and what it leaves behind.
//
// The filter runs in a process that is already broken, maybe on a thread that holds the heap's
// or the program's locks. So it allocates nothing, takes no lock of ours, never calls the driver
// library, and works from what the install prepared: the names, the folder, and MiniDumpWriteDump
// from the system's dbghelp.dll. Its texts live in static buffers, not on a stack that may have
// overflowed. Only one thread writes a report; any other that faults meanwhile waits for the end.
#include "VtlCrashReport.h"

#include "VtlGuard.h"

#include <dbghelp.h>

namespace
{
typedef BOOL(WINAPI *PFN_MiniDumpWriteDump)(HANDLE, DWORD, HANDLE, MINIDUMP_TYPE,
                                            PMINIDUMP_EXCEPTION_INFORMATION,
                                            PMINIDUMP_USER_STREAM_INFORMATION,
                                            PMINIDUMP_CALLBACK_INFORMATION);

const wchar_t kDriverModule[] = L"VtlDrvUsb.dll";

// Appends to a fixed buffer and cuts what does not fit; always terminated.
class CFixedText
{
public:
    CFixedText(wchar_t *pszBuffer, size_t nSize) : m_psz(pszBuffer), m_nSize(nSize), m_n(0)
    {
        m_psz[0] = L'\0';
    }
    CFixedText &operator<<(const wchar_t *psz)
    {
        while (psz && *psz)
            Put(*psz++);
        return *this;
    }
    CFixedText &Ascii(const char *psz)
    {
        while (psz && *psz)
            Put(static_cast<unsigned char>(*psz++));
        return *this;
    }
    CFixedText &Hex(ULONG_PTR n, int nDigits)
    {
        *this << L"0x";
        for (int i = nDigits - 1; i >= 0; --i)
            Put(L"0123456789ABCDEF"[(n >> (4 * i)) & 0xF]);
        return *this;
    }
    CFixedText &Dec(ULONG_PTR n, int nMinDigits = 1)
    {
        wchar_t sz[24];
        int i = 0;
        do
        {
            sz[i++] = static_cast<wchar_t>(L'0' + n % 10);
            n /= 10;
        } while (n != 0 || i < nMinDigits);
        while (i > 0)
            Put(sz[--i]);
        return *this;
    }
    size_t Length() const { return m_n; }
    bool Full() const { return m_n + 1 >= m_nSize; }

private:
    void Put(wchar_t c)
    {
        if (m_n + 1 < m_nSize)
        {
            m_psz[m_n++] = c;
            m_psz[m_n] = L'\0';
        }
    }
    wchar_t *m_psz;
    size_t m_nSize;
    size_t m_n;
};

// Everything the filter needs, prepared at install, and its work space.
struct CrashState
{
    wchar_t szProgram[64];
    wchar_t szVersion[48];
    wchar_t szFolder[MAX_PATH + 64];
    size_t nBaseLength; // of %LOCALAPPDATA%, which must exist already
    PFN_MiniDumpWriteDump pfnDump;
    VtlCrashTell pfnTell;
    UINT nExitCode;
    // Work space of the one reporting thread.
    wchar_t szModulePath[MAX_PATH];
    wchar_t szDump[MAX_PATH + 160];
    wchar_t szText[MAX_PATH + 160];
    wchar_t szBody[4096];
    wchar_t szLine[2048];
    char szBytes[3 * 4096];
};
CrashState g_state;
volatile LONG g_nReporter = 0; // id of the thread that writes the report

bool SameAsciiNoCase(const wchar_t *pszA, const wchar_t *pszB)
{
    auto lower = [](wchar_t c) { return c >= L'A' && c <= L'Z' ? c + (L'a' - L'A') : c; };
    for (; *pszA && *pszB; ++pszA, ++pszB)
        if (lower(*pszA) != lower(*pszB))
            return false;
    return *pszA == *pszB;
}

const wchar_t *FileNameOf(const wchar_t *pszPath)
{
    const wchar_t *pszName = pszPath;
    for (const wchar_t *p = pszPath; *p; ++p)
        if (*p == L'\\' || *p == L'/')
            pszName = p + 1;
    return pszName;
}

// "1.2.0.0" from the program's own version resource.
void ReadVersion(CFixedText &version)
{
    const HRSRC hInfo =
        FindResourceW(nullptr, MAKEINTRESOURCEW(VS_VERSION_INFO), MAKEINTRESOURCEW(16));
    const HGLOBAL hData = hInfo ? LoadResource(nullptr, hInfo) : nullptr;
    const BYTE *pData = hData ? static_cast<const BYTE *>(LockResource(hData)) : nullptr;
    const DWORD nSize = hInfo ? SizeofResource(nullptr, hInfo) : 0;
    for (DWORD i = 0; pData && i + sizeof(VS_FIXEDFILEINFO) <= nSize; i += 4)
    {
        const auto *pFixed = reinterpret_cast<const VS_FIXEDFILEINFO *>(pData + i);
        if (pFixed->dwSignature != VS_FFI_SIGNATURE)
            continue;
        version.Dec(HIWORD(pFixed->dwFileVersionMS)) << L".";
        version.Dec(LOWORD(pFixed->dwFileVersionMS)) << L".";
        version.Dec(HIWORD(pFixed->dwFileVersionLS)) << L".";
        version.Dec(LOWORD(pFixed->dwFileVersionLS));
        return;
    }
    version << L"(version unknown)";
}

// Creates the levels of the report folder below %LOCALAPPDATA%.
void CreateFolder()
{
    wchar_t *psz = g_state.szFolder;
    for (size_t i = g_state.nBaseLength + 1; psz[i]; ++i)
    {
        if (psz[i] != L'\\')
            continue;
        psz[i] = L'\0';
        CreateDirectoryW(psz, nullptr);
        psz[i] = L'\\';
    }
    CreateDirectoryW(psz, nullptr);
}

// A file that did not exist before; never one a user made.
HANDLE CreateNew(const wchar_t *pszPath)
{
    return CreateFileW(pszPath, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
}

bool WriteDump(EXCEPTION_POINTERS *pPointers)
{
    if (!g_state.pfnDump)
        return false;
    const HANDLE hFile = CreateNew(g_state.szDump);
    if (hFile == INVALID_HANDLE_VALUE)
        return false;
    MINIDUMP_EXCEPTION_INFORMATION info{GetCurrentThreadId(), pPointers, FALSE};
    const BOOL bDone = g_state.pfnDump(GetCurrentProcess(), GetCurrentProcessId(), hFile,
                                       MiniDumpNormal, &info, nullptr, nullptr);
    CloseHandle(hFile);
    if (!bDone)
        DeleteFileW(g_state.szDump); // half a dump is no dump
    return bDone != FALSE;
}

bool WriteText(const wchar_t *pszText)
{
    const int nBytes = WideCharToMultiByte(CP_UTF8, 0, pszText, -1, g_state.szBytes,
                                           sizeof g_state.szBytes, nullptr, nullptr);
    const HANDLE hFile = nBytes > 0 ? CreateNew(g_state.szText) : INVALID_HANDLE_VALUE;
    if (hFile == INVALID_HANDLE_VALUE)
        return false;
    DWORD dwWritten = 0;
    const BOOL bDone = WriteFile(hFile, g_state.szBytes, nBytes - 1, &dwWritten, nullptr);
    CloseHandle(hFile);
    return bDone && dwWritten == static_cast<DWORD>(nBytes - 1);
}

// On a console as it is; into a pipe or a file in the ANSI code page, like the companions' text.
void WriteStderr(const wchar_t *pszLine)
{
    const HANDLE hErr = GetStdHandle(STD_ERROR_HANDLE);
    if (hErr == nullptr || hErr == INVALID_HANDLE_VALUE)
        return;
    DWORD dwMode = 0, dwWritten = 0;
    if (GetConsoleMode(hErr, &dwMode))
    {
        // A progress line may be open in place: the message starts a line of its own.
        WriteConsoleW(hErr, L"\r\n", 2, &dwWritten, nullptr);
        WriteConsoleW(hErr, pszLine, lstrlenW(pszLine), &dwWritten, nullptr);
        WriteConsoleW(hErr, L"\r\n", 2, &dwWritten, nullptr);
        return;
    }
    const int nBytes = WideCharToMultiByte(CP_ACP, 0, pszLine, -1, g_state.szBytes,
                                           sizeof g_state.szBytes - 2, nullptr, nullptr);
    if (nBytes <= 0)
        return;
    g_state.szBytes[nBytes - 1] = '\r';
    g_state.szBytes[nBytes] = '\n';
    WriteFile(hErr, g_state.szBytes, nBytes + 1, &dwWritten, nullptr);
}

LONG WINAPI CrashFilter(EXCEPTION_POINTERS *pPointers)
{
    const EXCEPTION_RECORD &rec = *pPointers->ExceptionRecord;
    const DWORD dwThread = GetCurrentThreadId();
    const LONG nReporter = InterlockedCompareExchange(&g_nReporter, static_cast<LONG>(dwThread), 0);
    if (nReporter == static_cast<LONG>(dwThread)) // the report itself faulted
        TerminateProcess(GetCurrentProcess(),
                         g_state.nExitCode ? g_state.nExitCode : rec.ExceptionCode);
    if (nReporter != 0)
    {
        Sleep(INFINITE); // another thread reports and ends the process
        return EXCEPTION_CONTINUE_SEARCH;
    }
    const UINT nExit = g_state.nExitCode ? g_state.nExitCode : rec.ExceptionCode;

    // Where the fault lies, and the driver call this thread was in.
    const auto address = reinterpret_cast<ULONG_PTR>(rec.ExceptionAddress);
    MEMORY_BASIC_INFORMATION mbi{};
    const wchar_t *pszModule = nullptr;
    ULONG_PTR base = 0;
    if (VirtualQuery(rec.ExceptionAddress, &mbi, sizeof mbi) && mbi.Type == MEM_IMAGE &&
        GetModuleFileNameW(static_cast<HMODULE>(mbi.AllocationBase), g_state.szModulePath,
                           MAX_PATH) != 0)
    {
        base = reinterpret_cast<ULONG_PTR>(mbi.AllocationBase);
        pszModule = FileNameOf(g_state.szModulePath);
    }
    const bool bInDriver = pszModule && SameAsciiNoCase(pszModule, kDriverModule);
    const char *pszCall = VtlGuardCurrentCall();

    // <folder>\<program>-<UTC time>-<pid>.dmp and .txt
    SYSTEMTIME st;
    GetSystemTime(&st);
    CFixedText stem(g_state.szDump, sizeof g_state.szDump / sizeof(wchar_t));
    stem << g_state.szFolder << L"\\" << g_state.szProgram << L"-";
    stem.Dec(st.wYear, 4).Dec(st.wMonth, 2).Dec(st.wDay, 2) << L"T";
    stem.Dec(st.wHour, 2).Dec(st.wMinute, 2).Dec(st.wSecond, 2) << L"Z-";
    stem.Dec(GetCurrentProcessId());
    CFixedText(g_state.szText, sizeof g_state.szText / sizeof(wchar_t))
        << g_state.szDump << L".txt";
    stem << L".dmp";
    const bool bNamed = g_state.szFolder[0] != L'\0' && !stem.Full();

    CFixedText body(g_state.szBody, sizeof g_state.szBody / sizeof(wchar_t));
    body << L"Program: " << g_state.szProgram << L" " << g_state.szVersion << L"\r\n";
    body << L"Exception: ";
    body.Hex(rec.ExceptionCode, 8) << L" at ";
    body.Hex(address, 16) << L"\r\n";
    if (rec.ExceptionCode == EXCEPTION_ACCESS_VIOLATION && rec.NumberParameters >= 2)
    {
        const ULONG_PTR kind = rec.ExceptionInformation[0];
        body << L"Access: " << (kind == 1 ? L"write" : kind == 8 ? L"execute" : L"read") << L" at ";
        body.Hex(rec.ExceptionInformation[1], 16) << L"\r\n";
    }
    body << L"Module: ";
    if (pszModule)
        body << pszModule << L" + ";
    if (pszModule)
        body.Hex(address - base, 8) << L" (" << g_state.szModulePath << L")\r\n";
    else
        body << L"none (the address lies in no loaded module)\r\n";
    body << L"Driver call: ";
    if (!pszCall)
        body << L"none\r\n";
    else
        body.Ascii(pszCall) << (bInDriver ? L"\r\n" : L" (the fault lies outside the library)\r\n");
    body << L"Thread: ";
    body.Dec(dwThread) << L"\r\n";

    bool bSaved = false;
    const wchar_t *pszSaved = g_state.szDump;
    if (bNamed)
    {
        CreateFolder();
        const bool bDump = WriteDump(pPointers);
        body << L"Dump: " << (bDump ? FileNameOf(g_state.szDump) : L"could not be written")
             << L"\r\n";
        bSaved = WriteText(g_state.szBody) || bDump;
        pszSaved = bDump ? g_state.szDump : g_state.szText;
    }

    CFixedText line(g_state.szLine, sizeof g_state.szLine / sizeof(wchar_t));
    line << g_state.szProgram << L" stopped because of a fault";
    if (pszModule)
        line << L" in " << pszModule;
    if (pszCall)
        line.Ascii(" during ").Ascii(pszCall);
    if (bSaved)
        line << L". A report was saved to " << pszSaved
             << L". Please send it to the board's maker.";
    else
        line << L". No report could be saved in "
             << (g_state.szFolder[0] ? g_state.szFolder : L"%LOCALAPPDATA%") << L".";
    if (g_state.pfnTell)
        g_state.pfnTell(g_state.szProgram, g_state.szLine);
    else
        WriteStderr(g_state.szLine);
    // No DLL detach code: the driver library must not run again.
    TerminateProcess(GetCurrentProcess(), nExit);
    return EXCEPTION_EXECUTE_HANDLER;
}
} // namespace

void VtlCrashReportInstall(const char *pszProgram, VtlCrashTell pfnTell, UINT nExitCode)
{
    CFixedText(g_state.szProgram, sizeof g_state.szProgram / sizeof(wchar_t)).Ascii(pszProgram);
    CFixedText version(g_state.szVersion, sizeof g_state.szVersion / sizeof(wchar_t));
    ReadVersion(version);
    const std::wstring folder = VtlCrashReportFolder();
    const bool bFits = folder.size() < MAX_PATH;
    CFixedText(g_state.szFolder, sizeof g_state.szFolder / sizeof(wchar_t))
        << (bFits ? folder.c_str() : L"");
    g_state.nBaseLength = bFits ? folder.rfind(L"\\Veltrane\\") : 0;
    g_state.pfnTell = pfnTell;
    g_state.nExitCode = nExitCode;
    // Only the system's copy, never one planted beside the program or in the current folder.
    // It stays loaded: the filter must not load anything.
    const HMODULE hDbgHelp = LoadLibraryExW(L"dbghelp.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    g_state.pfnDump = hDbgHelp ? reinterpret_cast<PFN_MiniDumpWriteDump>(reinterpret_cast<void *>(
                                     GetProcAddress(hDbgHelp, "MiniDumpWriteDump")))
                               : nullptr;
    SetUnhandledExceptionFilter(CrashFilter);
    VtlCrashPruneFolder(bFits ? folder : std::wstring(), g_state.szProgram);
}
