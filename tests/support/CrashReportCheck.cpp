// CrashReportCheck.cpp - reads what a crashed program left in its report folder.
#include "SimSession.h"

#include <cstring>

namespace vtltest
{
namespace
{
std::uint32_t U32(const std::string &bytes, size_t nAt)
{
    std::uint32_t n = 0;
    std::memcpy(&n, bytes.data() + nAt, nAt + 4 <= bytes.size() ? 4 : 0);
    return n;
}

// The exception code of the dump's exception stream (type 6, the code after the thread id).
std::uint32_t DumpExceptionCode(const std::string &bytes)
{
    for (std::uint32_t i = 0, nDir = U32(bytes, 12); i < U32(bytes, 8) && i < 64; ++i)
        if (U32(bytes, nDir + 12 * i) == 6)
            return U32(bytes, U32(bytes, nDir + 12 * i + 8) + 8);
    return 0;
}
} // namespace

testing::AssertionResult HasCrashReport(const CSimSession &sim, const std::string &strProgram,
                                        const std::string &strCall, std::string &strLine)
{
    const std::string strFolder = sim.File("Veltrane\\VTL4410\\crash-reports\\");
    WIN32_FIND_DATAA data;
    const HANDLE hFind = FindFirstFileA((strFolder + strProgram + "-*.dmp").c_str(), &data);
    if (hFind == INVALID_HANDLE_VALUE)
        return testing::AssertionFailure() << "no dump in " << strFolder;
    const std::string strDump = strFolder + data.cFileName;
    const bool bMore = FindNextFileA(hFind, &data) != FALSE;
    FindClose(hFind);
    std::string strBytes, strText;
    if (bMore || !ReadFileText(strDump, strBytes) || strBytes.compare(0, 4, "MDMP") != 0 ||
        DumpExceptionCode(strBytes) != EXCEPTION_ACCESS_VIOLATION)
        return testing::AssertionFailure() << strDump << ": not the one dump of the fault";
    ReadFileText(strDump.substr(0, strDump.size() - 4) + ".txt", strText);
    const std::string strCallLine = "Driver call: " + strCall + "\r\n";
    for (const std::string &strPart : {std::string("Exception: 0xC0000005 at "),
                                       std::string("Module: VtlDrvUsb.dll + 0x"), strCallLine})
        if (strText.find(strPart) == std::string::npos)
            return testing::AssertionFailure() << "the text lacks " << strPart << ":\n" << strText;
    strLine = strProgram + " stopped because of a fault in VtlDrvUsb.dll during " + strCall +
              ". A report was saved to " + strDump + ". Please send it to the board's maker.";
    return testing::AssertionSuccess();
}

testing::AssertionResult AnswersCrashBox(CProcessDriver &p, const CSimSession &sim,
                                         const std::string &strProgram, const std::string &strCall)
{
    MsgBoxRecord box;
    std::string strLine;
    DWORD dwExit = 0;
    if (!p.ExpectMessageBox(box, IDOK, 30000))
        return testing::AssertionFailure() << "no box: " << p.LastError();
    testing::AssertionResult report = HasCrashReport(sim, strProgram, strCall, strLine);
    if (!report)
        return report;
    if (box.text != strLine || box.caption != strProgram || box.icon != MB_ICONERROR)
        return testing::AssertionFailure() << "box \"" << box.caption << "\": " << box.text;
    if (!p.WaitForExit(15000, &dwExit) || dwExit != EXCEPTION_ACCESS_VIOLATION)
        return testing::AssertionFailure() << "exit code " << std::hex << dwExit;
    return testing::AssertionSuccess();
}
} // namespace vtltest
