// SimTestUtil.h - scratch files, environment and process helpers for the simulator tests.
#pragma once

#include "VtlDrvUsb.h"

#include <TestSupport.h>

#include <cstdint>
#include <string>
#include <vector>

namespace simtest
{

// A fresh folder under %TEMP% that writes whole files by name.
class CScratch
{
public:
    std::string Path(const std::string &name) const { return m_dir.File(name); }
    std::string Write(const std::string &name, const std::string &bytes) const;
    std::string Write(const std::string &name, const std::vector<std::uint8_t> &bytes) const;

private:
    vtltest::CTempDir m_dir;
};

std::vector<std::uint8_t> ReadBytes(const std::string &path);

// Sets VTLSIM_CONFIG (empty: unset) and VTLSIM_JOURNAL for this process and its children;
// restores both on destruction.
class CSimEnv
{
public:
    CSimEnv(const std::string &config, const std::string &journal = std::string());
    ~CSimEnv();

private:
    std::string m_oldConfig, m_oldJournal;
};

// Journal lines with the leading "<pid> " removed (only lines of pid, 0 = this process).
std::vector<std::string> JournalLines(const std::string &path, unsigned long pid = 0);
// True when some line of lines contains text.
bool HasLine(const std::vector<std::string> &lines, const std::string &text);

// Runs a command line, waits at most timeoutMs; returns its exit code, -1 on timeout/failure.
// The output (stdout and stderr) goes to *pOutput when given.
int RunProcess(const std::string &cmdLine, unsigned timeoutMs, std::string *pOutput = nullptr);

// A bitstream file image with the given header texts and dataLen bytes of data.
// A C2 EEPROM image of version nMajor.nMinor with one data record of n bytes and the reset record.
std::vector<std::uint8_t> MakeC2Image(int nMajor, int nMinor, std::size_t n);

std::vector<std::uint8_t> MakeBit(const std::string &design, const std::string &part,
                                  const std::string &date, const std::string &time,
                                  std::uint32_t dataLen = 16);

} // namespace simtest
