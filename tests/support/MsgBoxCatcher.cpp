// MsgBoxCatcher.cpp - records and answers the message boxes of every thread of this process.
#include "TestSupport.h"

#include <tlhelp32.h>

#include <deque>
#include <map>
#include <set>

namespace vtltest
{

struct CMsgBoxCatcher::Impl
{
    mutable std::mutex mtx;
    std::vector<MsgBoxRecord> records;
    std::deque<int> answers;
    int nDefault = IDOK;
    std::set<HWND> handled;
    std::map<DWORD, HHOOK> hooks; // thread id -> hook
    HANDLE hStop = NULL;
    HANDLE hWatcher = NULL;
    DWORD watcherId = 0;

    void Handle(HWND hBox);
    void Scan();
    void SweepUnhooked();
};

namespace
{
CMsgBoxCatcher::Impl *g_pCatcher = nullptr; // one catcher at a time
std::mutex g_catcherMtx;

LRESULT CALLBACK CbtProc(int nCode, WPARAM wParam, LPARAM lParam)
{
    if (nCode == HCBT_ACTIVATE)
    {
        // When the watcher holds the lock it may be waiting on this very thread; the
        // box is then left to its sweep, which finds it once it shows.
        std::unique_lock<std::mutex> g(g_catcherMtx, std::try_to_lock);
        if (g.owns_lock() && g_pCatcher && IsMessageBox(reinterpret_cast<HWND>(wParam)))
            g_pCatcher->Handle(reinterpret_cast<HWND>(wParam));
    }
    return CallNextHookEx(NULL, nCode, wParam, lParam);
}

DWORD WINAPI Watcher(void *p)
{
    auto *impl = static_cast<CMsgBoxCatcher::Impl *>(p);
    // A short re-scan period hooks new threads; boxes raised before their thread
    // was hooked are swept up from the window list instead.
    while (WaitForSingleObject(impl->hStop, 15) == WAIT_TIMEOUT)
    {
        impl->Scan();
        std::lock_guard<std::mutex> g(g_catcherMtx);
        impl->SweepUnhooked();
    }
    return 0;
}
} // namespace

// Caller holds g_catcherMtx.
void CMsgBoxCatcher::Impl::Handle(HWND hBox)
{
    MsgBoxRecord r;
    int nAnswer;
    {
        std::lock_guard<std::mutex> g(mtx);
        if (!handled.insert(hBox).second)
            return;
        nAnswer = nDefault;
        if (!answers.empty())
        {
            nAnswer = answers.front();
            answers.pop_front();
        }
    }
    r.caption = GetText(hBox);
    r.text = GetText(GetDlgItem(hBox, 0xFFFF));
    r.icon = MessageBoxIcon(hBox);
    r.buttons = MessageBoxButtons(hBox);
    r.threadId = GetWindowThreadProcessId(hBox, NULL);
    r.owner = GetWindow(hBox, GW_OWNER);
    // Press only a button the box has: Cancel stands in, else its first button.
    auto has = [&](int id) {
        for (int b : r.buttons)
            if (b == id)
                return true;
        return false;
    };
    if (!has(nAnswer))
        nAnswer = has(IDCANCEL) ? IDCANCEL : (r.buttons.empty() ? IDOK : r.buttons.front());
    r.answer = nAnswer;
    {
        std::lock_guard<std::mutex> g(mtx);
        records.push_back(r);
    }
    PostMessageA(hBox, WM_COMMAND, MAKEWPARAM(nAnswer, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(hBox, nAnswer)));
}

void CMsgBoxCatcher::Impl::Scan()
{
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snap == INVALID_HANDLE_VALUE)
        return;
    const DWORD pid = GetCurrentProcessId();
    std::set<DWORD> alive;
    THREADENTRY32 te{};
    te.dwSize = sizeof te;
    for (BOOL ok = Thread32First(snap, &te); ok; ok = Thread32Next(snap, &te))
        if (te.th32OwnerProcessID == pid && te.th32ThreadID != watcherId)
            alive.insert(te.th32ThreadID);
    CloseHandle(snap);

