// CliOutput.h - stdout for results, stderr for messages and progress, from any thread.
#pragma once

#include <windows.h>

#include <string>

// Texts are 8-bit (ANSI) as the library and the tools hold them. On a console they are shown
// through WriteConsoleW, so that characters outside ASCII come out right; into a pipe or a file
// they go as ANSI bytes with CRLF line ends. Control characters other than line ends and tabs
// are shown as '?': a driver text must not steer the terminal.
class CCliOutput
{
public:
    CCliOutput();
    CCliOutput(const CCliOutput &) = delete;
    CCliOutput &operator=(const CCliOutput &) = delete;

    // Writes text and ends its last line.
    void Out(const std::string &strText);
    void Err(const std::string &strText);
    // Writes a line to stdout with strWord between strBefore and strAfter; on a console the word
    // gets the SGR attributes pszSgr ("32" green), which needs VT processing turned on.
    void OutColoured(const std::string &strBefore, const std::string &strWord, const char *pszSgr,
                     const std::string &strAfter);
    // Put before every stderr message, e.g. the board that --all is working on.
    void SetErrPrefix(const std::string &strPrefix);

    // One progress line on stderr: rewritten in place on a console, one line each otherwise.
    void Progress(const std::string &strText);
    // Ends an in-place progress line, if one is open.
    void EndProgress();

private:
    struct Stream
    {
        HANDLE hFile;
        bool bConsole;
    };
    void Write(const Stream &stream, const std::string &strText);
    // Printable text with its last line ended; stderr's lines get the prefix.
    void WriteLines(bool bErr, const std::string &strText);
    void EndProgressLocked();

    CRITICAL_SECTION m_cs;
    Stream m_out;
    Stream m_err;
    std::string m_strErrPrefix;
    size_t m_nProgressLength; // characters of the open in-place line, 0 when none
};

// The process's one output. It is never destroyed: the console handler may still write while
// the process exits.
CCliOutput &CliOutput();

// printf into a string of the length the text needs.
std::string CliFormat(const char *pszFormat, ...) __attribute__((format(printf, 1, 2)));

// The system's text for an error code, on one line, with the code: "Access is denied (error 5)".
std::string CliSystemText(DWORD dwError);

// Text made printable: CRLF and lone CR become LF, other control characters '?'.
std::string CliPrintable(const std::string &strText);

// Printable text on one line: line ends become single blanks, trailing blanks go.
std::string CliOneLine(const std::string &strText);
