// VtlGuard.h - the one way into the driver library. Each call runs inside a structured-exception
// scope, so a VTLExc thrown by a library built with Microsoft's compiler reaches the tools as
// their own VTLExc, like one thrown by a library built with GCC.
#pragma once

#include "VtlDrvUsb.h"

#include <type_traits>

// Code of the record that stands for a library exception of any type other than VTLExc.
constexpr std::int32_t kVtlUnexpectedExceptionCode = 0x8000A;

// What the guard's filter found, written while the library's frames still exist.
enum VtlCaught : int
{
    VTL_CAUGHT_NONE = 0,   // not a Microsoft C++ exception: left to the handlers above
    VTL_CAUGHT_RECORD = 1, // a VTLExc, copied into the record
    VTL_CAUGHT_OTHER = 2   // a Microsoft C++ exception of another type
};

// Per-call storage on the caller's stack; the guard frame tells the filter where it is.
struct VtlGuardState
{
    VtlCaught nCaught;
    VTLExc record;
};

extern "C"
{
    typedef void (*VtlGuardThunk)(void *pContext);

    // Runs pfnThunk(pContext) inside the scope: 0 when it returned, 1 when a Microsoft C++
    // exception ended it (pState then says what it was). Everything else passes through.
    int VtlGuardInvoke(VtlGuardThunk pfnThunk, void *pContext, VtlGuardState *pState);
}

// Tells a Microsoft C++ exception from anything else and, for a VTLExc, copies it into record
// with both texts terminated within their fields. Reads the throw description with care: a
// damaged one makes it "another type", never a fault.
VtlCaught VtlGuardClassify(const EXCEPTION_RECORD &rec, VTLExc &record);

// Throws the tools' own VTLExc for what the filter caught in call pszCall.
[[noreturn]] void VtlGuardRethrow(const VtlGuardState &state, const char *pszCall);

// The driver call running on this thread, for the crash report; null when none. Reads a
// per-thread slot only: no lock, no allocation, safe inside an exception filter.
const char *VtlGuardCurrentCall();

// Marks pszCall as this thread's running call for its lifetime, then gives the slot back.
class CVtlCallMark
{
public:
    explicit CVtlCallMark(const char *pszCall);
    ~CVtlCallMark();
    CVtlCallMark(const CVtlCallMark &) = delete;
    CVtlCallMark &operator=(const CVtlCallMark &) = delete;

private:
    void *m_pPrevious;
};

namespace VtlGuardDetail
{
template <typename R, typename F> struct Call
{
    F *pf;
    R result;
};
template <typename F> struct Call<void, F>
{
    F *pf;
};

// Between the guard frame and the library nothing may need unwinding: a foreign exception
// passes GCC frames without running their cleanups. So no objects with destructors, no try and
// no noexcept here or in the lambda.
template <typename R, typename F> void Thunk(void *pContext)
{
    auto *pCall = static_cast<Call<R, F> *>(pContext);
    if constexpr (std::is_void_v<R>)
        (*pCall->pf)();
    else
        pCall->result = (*pCall->pf)();
}
} // namespace VtlGuardDetail

// Runs f, which makes one library call and builds no object with a destructor, inside the guard:
//   VtlCall("EraseFlash", [&] { return m_pBoard->EraseFlash(); });
template <typename F> auto VtlCall(const char *pszCall, F &&f) -> decltype(f())
{
    using R = decltype(f());
    using Fn = std::remove_reference_t<F>;
    CVtlCallMark mark(pszCall); // left as it is when the process dies inside the call
    VtlGuardState state;        // written by the filter only
    if constexpr (std::is_void_v<R>)
    {
        VtlGuardDetail::Call<void, Fn> call{&f};
        if (VtlGuardInvoke(&VtlGuardDetail::Thunk<void, Fn>, &call, &state) != 0)
            VtlGuardRethrow(state, pszCall);
    }
    else
    {
        VtlGuardDetail::Call<R, Fn> call{&f, R()};
        if (VtlGuardInvoke(&VtlGuardDetail::Thunk<R, Fn>, &call, &state) != 0)
            VtlGuardRethrow(state, pszCall);
        return call.result;
    }
}

// A board whose operations all go through the guard; as cheap to make as the pointer it holds.
class CVtlBoard
{
public:
    explicit CVtlBoard(UsbBoard *pBoard) : m_pBoard(pBoard) {}

    int EraseFlash()
    {
        return VtlCall("EraseFlash", [&] { return m_pBoard->EraseFlash(); });
    }
    int EraseBitstream(FpgaFamily family)
    {
        return VtlCall("EraseBitstream", [&] { return m_pBoard->EraseBitstream(family); });
    }
    int ProgramFlash(const char *pszPath, FpgaFamily family, int nMajor, int nMinor)
    {
        return VtlCall("ProgramFlash",
                       [&] { return m_pBoard->ProgramFlash(pszPath, family, nMajor, nMinor); });
    }
    int SetProgressCallback(ProgressCallback pfn, void *pContext)
    {
        return VtlCall("SetProgressCallback",
                       [&] { return m_pBoard->SetProgressCallback(pfn, pContext); });
    }
    int GetFlashInfo(FpgaFamily family, char *pszBuffer, std::uint32_t *pnSize)
    {
        return VtlCall("GetFlashInfo",
                       [&] { return m_pBoard->GetFlashInfo(family, pszBuffer, pnSize); });
    }
    const char *GetErrorText()
    {
        return VtlCall("GetErrorText", [&] { return m_pBoard->GetErrorText(); });
    }
    int SaveEeprom(const char *pszPath)
    {
        return VtlCall("SaveEeprom", [&] { return m_pBoard->SaveEeprom(pszPath); });
    }
    int ProgramEeprom(const char *pszPath)
    {
        return VtlCall("ProgramEeprom", [&] { return m_pBoard->ProgramEeprom(pszPath); });
    }
    int GetEepromVersion(int *pnMajor, int *pnMinor)
    {
        return VtlCall("GetEepromVersion",
                       [&] { return m_pBoard->GetEepromVersion(pnMajor, pnMinor); });
    }
    int GetFileVersion(const char *pszPath, int *pnMajor, int *pnMinor)
    {
        return VtlCall("GetFileVersion",
                       [&] { return m_pBoard->GetFileVersion(pszPath, pnMajor, pnMinor); });
    }
    int VerifyEeprom(const char *pszPath)
    {
        return VtlCall("VerifyEeprom", [&] { return m_pBoard->VerifyEeprom(pszPath); });
    }
    bool IsValidEepromFile(const char *pszPath)
    {
        return VtlCall("IsValidEepromFile", [&] { return m_pBoard->IsValidEepromFile(pszPath); });
    }
    int EraseEeprom()
    {
        return VtlCall("EraseEeprom", [&] { return m_pBoard->EraseEeprom(); });
    }
    int ReleaseBoard()
    {
        return VtlCall("ReleaseBoard", [&] { return m_pBoard->ReleaseBoard(); });
    }

private:
    UsbBoard *m_pBoard;
};
