// RegEdit.h - CRegEdit: one registry key under HKEY_LOCAL_MACHINE, read-only when setting values
// is refused.
#pragma once

#include <afxwin.h>

class CRegEdit
{
public:
    // Result codes of the value operations; 2 is never used.
    enum
    {
        kOk = 0,
        kReadOnly = 1,
        kWriteRefused = 3,
        kQueryFailed = 4,
        kWrongType = 5
    };

    CRegEdit(CString strKeyPath, CString strSubKey);
    virtual ~CRegEdit();
    CRegEdit(const CRegEdit &) = delete;
    CRegEdit &operator=(const CRegEdit &) = delete;

    int ReadDword(CString strName, DWORD &dwValue);
    int ReadString(CString strName, CString &strValue);
    int WriteDword(CString strName, DWORD dwValue);
    int WriteString(CString strName, CString strValue);

private:
    HKEY m_hKey;
    CString m_strKeyPath;
    DWORD m_dwDisposition;
    bool m_bWritable;
};
