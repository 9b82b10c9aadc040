// SimStrings.cpp - text and number helpers.
#include "SimStrings.h"

#include <windows.h>

#include <cctype>
#include <cstdio>
#include <cstring>

namespace vtlsim
{

std::string Trim(const std::string &s)
{
    std::size_t b = 0, e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b])))
        ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1])))
        --e;
    return s.substr(b, e - b);
}

std::string Upper(std::string s)
{
    for (char &c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::string Lower(std::string s)
{
    for (char &c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool ParseUInt(const std::string &s, std::uint32_t &value)
{
    std::size_t i = 0;
    unsigned base = 10;
    if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X'))
    {
        base = 16;
        i = 2;
    }
    if (i >= s.size())
        return false;
    std::uint64_t v = 0;
    for (; i < s.size(); ++i)
    {
        const char c = s[i];
        unsigned d;
        if (c >= '0' && c <= '9')
            d = static_cast<unsigned>(c - '0');
        else if (base == 16 && c >= 'a' && c <= 'f')
            d = static_cast<unsigned>(c - 'a' + 10);
        else if (base == 16 && c >= 'A' && c <= 'F')
            d = static_cast<unsigned>(c - 'A' + 10);
        else
            return false;
        v = v * base + d;
        if (v > 0xFFFFFFFFull)
            return false;
    }
    value = static_cast<std::uint32_t>(v);
    return true;
}

bool ParseInt(const std::string &s, std::int32_t &value)
{
    const bool bNeg = !s.empty() && s[0] == '-';
    std::uint32_t u;
    if (!ParseUInt(bNeg ? s.substr(1) : s, u))
        return false;
    if (bNeg ? u > 0x80000000u : u > 0x7FFFFFFFu)
        return false;
    value = bNeg ? static_cast<std::int32_t>(0u - u) : static_cast<std::int32_t>(u);
    return true;
}

bool Unescape(const std::string &s, std::string &out)
{
    out.clear();
    for (std::size_t i = 0; i < s.size(); ++i)
    {
        if (s[i] != '\\')
        {
            out += s[i];
            continue;
        }
        if (++i >= s.size())
            return false;
        switch (s[i])
        {
        case 'r':
            out += '\r';
            break;
        case 'n':
            out += '\n';
            break;
        case 't':
            out += '\t';
            break;
        case '\\':
            out += '\\';
            break;
        default:
            return false;
        }
    }
    return true;
}

std::string Quote(const std::string &s)
{
    std::string out = "\"";
    for (const char ch : s)
    {
        const unsigned char c = static_cast<unsigned char>(ch);
        switch (c)
        {
        case '\\':
            out += "\\\\";
            break;
        case '"':
            out += "\\\"";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (c < 0x20 || c == 0x7F)
            {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\x%02X", c);
                out += buf;
            }
            else
                out += ch;
        }
    }
    return out + "\"";
}

std::string Hex(std::uint64_t v)
{
    char buf[24];
    std::snprintf(buf, sizeof buf, "0x%llx", static_cast<unsigned long long>(v));
    return buf;
}

void CopyText(char *dst, std::size_t cap, const std::string &src)
{
    const std::size_t n = src.size() < cap - 1 ? src.size() : cap - 1;
    std::memcpy(dst, src.data(), n);
    dst[n] = '\0';
}

std::string GetEnv(const char *pszName)
{
    char buf[1024];
    const DWORD n = GetEnvironmentVariableA(pszName, buf, sizeof buf);
    if (n == 0 || n >= sizeof buf)
        return std::string(); // absent, empty, or too long to be a usable path
    return std::string(buf, n);
}

} // namespace vtlsim
