// CliOutput.cpp - console-aware, locked writing of results, messages and progress.
#include "CliOutput.h"

#include "CliArgs.h"

#include <cstdarg>
#include <cstdio>

CCliOutput::CCliOutput() : m_nProgressLength(0)
{
    InitializeCriticalSection(&m_cs);
    const HANDLE hOut = GetStdHandle(STD_OUTPUT_HANDLE);
    const HANDLE hErr = GetStdHandle(STD_ERROR_HANDLE);
    DWORD dwMode = 0;
    m_out = {hOut, hOut != INVALID_HANDLE_VALUE && hOut && GetConsoleMode(hOut, &dwMode) != 0};
    m_err = {hErr, hErr != INVALID_HANDLE_VALUE && hErr && GetConsoleMode(hErr, &dwMode) != 0};
}

CCliOutput &CliOutput()
{
    static CCliOutput *s_pOutput = new CCliOutput;
    return *s_pOutput;
}

std::string CliPrintable(const std::string &strText)
{
    std::string strResult;
    strResult.reserve(strText.size() + 2);
    for (size_t i = 0; i < strText.size(); ++i)
    {
        const unsigned char c = static_cast<unsigned char>(strText[i]);
        if (c == '\r')
        {
            if (i + 1 < strText.size() && strText[i + 1] == '\n')
                continue;
            strResult += '\n';
        }
        else if (c < 0x20 && c != '\n' && c != '\t')
            strResult += '?';
        else if (c == 0x7F)
            strResult += '?';
        else
            strResult += static_cast<char>(c);
    }
    return strResult;
}

std::string CliOneLine(const std::string &strText)
{
    std::string strLine;
    for (char c : CliPrintable(strText))
    {
        if (c != '\n')
            strLine += c;
        else if (!strLine.empty() && strLine.back() != ' ')
            strLine += ' ';
    }
    while (!strLine.empty() && strLine.back() == ' ')
        strLine.pop_back();
    return strLine;
}

void CCliOutput::Write(const Stream &stream, const std::string &strText)
{
    if (!stream.hFile || stream.hFile == INVALID_HANDLE_VALUE || strText.empty())
        return;
    DWORD dwWritten = 0;
    if (stream.bConsole)
    {
        const std::wstring strWide = CliWide(strText);
        WriteConsoleW(stream.hFile, strWide.data(), static_cast<DWORD>(strWide.size()), &dwWritten,
                      nullptr);
        return;
    }
    std::string strBytes;
    strBytes.reserve(strText.size() + 8);
    for (char c : strText)
    {
        if (c == '\n')
            strBytes += '\r';
        strBytes += c;
    }
    // A closed pipe or a full disk loses the text; there is nobody left to tell.
    WriteFile(stream.hFile, strBytes.data(), static_cast<DWORD>(strBytes.size()), &dwWritten,
              nullptr);
}

void CCliOutput::EndProgressLocked()
{
    if (m_nProgressLength == 0)
        return;
    Write(m_err, "\n");
    m_nProgressLength = 0;
}

void CCliOutput::WriteLines(bool bErr, const std::string &strText)
{
    std::string strLines = CliPrintable(strText);
    if (strLines.empty() || strLines.back() != '\n')
        strLines += '\n';
    EnterCriticalSection(&m_cs);
    EndProgressLocked();
    if (bErr)
        Write(m_err, CliPrintable(m_strErrPrefix) + strLines);
    else
        Write(m_out, strLines);
    LeaveCriticalSection(&m_cs);
}

void CCliOutput::Out(const std::string &strText)
{
    WriteLines(false, strText);
}

void CCliOutput::Err(const std::string &strText)
{
    WriteLines(true, strText);
}

void CCliOutput::OutColoured(const std::string &strBefore, const std::string &strWord,
                             const char *pszSgr, const std::string &strAfter)
{
    // Each piece is made printable alone, so that no text given can carry an escape of its own.
    std::string strLine = CliPrintable(strBefore);
    if (pszSgr && m_out.bConsole)
        strLine += "\x1b[" + std::string(pszSgr) + "m" + CliPrintable(strWord) + "\x1b[0m";
    else
        strLine += CliPrintable(strWord);
    strLine += CliPrintable(strAfter);
    if (strLine.empty() || strLine.back() != '\n')
        strLine += '\n';
    EnterCriticalSection(&m_cs);
    EndProgressLocked();
    Write(m_out, strLine);
    LeaveCriticalSection(&m_cs);
}

void CCliOutput::SetErrPrefix(const std::string &strPrefix)
{
    EnterCriticalSection(&m_cs);
    m_strErrPrefix = strPrefix;
    LeaveCriticalSection(&m_cs);
}

void CCliOutput::Progress(const std::string &strText)
{
    const std::string strLine = CliPrintable(strText);
    EnterCriticalSection(&m_cs);
    if (m_err.bConsole)
    {
        // Blanks wipe what a longer earlier line left behind.
        std::string strInPlace = "\r" + strLine;
        if (strLine.size() < m_nProgressLength)
            strInPlace.append(m_nProgressLength - strLine.size(), ' ');
        Write(m_err, strInPlace);
        m_nProgressLength = strLine.size() > 0 ? strLine.size() : 1;
    }
    else
    {
        Write(m_err, strLine + "\n");
    }
    LeaveCriticalSection(&m_cs);
}

void CCliOutput::EndProgress()
{
    EnterCriticalSection(&m_cs);
    EndProgressLocked();
    LeaveCriticalSection(&m_cs);
}

std::string CliFormat(const char *pszFormat, ...)
{
    va_list args;
    va_start(args, pszFormat);
    va_list measure;
    va_copy(measure, args);
    const int n = vsnprintf(nullptr, 0, pszFormat, measure);
    va_end(measure);
    std::string strText(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        vsnprintf(&strText[0], strText.size() + 1, pszFormat, args);
    va_end(args);
    return strText;
}

std::string CliSystemText(DWORD dwError)
{
    char *pszText = nullptr;
    const DWORD n = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, dwError, 0, reinterpret_cast<char *>(&pszText), 0, nullptr);
    std::string strText = n && pszText ? CliOneLine(pszText) : std::string();
    if (pszText)
        LocalFree(pszText);
    while (!strText.empty() && strText.back() == '.')
        strText.pop_back();
    if (strText.empty())
        strText = "system error";
    return strText + " (error " + std::to_string(dwError) + ")";
}
