// VtlDrvUsbLoad.h - run-time binding of "VtlDrvUsb.dll" for Ostrel and the console companions.
#pragma once

#include "VtlDrvUsb.h"
#include "VtlGuard.h"

// The loader's error record; it adds nothing, so handlers catch VTLExc by reference.
struct VtlExcept : public VTLExc
{
};

// Error code of every record the loader builds.
constexpr std::int32_t kVtlLoadErrorCode = 0x80009;

// Selects the constructor that loads without telling the user, for programs without windows.
struct VtlLoadQuietly
{
};

// Loads the driver library by name and resolves all eleven functions, or throws.
class CVtlDrvUsbLoad
{
public:
    // Loads the library; on failure tells the user and throws a plain VTLExc.
    CVtlDrvUsbLoad();
    // Loads the library without any message box: a failure throws the VtlExcept itself, with
    // the library freed again, and *pdwLoadError gets the system's code of a failed load.
    CVtlDrvUsbLoad(VtlLoadQuietly, DWORD *pdwLoadError);
    virtual ~CVtlDrvUsbLoad();

    CVtlDrvUsbLoad(const CVtlDrvUsbLoad &) = delete;
    CVtlDrvUsbLoad &operator=(const CVtlDrvUsbLoad &) = delete;

    // 0 on success (also when already loaded); every failure throws VtlExcept.
    int Load();
    // Frees the library and clears every member.
    void Unload();

    // The six calls Ostrel makes, each through the guard.
    std::uint32_t Open(std::uint32_t hWnd)
    {
        return VtlCall("VtlUsbOpen", [&] { return m_pfnOpen(hWnd); });
    }
    int Close()
    {
        return VtlCall("VtlUsbClose", [&] { return m_pfnClose(); });
    }
    UsbBoard *OpenBoard(std::uint32_t nIndex)
    {
        return VtlCall("VtlUsbOpenBoard", [&] { return m_pfnOpenBoard(nIndex); });
    }
    std::uint32_t GetBoardCount()
    {
        return VtlCall("VtlUsbGetBoardCount", [&] { return m_pfnGetBoardCount(); });
    }
    int GetBoardInfo(std::uint32_t nIndex, BoardInfo *pInfo)
    {
        return VtlCall("VtlUsbGetBoardInfo", [&] { return m_pfnGetBoardInfo(nIndex, pInfo); });
    }
    const char *GetError(std::uint32_t nCode)
    {
        return VtlCall("VtlUsbGetError", [&] { return m_pfnGetError(nCode); });
    }

    HMODULE GetModule() const { return m_hModule; }

private:
    [[noreturn]] static void Throw(int nLine, const char *pszMessage);
    // LoadLibraryA by name, the current folder left out of the search. On failure the system's
    // code, read straight after it, goes to *pdwError and, with bShowCode, into a box; then the
    // record is thrown.
    void LoadModule(bool bShowCode, DWORD *pdwError);
    // Looks up all eleven names, then throws for the first one missing.
    void ResolveEntries();
    void SetEntries(const FARPROC *procs);

    PFN_VtlUsbOpen m_pfnOpen = nullptr;
    PFN_VtlUsbClose m_pfnClose = nullptr;
    PFN_VtlUsbOpenBoard m_pfnOpenBoard = nullptr;
    FARPROC m_pfnCloseBoard = nullptr;
    FARPROC m_pfnGetBoardIndex = nullptr;
    PFN_VtlUsbGetBoardCount m_pfnGetBoardCount = nullptr;
    PFN_VtlUsbGetBoardInfo m_pfnGetBoardInfo = nullptr;
    PFN_VtlUsbGetError m_pfnGetError = nullptr;
    FARPROC m_pfnSetRefreshCallback = nullptr;
    FARPROC m_pfnSetHWStatusCallback = nullptr;
    FARPROC m_pfnGetDLLVer = nullptr;
    HMODULE m_hModule = nullptr;
};
