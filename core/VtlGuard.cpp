// VtlGuard.cpp - the filter of the guard frame and the rethrow that follows it.
#include "VtlGuard.h"

#include <atomic>
#include <cstdio>
#include <cstring>

namespace
{
// A C++ exception raised by Microsoft's runtime, and the magic numbers of its four parameters.
constexpr DWORD kMsCxxException = 0xE06D7363;
constexpr ULONG_PTR kMagics[] = {0x19930520, 0x19930521, 0x19930522};
constexpr DWORD kMsCxxParameters = 4; // magic, object, throw description, image base

// More catchable types than any real throw has marks a damaged description.
constexpr std::int32_t kMaxCatchableTypes = 256;

const char kClassName[] = ".?AVVTLExc@@";
const char kStructName[] = ".?AUVTLExc@@";
static_assert(sizeof kClassName == sizeof kStructName, "one compare length for both names");

// The thread-local slot of the running call. Taken on first use and never given back; a
// constant initial value, so that no call can come before it is set up.
std::atomic<DWORD> g_nCallSlot{TLS_OUT_OF_INDEXES};

DWORD CallSlot()
{
    DWORD nSlot = g_nCallSlot.load(std::memory_order_acquire);
    if (nSlot != TLS_OUT_OF_INDEXES)
        return nSlot;
    const DWORD nNew = TlsAlloc();
    if (nNew == TLS_OUT_OF_INDEXES || g_nCallSlot.compare_exchange_strong(nSlot, nNew))
        return nNew;
    TlsFree(nNew); // another thread was first
    return nSlot;
}

// Where the guard frame keeps the state pointer: 32 bytes above its stack pointer.
constexpr size_t kStateSlot = 32;

// The throw description, as image-relative offsets. Only the fields read here are named.
struct ThrowInfo
{
    std::uint32_t attributes;
    std::int32_t pmfnUnwind;
    std::int32_t pForwardCompat;
    std::int32_t pCatchableTypeArray;
};
struct CatchableType
{
    std::uint32_t properties;
    std::int32_t pType;
    std::int32_t mdisp; // where the type sits in the thrown object
    std::int32_t pdisp; // -1 unless it is a virtual base
    std::int32_t vdisp;
    std::int32_t sizeOrOffset;
    std::int32_t copyFunction;
};
constexpr size_t kTypeNameOffset = 2 * sizeof(void *); // after vftable and spare

// True when all n bytes at p are committed and readable; never touches them.
bool Readable(ULONG_PTR p, size_t n)
{
    if (p == 0 || p + n < p)
        return false;
    constexpr DWORD kReadable = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY |
                                PAGE_EXECUTE_READ | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
    while (n > 0)
    {
        MEMORY_BASIC_INFORMATION mbi;
        if (VirtualQuery(reinterpret_cast<const void *>(p), &mbi, sizeof mbi) == 0)
            return false;
        if (mbi.State != MEM_COMMIT || (mbi.Protect & (PAGE_GUARD | PAGE_NOACCESS)) ||
            !(mbi.Protect & kReadable))
            return false;
        const ULONG_PTR end = reinterpret_cast<ULONG_PTR>(mbi.BaseAddress) + mbi.RegionSize;
        const size_t chunk = end - p < n ? static_cast<size_t>(end - p) : n;
        p += chunk;
        n -= chunk;
    }
    return true;
}

// Copies a T from p when it is readable.
template <typename T> bool Read(ULONG_PTR p, T &out)
{
    if (!Readable(p, sizeof(T)))
        return false;
    std::memcpy(&out, reinterpret_cast<const void *>(p), sizeof(T));
    return true;
}

// Address of an image-relative offset; 0 for the null offset.
ULONG_PTR At(ULONG_PTR base, std::int32_t rva)
{
    return rva == 0 ? 0 : base + static_cast<std::uint32_t>(rva);
}

bool IsVtlExcName(ULONG_PTR pName)
{
    char name[sizeof kClassName];
    if (!Read(pName, name))
        return false;
    return std::memcmp(name, kClassName, sizeof name) == 0 ||
           std::memcmp(name, kStructName, sizeof name) == 0;
}

// Address of the VTLExc inside the thrown object, the way Microsoft's runtime adjusts it; 0 when
// the object does not hold one.
ULONG_PTR FindRecord(ULONG_PTR base, ULONG_PTR pObject, ULONG_PTR pThrowInfo)
{
    ThrowInfo info;
    std::int32_t nTypes = 0;
    const ULONG_PTR pArray = Read(pThrowInfo, info) ? At(base, info.pCatchableTypeArray) : 0;
    if (!Read(pArray, nTypes) || nTypes <= 0 || nTypes > kMaxCatchableTypes)
        return 0;
    for (std::int32_t i = 0; i < nTypes; ++i)
    {
        std::int32_t rvaType = 0;
        CatchableType type;
        if (!Read(pArray + sizeof(std::int32_t) * (1 + i), rvaType) ||
            !Read(At(base, rvaType), type) || type.sizeOrOffset != sizeof(VTLExc) ||
            type.pType == 0 || !IsVtlExcName(At(base, type.pType) + kTypeNameOffset))
            continue;
        ULONG_PTR p = pObject + static_cast<LONG_PTR>(type.mdisp);
        if (type.pdisp >= 0)
        {
            ULONG_PTR pVbTable = 0;
            std::int32_t nOffset = 0;
            if (!Read(pObject + type.pdisp, pVbTable) || !Read(pVbTable + type.vdisp, nOffset))
                continue;
            p += static_cast<LONG_PTR>(type.pdisp) + nOffset;
        }
        return p;
    }
    return 0;
}
} // namespace

