// CliArgs.cpp - splitting the command line and reading option values.
#include "CliArgs.h"

#include "CliOutput.h"
#include "CliText.h"

#include <windows.h>

namespace
{
const CliOption *FindOption(const std::vector<CliOption> &options, const std::wstring &strName)
{
    for (const CliOption &option : options)
    {
        if (strName == option.pszName)
            return &option;
    }
    return nullptr;
}

// Digits only, in the given base, below the limit; no sign, no blanks.
bool ParseNumber(const std::wstring &strText, unsigned nBase, std::uint64_t nLimit,
                 std::uint64_t &nValue)
{
    if (strText.empty() || strText.size() > 20)
        return false;
    nValue = 0;
    for (wchar_t c : strText)
    {
        unsigned nDigit;
        if (c >= L'0' && c <= L'9')
            nDigit = static_cast<unsigned>(c - L'0');
        else if (nBase == 16 && c >= L'a' && c <= L'f')
            nDigit = static_cast<unsigned>(c - L'a' + 10);
        else if (nBase == 16 && c >= L'A' && c <= L'F')
            nDigit = static_cast<unsigned>(c - L'A' + 10);
        else
            return false;
        if (nDigit >= nBase)
            return false;
        nValue = nValue * nBase + nDigit;
        if (nValue > nLimit)
            return false;
    }
    return true;
}

} // namespace

const CliOption kCliBoardOptions[3] = {{L"--board", true}, {L"--io", true}, {L"--all", false}};

bool CCliArgs::Parse(int argc, wchar_t **argv, const std::vector<CliOption> &options)
{
    bool bOptionsEnded = false;
    for (int i = 1; i < argc; ++i)
    {
        std::wstring strArg = argv[i];
        if (bOptionsEnded || strArg.size() < 2 || strArg[0] != L'-')
        {
            if (m_strCommand.empty())
                m_strCommand = strArg;
            else
                m_operands.push_back(strArg);
            continue;
        }
        if (strArg == L"--")
        {
            bOptionsEnded = true;
            continue;
        }
        std::wstring strName = strArg;
        std::wstring strValue;
        const size_t nEquals = strArg.find(L'=');
        const bool bInline = nEquals != std::wstring::npos;
        if (bInline)
        {
            strName = strArg.substr(0, nEquals);
            strValue = strArg.substr(nEquals + 1);
        }
        const CliOption *pOption = FindOption(options, strName);
        if (!pOption)
        {
            m_strError = CliFormat(CliText::kUnknownOption, CliAnsi(strName).c_str());
            return false;
        }
        if (m_values.count(strName))
        {
            m_strError = CliAnsi(strName) + " is given twice";
            return false;
        }
        if (!pOption->bTakesValue && bInline)
        {
            m_strError = CliAnsi(strName) + " takes no value";
            return false;
        }
        if (pOption->bTakesValue && !bInline)
        {
            if (i + 1 >= argc)
            {
                m_strError = CliAnsi(strName) + " needs a value";
                return false;
            }
            strValue = argv[++i];
        }
        m_values[strName] = strValue;
    }
    return true;
}

bool ReadBoardChoice(const CCliArgs &args, CliBoardChoice &choice, std::string &strError)
{
    const int nGiven = args.Has(L"--board") + args.Has(L"--io") + args.Has(L"--all");
    if (nGiven > 1)
    {
        strError = CliText::kBoardOptionsExclusive;
        return false;
    }
    std::uint64_t nValue = 0;
    if (args.Has(L"--board"))
    {
        if (!ParseNumber(args.Value(L"--board"), 10, 0xFFFFFFFFu, nValue))
        {
            strError = CliFormat(CliText::kBadBoardIndex, CliAnsi(args.Value(L"--board")).c_str());
            return false;
        }
        choice.nKind = CliBoardChoice::kIndex;
    }
    else if (args.Has(L"--io"))
    {
        const std::wstring &strText = args.Value(L"--io");
        const bool bPrefixed =
            strText.size() > 2 && strText[0] == L'0' && (strText[1] == L'x' || strText[1] == L'X');
        if (!bPrefixed || !ParseNumber(strText.substr(2), 16, 0xFFFFFFFFu, nValue))
        {
            strError = CliFormat(CliText::kBadIoAddress, CliAnsi(strText).c_str());
            return false;
        }
        choice.nKind = CliBoardChoice::kIo;
    }
    else if (args.Has(L"--all"))
    {
        choice.nKind = CliBoardChoice::kAll;
    }
    choice.nValue = static_cast<std::uint32_t>(nValue);
    return true;
}

