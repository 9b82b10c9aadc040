// SimDriver.cpp - the eleven exported functions: sessions, board table and error texts.
#include "SimBoard.h"
#include "SimConfig.h"
#include "SimEdgeText.h"
#include "SimJournal.h"
#include "SimCrossProcess.h"
#include "SimStrings.h"
#include "SimThrow.h"
#include "SimWatcher.h"

#include "VtlDrvUsb.h"

#include <cstring>
#include <map>

using namespace vtlsim;

namespace
{

// Guards the tables below; never held while a board operation or a callback runs.
struct CDriverLock
{
    CDriverLock() { InitializeCriticalSection(&cs); }
    CRITICAL_SECTION cs;
} g_lock;

struct CHold
{
    CHold() { EnterCriticalSection(&g_lock.cs); }
    ~CHold() { LeaveCriticalSection(&g_lock.cs); }
};

CSimBoard *g_boards[kMaxBoards];      // by board section; created once, never freed
std::vector<std::uint32_t> g_present; // presented index -> board section
bool g_bReportCount = false;          // board_count of the session's configuration
std::uint32_t g_nReportedCount = 0;
std::map<std::uint32_t, std::string> g_errorTexts;
// Returned texts rotate through these, so each stays valid well past the next call
// (no thread-local storage: its destructors would outlive a freed library).
char g_returned[8][1024];
unsigned g_nReturned = 0;
// Texts shaped by error_length / error_unterminated rotate through these instead.
TextShape g_errorShape;
CEdgeText g_shaped[8];
Fault g_closeFault; // of the last good configuration

// Ends the current session: every board is released and the watcher told to stop.
void EndSession()
{
    std::vector<CSimBoard *> held;
    {
        CHold hold;
        for (std::uint32_t s : g_present)
            held.push_back(g_boards[s]);
        g_present.clear();
        g_bReportCount = false;
    }
    for (CSimBoard *b : held)
        b->Release();
    StopWatcher();
}

CSimBoard *BoardAt(std::uint32_t nIndex)
{
    CHold hold;
    return nIndex < g_present.size() ? g_boards[g_present[nIndex]] : nullptr;
}

bool IsOurBoard(UsbBoard *pBoard)
{
    CHold hold;
    for (CSimBoard *b : g_boards)
        if (b && static_cast<UsbBoard *>(b) == pBoard)
            return true;
    return false;
}

std::string BoardName(UsbBoard *pBoard)
{
    if (!pBoard)
        return "null";
    if (!IsOurBoard(pBoard))
        return Hex(reinterpret_cast<std::uintptr_t>(pBoard));
    return "board" + std::to_string(static_cast<CSimBoard *>(pBoard)->Index());
}

} // namespace

VTLDRVUSB_API std::uint32_t VtlUsbOpen(std::uint32_t hWnd)
{
    const std::string call = "VtlUsbOpen(" + Hex(hWnd) + ")";
    DriverConfig config;
    std::string error;
    bool bParsed = LoadCurrentConfig(config, error);
    EndSession();
    SetJournalTimes(bParsed && config.bJournalTimes);
    // A Microsoft style whose runtime cannot throw would test nothing: refused like a bad file.
    const ThrowStyle style = bParsed ? config.throwStyle : ThrowStyle::Gcc;
    bParsed = SetThrowStyle(style, config.throwRuntime, error) && bParsed;
    if (!bParsed)
    {
        const std::string text = "Simulator configuration error: " + error;
        {
            CHold hold;
            g_errorTexts[kConfigError] = text;
            g_errorShape = TextShape(); // the problem is told in full
            g_closeFault = Fault();
        }
        Journal(call + " = " + std::to_string(kConfigError) + " " + Quote(text));
        return kConfigError;
    }
    {
        CHold hold;
        g_errorTexts.clear();
        g_errorShape = config.errorShape;
        g_closeFault = config.close;
    }
    const Fault &f = config.open;
    if (ApplyFault(f, call, __LINE__, __FILE__))
    {
        const auto nCode = static_cast<std::uint32_t>(f.nFailStatus);
        {
            CHold hold;
            g_errorTexts[nCode] = f.failText;
        }
        Journal(call + " = " + std::to_string(nCode) + " " + Quote(f.failText));
        return nCode;
    }
    const std::string scope = ScopeOf(config.path);
    const std::vector<bool> plugged = ReadPlugged(config);
    std::vector<std::uint32_t> present;
    for (std::uint32_t s = 0; s < config.boards.size(); ++s)
        if (plugged[s])
            present.push_back(s);
    {
        CHold hold;
        for (std::uint32_t i = 0; i < present.size(); ++i)
        {
            const std::uint32_t s = present[i];
            if (!g_boards[s])
                g_boards[s] = new CSimBoard(s);
        }
    }
    for (std::uint32_t i = 0; i < present.size(); ++i)
        g_boards[present[i]]->Configure(config, config.boards[present[i]], scope, i);
    {
        CHold hold;
        g_present = present;
        g_bReportCount = config.bReportCount;
        g_nReportedCount = config.nReportedCount;
    }
    if (hWnd != 0)
        StartWatcher(reinterpret_cast<HWND>(static_cast<ULONG_PTR>(hWnd)), config, plugged);
    Journal(call + " = 0");
    return 0;
}

