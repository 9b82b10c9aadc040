// afxstr.h - CString: the framework's 8-bit string, a value type over std::string.
#pragma once

#include <windows.h>

#include <cstdarg>
#include <string>

// Format checking that matches the vsnprintf the layer links against.
#ifdef __MINGW_PRINTF_FORMAT
#define AFX_PRINTF_FORMAT __MINGW_PRINTF_FORMAT
#else
#define AFX_PRINTF_FORMAT printf
#endif

class CString
{
public:
    CString() = default;
    CString(LPCSTR psz) : m_str(psz ? psz : "") {}
    CString(LPCSTR pch, int nLength) : m_str(pch && nLength > 0 ? std::string(pch, nLength) : "") {}
    CString(const CString &) = default;
    CString(CString &&) noexcept = default;
    CString &operator=(const CString &) = default;
    CString &operator=(CString &&) noexcept = default;
    CString &operator=(LPCSTR psz)
    {
        m_str = psz ? psz : "";
        return *this;
    }

    CString &operator+=(const CString &str)
    {
        m_str += str.m_str;
        return *this;
    }
    CString &operator+=(LPCSTR psz)
    {
        if (psz)
            m_str += psz;
        return *this;
    }

    operator LPCSTR() const { return m_str.c_str(); }
    LPCSTR GetString() const { return m_str.c_str(); }
    int GetLength() const { return static_cast<int>(m_str.size()); }
    bool IsEmpty() const { return m_str.empty(); }
    void Empty() { m_str.clear(); }
    int Compare(LPCSTR psz) const { return m_str.compare(psz ? psz : ""); }

    // Any length: the text is measured first, then formatted into the exact size.
    void Format(LPCSTR pszFormat, ...) __attribute__((format(AFX_PRINTF_FORMAT, 2, 3)));
    void FormatV(LPCSTR pszFormat, va_list args);
    // String resource of AfxGetResourceHandle(); FALSE (and empty) when missing or empty.
    BOOL LoadString(UINT nID);

    // Writable buffer of at least nMinBufLength characters plus the terminator.
    LPSTR GetBuffer(int nMinBufLength = 0);
    // Ends a GetBuffer: the length is nNewLength, or up to the first NUL when -1.
    void ReleaseBuffer(int nNewLength = -1);

    const std::string &str() const { return m_str; }

private:
    std::string m_str;
};

inline CString operator+(const CString &a, const CString &b)
{
    CString r(a);
    r += b;
    return r;
}
inline CString operator+(const CString &a, LPCSTR b)
{
    CString r(a);
    r += b;
    return r;
}
inline CString operator+(LPCSTR a, const CString &b)
{
    CString r(a);
    r += b;
    return r;
}
inline bool operator==(const CString &a, const CString &b)
{
    return a.str() == b.str();
}
inline bool operator==(const CString &a, LPCSTR b)
{
    return a.Compare(b) == 0;
}
inline bool operator==(LPCSTR a, const CString &b)
{
    return b.Compare(a) == 0;
}
inline bool operator!=(const CString &a, const CString &b)
{
    return !(a == b);
}
inline bool operator!=(const CString &a, LPCSTR b)
{
    return !(a == b);
}
inline bool operator!=(LPCSTR a, const CString &b)
{
    return !(a == b);
}
