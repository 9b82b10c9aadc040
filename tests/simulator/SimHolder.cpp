// SimHolder.cpp - second process for the locking tests: takes a board and holds it.
// simholder <board> <event prefix> release|exit|hang
//   signals <prefix>-ready once it holds the board, then waits for <prefix>-go;
//   release: ReleaseBoard, signals <prefix>-ready again, waits for <prefix>-go, exits;
//   exit: exits without releasing; hang: waits until it is killed.
#include "VtlDrvUsb.h"

#include <cstdlib>
#include <cstring>
#include <string>

static HANDLE Event(const std::string &name)
{
    return CreateEventA(nullptr, FALSE, FALSE, name.c_str());
}

int main(int argc, char **argv)
{
    if (argc != 4)
        return 2;
    const std::string prefix = argv[2], mode = argv[3];
    HANDLE hReady = Event(prefix + "-ready"), hGo = Event(prefix + "-go");
    if (VtlUsbOpen(0) != 0)
        return 3;
    UsbBoard *b = VtlUsbOpenBoard(static_cast<std::uint32_t>(std::atoi(argv[1])));
    if (!b)
        return 4;
    SetEvent(hReady);
    if (mode == "hang")
        WaitForSingleObject(hGo, 60000);
    if (WaitForSingleObject(hGo, 30000) != WAIT_OBJECT_0)
        return 5;
    if (mode == "release")
    {
        b->ReleaseBoard();
        SetEvent(hReady);
        WaitForSingleObject(hGo, 30000);
        VtlUsbClose();
    }
    return 0; // "exit" leaves without releasing: process end must free the board
}
