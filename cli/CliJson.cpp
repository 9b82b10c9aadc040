// CliJson.cpp - JSON string escaping of ANSI texts.
#include "CliJson.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <vector>

std::string JsonString(const char *psz, size_t nMax)
{
    const size_t nLength = psz ? strnlen(psz, nMax) : 0;
    std::vector<wchar_t> wide(nLength + 1);
    const int nWide = nLength ? MultiByteToWideChar(CP_ACP, 0, psz, static_cast<int>(nLength),
                                                    wide.data(), static_cast<int>(wide.size()))
                              : 0;
    std::string strJson = "\"";
    for (int i = 0; i < nWide; ++i)
    {
        const wchar_t c = wide[static_cast<size_t>(i)];
        if (c == L'"' || c == L'\\')
        {
            strJson += '\\';
            strJson += static_cast<char>(c);
        }
        else if (c >= 0x20 && c < 0x7F)
        {
            strJson += static_cast<char>(c);
        }
        else
        {
            // UTF-16 units as they are: a surrogate pair stays a pair of escapes.
            char sz[8];
            snprintf(sz, sizeof(sz), "\\u%04x", static_cast<unsigned>(c));
            strJson += sz;
        }
    }
    return strJson + "\"";
}
