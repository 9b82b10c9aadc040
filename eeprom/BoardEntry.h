// BoardEntry.h - one row of Ostrel's board list.
#pragma once

#include "VtlDrvUsb.h"

struct BoardEntry
{
    std::uint32_t nIndex = 0;   // index passed to the library
    UsbBoard *pBoard = nullptr; // null when the library could not lock the board
    BoardInfo info{};           // record filled by VtlUsbGetBoardInfo
};
