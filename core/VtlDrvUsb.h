// VtlDrvUsb.h - contract of the board maker's USB driver library "VtlDrvUsb.dll".
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#ifdef VTLDRVUSB_EXPORTS
#define VTLDRVUSB_API extern "C" __declspec(dllexport)
#else
#define VTLDRVUSB_API extern "C" __declspec(dllimport)
#endif

// The tools build with VTLDRVUSB_GUARDED: the board operations and the exported functions are
// then out of their reach, and every call goes through the guard of VtlGuard.h.
#ifdef VTLDRVUSB_GUARDED
#define VTLDRVUSB_OPERATIONS                                                                       \
private:                                                                                           \
    friend class CVtlBoard;
#define VTLDRVUSB_BEGIN_EXPORTS                                                                    \
    namespace VtlUnguarded                                                                         \
    {
#define VTLDRVUSB_END_EXPORTS }
#else
#define VTLDRVUSB_OPERATIONS public:
#define VTLDRVUSB_BEGIN_EXPORTS
#define VTLDRVUSB_END_EXPORTS
#endif

// FPGA family passed to the flash operations, one unsigned byte.
enum FpgaFamily : std::uint8_t
{
    FAMILY_SPARTAN = 0,
    FAMILY_VIRTEX = 1
};

// Progress report from a long board operation: (unused, percent, unused, context).
typedef int (*ProgressCallback)(std::uint32_t, int, std::uint32_t, void *);

// Record that VtlUsbGetBoardInfo fills into 280 bytes of caller memory.
struct BoardInfo
{
    std::uint32_t dwUsable;      // non-zero for a usable board
    char szBoardType[256];       // NUL-terminated board-type text
    std::uint32_t dwIoAddress;   // I/O address
    std::uint8_t abReserved[16]; // read by neither tool
};
static_assert(sizeof(BoardInfo) == 280, "BoardInfo is 280 bytes");
static_assert(offsetof(BoardInfo, dwUsable) == 0, "usable flag at 0");
static_assert(offsetof(BoardInfo, szBoardType) == 4, "board type at 4");
static_assert(offsetof(BoardInfo, dwIoAddress) == 260, "I/O address at 260");

// Error record thrown by value and caught by reference; copied byte for byte.
struct VTLExc
{
    std::int32_t m_nCode;
    std::int32_t m_nLine;
    char m_szFile[1024];
    std::uint32_t m_dwUnused; // set and read by neither tool
    char m_szMessage[1024];
};
static_assert(offsetof(VTLExc, m_nCode) == 0, "code at 0");
static_assert(offsetof(VTLExc, m_nLine) == 4, "line at 4");
static_assert(offsetof(VTLExc, m_szFile) == 8, "file text at 8");
static_assert(offsetof(VTLExc, m_dwUnused) == 1032, "unused field at 1032");
static_assert(offsetof(VTLExc, m_szMessage) == 1036, "message text at 1036");
static_assert(sizeof(VTLExc) == 2060, "VTLExc is 2060 bytes");

// One attached board, owned by the library. The operations sit at fixed slots of
// the virtual table; the Reserved* operations only hold the slots nobody calls.
// There is deliberately no virtual destructor: GCC would give it two slots.
class UsbBoard
{
    VTLDRVUSB_OPERATIONS
    virtual int Reserved00() = 0;
    virtual int Reserved01() = 0;
    virtual int Reserved02() = 0;
    virtual int Reserved03() = 0;
    virtual int Reserved04() = 0;
    virtual int Reserved05() = 0;
    virtual int Reserved06() = 0;
    virtual int Reserved07() = 0;
    virtual int Reserved08() = 0;
    virtual int Reserved09() = 0;
    virtual int Reserved10() = 0;
    virtual int Reserved11() = 0;
    virtual int Reserved12() = 0;
    virtual int Reserved13() = 0;
    virtual int Reserved14() = 0;
    virtual int Reserved15() = 0;
    virtual int Reserved16() = 0;
    virtual int Reserved17() = 0;
    virtual int Reserved18() = 0;
    virtual int EraseFlash() = 0;                      // 19
    virtual int EraseBitstream(FpgaFamily family) = 0; // 20
    virtual int ProgramFlash(const char *pszPath, FpgaFamily family, int nMajor,
                             int nMinor) = 0;                                  // 21
    virtual int SetProgressCallback(ProgressCallback pfn, void *pContext) = 0; // 22
    virtual int Reserved23() = 0;
    virtual int GetFlashInfo(FpgaFamily family, char *pszBuffer,
                             std::uint32_t *pnSize) = 0;          // 24
    virtual const char *GetErrorText() = 0;                       // 25
    virtual int SaveEeprom(const char *pszPath) = 0;              // 26
    virtual int ProgramEeprom(const char *pszPath) = 0;           // 27
    virtual int GetEepromVersion(int *pnMajor, int *pnMinor) = 0; // 28
    virtual int GetFileVersion(const char *pszPath, int *pnMajor,
                               int *pnMinor) = 0;            // 29
    virtual int VerifyEeprom(const char *pszPath) = 0;       // 30
    virtual bool IsValidEepromFile(const char *pszPath) = 0; // 31
    virtual int EraseEeprom() = 0;                           // 32
    virtual int Reserved33() = 0;
    virtual int Reserved34() = 0;
    virtual int ReleaseBoard() = 0; // 35

protected:
    ~UsbBoard() = default;
};

// Number of slots in UsbBoard's table of virtual operations.
constexpr int kUsbBoardSlots = 36;

// Most board indexes the tools ask about: more than any USB host holds, so a larger count
// from VtlUsbGetBoardCount is the library's fault and is not walked through.
constexpr std::uint32_t kMaxBoardIndexes = 256;

// GetFlashInfo: the buffer the tools give it, and its result when the flash cannot be reached.
constexpr std::uint32_t kFlashInfoSize = 1024;
constexpr int kFlashQueryNoAccess = 3;

// Callbacks of the two registration functions that no tool calls.
typedef void (*VtlRefreshCallback)(void *pContext);
typedef void (*VtlHWStatusCallback)(std::uint32_t dwStatus, void *pContext);

// One typedef per exported function, shared by the library and the run-time loader.
typedef std::uint32_t (*PFN_VtlUsbOpen)(std::uint32_t hWnd);
typedef int (*PFN_VtlUsbClose)();
typedef UsbBoard *(*PFN_VtlUsbOpenBoard)(std::uint32_t nIndex);
typedef int (*PFN_VtlUsbCloseBoard)(UsbBoard *pBoard);
typedef std::uint32_t (*PFN_VtlUsbGetBoardCount)();
typedef int (*PFN_VtlUsbGetBoardIndex)(UsbBoard *pBoard);
typedef int (*PFN_VtlUsbGetBoardInfo)(std::uint32_t nIndex, BoardInfo *pInfo);
typedef const char *(*PFN_VtlUsbGetError)(std::uint32_t nCode);
typedef int (*PFN_VtlUsbSetRefreshCallback)(VtlRefreshCallback pfn, void *pContext);
typedef int (*PFN_VtlUsbSetHWStatusCallback)(VtlHWStatusCallback pfn, void *pContext);
typedef std::uint32_t (*PFN_VtlUsbGetDLLVer)();

VTLDRVUSB_BEGIN_EXPORTS
VTLDRVUSB_API std::uint32_t VtlUsbOpen(std::uint32_t hWnd);
VTLDRVUSB_API int VtlUsbClose();
VTLDRVUSB_API UsbBoard *VtlUsbOpenBoard(std::uint32_t nIndex);
VTLDRVUSB_API int VtlUsbCloseBoard(UsbBoard *pBoard);
VTLDRVUSB_API std::uint32_t VtlUsbGetBoardCount();
VTLDRVUSB_API int VtlUsbGetBoardIndex(UsbBoard *pBoard);
VTLDRVUSB_API int VtlUsbGetBoardInfo(std::uint32_t nIndex, BoardInfo *pInfo);
VTLDRVUSB_API const char *VtlUsbGetError(std::uint32_t nCode);
VTLDRVUSB_API int VtlUsbSetRefreshCallback(VtlRefreshCallback pfn, void *pContext);
VTLDRVUSB_API int VtlUsbSetHWStatusCallback(VtlHWStatusCallback pfn, void *pContext);
VTLDRVUSB_API std::uint32_t VtlUsbGetDLLVer();
VTLDRVUSB_END_EXPORTS
