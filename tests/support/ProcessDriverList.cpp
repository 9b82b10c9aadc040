// ProcessDriverList.cpp - reading and selecting list-view rows of another process.
#include "TestSupport.h"

#include <commctrl.h>

namespace vtltest
{

namespace
{
// A block of memory inside the target process, freed on scope exit.
class CRemoteBuffer
{
public:
    CRemoteBuffer(HANDLE hProcess, size_t size) : m_hProcess(hProcess)
    {
        m_p = VirtualAllocEx(hProcess, NULL, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    }
    ~CRemoteBuffer()
    {
        if (m_p)
            VirtualFreeEx(m_hProcess, m_p, 0, MEM_RELEASE);
    }
    CRemoteBuffer(const CRemoteBuffer &) = delete;
    CRemoteBuffer &operator=(const CRemoteBuffer &) = delete;
    char *Get() const { return static_cast<char *>(m_p); }
    bool Write(size_t off, const void *src, size_t n) const
    {
        SIZE_T done = 0;
        return WriteProcessMemory(m_hProcess, Get() + off, src, n, &done) && done == n;
    }
    bool Read(size_t off, void *dst, size_t n) const
    {
        SIZE_T done = 0;
        return ReadProcessMemory(m_hProcess, Get() + off, dst, n, &done) && done == n;
    }

private:
    HANDLE m_hProcess;
    void *m_p;
};

bool Send(HWND h, UINT msg, WPARAM w, LPARAM l, DWORD_PTR &r)
{
    return h && SendMessageTimeoutA(h, msg, w, l, SMTO_ABORTIFHUNG, 5000, &r);
}

// Sets the state bits of row (-1: every row) through an LVITEM in the target.
bool SetState(HANDLE hProcess, HWND h, int row, UINT state, UINT mask)
{
    CRemoteBuffer buf(hProcess, sizeof(LVITEMA));
    LVITEMA it{};
    it.stateMask = mask;
    it.state = state;
    DWORD_PTR r = 0;
    return buf.Get() && buf.Write(0, &it, sizeof it) &&
           Send(h, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(buf.Get()),
                r) &&
           r;
}
} // namespace

int CProcessDriver::ListCount(int id) const
{
    DWORD_PTR r = 0;
    return Send(Control(id), LVM_GETITEMCOUNT, 0, 0, r) ? static_cast<int>(r) : -1;
}

std::string CProcessDriver::ListText(int id, int row, int col) const
{
    const size_t kText = 1024;
    CRemoteBuffer buf(Process(), sizeof(LVITEMA) + kText);
    if (!buf.Get())
        return std::string();
    LVITEMA it{};
    it.iSubItem = col;
    it.pszText = buf.Get() + sizeof(LVITEMA);
    it.cchTextMax = static_cast<int>(kText);
    char text[kText] = "";
    DWORD_PTR r = 0;
    if (!buf.Write(0, &it, sizeof it) || !buf.Write(sizeof it, text, 1) ||
        !Send(Control(id), LVM_GETITEMTEXTA, static_cast<WPARAM>(row),
              reinterpret_cast<LPARAM>(buf.Get()), r) ||
        !buf.Read(sizeof it, text, kText))
        return std::string();
    text[kText - 1] = '\0';
    return text;
}

std::vector<std::vector<std::string>> CProcessDriver::ListRows(int id, int nCols) const
{
    std::vector<std::vector<std::string>> rows;
    int n = ListCount(id);
    for (int i = 0; i < n; ++i)
    {
        std::vector<std::string> row;
        for (int c = 0; c < nCols; ++c)
            row.push_back(ListText(id, i, c));
        rows.push_back(row);
    }
    return rows;
}

UINT CProcessDriver::ListState(int id, int row, UINT mask) const
{
    DWORD_PTR r = 0;
    return Send(Control(id), LVM_GETITEMSTATE, static_cast<WPARAM>(row), mask, r)
               ? static_cast<UINT>(r)
               : 0;
}

bool CProcessDriver::ListSelect(int id, int row)
{
    HWND h = Control(id);
    DWORD_PTR r = 0;
    return SetState(Process(), h, -1, 0, LVIS_SELECTED | LVIS_FOCUSED) &&
           SetState(Process(), h, row, LVIS_SELECTED | LVIS_FOCUSED,
                    LVIS_SELECTED | LVIS_FOCUSED) &&
           Send(h, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE, r);
}

bool CProcessDriver::ListClick(int id, int row)
{
    HWND h = Control(id);
    CRemoteBuffer buf(Process(), sizeof(RECT));
    RECT rc{LVIR_LABEL, 0, 0, 0};
    DWORD_PTR r = 0;
    if (!buf.Get() || !buf.Write(0, &rc, sizeof rc) ||
        !Send(h, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(buf.Get()),
              r) ||
        !r || !buf.Read(0, &rc, sizeof rc))
        return false;
    const LPARAM pt = MAKELPARAM((rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2);
    return PostMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, pt) && PostMessageA(h, WM_LBUTTONUP, 0, pt);
}

int CProcessDriver::ListSelected(int id) const
{
    DWORD_PTR r = 0;
    return Send(Control(id), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED, r)
               ? static_cast<int>(static_cast<INT_PTR>(r))
               : -1;
}

} // namespace vtltest
