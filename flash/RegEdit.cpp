// RegEdit.cpp - CRegEdit on the ANSI registry functions.
#include "RegEdit.h"

#include <cstring>
#include <vector>

CRegEdit::CRegEdit(CString strKeyPath, CString strSubKey)
    : m_hKey(nullptr), m_strKeyPath(), m_dwDisposition(0), m_bWritable(false)
{
    m_strKeyPath = strKeyPath;
    m_strKeyPath += "\\";
    m_strKeyPath += strSubKey;
    // Only what the value operations use: the installer lets standard users read and set
    // values, and no more, so a wider request would make the key read-only for them.
    LONG l = RegCreateKeyExA(HKEY_LOCAL_MACHINE, m_strKeyPath.GetString(), 0, nullptr,
                             REG_OPTION_NON_VOLATILE, KEY_READ | KEY_SET_VALUE, nullptr, &m_hKey,
                             &m_dwDisposition);
    if (l == ERROR_SUCCESS)
    {
        m_bWritable = true;
        return;
    }
    m_hKey = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, m_strKeyPath.GetString(), 0, nullptr,
                        REG_OPTION_NON_VOLATILE, KEY_READ, nullptr, &m_hKey,
                        &m_dwDisposition) != ERROR_SUCCESS)
        m_hKey = nullptr;
}

CRegEdit::~CRegEdit()
{
    if (m_hKey != nullptr)
        RegCloseKey(m_hKey);
    m_hKey = nullptr;
}

int CRegEdit::ReadDword(CString strName, DWORD &dwValue)
{
    if (m_hKey == nullptr)
        return kQueryFailed;
    DWORD dwType = 0;
    DWORD dwSize = sizeof(DWORD);
    DWORD dwData = 0;
    // Read into a local so that a value of the wrong type leaves the caller's variable alone.
    if (RegQueryValueExA(m_hKey, strName.GetString(), nullptr, &dwType,
                         reinterpret_cast<BYTE *>(&dwData), &dwSize) != ERROR_SUCCESS)
        return kQueryFailed;
    if (dwType != REG_DWORD || dwSize != sizeof(DWORD))
        return kWrongType;
    dwValue = dwData;
    return kOk;
}

int CRegEdit::ReadString(CString strName, CString &strValue)
{
    if (m_hKey == nullptr)
        return kQueryFailed;
    DWORD dwType = 0;
    DWORD dwSize = 0;
    if (RegQueryValueExA(m_hKey, strName.GetString(), nullptr, &dwType, nullptr, &dwSize) !=
        ERROR_SUCCESS)
        return kQueryFailed;
    std::vector<char> buffer(dwSize + 1, '\0');
    // A value that grew between the two queries cannot be read whole.
    if (RegQueryValueExA(m_hKey, strName.GetString(), nullptr, &dwType,
                         reinterpret_cast<BYTE *>(buffer.data()), &dwSize) != ERROR_SUCCESS)
        return kQueryFailed;
    if (dwType != REG_SZ)
        return kWrongType;
    // The stored data may lack its NUL: read no further than the size reported.
    size_t n = dwSize < buffer.size() ? dwSize : buffer.size() - 1;
    strValue = CString(buffer.data(), static_cast<int>(strnlen(buffer.data(), n)));
    return kOk;
}

int CRegEdit::WriteDword(CString strName, DWORD dwValue)
{
    if (!m_bWritable)
        return kReadOnly;
    if (RegSetValueExA(m_hKey, strName.GetString(), 0, REG_DWORD,
                       reinterpret_cast<const BYTE *>(&dwValue), sizeof(DWORD)) != ERROR_SUCCESS)
        return kWriteRefused;
    return kOk;
}

int CRegEdit::WriteString(CString strName, CString strValue)
{
    if (!m_bWritable)
        return kReadOnly;
    DWORD n = static_cast<DWORD>(strValue.GetLength()) + 1;
    std::vector<char> buffer(n, '\0');
    memcpy(buffer.data(), strValue.GetString(), n - 1);
    if (RegSetValueExA(m_hKey, strName.GetString(), 0, REG_SZ,
                       reinterpret_cast<const BYTE *>(buffer.data()), n) != ERROR_SUCCESS)
        return kWriteRefused;
    return kOk;
}
