// CliHarness.cpp - the companions' runs and output, journal checks, console events and a JSON
// reader for their tests.
#include "CliHarness.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

namespace clitest
{
namespace
{
std::string ToLf(const std::string &strText)
{
    std::string strResult;
    for (size_t i = 0; i < strText.size(); ++i)
    {
        if (strText[i] != '\r' || i + 1 >= strText.size() || strText[i + 1] != '\n')
            strResult += strText[i];
    }
    return strResult;
}
} // namespace

vtltest::ChildOptions CliOptions(const std::string &strDir)
{
    vtltest::ChildOptions options;
    options.strDir = strDir;
    options.bCapture = true;
    // A console without a window: console events reach it, and nothing shows on the desktop.
    options.dwFlags = CREATE_NO_WINDOW;
    return options;
}

CliRun Finish(CChildProcess &process, DWORD dwTimeoutMs)
{
    CliRun run;
    run.dwPid = process.Pid();
    DWORD dwCode = 0;
    if (process.Wait(dwTimeoutMs, &dwCode))
        run.nExit = static_cast<int>(dwCode);
    run.strOut = ToLf(process.Out());
    run.strErr = ToLf(process.Err());
    return run;
}

std::wstring CliCommand(const char *pszExe, const std::wstring &strArgs)
{
    return L"\"" + Widen(vtltest::BinDir() + pszExe + ".exe") + L"\" " + strArgs;
}

CliRun RunCli(const char *pszExe, const std::wstring &strArgs)
{
    CChildProcess process;
    if (!process.Start(CliCommand(pszExe, strArgs), CliOptions()))
        return CliRun();
    return Finish(process);
}

HANDLE SendConsoleClose(HANDLE hProcess)
{
    // The console host starts CtrlRoutine in each process on the console; it runs the handlers.
    const FARPROC pfn = GetProcAddress(GetModuleHandleA("kernelbase.dll"), "CtrlRoutine");
    if (!pfn)
        return nullptr;
    return CreateRemoteThread(
        hProcess, nullptr, 0,
        reinterpret_cast<LPTHREAD_START_ROUTINE>(reinterpret_cast<void *>(pfn)),
        reinterpret_cast<LPVOID>(static_cast<ULONG_PTR>(CTRL_CLOSE_EVENT)), 0, nullptr);
}

namespace
{
// Just enough JSON for list --json: the companions write ASCII only.
struct CJsonReader
{
    const std::string &s;
    size_t i;

    void Blanks()
    {
        while (i < s.size() && (s[i] == ' ' || s[i] == '\t' || s[i] == '\r' || s[i] == '\n'))
            ++i;
    }
    bool Take(char c)
    {
        Blanks();
        if (i >= s.size() || s[i] != c)
            return false;
        ++i;
        return true;
    }
    bool Word(const char *pszWord, JsonValue::Kind nKind, JsonValue &v)
    {
        if (s.compare(i, strlen(pszWord), pszWord) != 0)
            return false;
        i += strlen(pszWord);
        v.nKind = nKind;
        v.bValue = pszWord[0] == 't';
        return true;
    }
    bool Text(std::wstring &strOut)
    {
        static const char kEscapes[] = "\"\\/bfnrt";
        static const char kMeanings[] = "\"\\/\b\f\n\r\t";
        if (!Take('"'))
            return false;
        while (i < s.size() && s[i] != '"')
        {
            const unsigned char c = static_cast<unsigned char>(s[i++]);
            if (c < 0x20 || c >= 0x7F || (c == '\\' && i >= s.size()))
                return false;
            const char *pszEscape = c == '\\' && s[i] ? strchr(kEscapes, s[i]) : nullptr;
            if (c != '\\')
                strOut += static_cast<wchar_t>(c);
            else if (pszEscape)
            {
                strOut += static_cast<wchar_t>(kMeanings[pszEscape - kEscapes]);
                ++i;
            }
            else if (s[i] == 'u' && i + 5 <= s.size())
            {
                char *pEnd = nullptr;
                strOut += static_cast<wchar_t>(strtoul(s.substr(i + 1, 4).c_str(), &pEnd, 16));
                if (*pEnd)
                    return false;
                i += 5;
            }
            else
                return false;
        }
        return Take('"');
    }
    bool Value(JsonValue &v)
    {
        Blanks();
        if (i < s.size() && s[i] == '"')
        {
            v.nKind = JsonValue::kString;
            return Text(v.strValue);
        }
        if (Word("null", JsonValue::kNull, v) || Word("true", JsonValue::kBool, v) ||
            Word("false", JsonValue::kBool, v))
            return true;
        if (i < s.size() && (s[i] == '-' || isdigit(static_cast<unsigned char>(s[i]))))
        {
            char *pEnd = nullptr;
            v.nKind = JsonValue::kNumber;
            v.nValue = strtoll(s.c_str() + i, &pEnd, 10);
            i = static_cast<size_t>(pEnd - s.c_str());
            return true;
        }
        const bool bArray = Take('[');
        if (!bArray && !Take('{'))
            return false;
        v.nKind = bArray ? JsonValue::kArray : JsonValue::kObject;
        const char cClose = bArray ? ']' : '}';
        if (Take(cClose))
            return true;
        do
        {
            std::wstring strName;
            JsonValue item;
            if ((!bArray && (!Text(strName) || !Take(':'))) || !Value(item))
                return false;
            if (bArray)
                v.items.push_back(item);
            else
                v.members[std::string(strName.begin(), strName.end())] = item;
        } while (Take(','));
        return Take(cClose);
    }
};
} // namespace

bool ParseJson(const std::string &strText, JsonValue &value)
{
    CJsonReader reader{strText, 0};
    if (!reader.Value(value))
        return false;
    reader.Blanks();
    return reader.i == strText.size();
}
} // namespace clitest
