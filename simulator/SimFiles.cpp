// SimFiles.cpp - paths and whole-file reads and writes.
#include "SimFiles.h"

#include "SimStrings.h"

#include <windows.h>

#include <cstdio>

namespace vtlsim
{

std::string FileNameOf(const std::string &path)
{
    const std::size_t p = path.find_last_of("\\/:");
    return p == std::string::npos ? path : path.substr(p + 1);
}

std::string ExtensionOf(const std::string &path)
{
    const std::string name = FileNameOf(path);
    const std::size_t p = name.rfind('.');
    return p == std::string::npos ? std::string() : Lower(name.substr(p));
}

static std::string WinError(const std::string &path, const char *pszWhat, DWORD dwErr)
{
    if (dwErr == ERROR_FILE_NOT_FOUND || dwErr == ERROR_PATH_NOT_FOUND)
        return path + ": file not found";
    char buf[64];
    std::snprintf(buf, sizeof buf, ": %s (error %lu)", pszWhat, static_cast<unsigned long>(dwErr));
    return path + buf;
}

bool ReadFileHead(const std::string &path, std::size_t maxBytes, std::vector<std::uint8_t> &data,
                  std::uint64_t &fileSize, std::string &err)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
    {
        err = WinError(path, "cannot open", GetLastError());
        return false;
    }
    LARGE_INTEGER li;
    if (!GetFileSizeEx(h, &li))
    {
        err = WinError(path, "cannot read", GetLastError());
        CloseHandle(h);
        return false;
    }
    fileSize = static_cast<std::uint64_t>(li.QuadPart);
    const std::size_t want = fileSize < maxBytes ? static_cast<std::size_t>(fileSize) : maxBytes;
    data.assign(want, 0);
    std::size_t got = 0;
    bool bOk = true;
    while (got < want)
    {
        DWORD n = 0;
        if (!ReadFile(h, data.data() + got, static_cast<DWORD>(want - got), &n, nullptr))
        {
            err = WinError(path, "cannot read", GetLastError());
            bOk = false;
            break;
        }
        if (n == 0)
            break;
        got += n;
    }
    CloseHandle(h);
    data.resize(got);
    return bOk;
}

bool ReadWholeFile(const std::string &path, std::size_t maxBytes, std::vector<std::uint8_t> &data,
                   std::string &err)
{
    std::uint64_t size = 0;
    if (!ReadFileHead(path, maxBytes + 1, data, size, err))
        return false;
    if (size > maxBytes)
    {
        err = path + ": file too large (" + std::to_string(size) + " bytes)";
        return false;
    }
    return true;
}

bool WriteWholeFile(const std::string &path, const std::vector<std::uint8_t> &data,
                    std::string &err)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
    {
        const DWORD e = GetLastError();
        err = e == ERROR_PATH_NOT_FOUND ? path + ": folder not found"
                                        : WinError(path, "cannot write", e);
        return false;
    }
    DWORD n = 0;
    const BOOL bOk =
        data.empty() || WriteFile(h, data.data(), static_cast<DWORD>(data.size()), &n, nullptr);
    const DWORD e = GetLastError();
    CloseHandle(h);
    if (!bOk || n != data.size())
    {
        err = WinError(path, "cannot write", e);
        return false;
    }
    return true;
}

bool ReplaceFileAtomically(const std::string &path, const std::string &text, std::string &err)
{
    const std::string tmp = path + "." + std::to_string(GetCurrentProcessId()) + ".tmp";
    if (!WriteWholeFile(tmp, std::vector<std::uint8_t>(text.begin(), text.end()), err))
        return false;
    if (!MoveFileExA(tmp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING))
    {
        err = WinError(path, "cannot replace", GetLastError());
        DeleteFileA(tmp.c_str());
        return false;
    }
    return true;
}

} // namespace vtlsim
