// CliBoardFile.cpp - per-board file names and their checks, made before any board is opened.
#include "CliBoardFile.h"

#include "CliMain.h"
#include "CliOutput.h"
#include "ExitCodes.h"
#include "OstrelText.h"

#include <windows.h>

namespace
{
const wchar_t kIndexMark[] = L"{index}";
const wchar_t kIoMark[] = L"{io}";

void ReplaceAll(std::wstring &strText, const std::wstring &strMark, const std::wstring &strBy)
{
    for (size_t i = 0; (i = strText.find(strMark, i)) != std::wstring::npos; i += strBy.size())
        strText.replace(i, strMark.size(), strBy);
}
} // namespace

bool HasBoardPlaceholder(const std::wstring &strName)
{
    return strName.find(kIndexMark) != std::wstring::npos ||
           strName.find(kIoMark) != std::wstring::npos;
}

std::wstring ForBoard(const std::wstring &strName, const CliBoard &board)
{
    std::wstring strResult = strName;
    ReplaceAll(strResult, kIndexMark, std::to_wstring(board.nPosition));
    ReplaceAll(
        strResult, kIoMark,
        CliWide(CliFormat(OstrelText::kIoAddress, static_cast<unsigned>(board.dwIoAddress))));
    return strResult;
}

int CheckBoardFile(const std::wstring &strFile, bool bOutput, std::string &strPath)
{
    std::string strError;
    if (ToLibraryPath(strFile, strPath, strError) &&
        (bOutput ? CheckOutputFile(strFile, strError) : CheckInputFile(strFile, strError)))
        return kExitDone;
    CliOutput().Err(std::string(CliProgramName()) + ": " + strError);
    return kExitBadFile;
}

int BoardFiles(const std::wstring &strFile, bool bOutput,
               const std::vector<const CliBoard *> &chosen,
               std::map<std::uint32_t, std::string> &paths)
{
    for (const CliBoard *pBoard : chosen)
    {
        std::string &strPath = paths[pBoard->nPosition];
        const int nCode = CheckBoardFile(ForBoard(strFile, *pBoard), bOutput, strPath);
        if (nCode != kExitDone)
            return nCode;
        if (!bOutput)
            continue;
        // File systems here ignore case: two names that differ only in case are one file.
        const std::wstring strWide = CliWide(strPath);
        for (const CliBoard *pOther : chosen)
        {
            if (pOther == pBoard)
                break;
            const std::wstring strOther = CliWide(paths[pOther->nPosition]);
            if (CompareStringOrdinal(strWide.c_str(), -1, strOther.c_str(), -1, TRUE) == CSTR_EQUAL)
                return CliUsageError(pOther->Describe() + " and " + pBoard->Describe() +
                                     " would both be written to \"" + strPath +
                                     "\"; use {index} in the file name");
        }
    }
    return kExitDone;
}
