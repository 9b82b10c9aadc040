// SimThrow.cpp - throws as GCC does, or through the C runtime's _CxxThrowException with a throw
// description laid out in this image exactly as Microsoft's compiler lays it out for x64.
#include "SimThrow.h"

#include "SimJournal.h"
#include "SimFiles.h"
#include "SimStrings.h"
#include "VtlDrvUsb.h"

#include <atomic>
#include <cstring>

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace vtlsim
{
namespace
{
typedef void(WINAPI *PFN_CxxThrowException)(void *pObject, const void *pThrowInfo);

std::atomic<int> g_nStyle{static_cast<int>(ThrowStyle::Gcc)};
// Set before a Microsoft style and never cleared, so a thread that reads that style finds it.
std::atomic<PFN_CxxThrowException> g_pfnThrow{nullptr};
std::atomic<HMODULE> g_hRuntime{nullptr};

// The four parts of the description; every reference is an offset from this image's base.
struct MsTypeDescriptor
{
    const void *pVFTable; // type_info's table of the runtime
    void *pSpare;
    char szName[32];
};
struct MsCatchableType
{
    std::uint32_t properties;
    std::int32_t pType;
    std::int32_t mdisp;
    std::int32_t pdisp;
    std::int32_t vdisp;
    std::int32_t sizeOrOffset;
    std::int32_t copyFunction;
};
struct MsCatchableTypeArray
{
    std::int32_t nCount;
    std::int32_t types[2];
};
struct MsThrowInfo
{
    std::uint32_t attributes;
    std::int32_t pmfnUnwind;
    std::int32_t pForwardCompat;
    std::int32_t pCatchableTypeArray;
};

// One throwable type with up to two catchable types (itself and a base), in static storage.
struct MsThrowDescription
{
    MsTypeDescriptor types[2];
    MsCatchableType catchable[2];
    MsCatchableTypeArray array;
    MsThrowInfo info;
};

// What "other" throws: an object laid out like the runtime's std::bad_alloc.
struct OtherObject
{
    const void *pVFTable;
    const char *pszWhat;
    bool bDoFree;
};

std::int32_t Rva(const void *p)
{
    return static_cast<std::int32_t>(reinterpret_cast<const char *>(p) -
                                     reinterpret_cast<const char *>(&__ImageBase));
}

// Stays loaded for the process's life, as a runtime the library linked would.
HMODULE RuntimeNamed(const std::string &name)
{
    const HMODULE hLoaded = GetModuleHandleA(name.c_str());
    return hLoaded ? hLoaded : LoadLibraryExA(name.c_str(), nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
}

const MsThrowInfo *Describe(MsThrowDescription &d, const char *const *ppszNames, int nNames,
                            std::int32_t nSize)
{
    const void *pTypeInfoTable =
        reinterpret_cast<const void *>(GetProcAddress(g_hRuntime, "??_7type_info@@6B@"));
    for (int i = 0; i < nNames; ++i)
    {
        d.types[i].pVFTable = pTypeInfoTable;
        std::strncpy(d.types[i].szName, ppszNames[i], sizeof d.types[i].szName - 1);
        d.catchable[i] = MsCatchableType{0, Rva(&d.types[i]), 0, -1, 0, nSize, 0};
        d.array.types[i] = Rva(&d.catchable[i]);
    }
    d.array.nCount = nNames;
    d.info = MsThrowInfo{0, 0, 0, Rva(&d.array)};
    return &d.info;
}

const MsThrowInfo *DescriptionOf(ThrowStyle style)
{
    static MsThrowDescription classDesc, structDesc, otherDesc;
    static const char *const kClass[] = {".?AVVTLExc@@"};
    static const char *const kStruct[] = {".?AUVTLExc@@"};
    static const char *const kOther[] = {".?AVbad_alloc@std@@", ".?AVexception@std@@"};
    static const MsThrowInfo *const pClass = Describe(classDesc, kClass, 1, sizeof(VTLExc));
    static const MsThrowInfo *const pStruct = Describe(structDesc, kStruct, 1, sizeof(VTLExc));
    static const MsThrowInfo *const pOther = Describe(otherDesc, kOther, 2, sizeof(OtherObject));
    return style == ThrowStyle::Class ? pClass : style == ThrowStyle::Struct ? pStruct : pOther;
}

// A record with the fault's code and text, naming this source line and file.
VTLExc MakeRecord(const Fault &f, int nLine, const char *pszFile)
{
    VTLExc e;
    std::memset(&e, 0, sizeof e);
    e.m_nCode = f.nThrowCode;
    e.m_nLine = nLine;
    CopyText(e.m_szFile, sizeof e.m_szFile, FileNameOf(pszFile));
    CopyText(e.m_szMessage, sizeof e.m_szMessage, f.throwText);
    return e;
}

// Throws e by value, as GCC or as Microsoft's runtime throws it.
[[noreturn]] void ThrowRecord(const VTLExc &e)
{
    const ThrowStyle style = static_cast<ThrowStyle>(g_nStyle.load());
    if (style == ThrowStyle::Gcc)
        throw e;
    // The object lives in this frame, which stays until the catching side has unwound it.
    VTLExc record = e;
    OtherObject other{nullptr, "bad allocation", false};
    void *pObject = style == ThrowStyle::Other ? static_cast<void *>(&other) : &record;
    g_pfnThrow.load()(pObject, DescriptionOf(style));
    throw e; // not reached: the runtime's throw does not return
}

} // namespace

bool SetThrowStyle(ThrowStyle style, const std::string &runtime, std::string &error)
{
    g_nStyle = static_cast<int>(ThrowStyle::Gcc);
    if (style == ThrowStyle::Gcc)
        return true;
    // Without the runtime's throw there is no Microsoft-style throw to test: never fall back.
    const HMODULE hRuntime = RuntimeNamed(runtime);
    const auto pfnThrow = reinterpret_cast<PFN_CxxThrowException>(reinterpret_cast<void *>(
        hRuntime ? GetProcAddress(hRuntime, "_CxxThrowException") : nullptr));
    if (!pfnThrow)
    {
        error = "throw_style needs _CxxThrowException, which " + runtime + " does not provide";
        return false;
    }
    g_hRuntime = hRuntime;
    g_pfnThrow = pfnThrow;
    g_nStyle = static_cast<int>(style);
    return true;
}

bool ApplyFault(const Fault &f, const std::string &call, int nLine, const char *pszFile)
{
    if (f.nDelayMs)
        Sleep(f.nDelayMs);
    if (f.bCrash)
    {
        Journal(call + " = crash");
        // Through a variable, so that the compiler cannot see the null and drop the store.
        int *volatile pNowhere = nullptr;
        *pNowhere = 0;
    }
    if (f.bThrow)
    {
        Journal(call + " = throw " + std::to_string(f.nThrowCode) + " " + Quote(f.throwText));
        ThrowRecord(MakeRecord(f, nLine, pszFile));
    }
    return f.bFail;
}

} // namespace vtlsim
