// SimBoard.h - one simulated VTL4410 board behind the UsbBoard interface.
#pragma once

#include "SimConfig.h"
#include "SimEdgeText.h"

#include "VtlDrvUsb.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vtlsim
{

// Lives for the whole process (board objects are never freed, so a stale pointer
// reports an error instead of crashing); the library reconfigures it at every open.
class CSimBoard final : public UsbBoard
{
public:
    explicit CSimBoard(std::uint32_t nSection);
    CSimBoard(const CSimBoard &) = delete;
    CSimBoard &operator=(const CSimBoard &) = delete;

    // Takes the board's settings at VtlUsbOpen; state is reset when its section changed.
    void Configure(const DriverConfig &drv, const BoardConfig &cfg, const std::string &scope,
                   std::uint32_t nIndex);
    // False once vtlsim unplugged the board.
    bool IsPlugged() const;
    // Locks the board for this process; false when another process holds it
    // or the board is configured as one that cannot be opened.
    bool Acquire();
    // Fills the record; returns its journal form.
    std::string FillInfo(BoardInfo &info);
    // Closes the lock handle without the cross-process guard (safe inside DllMain).
    void DropLockAtUnload();
    // Drops the lock; the object answers with status 8 until acquired again.
    void Release();
    std::uint32_t Index() const { return m_nIndex; }
    std::uint32_t Section() const { return m_nSection; }

    int Reserved00() override { return Reserved(0); }
    int Reserved01() override { return Reserved(1); }
    int Reserved02() override { return Reserved(2); }
    int Reserved03() override { return Reserved(3); }
    int Reserved04() override { return Reserved(4); }
    int Reserved05() override { return Reserved(5); }
    int Reserved06() override { return Reserved(6); }
    int Reserved07() override { return Reserved(7); }
    int Reserved08() override { return Reserved(8); }
    int Reserved09() override { return Reserved(9); }
    int Reserved10() override { return Reserved(10); }
    int Reserved11() override { return Reserved(11); }
    int Reserved12() override { return Reserved(12); }
    int Reserved13() override { return Reserved(13); }
    int Reserved14() override { return Reserved(14); }
    int Reserved15() override { return Reserved(15); }
    int Reserved16() override { return Reserved(16); }
    int Reserved17() override { return Reserved(17); }
    int Reserved18() override { return Reserved(18); }
    int EraseFlash() override;
    int EraseBitstream(FpgaFamily family) override;
    int ProgramFlash(const char *pszPath, FpgaFamily family, int nMajor, int nMinor) override;
    int SetProgressCallback(ProgressCallback pfn, void *pContext) override;
    int Reserved23() override { return Reserved(23); }
    int GetFlashInfo(FpgaFamily family, char *pszBuffer, std::uint32_t *pnSize) override;
    const char *GetErrorText() override;
    int SaveEeprom(const char *pszPath) override;
    int ProgramEeprom(const char *pszPath) override;
    int GetEepromVersion(int *pnMajor, int *pnMinor) override;
    int GetFileVersion(const char *pszPath, int *pnMajor, int *pnMinor) override;
    int VerifyEeprom(const char *pszPath) override;
    bool IsValidEepromFile(const char *pszPath) override;
    int EraseEeprom() override;
    int Reserved33() override { return Reserved(33); }
    int Reserved34() override { return Reserved(34); }
    int ReleaseBoard() override;

private:
    // Delay, throw or fail as configured; -1 lets the operation go on.
    int Enter(int op, const std::string &call, bool bNeedLock = true);
    // Enter, then the check of the caller's path: the prologue of the operations on a file.
    int EnterWithPath(int op, const std::string &call, const char *pszPath, std::string &path,
                      bool bNeedLock = true);
    int Leave(const std::string &call, int status, const std::string &detail = std::string());
    int Error(int status, const std::string &text);
    int Reserved(int slot);
    // Checks a caller's path; 0 when usable.
    int CheckPath(const char *pszPath, std::string &path);
    // Reads a well-formed EEPROM image file; 0, else the status with the error text set.
    int ReadImageFile(const std::string &path, std::vector<std::uint8_t> &bytes);
    // Reports rising percentages at the configured pace, on the caller's thread; false when the
    // board was unplugged on the way.
    bool RunProgress();
    // Status 9 with its text.
    int Unplugged();
    std::string Prefix() const;

    CRITICAL_SECTION m_cs;
    const std::uint32_t m_nSection;
    std::uint32_t m_nIndex = 0;
    std::string m_scope;
    std::string m_configPath;
    std::vector<bool> m_configPlugged; // every section's configured plug state
    std::string m_identity;
    BoardConfig m_cfg;
    std::uint32_t m_nProgressMs = 3000;
    std::uint32_t m_nStepMs = 30;
    HANDLE m_hLock = nullptr;
    FlashFamily m_flash[2];
    bool m_bUseText[2] = {false, false};
    std::vector<std::uint8_t> m_eeprom;
    std::string m_error;
    std::uint32_t m_nCalls[OpCount] = {}; // for fail_times.
    CEdgeText m_shapedError;              // what GetErrorText returned last, when shaped
    ProgressCallback m_pfnProgress = nullptr;
    void *m_pContext = nullptr;
};

} // namespace vtlsim
