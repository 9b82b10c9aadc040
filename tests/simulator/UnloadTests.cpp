// UnloadTests.cpp - the library loaded and freed at run time, as the EEPROM tool does it.
#include "SimTestUtil.h"

#include "VtlDrvUsb.h"

#include <gtest/gtest.h>

using namespace simtest;

namespace
{

struct Library
{
    HMODULE h = LoadLibraryA("VtlDrvUsb.dll");
    template <typename T> T Get(const char *name) const
    {
        return reinterpret_cast<T>(reinterpret_cast<void *>(GetProcAddress(h, name)));
    }
};

// Waits (pumping) until the library is no longer mapped in this process.
bool WaitUnmapped(DWORD timeoutMs)
{
    const DWORD t0 = GetTickCount();
    while (GetModuleHandleA("VtlDrvUsb.dll") && GetTickCount() - t0 < timeoutMs)
    {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&m);
    }
    return GetModuleHandleA("VtlDrvUsb.dll") == nullptr;
}

} // namespace

TEST(Unload, AllElevenFunctionsAreExported)
{
    Library lib;
    ASSERT_NE(nullptr, lib.h);
    for (const char *name :
         {"VtlUsbOpen", "VtlUsbClose", "VtlUsbOpenBoard", "VtlUsbCloseBoard", "VtlUsbGetBoardCount",
          "VtlUsbGetBoardIndex", "VtlUsbGetBoardInfo", "VtlUsbGetError", "VtlUsbSetRefreshCallback",
          "VtlUsbSetHWStatusCallback", "VtlUsbGetDLLVer"})
        EXPECT_NE(nullptr, lib.Get<void *>(name)) << name;
    FreeLibrary(lib.h);
    EXPECT_TRUE(WaitUnmapped(5000));
}

// With a window the library runs a watcher thread; closing and freeing must still
// unload it without waiting on anything, and without a crash.
TEST(Unload, CloseThenFreeWithAWatcherUnloads)
{
    CSimSession sim("[driver]\n");
    HWND hwnd = CreateWindowA("STATIC", "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                              nullptr);
    ASSERT_NE(nullptr, hwnd);
    for (int round = 0; round < 3; ++round)
    {
        Library lib;
        ASSERT_NE(nullptr, lib.h);
        auto open = lib.Get<PFN_VtlUsbOpen>("VtlUsbOpen");
        auto close = lib.Get<PFN_VtlUsbClose>("VtlUsbClose");
        auto openBoard = lib.Get<PFN_VtlUsbOpenBoard>("VtlUsbOpenBoard");
        ASSERT_EQ(0u, open(static_cast<std::uint32_t>(reinterpret_cast<ULONG_PTR>(hwnd))));
        ASSERT_NE(nullptr, openBoard(0));
        close();
        FreeLibrary(lib.h);
        EXPECT_TRUE(WaitUnmapped(5000)) << "round " << round;
    }
    DestroyWindow(hwnd);
}

// Freed without VtlUsbClose: the board lock goes with the library.
TEST(Unload, FreeWithoutCloseGivesTheBoardBack)
{
    CSimSession sim("[driver]\n");
    {
        Library lib;
        ASSERT_EQ(0u, lib.Get<PFN_VtlUsbOpen>("VtlUsbOpen")(0));
        ASSERT_NE(nullptr, lib.Get<PFN_VtlUsbOpenBoard>("VtlUsbOpenBoard")(0));
        FreeLibrary(lib.h);
        ASSERT_TRUE(WaitUnmapped(5000));
    }
    Library lib;
    ASSERT_EQ(0u, lib.Get<PFN_VtlUsbOpen>("VtlUsbOpen")(0));
    EXPECT_NE(nullptr, lib.Get<PFN_VtlUsbOpenBoard>("VtlUsbOpenBoard")(0));
    lib.Get<PFN_VtlUsbClose>("VtlUsbClose")();
    FreeLibrary(lib.h);
}
