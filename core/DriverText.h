// DriverText.h - bounded copies of texts that the driver library owns.
#pragma once

#include <cstddef>
#include <cstring>
#include <string>

#include "VtlDrvUsb.h"

// Longest driver text that is copied; a text without a NUL within it is cut there.
constexpr size_t kMaxDriverText = 1024;

// Copies a driver text up to its NUL but never past nMax bytes; null gives the empty text.
inline std::string CopyDriverText(const char *psz, size_t nMax = kMaxDriverText)
{
    if (psz == nullptr)
        return std::string();
    return std::string(psz, strnlen(psz, nMax));
}

// The message of a driver exception; the library may leave it without a NUL.
inline std::string DriverMessage(const VTLExc &e)
{
    return CopyDriverText(e.m_szMessage, sizeof(e.m_szMessage));
}

// The board type of a board record, bounded by its field.
inline std::string BoardTypeText(const BoardInfo &info)
{
    return CopyDriverText(info.szBoardType, sizeof(info.szBoardType));
}
