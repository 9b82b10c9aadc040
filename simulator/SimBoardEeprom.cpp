// SimBoardEeprom.cpp - the EEPROM operations of a simulated board.
#include "SimBoard.h"

#include "SimEeprom.h"
#include "SimJournal.h"
#include "SimFiles.h"
#include "SimStrings.h"

#include <algorithm>
#include <cstdio>

namespace vtlsim
{

namespace
{
std::string Version(int nMajor, int nMinor)
{
    return std::to_string(nMajor) + "." + std::to_string(nMinor);
}

std::string PathCall(const char *pszOp, const char *pszPath)
{
    return std::string(pszOp) + "(" + (pszPath ? Quote(pszPath) : std::string("null")) + ")";
}
} // namespace

int CSimBoard::ReadImageFile(const std::string &path, std::vector<std::uint8_t> &bytes)
{
    std::string err;
    if (!ReadWholeFile(path, kEepromSize, bytes, err))
        return Error(2, err);
    if (EepromImageLength(bytes, true) == 0)
        return Error(2, path + ": not a valid EEPROM image");
    return 0;
}

int CSimBoard::SaveEeprom(const char *pszPath)
{
    const std::string call = PathCall("SaveEeprom", pszPath);
    std::string path, err;
    const int st = EnterWithPath(OpSaveEeprom, call, pszPath, path);
    if (st >= 0)
        return Leave(call, st);
    // Unplugged during the operation's delay: nothing is written.
    if (!IsPlugged())
        return Leave(call, Unplugged());
    EnterCriticalSection(&m_cs);
    std::vector<std::uint8_t> bytes = m_eeprom;
    LeaveCriticalSection(&m_cs);
    const std::size_t n = EepromImageLength(bytes, false);
    if (n > 0)
        bytes.resize(n); // a blank or garbled EEPROM is saved whole
    if (!WriteWholeFile(path, bytes, err))
        return Leave(call, Error(2, err));
    return Leave(call, 0);
}

int CSimBoard::ProgramEeprom(const char *pszPath)
{
    const std::string call = PathCall("ProgramEeprom", pszPath);
    std::string path;
    int st = EnterWithPath(OpProgramEeprom, call, pszPath, path);
    if (st >= 0)
        return Leave(call, st);
    std::vector<std::uint8_t> bytes;
    if ((st = ReadImageFile(path, bytes)) != 0)
        return Leave(call, st);
    // Unplugged during the operation's delay: the write got halfway through the image.
    const bool bCut = !IsPlugged();
    if (bCut)
        bytes.resize(bytes.size() / 2);
    bytes.resize(kEepromSize, 0xFF);
    EnterCriticalSection(&m_cs);
    m_eeprom = bytes;
    LeaveCriticalSection(&m_cs);
    return Leave(call, bCut ? Unplugged() : 0);
}

int CSimBoard::GetEepromVersion(int *pnMajor, int *pnMinor)
{
    const std::string call = "GetEepromVersion()";
    if (!pnMajor || !pnMinor)
        return Leave(call, Error(1, "No place for the version"));
    int st = Enter(OpGetEepromVersion, call);
    if (st >= 0)
        return Leave(call, st);
    int nMajor = 0, nMinor = 0;
    EnterCriticalSection(&m_cs);
    const bool bOk = EepromImageVersion(m_eeprom, nMajor, nMinor);
    LeaveCriticalSection(&m_cs);
    if (!bOk)
        return Leave(call, Error(5, "The EEPROM holds no valid image"));
    *pnMajor = nMajor;
    *pnMinor = nMinor;
    return Leave(call, 0, Version(nMajor, nMinor));
}

int CSimBoard::GetFileVersion(const char *pszPath, int *pnMajor, int *pnMinor)
{
    const std::string call = PathCall("GetFileVersion", pszPath);
    if (!pnMajor || !pnMinor)
        return Leave(call, Error(1, "No place for the version"));
    std::string path;
    int st = EnterWithPath(OpGetFileVersion, call, pszPath, path);
    if (st >= 0)
        return Leave(call, st);
    std::vector<std::uint8_t> bytes;
    if ((st = ReadImageFile(path, bytes)) != 0)
        return Leave(call, st);
    int nMajor = 0, nMinor = 0;
    if (!EepromImageVersion(bytes, nMajor, nMinor))
        return Leave(call, Error(2, path + ": not a valid EEPROM image"));
    *pnMajor = nMajor;
    *pnMinor = nMinor;
    return Leave(call, 0, Version(nMajor, nMinor));
}

int CSimBoard::VerifyEeprom(const char *pszPath)
{
    const std::string call = PathCall("VerifyEeprom", pszPath);
    std::string path, err;
    const int st = EnterWithPath(OpVerifyEeprom, call, pszPath, path);
    if (st >= 0)
        return Leave(call, st);
    std::vector<std::uint8_t> bytes;
    if (!ReadWholeFile(path, kEepromSize, bytes, err))
    {
        // A file larger than the EEPROM cannot match it.
        const bool bTooLarge = err.find("too large") != std::string::npos;
        return Leave(call, Error(bTooLarge ? 6 : 2, err));
    }
    if (bytes.empty())
        return Leave(call, Error(2, path + ": file is empty"));
    if (!IsPlugged())
        return Leave(call, Unplugged());
    EnterCriticalSection(&m_cs);
    std::size_t i = 0;
    while (i < bytes.size() && bytes[i] == m_eeprom[i])
        ++i;
    LeaveCriticalSection(&m_cs);
    if (i < bytes.size())
    {
        char buf[64];
        std::snprintf(buf, sizeof buf, " at offset 0x%X", static_cast<unsigned>(i));
        return Leave(call, Error(6, "The EEPROM differs from " + path + buf));
    }
    return Leave(call, 0);
}

bool CSimBoard::IsValidEepromFile(const char *pszPath)
{
    const std::string call = PathCall("IsValidEepromFile", pszPath);
    std::string path;
    std::vector<std::uint8_t> bytes;
    const bool bValid = EnterWithPath(OpIsValidEepromFile, call, pszPath, path, false) < 0 &&
                        ReadImageFile(path, bytes) == 0;
    Journal(Prefix() + call + " = " + (bValid ? "true" : "false"));
    return bValid;
}

int CSimBoard::EraseEeprom()
{
    const std::string call = "EraseEeprom()";
    int st = Enter(OpEraseEeprom, call);
    if (st >= 0)
        return Leave(call, st);
    // Unplugged during the operation's delay: the first half is erased.
    const bool bCut = !IsPlugged();
    EnterCriticalSection(&m_cs);
    std::fill(m_eeprom.begin(), m_eeprom.begin() + (bCut ? kEepromSize / 2 : kEepromSize), 0xFF);
    LeaveCriticalSection(&m_cs);
    return Leave(call, bCut ? Unplugged() : 0);
}

} // namespace vtlsim
