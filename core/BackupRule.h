// BackupRule.h - the names of EEPROM backups and which of them are kept.
// <io>-<board type>-<UTC yyyymmddThhmmssZ>[-N].iic, e.g. 0x300-VTL4410-20261208T225347Z.iic
#pragma once

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// Longest board type kept in a name: the whole path must stay short for the library.
constexpr size_t kBackupTypeMax = 32;
// Backups kept per I/O address besides the oldest ever taken.
constexpr size_t kBackupsKept = 10;

struct EepromBackupName
{
    std::uint32_t dwIoAddress = 0;
    std::string strType;  // as made safe for the name
    std::string strStamp; // yyyymmddThhmmssZ
    unsigned nSerial = 1; // 2, 3 ... for further backups within one second
};

// The board type as a part of a file name: printable ASCII outside the characters Windows
// refuses in names; no trailing dots or blanks; '-' kept. Never empty.
inline std::string BackupSafeType(const std::string &strType)
{
    std::string strSafe;
    for (char c : strType.substr(0, kBackupTypeMax))
    {
        const unsigned char u = static_cast<unsigned char>(c);
        const bool bBad =
            u < 0x20 || u >= 0x7F || std::string("<>:\"/\\|?*").find(c) != std::string::npos;
        strSafe += bBad ? '_' : c;
    }
    for (size_t i = strSafe.size(); i > 0 && (strSafe[i - 1] == '.' || strSafe[i - 1] == ' '); --i)
        strSafe[i - 1] = '_';
    return strSafe.empty() ? std::string("board") : strSafe;
}

// The stamp of a UTC time; false when a field is out of range.
inline bool BackupStamp(int nYear, int nMonth, int nDay, int nHour, int nMinute, int nSecond,
                        std::string &strStamp)
{
    if (nYear < 1601 || nYear > 9999 || nMonth < 1 || nMonth > 12 || nDay < 1 || nDay > 31 ||
        nHour < 0 || nHour > 23 || nMinute < 0 || nMinute > 59 || nSecond < 0 || nSecond > 60)
        return false;
    char sz[32];
    snprintf(sz, sizeof(sz), "%04d%02d%02dT%02d%02d%02dZ", nYear, nMonth, nDay, nHour, nMinute,
             nSecond);
    strStamp = sz;
    return true;
}

inline std::string BackupFileName(const EepromBackupName &name)
{
    char szIo[16];
    snprintf(szIo, sizeof(szIo), "0x%X", static_cast<unsigned>(name.dwIoAddress));
    std::string strName = szIo + ("-" + BackupSafeType(name.strType)) + "-" + name.strStamp;
    if (name.nSerial > 1)
        strName += "-" + std::to_string(name.nSerial);
    return strName + ".iic";
}

namespace BackupRuleDetail
{
inline bool Digits(const std::string &s, size_t nFrom, size_t nCount)
{
    if (nFrom + nCount > s.size() || nCount == 0)
        return false;
    for (size_t i = nFrom; i < nFrom + nCount; ++i)
    {
        if (s[i] < '0' || s[i] > '9')
            return false;
    }
    return true;
}
} // namespace BackupRuleDetail

// Reads a backup's name back; false for any other file, which is then never touched.
inline bool ParseBackupFileName(const std::string &strFile, EepromBackupName &name)
{
    using BackupRuleDetail::Digits;
    const size_t nLength = strFile.size();
    if (nLength < 4)
        return false;
    std::string strExt = strFile.substr(nLength - 4);
    std::transform(strExt.begin(), strExt.end(), strExt.begin(), ::tolower);
    if (strExt != ".iic")
        return false;
    std::string s = strFile.substr(0, nLength - 4);
    unsigned nSerial = 1;
    const size_t nZ = s.rfind('Z');
    if (nZ == std::string::npos)
        return false;
    if (nZ + 1 < s.size())
    {
        // "-N" with N from 2, no leading zero
        if (s[nZ + 1] != '-' || !Digits(s, nZ + 2, s.size() - nZ - 2) || s[nZ + 2] == '0' ||
            s.size() - nZ - 2 > 6)
            return false;
        nSerial = static_cast<unsigned>(std::stoul(s.substr(nZ + 2)));
        if (nSerial < 2)
            return false;
        s.resize(nZ + 1);
    }
    // 0x<hex>-<type>-<16-character stamp>
    if (s.size() < 2 + 1 + 1 + 1 + 1 + 16 || s.compare(0, 2, "0x") != 0)
        return false;
    const size_t nStamp = s.size() - 16;
    if (s[nStamp - 1] != '-' || !Digits(s, nStamp, 8) || s[nStamp + 8] != 'T' ||
        !Digits(s, nStamp + 9, 6))
        return false;
    const size_t nDash = s.find('-');
    if (nDash < 3 || nDash > 10 || nDash + 1 >= nStamp - 1)
        return false;
    std::uint32_t dwIo = 0;
    for (size_t i = 2; i < nDash; ++i)
    {
        const char c = static_cast<char>(::tolower(static_cast<unsigned char>(s[i])));
        const int nDigit = c >= '0' && c <= '9'   ? c - '0'
                           : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                                  : -1;
        if (nDigit < 0)
            return false;
        dwIo = dwIo * 16 + static_cast<std::uint32_t>(nDigit);
    }
    name.dwIoAddress = dwIo;
    name.strType = s.substr(nDash + 1, nStamp - 1 - nDash - 1);
    name.strStamp = s.substr(nStamp);
    name.nSerial = nSerial;
    return true;
}

// True when a was taken after b.
inline bool BackupIsNewer(const EepromBackupName &a, const EepromBackupName &b)
{
    return a.strStamp != b.strStamp ? a.strStamp > b.strStamp : a.nSerial > b.nSerial;
}

// The positions in names of the backups to delete: per I/O address all but the kBackupsKept
// newest and the oldest ever taken.
inline std::vector<size_t> BackupsToDelete(const std::vector<EepromBackupName> &names)
{
    std::vector<size_t> order(names.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        if (names[a].dwIoAddress != names[b].dwIoAddress)
            return names[a].dwIoAddress < names[b].dwIoAddress;
        return BackupIsNewer(names[a], names[b]);
    });
    std::vector<size_t> doomed;
    for (size_t i = 0; i < order.size();)
    {
        size_t nEnd = i;
        while (nEnd < order.size() && names[order[nEnd]].dwIoAddress == names[order[i]].dwIoAddress)
            ++nEnd;
        // newest first: keep [i, i + kept) and the last one
        for (size_t j = i + kBackupsKept; j + 1 < nEnd; ++j)
            doomed.push_back(order[j]);
        i = nEnd;
    }
    std::sort(doomed.begin(), doomed.end());
    return doomed;
}