    std::lock_guard<std::mutex> g(mtx);
    for (auto it = hooks.begin(); it != hooks.end();)
    {
        // The system drops the hook of a thread that ended.
        if (!alive.count(it->first))
            it = hooks.erase(it);
        else
            ++it;
    }
    for (DWORD tid : alive)
        if (!hooks.count(tid))
            if (HHOOK h = SetWindowsHookExA(WH_CBT, CbtProc, NULL, tid))
                hooks[tid] = h;
    for (auto it = handled.begin(); it != handled.end();)
        it = IsWindow(*it) ? std::next(it) : handled.erase(it);
}

// Caller holds g_catcherMtx.
void CMsgBoxCatcher::Impl::SweepUnhooked()
{
    WindowQuery q;
    q.className = "#32770";
    q.pid = GetCurrentProcessId();
    q.pred = IsMessageBox;
    for (HWND h : FindTopWindows(q))
        Handle(h);
}

CMsgBoxCatcher::CMsgBoxCatcher(int nDefaultAnswer) : m_p(new Impl)
{
    m_p->nDefault = nDefaultAnswer;
    m_p->hStop = CreateEventA(NULL, TRUE, FALSE, NULL);
    {
        std::lock_guard<std::mutex> g(g_catcherMtx);
        g_pCatcher = m_p.get();
    }
    m_p->Scan();
    m_p->hWatcher = CreateThread(NULL, 0, Watcher, m_p.get(), 0, &m_p->watcherId);
}

CMsgBoxCatcher::~CMsgBoxCatcher()
{
    SetEvent(m_p->hStop);
    // The watcher may wait for a box's thread to answer; that thread may be this one.
    WaitForHandle(m_p->hWatcher, 10000);
    CloseHandle(m_p->hWatcher);
    CloseHandle(m_p->hStop);
    std::lock_guard<std::mutex> g(g_catcherMtx);
    for (auto &kv : m_p->hooks)
        UnhookWindowsHookEx(kv.second);
    g_pCatcher = nullptr;
}

void CMsgBoxCatcher::PushAnswer(int nId)
{
    std::lock_guard<std::mutex> g(m_p->mtx);
    m_p->answers.push_back(nId);
}

void CMsgBoxCatcher::SetDefaultAnswer(int nId)
{
    std::lock_guard<std::mutex> g(m_p->mtx);
    m_p->nDefault = nId;
}

std::size_t CMsgBoxCatcher::Count() const
{
    std::lock_guard<std::mutex> g(m_p->mtx);
    return m_p->records.size();
}

std::vector<MsgBoxRecord> CMsgBoxCatcher::Records() const
{
    std::lock_guard<std::mutex> g(m_p->mtx);
    return m_p->records;
}

MsgBoxRecord CMsgBoxCatcher::Record(std::size_t i) const
{
    std::lock_guard<std::mutex> g(m_p->mtx);
    return i < m_p->records.size() ? m_p->records[i] : MsgBoxRecord();
}

void CMsgBoxCatcher::Clear()
{
    std::lock_guard<std::mutex> g(m_p->mtx);
    m_p->records.clear();
    m_p->answers.clear();
}

bool CMsgBoxCatcher::WaitForCount(std::size_t n, DWORD timeoutMs) const
{
    return WaitForCondition([&] { return Count() >= n; }, timeoutMs);
}

void CMsgBoxCatcher::Rearm()
{
    m_p->Scan();
}

void CMsgBoxCatcher::RearmActive()
{
    Impl *p = nullptr;
    {
        std::lock_guard<std::mutex> g(g_catcherMtx);
        p = g_pCatcher;
    }
    if (p)
        p->Scan();
}

} // namespace vtltest
