// StationImage.h - an image file the station reads once: hashed at start and held open with
// writing and deleting denied until the station ends, so that the file the library reads is the
// file that was hashed.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

class CStationImage
{
public:
    CStationImage();
    ~CStationImage(); // closes the file
    CStationImage(const CStationImage &) = delete;
    CStationImage &operator=(const CStationImage &) = delete;

    // Checks the path as the library takes it, opens the file sharing only reading, and hashes
    // it: 0, or kExitBadFile (6) after printing why (missing, a folder, locked by a writer, a
    // path the library cannot take, unreadable).
    int Open(const std::wstring &strPath);

    const std::wstring &Path() const { return m_strPath; } // full path
    const std::string &LibraryPath() const
    {
        return m_strLibraryPath;
    }                                                         // ANSI, as the library takes it
    const std::string &Sha256() const { return m_strSha256; } // 64 lowercase hex digits
    std::uint64_t Size() const { return m_nSize; }

private:
    HANDLE m_hFile;
    std::wstring m_strPath;
    std::string m_strLibraryPath;
    std::string m_strSha256;
    std::uint64_t m_nSize;
};

// SHA-256 of an open file from its start, through the system's hash provider: 64 lowercase hex
// digits, or false with the reason.
bool Sha256OfFile(HANDLE hFile, std::string &strHex, std::uint64_t &nSize, std::string &strError);
