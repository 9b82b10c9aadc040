// StationLog.cpp - the station's CSV log and its JSON lines.
#include "StationLog.h"

#include "CliArgs.h"
#include "CliJson.h"
#include "CliMain.h"
#include "CliOutput.h"
#include "ExitCodes.h"
#include "OstrelText.h"

#include <vector>

namespace
{
// One cell: text, a number, or a number that was not measured (empty cell, JSON null).
struct Field
{
    const char *pszName;
    std::string strText;
    bool bNumber;
};

std::string Ms(int nMs)
{
    return nMs < 0 ? std::string() : std::to_string(nMs);
}

// The columns in their order; the header and both row forms come from this one list.
std::vector<Field> Fields(const StationRow &row)
{
    return {
        {"utc_time", row.strUtc, false},
        {"computer", row.strComputer, false},
        {"index", std::to_string(row.nIndex), true},
        {"io_address", CliFormat(OstrelText::kIoAddress, static_cast<unsigned>(row.dwIoAddress)),
         false},
        {"board_type", row.strType, false},
        {"eeprom_before", row.strEepromBefore, false},
        {"eeprom_after", row.strEepromAfter, false},
        {"eeprom_file", row.strEepromFile, false},
        {"eeprom_sha256", row.strEepromSha256, false},
        {"flash_file", row.strFlashFile, false},
        {"flash_sha256", row.strFlashSha256, false},
        {"family", row.strFamily, false},
        {"version", row.strVersion, false},
        {"backup_ms", Ms(row.nMs[kStationBackup]), true},
        {"write_ms", Ms(row.nMs[kStationWrite]), true},
        {"verify_ms", Ms(row.nMs[kStationVerify]), true},
        {"restore_ms", Ms(row.nMs[kStationRestore]), true},
        {"flash_ms", Ms(row.nMs[kStationFlash]), true},
        {"result", row.strResult, false},
        {"error", row.strError, false},
    };
}

// Driver texts may hold any byte. They are kept as they are; a field with a separator, a quote,
// a line end or another control byte is quoted so that every reader splits it the same way.
std::string CsvField(const std::string &strText)
{
    bool bQuote = false;
    for (unsigned char c : strText)
        bQuote = bQuote || c == ',' || c == '"' || c < 0x20 || c == 0x7F;
    if (!bQuote)
        return strText;
    std::string strField = "\"";
    for (char c : strText)
    {
        if (c == '"')
            strField += '"';
        strField += c;
    }
    return strField + "\"";
}

int Refuse(const std::string &strReason)
{
    const std::string strProgram = CliProgramName();
    CliOutput().Err(strProgram.empty() ? strReason : strProgram + ": " + strReason);
    return kExitBadFile;
}

// The whole text in one write, so that a reader never sees half a row.
bool WriteAll(HANDLE hFile, const std::string &strText, std::string &strError)
{
    DWORD dwWritten = 0;
    if (!WriteFile(hFile, strText.data(), static_cast<DWORD>(strText.size()), &dwWritten, nullptr))
        strError = CliSystemText(GetLastError());
    else if (dwWritten != strText.size())
        strError = "only " + std::to_string(dwWritten) + " of " + std::to_string(strText.size()) +
                   " bytes were written";
    else if (!FlushFileBuffers(hFile))
        strError = "flushing to the disk failed: " + CliSystemText(GetLastError());
    else
        return true;
    return false;
}
} // namespace

std::string StationCsvHeader()
{
    std::string strLine;
    for (const Field &field : Fields(StationRow()))
        strLine += (strLine.empty() ? "" : ",") + std::string(field.pszName);
    return strLine + "\r\n";
}

std::string StationCsvLine(const StationRow &row)
{
    std::string strLine;
    bool bFirst = true;
    for (const Field &field : Fields(row))
    {
        strLine += (bFirst ? "" : ",") + CsvField(field.strText);
        bFirst = false;
    }
    return strLine + "\r\n";
}

std::string StationJsonLine(const StationRow &row)
{
    std::string strLine = "{";
    for (const Field &field : Fields(row))
    {
        if (strLine.size() > 1)
            strLine += ",";
        strLine += "\"" + std::string(field.pszName) + "\":";
        if (!field.bNumber)
            strLine += JsonString(field.strText);
        else
            strLine += field.strText.empty() ? "null" : field.strText;
    }
    return strLine + "}";
}

std::wstring StationDefaultLogName()
{
    SYSTEMTIME time;
    GetLocalTime(&time);
    return CliWide(CliFormat("station-%04u%02u%02u.csv", time.wYear, time.wMonth, time.wDay));
}

std::string StationUtcNow()
{
    SYSTEMTIME time;
    GetSystemTime(&time);
    return CliFormat("%04u-%02u-%02uT%02u:%02u:%02u.%03uZ", time.wYear, time.wMonth, time.wDay,
                     time.wHour, time.wMinute, time.wSecond, time.wMilliseconds);
}

CStationLog::CStationLog() : m_hFile(INVALID_HANDLE_VALUE) {}

CStationLog::~CStationLog()
{
    if (m_hFile != INVALID_HANDLE_VALUE)
        CloseHandle(m_hFile);
}

int CStationLog::Open(const std::wstring &strPath)
{
    if (strPath.empty())
        return Refuse("the log's file name is empty");
    std::wstring strFull(32768, L'\0');
    const DWORD n =
        GetFullPathNameW(strPath.c_str(), static_cast<DWORD>(strFull.size()), &strFull[0], nullptr);
    if (n == 0 || n >= strFull.size())
        return Refuse("\"" + CliAnsi(strPath) + "\" is not a usable path for the log");
    strFull.resize(n);
    std::string strError;
    if (!CheckOutputFile(strFull, strError))
        return Refuse("cannot use the log: " + strError);
    const std::string strQuoted = "\"" + CliAnsi(strFull) + "\"";
    // Append-only access cannot overwrite a byte already there; readers may watch the rows come.
    const HANDLE hFile =
        CreateFileW(strFull.c_str(), FILE_APPEND_DATA | FILE_READ_ATTRIBUTES, FILE_SHARE_READ,
                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return Refuse("cannot open the log " + strQuoted + ": " + CliSystemText(GetLastError()));
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(hFile, &size))
        strError = CliSystemText(GetLastError());
    else if (size.QuadPart == 0)
        WriteAll(hFile, StationCsvHeader(), strError);
    if (!strError.empty())
    {
        CloseHandle(hFile);
        return Refuse("cannot write to the log " + strQuoted + ": " + strError);
    }
    if (m_hFile != INVALID_HANDLE_VALUE)
        CloseHandle(m_hFile);
    m_hFile = hFile;
    m_strPath = strFull;
    return kExitDone;
}

bool CStationLog::Append(const StationRow &row, std::string &strError)
{
    if (m_hFile == INVALID_HANDLE_VALUE)
    {
        strError = "the log is not open";
        return false;
    }
    if (WriteAll(m_hFile, StationCsvLine(row), strError))
        return true;
    strError = "cannot write to the log \"" + CliAnsi(m_strPath) + "\": " + strError;
    return false;
}
