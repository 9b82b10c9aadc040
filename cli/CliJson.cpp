// CliJson.cpp - JSON string escaping of ANSI texts.
#include "CliJson.h"

#include "CliArgs.h"

#include <cstdio>

std::string JsonString(const std::string &strAnsi)
{
    std::string strJson = "\"";
    for (wchar_t c : CliWide(strAnsi))
    {
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