const char *VtlGuardCurrentCall()
{
    const DWORD nSlot = g_nCallSlot.load(std::memory_order_acquire);
    return nSlot == TLS_OUT_OF_INDEXES ? nullptr : static_cast<const char *>(TlsGetValue(nSlot));
}

CVtlCallMark::CVtlCallMark(const char *pszCall) : m_pPrevious(nullptr)
{
    const DWORD nSlot = CallSlot();
    if (nSlot == TLS_OUT_OF_INDEXES)
        return;
    m_pPrevious = TlsGetValue(nSlot);
    TlsSetValue(nSlot, const_cast<char *>(pszCall));
}

CVtlCallMark::~CVtlCallMark()
{
    const DWORD nSlot = g_nCallSlot.load(std::memory_order_acquire);
    if (nSlot != TLS_OUT_OF_INDEXES)
        TlsSetValue(nSlot, m_pPrevious);
}

VtlCaught VtlGuardClassify(const EXCEPTION_RECORD &rec, VTLExc &record)
{
    if (rec.ExceptionCode != kMsCxxException)
        return VTL_CAUGHT_NONE;
    // From here on it is a C++ exception from Microsoft's runtime: left alone it would end the
    // program, so whatever it holds, it is caught.
    bool bKnownMagic = false;
    for (ULONG_PTR magic : kMagics)
        bKnownMagic =
            bKnownMagic || (rec.NumberParameters >= 1 && rec.ExceptionInformation[0] == magic);
    if (!bKnownMagic || rec.NumberParameters != kMsCxxParameters)
        return VTL_CAUGHT_OTHER;
    const ULONG_PTR pRecord = FindRecord(rec.ExceptionInformation[3], rec.ExceptionInformation[1],
                                         rec.ExceptionInformation[2]);
    if (!Read(pRecord, record))
        return VTL_CAUGHT_OTHER;
    record.m_szFile[sizeof record.m_szFile - 1] = '\0';
    record.m_szMessage[sizeof record.m_szMessage - 1] = '\0';
    return VTL_CAUGHT_RECORD;
}

// Called by the C runtime's __C_specific_handler for the guard frame's scope, in the first pass.
extern "C" LONG VtlGuardFilter(EXCEPTION_POINTERS *pPointers, void *pEstablisherFrame)
{
    VtlGuardState *pState =
        *reinterpret_cast<VtlGuardState **>(static_cast<char *>(pEstablisherFrame) + kStateSlot);
    const VtlCaught nCaught = VtlGuardClassify(*pPointers->ExceptionRecord, pState->record);
    if (nCaught == VTL_CAUGHT_NONE)
        return EXCEPTION_CONTINUE_SEARCH;
    pState->nCaught = nCaught;
    return EXCEPTION_EXECUTE_HANDLER;
}

void VtlGuardRethrow(const VtlGuardState &state, const char *pszCall)
{
    if (state.nCaught == VTL_CAUGHT_RECORD)
        throw VTLExc(state.record);
    VTLExc e;
    std::memset(&e, 0, sizeof e);
    e.m_nCode = kVtlUnexpectedExceptionCode;
    std::snprintf(e.m_szFile, sizeof e.m_szFile, "VtlGuard");
    std::snprintf(e.m_szMessage, sizeof e.m_szMessage,
                  "The driver library failed in %s (unexpected exception).", pszCall);
    throw e;
}