// A configured failure or throw comes after the session has ended: the boards are free either way.
VTLDRVUSB_API int VtlUsbClose()
{
    Fault f;
    {
        CHold hold;
        f = g_closeFault;
    }
    EndSession();
    const int r = ApplyFault(f, "VtlUsbClose()", __LINE__, __FILE__) ? f.nFailStatus : 0;
    Journal("VtlUsbClose() = " + std::to_string(r));
    return r;
}

VTLDRVUSB_API UsbBoard *VtlUsbOpenBoard(std::uint32_t nIndex)
{
    const std::string call = "VtlUsbOpenBoard(" + std::to_string(nIndex) + ")";
    CSimBoard *b = BoardAt(nIndex);
    UsbBoard *p = b && b->Acquire() ? b : nullptr;
    Journal(call + " = " + (p ? "board" + std::to_string(nIndex) : std::string("null")));
    return p;
}

VTLDRVUSB_API int VtlUsbCloseBoard(UsbBoard *pBoard)
{
    const std::string name = BoardName(pBoard);
    int r = 1;
    if (pBoard && IsOurBoard(pBoard))
    {
        static_cast<CSimBoard *>(pBoard)->Release();
        r = 0;
    }
    Journal("VtlUsbCloseBoard(" + name + ") = " + std::to_string(r));
    return r;
}

VTLDRVUSB_API std::uint32_t VtlUsbGetBoardCount()
{
    std::uint32_t n;
    {
        CHold hold;
        n = g_bReportCount ? g_nReportedCount : static_cast<std::uint32_t>(g_present.size());
    }
    Journal("VtlUsbGetBoardCount() = " + std::to_string(n));
    return n;
}

VTLDRVUSB_API int VtlUsbGetBoardIndex(UsbBoard *pBoard)
{
    int r = -1;
    if (pBoard && IsOurBoard(pBoard))
    {
        CHold hold;
        CSimBoard *b = static_cast<CSimBoard *>(pBoard);
        const std::uint32_t i = b->Index();
        if (i < g_present.size() && g_present[i] == b->Section())
            r = static_cast<int>(i);
    }
    Journal("VtlUsbGetBoardIndex(" + BoardName(pBoard) + ") = " + std::to_string(r));
    return r;
}

VTLDRVUSB_API int VtlUsbGetBoardInfo(std::uint32_t nIndex, BoardInfo *pInfo)
{
    const std::string call = "VtlUsbGetBoardInfo(" + std::to_string(nIndex) + ")";
    if (!pInfo)
    {
        Journal(call + " = 1");
        return 1;
    }
    std::memset(pInfo, 0, sizeof *pInfo);
    CSimBoard *b = BoardAt(nIndex);
    if (!b)
    {
        Journal(call + " = 1");
        return 1;
    }
    const std::string detail = b->FillInfo(*pInfo);
    Journal(call + " = 0 " + detail);
    return 0;
}

VTLDRVUSB_API const char *VtlUsbGetError(std::uint32_t nCode)
{
    std::string text;
    const char *psz;
    {
        CHold hold;
        const auto it = g_errorTexts.find(nCode);
        if (it != g_errorTexts.end())
            text = it->second;
        else if (nCode == 0)
            text = "No error";
        else
            text = "Unknown error";
        const unsigned nSlot = g_nReturned++ % 8;
        if (g_errorShape.nLength != 0 || g_errorShape.bUnterminated)
        {
            text = StretchText(text, g_errorShape.nLength);
            psz = g_shaped[nSlot].Set(text, !g_errorShape.bUnterminated);
        }
        else
        {
            CopyText(g_returned[nSlot], sizeof g_returned[0], text);
            psz = g_returned[nSlot];
        }
    }
    Journal("VtlUsbGetError(" + std::to_string(nCode) + ") = " + Quote(text));
    return psz;
}

VTLDRVUSB_API int VtlUsbSetRefreshCallback(VtlRefreshCallback pfn, void *pContext)
{
    Journal("VtlUsbSetRefreshCallback(" + Hex(reinterpret_cast<std::uintptr_t>(pfn)) + ", " +
            Hex(reinterpret_cast<std::uintptr_t>(pContext)) + ") = 0");
    return 0;
}

VTLDRVUSB_API int VtlUsbSetHWStatusCallback(VtlHWStatusCallback pfn, void *pContext)
{
    Journal("VtlUsbSetHWStatusCallback(" + Hex(reinterpret_cast<std::uintptr_t>(pfn)) + ", " +
            Hex(reinterpret_cast<std::uintptr_t>(pContext)) + ") = 0");
    return 0;
}

VTLDRVUSB_API std::uint32_t VtlUsbGetDLLVer()
{
    const std::uint32_t v = 0x00010200;
    Journal("VtlUsbGetDLLVer() = " + Hex(v));
    return v;
}

BOOL WINAPI DllMain(HINSTANCE, DWORD dwReason, LPVOID pReserved)
{
    // On FreeLibrary give the board locks back; at process exit the system does it.
    if (dwReason == DLL_PROCESS_DETACH && pReserved == nullptr)
        for (CSimBoard *b : g_boards)
            if (b)
                b->DropLockAtUnload();
    return TRUE;
}
