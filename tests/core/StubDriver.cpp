// StubDriver.cpp - minimal driver library for the loader tests; the .def files pick the exports
// and give the Stub* functions the library's names.
#include "VtlDrvUsb.h"

#include <cstdio>

extern "C"
{
    std::uint32_t StubOpen(std::uint32_t hWnd)
    {
        return hWnd ^ 0x5A5A0000u;
    }
    int StubClose()
    {
        return 77;
    }
    UsbBoard *StubOpenBoard(std::uint32_t nIndex)
    {
        return reinterpret_cast<UsbBoard *>(static_cast<std::uintptr_t>(0x10000u + nIndex));
    }
    int StubCloseBoard(UsbBoard *)
    {
        return 0;
    }
    std::uint32_t StubGetBoardCount()
    {
        return 0xFFFFFFFEu;
    }
    int StubGetBoardIndex(UsbBoard *)
    {
        return 0;
    }
    int StubGetBoardInfo(std::uint32_t nIndex, BoardInfo *pInfo)
    {
        pInfo->dwUsable = nIndex + 1;
        std::snprintf(pInfo->szBoardType, sizeof(pInfo->szBoardType), "stub %u", nIndex);
        pInfo->dwIoAddress = 0x300 + nIndex;
        return -3;
    }
    const char *StubGetError(std::uint32_t nCode)
    {
        static char szText[64];
        std::snprintf(szText, sizeof(szText), "stub error %u", nCode);
        return szText;
    }
    int StubSetRefreshCallback(VtlRefreshCallback, void *)
    {
        return 0;
    }
    int StubSetHWStatusCallback(VtlHWStatusCallback, void *)
    {
        return 0;
    }
    std::uint32_t StubGetDLLVer()
    {
        return 0x0102;
    }
}
