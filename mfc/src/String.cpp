// String.cpp - CString formatting, resources and buffers.
#include "afxwin.h"

#include <cstdio>
#include <cstring>

void CString::Format(LPCSTR pszFormat, ...)
{
    va_list args;
    va_start(args, pszFormat);
    FormatV(pszFormat, args);
    va_end(args);
}

void CString::FormatV(LPCSTR pszFormat, va_list args)
{
    if (pszFormat == nullptr)
    {
        m_str.clear();
        return;
    }
    va_list measure;
    va_copy(measure, args);
    int n = std::vsnprintf(nullptr, 0, pszFormat, measure);
    va_end(measure);
    if (n <= 0)
    {
        m_str.clear();
        return;
    }
    std::string out(static_cast<size_t>(n) + 1, '\0');
    std::vsnprintf(&out[0], out.size(), pszFormat, args);
    out.resize(static_cast<size_t>(n));
    m_str.swap(out);
}

BOOL CString::LoadString(UINT nID)
{
    // A string resource holds at most 65535 characters; grow until it fits.
    for (int nSize = 256; nSize <= 65536 * 2; nSize *= 2)
    {
        std::string buf(static_cast<size_t>(nSize), '\0');
        int n = ::LoadStringA(AfxGetResourceHandle(), nID, &buf[0], nSize);
        if (n <= 0)
        {
            m_str.clear();
            return FALSE;
        }
        if (n < nSize - 1)
        {
            buf.resize(static_cast<size_t>(n));
            m_str.swap(buf);
            return TRUE;
        }
    }
    m_str.clear();
    return FALSE;
}

LPSTR CString::GetBuffer(int nMinBufLength)
{
    size_t nLen = nMinBufLength > 0 ? static_cast<size_t>(nMinBufLength) : 0;
    if (nLen < m_str.size())
        nLen = m_str.size();
    // One more for the terminator, which ReleaseBuffer(-1) looks for.
    m_str.resize(nLen + 1, '\0');
    return &m_str[0];
}

void CString::ReleaseBuffer(int nNewLength)
{
    size_t nLen = nNewLength < 0 ? std::strlen(m_str.c_str()) : static_cast<size_t>(nNewLength);
    if (nLen > m_str.size())
        nLen = m_str.size();
    m_str.resize(nLen);
}
