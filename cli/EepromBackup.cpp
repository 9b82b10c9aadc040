// EepromBackup.cpp - the backup folder on disk.
#include "EepromBackup.h"

#include "CliArgs.h"

#include <windows.h>

#include <algorithm>

namespace
{
std::wstring Join(const std::wstring &strDir, const std::wstring &strName)
{
    if (strDir.empty() || strDir.back() == L'\\' || strDir.back() == L'/')
        return strDir + strName;
    return strDir + L"\\" + strName;
}

std::wstring FullPath(const std::wstring &strPath)
{
    wchar_t sz[MAX_PATH * 4];
    const DWORD n = GetFullPathNameW(strPath.c_str(), MAX_PATH * 4, sz, nullptr);
    return n == 0 || n >= MAX_PATH * 4 ? strPath : std::wstring(sz, n);
}

std::string SystemText(DWORD dwError)
{
    char sz[512] = "";
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, dwError, 0,
                   sz, sizeof(sz), nullptr);
    std::string str = sz;
    while (!str.empty() && (str.back() == '\n' || str.back() == '\r' || str.back() == ' '))
        str.pop_back();
    return str + " (system error " + std::to_string(dwError) + ")";
}
} // namespace

bool MakeEepromBackupDir(const std::wstring &strDir, std::string &strError)
{
    // Each level in turn; those that exist (or are a drive or share) just fail here.
    for (size_t i = 0; i <= strDir.size(); ++i)
    {
        if (i == strDir.size() || strDir[i] == L'\\' || strDir[i] == L'/')
        {
            if (i > 0)
                CreateDirectoryW(strDir.substr(0, i).c_str(), nullptr);
        }
    }
    const DWORD dwAttributes = GetFileAttributesW(strDir.c_str());
    if (dwAttributes != INVALID_FILE_ATTRIBUTES && (dwAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return true;
    strError =
        "cannot create the backup folder \"" + CliAnsi(strDir) + "\": " +
        SystemText(dwAttributes == INVALID_FILE_ATTRIBUTES ? GetLastError() : ERROR_DIRECTORY);
    return false;
}

bool ReserveEepromBackup(const std::wstring &strDir, std::uint32_t dwIoAddress,
                         const std::string &strType, std::wstring &strPath, std::string &strError)
{
    if (!MakeEepromBackupDir(strDir, strError))
        return false;
    SYSTEMTIME now;
    GetSystemTime(&now);
    EepromBackupName name;
    name.dwIoAddress = dwIoAddress;
    name.strType = strType;
    BackupStamp(now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond,
                name.strStamp);
    for (name.nSerial = 1; name.nSerial < 1000; ++name.nSerial)
    {
        strPath = Join(strDir, CliWide(BackupFileName(name)));
        // CREATE_NEW: a backup another run took in the same second is never overwritten.
        const HANDLE hFile = CreateFileW(strPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                         FILE_ATTRIBUTE_NORMAL, nullptr);
        if (hFile != INVALID_HANDLE_VALUE)
        {
            CloseHandle(hFile);
            return true;
        }
        const DWORD dwError = GetLastError();
        if (dwError != ERROR_FILE_EXISTS && dwError != ERROR_ALREADY_EXISTS)
        {
            strError = "cannot create \"" + CliAnsi(strPath) + "\": " + SystemText(dwError);
            return false;
        }
    }
    strError = "too many backups in one second in \"" + CliAnsi(strDir) + "\"";
    return false;
}

std::vector<EepromBackupFile> ListEepromBackups(const std::wstring &strDir, bool bOneIo,
                                                std::uint32_t dwIoAddress)
{
    std::vector<EepromBackupFile> files;
    WIN32_FIND_DATAW data;
    const HANDLE hFind = FindFirstFileW(Join(strDir, L"0x*.iic").c_str(), &data);
    if (hFind == INVALID_HANDLE_VALUE)
        return files;
    do
    {
        EepromBackupFile file;
        const std::wstring strName = data.cFileName;
        // A name the code page cannot hold is no name this program gave.
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
            CliWide(CliAnsi(strName)) != strName ||
            !ParseBackupFileName(CliAnsi(strName), file.name) ||
            (bOneIo && file.name.dwIoAddress != dwIoAddress))
            continue;
        file.strPath = Join(strDir, strName);
        files.push_back(file);
    } while (FindNextFileW(hFind, &data));
    FindClose(hFind);
    std::stable_sort(files.begin(), files.end(),
                     [](const EepromBackupFile &a, const EepromBackupFile &b) {
                         return BackupIsNewer(a.name, b.name);
                     });
    return files;
}

void PruneEepromBackups(const std::wstring &strDir, std::uint32_t dwIoAddress,
                        const std::wstring &strKeep)
{
    const std::vector<EepromBackupFile> files = ListEepromBackups(strDir, true, dwIoAddress);
    std::vector<EepromBackupName> names;
    for (const EepromBackupFile &file : files)
        names.push_back(file.name);
    for (size_t i : BackupsToDelete(names))
    {
        const std::wstring strPath = FullPath(files[i].strPath);
        if (strKeep.empty() || CompareStringOrdinal(strPath.c_str(), -1, FullPath(strKeep).c_str(),
                                                    -1, TRUE) != CSTR_EQUAL)
            DeleteFileW(strPath.c_str()); // one gone already (another run pruned it) is fine
    }
}

std::string BackupTimeText(const std::string &s)
{
    return s.substr(0, 4) + "-" + s.substr(4, 2) + "-" + s.substr(6, 2) + " " + s.substr(9, 2) +
           ":" + s.substr(11, 2) + ":" + s.substr(13, 2) + "Z";
}
