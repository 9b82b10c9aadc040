// SimEdgeText.cpp - texts for testing how far callers read.
#include "SimEdgeText.h"

#include <windows.h>

#include <cstring>

namespace vtlsim
{

std::string StretchText(const std::string &text, std::uint32_t nLength)
{
    if (nLength == 0 || text.empty())
        return text;
    std::string out;
    out.reserve(nLength);
    while (out.size() < nLength)
        out.append(text, 0, nLength - out.size());
    return out;
}

CEdgeText::~CEdgeText()
{
    Free();
}

void CEdgeText::Free()
{
    if (m_pBase)
        VirtualFree(m_pBase, 0, MEM_RELEASE);
    m_pBase = nullptr;
}

const char *CEdgeText::Set(const std::string &text, bool bTerminated)
{
    Free();
    SYSTEM_INFO si;
    GetSystemInfo(&si);
    const std::size_t page = si.dwPageSize;
    const std::size_t n = text.size() + (bTerminated || text.empty() ? 1 : 0);
    const std::size_t data = (n + page - 1) / page * page;
    // Reserved whole, committed short of the last page: that page stays unreadable.
    char *base =
        static_cast<char *>(VirtualAlloc(nullptr, data + page, MEM_RESERVE, PAGE_NOACCESS));
    if (!base)
        return "";
    if (!VirtualAlloc(base, data, MEM_COMMIT, PAGE_READWRITE))
    {
        VirtualFree(base, 0, MEM_RELEASE);
        return "";
    }
    m_pBase = base;
    char *p = base + data - n;
    std::memcpy(p, text.data(), text.size());
    if (n > text.size())
        p[text.size()] = '\0';
    DWORD dwOld;
    VirtualProtect(base, data, PAGE_READONLY, &dwOld);
    return p;
}

} // namespace vtlsim
