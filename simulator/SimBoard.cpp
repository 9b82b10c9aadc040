// SimBoard.cpp - board object core: faults, journal, locking, progress and the flash operations.
#include "SimBoard.h"

#include "SimEeprom.h"
#include "SimJournal.h"
#include "SimCrossProcess.h"
#include "SimStrings.h"
#include "SimThrow.h"

#include <cstring>

namespace vtlsim
{

CSimBoard::CSimBoard(std::uint32_t nSection) : m_nSection(nSection)
{
    InitializeCriticalSection(&m_cs);
}

void CSimBoard::Configure(const DriverConfig &drv, const BoardConfig &cfg, const std::string &scope,
                          std::uint32_t nIndex)
{
    EnterCriticalSection(&m_cs);
    const std::string identity = drv.path + "\n" + cfg.identity;
    if (identity != m_identity)
    {
        m_identity = identity;
        for (int f = 0; f < 2; ++f)
        {
            m_flash[f] = cfg.flash[f];
            m_bUseText[f] = cfg.bHasText[f];
        }
        m_eeprom = cfg.eeprom;
        m_eeprom.resize(kEepromSize, 0xFF);
        m_error.clear();
        m_pfnProgress = nullptr;
        m_pContext = nullptr;
    }
    m_cfg = cfg;
    m_scope = scope;
    m_configPath = drv.path;
    m_configPlugged.clear();
    for (const BoardConfig &b : drv.boards)
        m_configPlugged.push_back(!b.bUnplugged);
    m_nIndex = nIndex;
    m_nProgressMs = drv.nProgressMs;
    m_nStepMs = drv.nProgressStepMs;
    LeaveCriticalSection(&m_cs);
}

bool CSimBoard::IsPlugged() const
{
    const std::vector<bool> plugged = ReadPlugged(m_configPath, m_configPlugged);
    return m_nSection >= plugged.size() || plugged[m_nSection];
}

bool CSimBoard::Acquire()
{
    EnterCriticalSection(&m_cs);
    if (!m_hLock && m_cfg.bOpenable)
        m_hLock = TryLockBoard(m_scope, m_nSection);
    const bool bHeld = m_hLock != nullptr;
    LeaveCriticalSection(&m_cs);
    return bHeld;
}

void CSimBoard::Release()
{
    EnterCriticalSection(&m_cs);
    HANDLE h = m_hLock;
    m_hLock = nullptr;
    const std::string scope = m_scope;
    LeaveCriticalSection(&m_cs);
    UnlockBoard(scope, h);
}

void CSimBoard::DropLockAtUnload()
{
    if (m_hLock)
        CloseHandle(m_hLock);
    m_hLock = nullptr;
}

std::string CSimBoard::FillInfo(BoardInfo &info)
{
    EnterCriticalSection(&m_cs);
    info.dwUsable = m_cfg.nUsable;
    info.dwIoAddress = m_cfg.nIoAddress;
    std::string type = m_cfg.type;
    if (m_cfg.bTypeUnterminated)
    {
        // Deliberately no terminator, to test callers' bounds.
        const std::string fill = type.empty() ? std::string("X") : type;
        for (std::size_t i = 0; i < sizeof info.szBoardType; ++i)
            info.szBoardType[i] = fill[i % fill.size()];
        type = std::string(info.szBoardType, sizeof info.szBoardType);
    }
    else
        CopyText(info.szBoardType, sizeof info.szBoardType, type);
    LeaveCriticalSection(&m_cs);
    return "usable=" + std::to_string(info.dwUsable) + " type=" + Quote(type) +
           " io=" + Hex(info.dwIoAddress);
}

std::string CSimBoard::Prefix() const
{
    return "board" + std::to_string(m_nIndex) + ".";
}

int CSimBoard::Error(int status, const std::string &text)
{
    EnterCriticalSection(&m_cs);
    m_error = text;
    LeaveCriticalSection(&m_cs);
    return status;
}

int CSimBoard::Unplugged()
{
    return Error(9, "The board was unplugged");
}

int CSimBoard::Enter(int op, const std::string &call, bool bNeedLock)
{
    EnterCriticalSection(&m_cs);
    const bool bHeld = m_hLock != nullptr;
    Fault f = m_cfg.faults[op];
    if (f.nFailTimes != 0 && ++m_nCalls[op] > f.nFailTimes)
        f.bFail = false;
    LeaveCriticalSection(&m_cs);
    if (bNeedLock && !bHeld)
        return Error(8, "The board was released or the library was closed");
    if (bNeedLock && !IsPlugged())
        return Unplugged();
    if (ApplyFault(f, Prefix() + call, __LINE__, __FILE__))
        return Error(f.nFailStatus, f.failText);
    return -1;
}

int CSimBoard::EnterWithPath(int op, const std::string &call, const char *pszPath,
                             std::string &path, bool bNeedLock)
{
    const int st = Enter(op, call, bNeedLock);
    if (st >= 0)
        return st;
    const int nCheck = CheckPath(pszPath, path);
    return nCheck != 0 ? nCheck : -1;
}

int CSimBoard::Leave(const std::string &call, int status, const std::string &detail)
{
    std::string line = Prefix() + call + " = " + std::to_string(status);
    if (status != 0)
    {
        EnterCriticalSection(&m_cs);
        line += " " + Quote(m_error);
        LeaveCriticalSection(&m_cs);
    }
    else if (!detail.empty())
        line += " " + detail;
    Journal(line);
    return status;
}

int CSimBoard::CheckPath(const char *pszPath, std::string &path)
{
    if (!pszPath || !*pszPath)
        return Error(1, "No file name was given");
    const std::size_t n = strnlen(pszPath, 32768);
    if (n >= MAX_PATH)
        return Error(1, "The file path is too long (" + std::to_string(n) +
                            " characters, at most " + std::to_string(MAX_PATH - 1) + ")");
    path.assign(pszPath, n);
    return 0;
}

int CSimBoard::Reserved(int slot)
{
    char name[16];
    std::snprintf(name, sizeof name, "Reserved%02d()", slot);
    Journal(Prefix() + name + " = 0");
    return 0;
}

const char *CSimBoard::GetErrorText()
{
    const std::string call = "GetErrorText()";
    Enter(OpGetErrorText, call, false); // a configured failure becomes the text returned
    EnterCriticalSection(&m_cs);
    const TextShape &shape = m_cfg.errorShape;
    const char *psz = m_error.c_str();
    std::string text = m_error;
    if (shape.nLength != 0 || shape.bUnterminated)
    {
        text = StretchText(m_error, shape.nLength);
        psz = m_shapedError.Set(text, !shape.bUnterminated);
    }
    Journal(Prefix() + call + " = " + Quote(text));
    LeaveCriticalSection(&m_cs);
    return psz;
}

int CSimBoard::ReleaseBoard()
{
    const std::string call = "ReleaseBoard()";
    int st = Enter(OpReleaseBoard, call, false);
    Release();
    return Leave(call, st >= 0 ? st : 0);
}

} // namespace vtlsim