bool ParseCount(const std::wstring &strText, unsigned &nValue)
{
    std::uint64_t nNumber = 0;
    if (!ParseNumber(strText, 10, 0x7FFFFFFF, nNumber) || nNumber == 0)
        return false;
    nValue = static_cast<unsigned>(nNumber);
    return true;
}

bool ParseVersion(const std::wstring &strText, int &nMajor, int &nMinor)
{
    const size_t nDot = strText.find(L'.');
    if (nDot == std::wstring::npos)
        return false;
    std::uint64_t nHigh = 0;
    std::uint64_t nLow = 0;
    if (!ParseNumber(strText.substr(0, nDot), 10, 0x7FFFFFFF, nHigh) ||
        !ParseNumber(strText.substr(nDot + 1), 10, 0x7FFFFFFF, nLow))
        return false;
    nMajor = static_cast<int>(nHigh);
    nMinor = static_cast<int>(nLow);
    return true;
}

std::string CliAnsi(const std::wstring &strText)
{
    if (strText.empty())
        return std::string();
    const int n = WideCharToMultiByte(CP_ACP, 0, strText.data(), static_cast<int>(strText.size()),
                                      nullptr, 0, nullptr, nullptr);
    std::string strAnsi(static_cast<size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        WideCharToMultiByte(CP_ACP, 0, strText.data(), static_cast<int>(strText.size()),
                            &strAnsi[0], n, nullptr, nullptr);
    return strAnsi;
}

std::wstring CliWide(const std::string &strAnsi)
{
    const int n = MultiByteToWideChar(CP_ACP, 0, strAnsi.data(), static_cast<int>(strAnsi.size()),
                                      nullptr, 0);
    std::wstring strWide(static_cast<size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0)
        MultiByteToWideChar(CP_ACP, 0, strAnsi.data(), static_cast<int>(strAnsi.size()),
                            &strWide[0], n);
    return strWide;
}

bool ToLibraryPath(const std::wstring &strPath, std::string &strAnsi, std::string &strError)
{
    if (strPath.empty())
    {
        strError = "the file name is empty";
        return false;
    }
    // The library resolves relative names against the current folder too; a full path only
    // makes the length check exact.
    std::wstring strFull(32768, L'\0');
    const DWORD n =
        GetFullPathNameW(strPath.c_str(), static_cast<DWORD>(strFull.size()), &strFull[0], nullptr);
    if (n == 0 || n >= strFull.size())
    {
        strError = "\"" + CliAnsi(strPath) + "\" is not a usable path";
        return false;
    }
    strFull.resize(n);
    strAnsi = CliAnsi(strFull);
    // A character the code page lacks would be replaced, or mapped to a look-alike: the library
    // would then work on another file.
    if (CliWide(strAnsi) != strFull)
    {
        strError = "the path \"" + strAnsi + "\" holds characters that the ANSI code page (" +
                   std::to_string(GetACP()) + ") cannot represent; the library takes 8-bit paths";
        return false;
    }
    if (strAnsi.size() >= MAX_PATH)
    {
        strError = "the path \"" + strAnsi + "\" is " + std::to_string(strAnsi.size()) +
                   " bytes long; the library takes at most " + std::to_string(MAX_PATH - 1);
        return false;
    }
    return true;
}

bool CheckInputFile(const std::wstring &strPath, std::string &strError)
{
    const DWORD dwAttributes = GetFileAttributesW(strPath.c_str());
    if (dwAttributes == INVALID_FILE_ATTRIBUTES)
    {
        strError = "cannot find the file \"" + CliAnsi(strPath) + "\"";
        return false;
    }
    if (dwAttributes & FILE_ATTRIBUTE_DIRECTORY)
    {
        strError = "\"" + CliAnsi(strPath) + "\" is a folder, not a file";
        return false;
    }
    return true;
}

bool CheckOutputFile(const std::wstring &strPath, std::string &strError)
{
    const DWORD dwAttributes = GetFileAttributesW(strPath.c_str());
    if (dwAttributes != INVALID_FILE_ATTRIBUTES && (dwAttributes & FILE_ATTRIBUTE_DIRECTORY))
    {
        strError = "\"" + CliAnsi(strPath) + "\" is a folder, not a file";
        return false;
    }
    return true;
}
