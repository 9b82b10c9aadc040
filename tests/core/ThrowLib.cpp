// ThrowLib.cpp - throws VTLExc from inside a DLL, from a function and from a board operation.
#include "ThrowLib.h"

#include <cstring>

namespace
{
VTLExc Make(int nCode, const char *pszFile, const char *pszMessage)
{
    VTLExc e;
    memset(&e, 0, sizeof e);
    e.m_nCode = nCode;
    e.m_nLine = 1234;
    strncpy(e.m_szFile, pszFile, sizeof e.m_szFile - 1);
    e.m_dwUnused = 0xA5A5A5A5u;
    strncpy(e.m_szMessage, pszMessage, sizeof e.m_szMessage - 1);
    return e;
}

class CThrowingBoard : public UsbBoard
{
public:
#define SLOT(name, n)                                                                              \
    int name() override                                                                            \
    {                                                                                              \
        return n;                                                                                  \
    }
    SLOT(Reserved00, 0)
    SLOT(Reserved01, 1)
    SLOT(Reserved02, 2)
    SLOT(Reserved03, 3)
    SLOT(Reserved04, 4)
    SLOT(Reserved05, 5)
    SLOT(Reserved06, 6)
    SLOT(Reserved07, 7)
    SLOT(Reserved08, 8)
    SLOT(Reserved09, 9)
    SLOT(Reserved10, 10)
    SLOT(Reserved11, 11)
    SLOT(Reserved12, 12)
    SLOT(Reserved13, 13)
    SLOT(Reserved14, 14)
    SLOT(Reserved15, 15)
    SLOT(Reserved16, 16)
    SLOT(Reserved17, 17)
    SLOT(Reserved18, 18)
    SLOT(EraseFlash, 19)
    SLOT(Reserved23, 23)
    SLOT(EraseEeprom, 32)
    SLOT(Reserved33, 33)
    SLOT(Reserved34, 34)
    SLOT(ReleaseBoard, 35)
#undef SLOT
    int EraseBitstream(FpgaFamily) override
    {
        return 20;
    }
    int ProgramFlash(const char *, FpgaFamily, int, int) override
    {
        return 21;
    }
    int SetProgressCallback(ProgressCallback, void *) override
    {
        return 22;
    }
    int GetFlashInfo(FpgaFamily, char *, std::uint32_t *) override
    {
        return 24;
    }
    const char *GetErrorText() override
    {
        return "no error";
    }
    int SaveEeprom(const char *) override
    {
        return 26;
    }
    int ProgramEeprom(const char *pszPath) override
    {
        throw Make(27, __FILE__, pszPath);
    }
    int GetEepromVersion(int *, int *) override
    {
        return 28;
    }
    int GetFileVersion(const char *, int *, int *) override
    {
        return 29;
    }
    int VerifyEeprom(const char *) override
    {
        return 30;
    }
    bool IsValidEepromFile(const char *) override
    {
        return true;
    }
};

CThrowingBoard g_board;
} // namespace

void ThrowLibRaise(int nCode, const char *pszFile, const char *pszMessage)
{
    throw Make(nCode, pszFile, pszMessage);
}

UsbBoard *ThrowLibBoard()
{
    return &g_board;
}
