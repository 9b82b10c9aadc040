// CliBreak.cpp - the console control handler and the flag it raises.
#include "CliBreak.h"

#include "CliOutput.h"
#include "CliText.h"
#include "ExitCodes.h"

#include <windows.h>

#include <atomic>
#include <string>

namespace
{
std::atomic<bool> g_bRequested{false};
std::atomic<int> g_nFinalCode{kExitInterrupted};
HANDLE g_hFinished = nullptr;  // manual-reset, set by Finish
HANDLE g_hRequested = nullptr; // manual-reset, set with the flag

const char kFinishing[] = "Interrupted: finishing the current board operation, then releasing "
                          "the board and closing the library.";
const char kStillFinishing[] = "Still finishing the current board operation.";

BOOL WINAPI OnConsoleEvent(DWORD dwEvent)
{
    const bool bFirst = !g_bRequested.exchange(true);
    if (g_hRequested)
        SetEvent(g_hRequested);
    CliOutput().Err(bFirst ? kFinishing : kStillFinishing);
    if (dwEvent == CTRL_C_EVENT || dwEvent == CTRL_BREAK_EVENT)
        return TRUE;
    // Close, logoff and shutdown: returning lets the system end the process at once, so this
    // thread waits until the main thread has given everything back, then ends the process.
    if (g_hFinished)
        WaitForSingleObject(g_hFinished, INFINITE);
    ExitProcess(static_cast<UINT>(g_nFinalCode.load()));
}
} // namespace

namespace CliBreak
{
void Install()
{
    g_hFinished = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    g_hRequested = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    CliOutput(); // built now, not first on the handler's thread
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

bool Requested()
{
    return g_bRequested.load();
}

HANDLE Event()
{
    return g_hRequested;
}

int Finish(int nCode)
{
    if (g_bRequested.load())
    {
        // A failure that ran before the event is what a script must see, not the event.
        if (nCode == kExitDone)
            nCode = kExitInterrupted;
        CliOutput().Err(CliFormat(CliText::kInterrupted, nCode, CliExitMeaning(nCode)));
    }
    g_nFinalCode = nCode;
    if (g_hFinished)
        SetEvent(g_hFinished);
    return nCode;
}
} // namespace CliBreak
