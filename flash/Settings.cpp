// Settings.cpp - the four settings of the main dialog, kept in the registry.
#include "TorvaneDlg.h"

#include <cstdio>

#include "FamilyRule.h"
#include "TorvaneText.h"
#include "RegEdit.h"

using namespace TorvaneText;

namespace
{
// A box without a number stores the default that Program would use.
DWORD ParseVersion(CEdit &edt, int nDefault)
{
    CString strText;
    edt.GetWindowText(strText);
    int n = nDefault;
    if (sscanf(strText.GetString(), kVersionNumber, &n) != 1)
        n = nDefault;
    return static_cast<DWORD>(n);
}

void ShowNumber(CEdit &edt, DWORD dwValue)
{
    CString strText;
    strText.Format(kVersionNumber, static_cast<int>(dwValue));
    edt.SetWindowText(strText);
}
} // namespace

void CTorvaneDlg::LoadSettings()
{
    CRegEdit reg(kRegKey, kRegSubKey);
    CString strFile;
    if (reg.ReadString(kRegAppFile, strFile) == CRegEdit::kOk)
        m_edtFile.SetWindowText(strFile);
    DWORD dwValue = 0;
    if (reg.ReadDword(kRegVerMaj, dwValue) == CRegEdit::kOk)
        ShowNumber(m_edtVerMajor, dwValue);
    if (reg.ReadDword(kRegVerMin, dwValue) == CRegEdit::kOk)
        ShowNumber(m_edtVerMinor, dwValue);
    if (reg.ReadDword(kRegSpartan, dwValue) == CRegEdit::kOk)
    {
        // Any non-zero value means Spartan: the button is checked, not set to a stray state.
        m_nFamily = StoredFamily(dwValue);
        m_btnSpartan.SetCheck(m_nFamily == FAMILY_SPARTAN ? BST_CHECKED : BST_UNCHECKED);
        m_btnVirtex.SetCheck(m_nFamily == FAMILY_VIRTEX ? BST_CHECKED : BST_UNCHECKED);
    }
}

void CTorvaneDlg::SaveSettings()
{
    CRegEdit reg(kRegKey, kRegSubKey);
    CString strFile;
    m_edtFile.GetWindowText(strFile);
    reg.WriteString(kRegAppFile, strFile);
    reg.WriteDword(kRegVerMaj, ParseVersion(m_edtVerMajor, 1));
    reg.WriteDword(kRegVerMin, ParseVersion(m_edtVerMinor, 0));
    // With neither button checked the family in effect is stored: it is Spartan until the user
    // picks one, and storing 0 would switch the next start to Virtex unasked.
    bool bSpartan = m_nFamily == FAMILY_SPARTAN;
    if (m_btnSpartan.GetCheck() == BST_CHECKED)
        bSpartan = true;
    else if (m_btnVirtex.GetCheck() == BST_CHECKED)
        bSpartan = false;
    reg.WriteDword(kRegSpartan, bSpartan ? 1 : 0);
}
