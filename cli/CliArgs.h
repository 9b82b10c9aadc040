// CliArgs.h - the command line, taken as wide text, and the checks on its values.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

// One option a command accepts.
struct CliOption
{
    const wchar_t *pszName; // "--board"
    bool bTakesValue;
};

// The command, its operands and its options. "--name value" and "--name=value" both work, and
// "--" ends the options.
class CCliArgs
{
public:
    // False on bad usage, with a one-line reason in Error().
    bool Parse(int argc, wchar_t **argv, const std::vector<CliOption> &options);

    const std::wstring &Command() const { return m_strCommand; }
    const std::vector<std::wstring> &Operands() const { return m_operands; }
    bool Has(const wchar_t *pszName) const { return m_values.count(pszName) != 0; }
    // Every option given, by name.
    const std::map<std::wstring, std::wstring> &Options() const { return m_values; }
    const std::wstring &Value(const wchar_t *pszName) const { return m_values.at(pszName); }
    const std::string &Error() const { return m_strError; }

private:
    std::wstring m_strCommand;
    std::vector<std::wstring> m_operands;
    std::map<std::wstring, std::wstring> m_values;
    std::string m_strError;
};

// Which boards a command runs on.
struct CliBoardChoice
{
    enum Kind
    {
        kFirst,        // the first listed board, as Ostrel takes it
        kLibraryFirst, // the library's board 0, as Torvane takes it
        kIndex,        // --board N: position in the list
        kIo,           // --io 0xADDR
        kAll           // --all: each listed board in turn
    };
    Kind nKind = kFirst;
    std::uint32_t nValue = 0;
};

// Options every board command takes.
extern const CliOption kCliBoardOptions[3];

// Reads --board, --io and --all; false with the reason when they are malformed or combined.
bool ReadBoardChoice(const CCliArgs &args, CliBoardChoice &choice, std::string &strError);

// A decimal count from 1 to 2^31 - 1.
bool ParseCount(const std::wstring &strText, unsigned &nValue);

// "MAJOR.MINOR" with both parts decimal and below 2^31.
bool ParseVersion(const std::wstring &strText, int &nMajor, int &nMinor);

// Text for messages: ANSI, with '?' for what the code page lacks.
std::string CliAnsi(const std::wstring &strText);
// ANSI text back to wide.
std::wstring CliWide(const std::string &strAnsi);

// A path as the library takes it: full, ANSI and shorter than MAX_PATH. False with the reason
// when it cannot be given to the library unchanged.
bool ToLibraryPath(const std::wstring &strPath, std::string &strAnsi, std::string &strError);

// For a file the library is to read: false with the reason when it is missing or a folder.
bool CheckInputFile(const std::wstring &strPath, std::string &strError);
// For a file the library is to write: false with the reason when a folder has that name.
bool CheckOutputFile(const std::wstring &strPath, std::string &strError);
