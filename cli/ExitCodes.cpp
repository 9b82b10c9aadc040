// ExitCodes.cpp - what each exit code means.
#include "ExitCodes.h"

#include "CliText.h"

namespace
{
int Rank(int nCode)
{
    if (nCode == kExitDone)
        return 0;
    return nCode == kExitInterrupted ? 1 : nCode + 1;
}
} // namespace

int CliWorse(int nA, int nB)
{
    return Rank(nA) >= Rank(nB) ? nA : nB;
}

const char *CliExitMeaning(int nCode)
{
    for (const CliText::ExitCodeText &row : CliText::kExitCodes)
    {
        if (row.nCode == nCode)
            return row.pszMeaning;
    }
    return "unknown";
}

std::string CliExitCodeHelp()
{
    std::string strHelp = CliText::kExitCodesHead;
    for (const CliText::ExitCodeText &row : CliText::kExitCodes)
    {
        std::string strCode = std::to_string(row.nCode);
        strCode.resize(5, ' ');
        strHelp += "  " + strCode + row.pszHelp + "\n";
    }
    return strHelp + CliText::kExitCodesFoot;
}
