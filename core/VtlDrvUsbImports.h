// VtlDrvUsbImports.h - the library's functions that Torvane binds at load time, through the guard.
#pragma once

#include "VtlGuard.h"

namespace VtlLibrary
{
inline std::uint32_t Open(std::uint32_t hWnd)
{
    return VtlCall("VtlUsbOpen", [&] { return VtlUnguarded::VtlUsbOpen(hWnd); });
}
inline int Close()
{
    return VtlCall("VtlUsbClose", [&] { return VtlUnguarded::VtlUsbClose(); });
}
inline std::uint32_t GetBoardCount()
{
    return VtlCall("VtlUsbGetBoardCount", [&] { return VtlUnguarded::VtlUsbGetBoardCount(); });
}
inline UsbBoard *OpenBoard(std::uint32_t nIndex)
{
    return VtlCall("VtlUsbOpenBoard", [&] { return VtlUnguarded::VtlUsbOpenBoard(nIndex); });
}
inline const char *GetError(std::uint32_t nCode)
{
    return VtlCall("VtlUsbGetError", [&] { return VtlUnguarded::VtlUsbGetError(nCode); });
}
} // namespace VtlLibrary
