// FileDialogAnswer.cpp - answering the file open/save dialog of this or another process.
#include "TestSupport.h"

namespace vtltest
{
namespace
{
const int kFileNameEdit = 1152;  // edt1, also in the item dialog Wine draws
const int kFileNameCombo = 1148; // cmb13 of the older dialog

// The edit box that takes the file name, NULL when h is no file dialog.
HWND FileNameBox(HWND h)
{
    HWND e = GetDlgItem(h, kFileNameEdit);
    if (e && GetClass(e) == "Edit")
        return e;
    HWND c = GetDlgItem(h, kFileNameCombo);
    if (!c)
        return nullptr;
    HWND hCombo = FindWindowExA(c, nullptr, "ComboBox", nullptr);
    return FindWindowExA(hCombo ? hCombo : c, nullptr, "Edit", nullptr);
}

// Closed, or asking something in a message box of its own.
bool IsAnswered(HWND hDlg, DWORD pid)
{
    if (!IsWindow(hDlg))
        return true;
    WindowQuery q;
    q.className = "#32770";
    q.pid = pid;
    q.pred = [hDlg](HWND h) { return IsMessageBox(h) && GetWindow(h, GW_OWNER) == hDlg; };
    return FindTopWindow(q) != nullptr;
}
} // namespace

std::wstring Widen(const std::string &text)
{
    std::wstring wide(text.size(), L'\0');
    const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                      &wide[0], static_cast<int>(wide.size()));
    wide.resize(static_cast<size_t>(n > 0 ? n : 0));
    return wide;
}

HWND FindFileDialog(DWORD pid)
{
    WindowQuery q;
    q.className = "#32770";
    q.pid = pid;
    q.pred = [](HWND h) { return !IsMessageBox(h) && FileNameBox(h) && GetDlgItem(h, IDOK); };
    return FindTopWindow(q);
}

bool AnswerFileDialog(DWORD pid, const std::wstring &fullPath, DWORD timeoutMs, std::string *pError,
                      HWND *phOwner)
{
    auto fail = [pError](const char *pszWhy) {
        if (pError)
            *pError = pszWhy;
        return false;
    };
    HWND hDlg = nullptr;
    if (!WaitForCondition([&] { return (hDlg = FindFileDialog(pid)) != nullptr; }, timeoutMs))
        return fail("no file dialog");
    if (phOwner)
        *phOwner = GetWindow(hDlg, GW_OWNER);
    DWORD_PTR r = 0;
    if (!fullPath.empty() && !SendMessageTimeoutW(FileNameBox(hDlg), WM_SETTEXT, 0,
                                                  reinterpret_cast<LPARAM>(fullPath.c_str()),
                                                  SMTO_ABORTIFHUNG, 5000, &r))
        return fail("cannot type into the file dialog");
    PostMessageA(GetDlgItem(hDlg, fullPath.empty() ? IDCANCEL : IDOK), BM_CLICK, 0, 0);
    if (!WaitForCondition([&] { return IsAnswered(hDlg, pid); }, 10000))
        return fail("the file dialog stayed open");
    return true;
}

CFileDialogAnswerer::CFileDialogAnswerer(const std::wstring &fullPath, DWORD timeoutMs)
    : m_thread([this, fullPath, timeoutMs] {
          m_bAnswered =
              AnswerFileDialog(GetCurrentProcessId(), fullPath, timeoutMs, nullptr, &m_hOwner);
      })
{
}

CFileDialogAnswerer::~CFileDialogAnswerer()
{
    Join();
}

bool CFileDialogAnswerer::Join()
{
    if (m_thread.joinable())
        m_thread.join();
    return m_bAnswered;
}

HWND CProcessDriver::FileDialog() const
{
    return FindFileDialog(Pid());
}

bool CProcessDriver::AnswerFileDialog(const std::string &fullPath, DWORD timeoutMs)
{
    return vtltest::AnswerFileDialog(Pid(), Widen(fullPath), timeoutMs, &m_strError);
}
} // namespace vtltest
