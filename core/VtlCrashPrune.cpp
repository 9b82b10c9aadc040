// VtlCrashPrune.cpp - which old crash reports go, and their removal at start-up.
#include "VtlCrashReport.h"

#include <algorithm>

namespace
{
bool IsDigit(wchar_t c)
{
    return c >= L'0' && c <= L'9';
}

wchar_t Lower(wchar_t c)
{
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c + (L'a' - L'A')) : c;
}

bool SameText(const std::wstring &a, const std::wstring &b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](wchar_t x, wchar_t y) { return Lower(x) == Lower(y); });
}

// "<program>-yyyymmddThhmmssZ-<pid>" of a report file of the program; empty otherwise.
std::wstring ReportStem(const std::wstring &name, const std::wstring &program)
{
    const size_t nDot = name.rfind(L'.');
    if (nDot == std::wstring::npos ||
        !(SameText(name.substr(nDot), L".dmp") || SameText(name.substr(nDot), L".txt")))
        return std::wstring();
    const std::wstring stem = name.substr(0, nDot);
    if (stem.size() < program.size() + 19 || !SameText(stem.substr(0, program.size()), program))
        return std::wstring();
    const std::wstring rest = stem.substr(program.size()); // "-20261208T205622Z-1234"
    static const wchar_t kShape[] = L"-########T######Z-";
    for (size_t i = 0; i + 1 < sizeof kShape / sizeof kShape[0]; ++i)
        if (kShape[i] == L'#' ? !IsDigit(rest[i]) : rest[i] != kShape[i])
            return std::wstring();
    const std::wstring pid = rest.substr(18);
    if (pid.empty() || pid.size() > 10 || !std::all_of(pid.begin(), pid.end(), IsDigit))
        return std::wstring();
    return stem;
}

// Newest first: by time, then by pid as a number.
bool Newer(const std::wstring &a, const std::wstring &b, size_t nProgram)
{
    const std::wstring timeA = a.substr(nProgram + 1, 16), timeB = b.substr(nProgram + 1, 16);
    if (timeA != timeB)
        return timeA > timeB;
    const std::wstring pidA = a.substr(nProgram + 18), pidB = b.substr(nProgram + 18);
    return pidA.size() != pidB.size() ? pidA.size() > pidB.size() : pidA > pidB;
}
} // namespace

std::vector<std::wstring> VtlCrashReportsToDelete(const std::vector<std::wstring> &names,
                                                  const wchar_t *pszProgram, size_t nKeep)
{
    const std::wstring program = pszProgram;
    std::vector<std::wstring> stems;
    for (const std::wstring &name : names)
    {
        const std::wstring stem = ReportStem(name, program);
        if (!stem.empty() && std::none_of(stems.begin(), stems.end(),
                                          [&](const std::wstring &s) { return SameText(s, stem); }))
            stems.push_back(stem);
    }
    std::sort(stems.begin(), stems.end(), [&](const std::wstring &a, const std::wstring &b) {
        return Newer(a, b, program.size());
    });
    std::vector<std::wstring> doomed;
    for (const std::wstring &name : names)
    {
        const std::wstring stem = ReportStem(name, program);
        const auto it = std::find_if(stems.begin(), stems.end(),
                                     [&](const std::wstring &s) { return SameText(s, stem); });
        if (!stem.empty() && static_cast<size_t>(it - stems.begin()) >= nKeep)
            doomed.push_back(name);
    }
    return doomed;
}

std::wstring VtlCrashReportFolder()
{
    wchar_t szBase[MAX_PATH];
    const DWORD n = GetEnvironmentVariableW(L"LOCALAPPDATA", szBase, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return std::wstring();
    std::wstring folder(szBase, n);
    if (folder.back() != L'\\')
        folder += L'\\';
    return folder + L"Veltrane\\VTL4410\\crash-reports";
}

// Deletes the reports beyond the newest of pszProgram; only files, only this program's.
void VtlCrashPruneFolder(const std::wstring &folder, const wchar_t *pszProgram)
{
    if (folder.empty())
        return;
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    const HANDLE hFind = FindFirstFileW((folder + L"\\" + pszProgram + L"-*").c_str(), &data);
    if (hFind == INVALID_HANDLE_VALUE)
        return;
    do
    {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.push_back(data.cFileName);
    } while (FindNextFileW(hFind, &data));
    FindClose(hFind);
    for (const std::wstring &name :
         VtlCrashReportsToDelete(names, pszProgram, kVtlCrashReportsKept))
        DeleteFileW((folder + L"\\" + name).c_str());
}
