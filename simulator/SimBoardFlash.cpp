// SimBoardFlash.cpp - the flash operations of a simulated board and their progress reports.
#include "SimBoard.h"

#include "SimFiles.h"
#include "SimJournal.h"
#include "SimStrings.h"

#include <cstring>

namespace vtlsim
{

namespace
{
const char *const kFamilyNames[2] = {"Spartan", "Virtex"};
} // namespace

bool CSimBoard::RunProgress()
{
    EnterCriticalSection(&m_cs);
    const ProgressCallback pfn = m_pfnProgress;
    void *const pContext = m_pContext;
    const std::uint32_t total = m_nProgressMs, step = m_nStepMs;
    LeaveCriticalSection(&m_cs);
    const std::uint32_t steps = total / step > 0 ? total / step : 1;
    int last = -1;
    const ULONGLONG start = GetTickCount64();
    for (std::uint32_t k = 1; k <= steps; ++k)
    {
        // Paced against the clock, so slow callbacks or coarse sleeps don't stretch the run.
        const ULONGLONG due = start + static_cast<ULONGLONG>(k) * step;
        const ULONGLONG now = GetTickCount64();
        if (total > 0 && due > now)
            Sleep(static_cast<DWORD>(due - now));
        if (!IsPlugged())
            return false;
        const int pct = static_cast<int>(static_cast<std::uint64_t>(k) * 100 / steps);
        if (pct == last)
            continue;
        last = pct;
        if (pfn)
        {
            const int r = pfn(0, pct, 0, pContext);
            Journal(Prefix() + "Progress(0, " + std::to_string(pct) +
                    ", 0) = " + std::to_string(r));
        }
    }
    return true;
}

int CSimBoard::EraseFlash()
{
    const std::string call = "EraseFlash()";
    int st = Enter(OpEraseFlash, call);
    if (st >= 0)
        return Leave(call, st);
    // Cut short, the erase has gone far enough to leave nothing usable.
    const bool bDone = RunProgress();
    EnterCriticalSection(&m_cs);
    for (int f = 0; f < 2; ++f)
    {
        m_flash[f] = FlashFamily();
        m_bUseText[f] = false;
    }
    LeaveCriticalSection(&m_cs);
    return Leave(call, bDone ? 0 : Unplugged());
}

int CSimBoard::EraseBitstream(FpgaFamily family)
{
    const int fam = static_cast<int>(family);
    const std::string call = "EraseBitstream(" + std::to_string(fam) + ")";
    if (fam > 1)
        return Leave(call, Error(1, "Unknown FPGA family " + std::to_string(fam)));
    int st = Enter(OpEraseBitstream, call);
    if (st >= 0)
        return Leave(call, st);
    EnterCriticalSection(&m_cs);
    const bool bHasBit = m_flash[fam].bHasBit;
    LeaveCriticalSection(&m_cs);
    if (!bHasBit)
        return Leave(call, Error(4, std::string("no bitstream stored for ") + kFamilyNames[fam]));
    const bool bDone = RunProgress();
    EnterCriticalSection(&m_cs);
    m_flash[fam].bHasBit = false;
    m_flash[fam].bit = BitInfo();
    m_bUseText[fam] = false;
    LeaveCriticalSection(&m_cs);
    return Leave(call, bDone ? 0 : Unplugged());
}

int CSimBoard::ProgramFlash(const char *pszPath, FpgaFamily family, int nMajor, int nMinor)
{
    const int fam = static_cast<int>(family);
    const std::string call = "ProgramFlash(" + (pszPath ? Quote(pszPath) : std::string("null")) +
                             ", " + std::to_string(fam) + ", " + std::to_string(nMajor) + ", " +
                             std::to_string(nMinor) + ")";
    if (fam > 1)
        return Leave(call, Error(1, "Unknown FPGA family " + std::to_string(fam)));
    std::string path, err;
    const int st = EnterWithPath(OpProgramFlash, call, pszPath, path);
    if (st >= 0)
        return Leave(call, st);
    EnterCriticalSection(&m_cs);
    FlashFamily next = m_flash[fam];
    LeaveCriticalSection(&m_cs);
    if (!LoadFlashFile(path, nMajor, nMinor, next, err))
        return Leave(call, Error(2, err));
    const bool bDone = RunProgress();
    EnterCriticalSection(&m_cs);
    if (!bDone && ExtensionOf(path) == ".app")
        next.bHasApp = false; // a slot written halfway holds nothing usable
    else if (!bDone)
        next.bHasBit = false;
    m_flash[fam] = next;
    m_bUseText[fam] = false;
    LeaveCriticalSection(&m_cs);
    return Leave(call, bDone ? 0 : Unplugged());
}

int CSimBoard::SetProgressCallback(ProgressCallback pfn, void *pContext)
{
    const std::string call = "SetProgressCallback(" + Hex(reinterpret_cast<std::uintptr_t>(pfn)) +
                             ", " + Hex(reinterpret_cast<std::uintptr_t>(pContext)) + ")";
    int st = Enter(OpSetProgressCallback, call);
    if (st >= 0)
        return Leave(call, st);
    EnterCriticalSection(&m_cs);
    m_pfnProgress = pfn;
    m_pContext = pContext;
    LeaveCriticalSection(&m_cs);
    return Leave(call, 0);
}

int CSimBoard::GetFlashInfo(FpgaFamily family, char *pszBuffer, std::uint32_t *pnSize)
{
    const int fam = static_cast<int>(family);
    const std::string call = "GetFlashInfo(" + std::to_string(fam) + ", " +
                             (pnSize ? std::to_string(*pnSize) : std::string("null")) + ")";
    if (fam > 1)
        return Leave(call, Error(1, "Unknown FPGA family " + std::to_string(fam)));
    if (!pszBuffer || !pnSize)
        return Leave(call, Error(1, "No buffer for the flash information"));
    const std::uint32_t cap = *pnSize;
    if (cap == 0)
        return Leave(call, Error(1, "The buffer for the flash information is empty"));
    int st = Enter(OpGetFlashInfo, call);
    if (st >= 0)
        return Leave(call, st);
    EnterCriticalSection(&m_cs);
    const std::int32_t status = m_cfg.nFlashStatus[fam];
    const std::string text = m_bUseText[fam] ? m_cfg.text[fam] : DescribeFlash(m_flash[fam]);
    const bool bUnterminated = m_cfg.bFlashUnterminated;
    LeaveCriticalSection(&m_cs);
    if (status == 3)
        return Leave(
            call, Error(3, std::string("The ") + kFamilyNames[fam] + " flash is not accessible"));
    if (status != 0)
        return Leave(call,
                     Error(status, std::string("Cannot read the ") + kFamilyNames[fam] + " flash"));
    if (bUnterminated)
    {
        // Deliberately fills every byte with no terminator, to test callers' bounds.
        const std::string fill = text.empty() ? std::string("X") : text;
        for (std::uint32_t i = 0; i < cap; ++i)
            pszBuffer[i] = fill[i % fill.size()];
        return Leave(call, 0, "unterminated");
    }
    CopyText(pszBuffer, cap, text);
    return Leave(call, 0, Quote(pszBuffer));
}

} // namespace vtlsim
