// StationImage.cpp - opening, locking and hashing an image the station reads.
#include "StationImage.h"

#include "CliArgs.h"
#include "CliMain.h"
#include "CliOutput.h"
#include "ExitCodes.h"

#include <bcrypt.h>

#include <vector>

namespace
{
// Large reads keep the number of system calls low; the hash, not the disk, sets the pace.
const DWORD kChunk = 1024 * 1024;

int Refuse(const std::string &strReason)
{
    const std::string strProgram = CliProgramName();
    CliOutput().Err(strProgram.empty() ? strReason : strProgram + ": " + strReason);
    return kExitBadFile;
}

// Closes what it holds on every way out.
struct CHashHandles
{
    BCRYPT_ALG_HANDLE hAlgorithm = nullptr;
    BCRYPT_HASH_HANDLE hHash = nullptr;
    ~CHashHandles()
    {
        if (hHash)
            BCryptDestroyHash(hHash);
        if (hAlgorithm)
            BCryptCloseAlgorithmProvider(hAlgorithm, 0);
    }
};
} // namespace

bool Sha256OfFile(HANDLE hFile, std::string &strHex, std::uint64_t &nSize, std::string &strError)
{
    CHashHandles handles;
    NTSTATUS status =
        BCryptOpenAlgorithmProvider(&handles.hAlgorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0);
    if (BCRYPT_SUCCESS(status))
        status = BCryptCreateHash(handles.hAlgorithm, &handles.hHash, nullptr, 0, nullptr, 0, 0);
    if (!BCRYPT_SUCCESS(status))
    {
        strError = CliFormat("the system's SHA-256 provider is not available (0x%08lX)",
                             static_cast<unsigned long>(status));
        return false;
    }
    LARGE_INTEGER start = {};
    if (!SetFilePointerEx(hFile, start, nullptr, FILE_BEGIN))
    {
        strError = CliSystemText(GetLastError());
        return false;
    }
    std::vector<unsigned char> buffer(kChunk);
    nSize = 0;
    for (;;)
    {
        DWORD dwRead = 0;
        if (!ReadFile(hFile, buffer.data(), kChunk, &dwRead, nullptr))
        {
            strError = CliSystemText(GetLastError());
            return false;
        }
        if (dwRead == 0)
            break;
        status = BCryptHashData(handles.hHash, buffer.data(), dwRead, 0);
        if (!BCRYPT_SUCCESS(status))
        {
            strError = CliFormat("hashing failed (0x%08lX)", static_cast<unsigned long>(status));
            return false;
        }
        nSize += dwRead;
    }
    unsigned char digest[32];
    status = BCryptFinishHash(handles.hHash, digest, sizeof(digest), 0);
    if (!BCRYPT_SUCCESS(status))
    {
        strError = CliFormat("hashing failed (0x%08lX)", static_cast<unsigned long>(status));
        return false;
    }
    strHex.clear();
    for (unsigned char c : digest)
        strHex += CliFormat("%02x", c);
    return true;
}

CStationImage::CStationImage() : m_hFile(INVALID_HANDLE_VALUE), m_nSize(0) {}

CStationImage::~CStationImage()
{
    if (m_hFile != INVALID_HANDLE_VALUE)
        CloseHandle(m_hFile);
}

int CStationImage::Open(const std::wstring &strPath)
{
    std::string strError;
    std::string strLibraryPath;
    if (!ToLibraryPath(strPath, strLibraryPath, strError) || !CheckInputFile(strPath, strError))
        return Refuse(strError);
    const std::string strQuoted = "\"" + strLibraryPath + "\"";
    // Readers may share it; a writer, a rename or a delete may not while the station runs.
    const HANDLE hFile =
        CreateFileW(CliWide(strLibraryPath).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
    {
        const DWORD dwError = GetLastError();
        if (dwError == ERROR_SHARING_VIOLATION)
            return Refuse("cannot lock " + strQuoted +
                          ": it is open for writing elsewhere; close that program first");
        return Refuse("cannot open " + strQuoted + ": " + CliSystemText(dwError));
    }
    if (GetFileType(hFile) != FILE_TYPE_DISK)
    {
        CloseHandle(hFile);
        return Refuse(strQuoted + " is not a file");
    }
    std::string strSha256;
    std::uint64_t nSize = 0;
    if (!Sha256OfFile(hFile, strSha256, nSize, strError))
    {
        CloseHandle(hFile);
        return Refuse("cannot read " + strQuoted + ": " + strError);
    }
    if (m_hFile != INVALID_HANDLE_VALUE)
        CloseHandle(m_hFile);
    m_hFile = hFile;
    m_strPath = CliWide(strLibraryPath);
    m_strLibraryPath = strLibraryPath;
    m_strSha256 = strSha256;
    m_nSize = nSize;
    return kExitDone;
}
