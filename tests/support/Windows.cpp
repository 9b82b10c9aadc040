// Windows.cpp - finding windows and reading them, within or across processes.
#include "TestSupport.h"

namespace vtltest
{

std::string GetClass(HWND h)
{
    char sz[256] = "";
    GetClassNameA(h, sz, sizeof sz);
    return sz;
}

int ListCount(HWND hList)
{
    return static_cast<int>(SendMessageA(hList, LVM_GETITEMCOUNT, 0, 0));
}

std::string ListText(HWND hList, int row, int col)
{
    // The control copies at most the buffer less one: a text that fills it may be longer.
    std::string text;
    for (int nSize = 256; nSize <= (1 << 20); nSize *= 2)
    {
        text.assign(static_cast<size_t>(nSize), '\0');
        LVITEMA item = {};
        item.iSubItem = col;
        item.cchTextMax = nSize;
        item.pszText = &text[0];
        const int n = static_cast<int>(
            SendMessageA(hList, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item)));
        text.resize(static_cast<size_t>(n > 0 ? n : 0));
        if (n < nSize - 1)
            break;
    }
    return text;
}

std::string GetText(HWND h, DWORD timeoutMs)
{
    if (!IsWindow(h))
        return std::string();
    DWORD_PTR len = 0;
    if (!SendMessageTimeoutA(h, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, timeoutMs, &len))
        return std::string();
    std::string s(static_cast<size_t>(len) + 1, '\0');
    DWORD_PTR got = 0;
    if (!SendMessageTimeoutA(h, WM_GETTEXT, s.size(), reinterpret_cast<LPARAM>(&s[0]),
                             SMTO_ABORTIFHUNG, timeoutMs, &got))
        return std::string();
    s.resize(got < s.size() ? static_cast<size_t>(got) : s.size() - 1);
    return s;
}

namespace
{
thread_local CCreationSizes *t_pCreationSizes = nullptr;
} // namespace

CCreationSizes::CCreationSizes()
    : m_hHook(SetWindowsHookExA(WH_CBT, CbtProc, NULL, GetCurrentThreadId())),
      m_pOuter(t_pCreationSizes)
{
    t_pCreationSizes = this;
}

CCreationSizes::~CCreationSizes()
{
    t_pCreationSizes = m_pOuter;
    if (m_hHook)
        UnhookWindowsHookEx(m_hHook);
}

bool CCreationSizes::Get(HWND hWnd, SIZE &size) const
{
    auto it = m_sizes.find(hWnd);
    if (it == m_sizes.end())
        return false;
    size = it->second;
    return true;
}

LRESULT CALLBACK CCreationSizes::CbtProc(int nCode, WPARAM wParam, LPARAM lParam)
{
    if (nCode == HCBT_CREATEWND && t_pCreationSizes)
    {
        const CREATESTRUCTA *pcs = reinterpret_cast<CBT_CREATEWNDA *>(lParam)->lpcs;
        t_pCreationSizes->m_sizes[reinterpret_cast<HWND>(wParam)] = {pcs->cx, pcs->cy};
    }
    return CallNextHookEx(NULL, nCode, wParam, lParam);
}

namespace
{
struct EnumCtx
{
    const WindowQuery *q;
    std::vector<HWND> *out;
    bool firstOnly;
};

bool Matches(HWND h, const WindowQuery &q)
{
    if (q.visibleOnly && !IsWindowVisible(h))
        return false;
    if (q.pid)
    {
        DWORD pid = 0;
        GetWindowThreadProcessId(h, &pid);
        if (pid != q.pid)
            return false;
    }
    if (!q.className.empty() && GetClass(h) != q.className)
        return false;
    if (!q.title.empty() && GetText(h, 2000) != q.title)
        return false;
    return !q.pred || q.pred(h);
}

BOOL CALLBACK EnumTop(HWND h, LPARAM l)
{
    auto *c = reinterpret_cast<EnumCtx *>(l);
    if (Matches(h, *c->q))
    {
        c->out->push_back(h);
        if (c->firstOnly)
            return FALSE;
    }
    return TRUE;
}

struct ChildCtx
{
    int id;
    HWND found;
};

BOOL CALLBACK EnumChild(HWND h, LPARAM l)
{
    auto *c = reinterpret_cast<ChildCtx *>(l);
    if (GetDlgCtrlID(h) == c->id)
    {
        c->found = h;
        return FALSE;
    }
    return TRUE;
}
} // namespace

std::vector<HWND> FindTopWindows(const WindowQuery &q)
{
    std::vector<HWND> out;
    EnumCtx c{&q, &out, false};
    EnumWindows(EnumTop, reinterpret_cast<LPARAM>(&c));
    return out;
}

HWND FindTopWindow(const WindowQuery &q)
{
    std::vector<HWND> out;
    EnumCtx c{&q, &out, true};
    EnumWindows(EnumTop, reinterpret_cast<LPARAM>(&c));
    return out.empty() ? NULL : out.front();
}

HWND WaitForWindow(const WindowQuery &q, DWORD timeoutMs)
{
    HWND h = NULL;
    WaitForCondition([&] { return (h = FindTopWindow(q)) != NULL; }, timeoutMs);
    return h;
}

HWND FindChildById(HWND parent, int id)
{
    if (!parent)
        return NULL;
    // Direct children first: nested views (the file dialog's list) reuse small ids.
    if (HWND h = GetDlgItem(parent, id))
        return h;
    ChildCtx c{id, NULL};
    EnumChildWindows(parent, EnumChild, reinterpret_cast<LPARAM>(&c));
    return c.found;
}

bool IsMessageBox(HWND h)
{
    return IsWindow(h) && GetClass(h) == "#32770" && GetDlgItem(h, 0xFFFF) != NULL;
}

std::vector<int> MessageBoxButtons(HWND hBox)
{
    static const int ids[] = {IDOK,  IDCANCEL, IDABORT,    IDRETRY,   IDIGNORE,
                              IDYES, IDNO,     IDTRYAGAIN, IDCONTINUE};
    std::vector<int> out;
    for (int id : ids)
    {
        HWND b = GetDlgItem(hBox, id);
        // The style bit, not IsWindowVisible: the box itself may not be shown yet.
        if (b && (GetWindowLongA(b, GWL_STYLE) & WS_VISIBLE))
            out.push_back(id);
    }
    return out;
}

} // namespace vtltest
