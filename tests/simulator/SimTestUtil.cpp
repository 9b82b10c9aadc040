// SimTestUtil.cpp - helpers for the simulator tests.
#include "SimTestUtil.h"

#include <windows.h>

#include <fstream>
#include <sstream>

namespace simtest
{

namespace
{
std::string Env(const char *name)
{
    char buf[2048];
    const DWORD n = GetEnvironmentVariableA(name, buf, sizeof buf);
    return n > 0 && n < sizeof buf ? std::string(buf, n) : std::string();
}

void SetEnv(const char *name, const std::string &v)
{
    SetEnvironmentVariableA(name, v.empty() ? nullptr : v.c_str());
}
} // namespace

std::string CScratch::Write(const std::string &name, const std::string &bytes) const
{
    const std::string p = Path(name);
    std::ofstream f(p, std::ios::binary);
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return p;
}

std::string CScratch::Write(const std::string &name, const std::vector<std::uint8_t> &bytes) const
{
    return Write(name, std::string(bytes.begin(), bytes.end()));
}

std::vector<std::uint8_t> ReadBytes(const std::string &path)
{
    std::ifstream f(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(f),
                                     std::istreambuf_iterator<char>());
}

CSimEnv::CSimEnv(const std::string &config, const std::string &journal)
    : m_oldConfig(Env("VTLSIM_CONFIG")), m_oldJournal(Env("VTLSIM_JOURNAL"))
{
    SetEnv("VTLSIM_CONFIG", config);
    SetEnv("VTLSIM_JOURNAL", journal);
}

CSimEnv::~CSimEnv()
{
    SetEnv("VTLSIM_CONFIG", m_oldConfig);
    SetEnv("VTLSIM_JOURNAL", m_oldJournal);
}

std::vector<std::string> JournalLines(const std::string &path, unsigned long pid)
{
    if (pid == 0)
        pid = GetCurrentProcessId();
    const std::string prefix = std::to_string(pid) + " ";
    std::ifstream f(path, std::ios::binary);
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(f, line))
        if (line.compare(0, prefix.size(), prefix) == 0)
            lines.push_back(line.substr(prefix.size()));
    return lines;
}

bool HasLine(const std::vector<std::string> &lines, const std::string &text)
{
    for (const std::string &l : lines)
        if (l.find(text) != std::string::npos)
            return true;
    return false;
}

int RunProcess(const std::string &cmdLine, unsigned timeoutMs, std::string *pOutput)
{
    SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
    HANDLE hRead = nullptr, hWrite = nullptr;
    if (pOutput && !CreatePipe(&hRead, &hWrite, &sa, 0))
        return -1;
    if (hRead)
        SetHandleInformation(hRead, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    if (pOutput)
    {
        si.dwFlags = STARTF_USESTDHANDLES;
        si.hStdOutput = si.hStdError = hWrite;
        si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    }
    PROCESS_INFORMATION pi = {};
    std::string cmd = cmdLine;
    const BOOL bOk = CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, pOutput != nullptr,
                                    CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi);
    if (hWrite)
        CloseHandle(hWrite);
    if (!bOk)
    {
        if (hRead)
            CloseHandle(hRead);
        return -1;
    }
    if (pOutput)
    {
        // Read until the child closes its end, so a full pipe never stalls it.
        char buf[512];
        DWORD n;
        while (ReadFile(hRead, buf, sizeof buf, &n, nullptr) && n > 0)
            pOutput->append(buf, n);
        CloseHandle(hRead);
    }
    int code = -1;
    if (WaitForSingleObject(pi.hProcess, timeoutMs) == WAIT_OBJECT_0)
    {
        DWORD dw;
        GetExitCodeProcess(pi.hProcess, &dw);
        code = static_cast<int>(dw);
    }
    else
        TerminateProcess(pi.hProcess, 99);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return code;
}

std::vector<std::uint8_t> MakeC2Image(int nMajor, int nMinor, std::size_t n)
{
    // Vendor 0x5654, product 0x4410, device (the version) major.minor, configuration 0.
    std::vector<std::uint8_t> v = {0xC2,
                                   0x54,
                                   0x56,
                                   0x10,
                                   0x44,
                                   static_cast<std::uint8_t>(nMinor),
                                   static_cast<std::uint8_t>(nMajor),
                                   0x00};
    v.push_back(static_cast<std::uint8_t>(n >> 8));
    v.push_back(static_cast<std::uint8_t>(n & 0xFF));
    v.push_back(0x00);
    v.push_back(0x00);
    for (std::size_t i = 0; i < n; ++i)
        v.push_back(static_cast<std::uint8_t>(i * 7 + 1));
    v.insert(v.end(), {0x80, 0x01, 0xE6, 0x00, 0x00});
    return v;
}

std::vector<std::uint8_t> MakeBit(const std::string &design, const std::string &part,
                                  const std::string &date, const std::string &time,
                                  std::uint32_t dataLen)
{
    std::vector<std::uint8_t> v = {0x00, 0x09, 0x0F, 0xF0, 0x0F, 0xF0, 0x0F,
                                   0xF0, 0x0F, 0xF0, 0x00, 0x00, 0x01};
    auto field = [&v](char key, const std::string &s) {
        v.push_back(static_cast<std::uint8_t>(key));
        const std::size_t n = s.size() + 1;
        v.push_back(static_cast<std::uint8_t>(n >> 8));
        v.push_back(static_cast<std::uint8_t>(n & 0xFF));
        v.insert(v.end(), s.begin(), s.end());
        v.push_back(0);
    };
    field('a', design);
    field('b', part);
    field('c', date);
    field('d', time);
    v.push_back('e');
    for (int sh = 24; sh >= 0; sh -= 8)
        v.push_back(static_cast<std::uint8_t>(dataLen >> sh));
    for (std::uint32_t i = 0; i < dataLen; ++i)
        v.push_back(static_cast<std::uint8_t>(i * 13));
    return v;
}

} // namespace simtest
