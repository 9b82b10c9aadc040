// TestSupport.h - helpers for tests that run real windows, threads and processes under Wine.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace vtltest
{

// ---------------------------------------------------------------------------
// Waits. Every wait has a timeout and keeps the calling thread's messages flowing.
// ---------------------------------------------------------------------------

// Dispatches at most maxMessages queued messages of the calling thread; returns how many.
int PumpMessages(int maxMessages = 1000);

// Polls pred until it is true or timeoutMs passed, pumping messages in between
// (MsgWaitForMultipleObjects with a short slice, not Sleep). Returns the last pred value.
bool WaitForCondition(const std::function<bool()> &pred, DWORD timeoutMs);

// Waits on a kernel handle while pumping messages. Returns true when it was signalled.
bool WaitForHandle(HANDLE h, DWORD timeoutMs);

// Describes a top-level window to look for; empty / zero fields match anything.
struct WindowQuery
{
    std::string className;          // e.g. "#32770"
    std::string title;              // exact window text
    DWORD pid = 0;                  // owning process
    std::function<bool(HWND)> pred; // extra test
    bool visibleOnly = true;        // skip hidden windows
};

// First top-level window that matches, or NULL.
HWND FindTopWindow(const WindowQuery &q);

// All top-level windows that match, in Z order.
std::vector<HWND> FindTopWindows(const WindowQuery &q);

// Waits (pumping) until FindTopWindow(q) finds one; NULL on timeout.
HWND WaitForWindow(const WindowQuery &q, DWORD timeoutMs);

// Direct child (or deeper descendant) of parent with control id; NULL when absent.
HWND FindChildById(HWND parent, int id);

// Window text read with WM_GETTEXT through SendMessageTimeout (works across processes).
std::string GetText(HWND h, DWORD timeoutMs = 5000);

// Class name of a window.
std::string GetClass(HWND h);

// Rows of a list view of this process, and the whole text of one cell ("" when it is missing).
int ListCount(HWND hList);
std::string ListText(HWND hList, int row, int col);

// While it lives, records the size in pixels that each window created on this thread was
// created with, before the window could change it (an icon static takes its icon's size).
class CCreationSizes
{
public:
    CCreationSizes();
    ~CCreationSizes();
    CCreationSizes(const CCreationSizes &) = delete;
    CCreationSizes &operator=(const CCreationSizes &) = delete;

    // False when hWnd was not created while this object lived.
    bool Get(HWND hWnd, SIZE &size) const;

private:
    static LRESULT CALLBACK CbtProc(int nCode, WPARAM wParam, LPARAM lParam);
    HHOOK m_hHook;
    CCreationSizes *m_pOuter;
    std::map<HWND, SIZE> m_sizes;
};

// A control of a dialog template: its id, text, place in dialog units and the style bits that
// must be set (for a static, its type exactly).
struct TemplateControl
{
    int id;
    const char *text; // null: not checked
    int x, y, cx, cy;
    LONG style;        // bits that must be set; a static's or button's type must be this one
    LONG notStyle = 0; // bits that must be clear
};

// Creates template nTemplate of this program hidden and compares its caption, its client size in
// dialog units and its controls, in tab order.
void ExpectTemplate(UINT nTemplate, int cx, int cy, const char *pszCaption,
                    const std::vector<TemplateControl> &controls);

// ---------------------------------------------------------------------------
// Message boxes: icon recognition shared by the in-process catcher and the driver.
// ---------------------------------------------------------------------------

// True for a #32770 window that is a message box (it has the static 0xFFFF).
bool IsMessageBox(HWND h);

// MB_ICONERROR / MB_ICONWARNING / MB_ICONINFORMATION / MB_ICONQUESTION shown by a
// message box, 0 when it shows none. Works for boxes of other processes too.
UINT MessageBoxIcon(HWND hBox);

// Button ids (IDOK, IDCANCEL, IDYES, IDNO, IDABORT, IDRETRY, IDIGNORE) present in a box.
std::vector<int> MessageBoxButtons(HWND hBox);

// One message box as it was seen.
struct MsgBoxRecord
{
    std::string caption;      // title bar
    std::string text;         // text of static 0xFFFF
    UINT icon = 0;            // MB_ICONxxx, see MessageBoxIcon
    std::vector<int> buttons; // ids present
    DWORD threadId = 0;       // thread that raised it
    HWND owner = NULL;        // owner window, NULL when none
    int answer = 0;           // id that was pressed
};

// Catches every message box raised by any thread of this process while it lives.
// A WH_CBT hook goes on each thread of the process (Toolhelp32 snapshot), and a
// watcher thread re-arms the hook on threads started later. On HCBT_ACTIVATE of a
// message box it records it and presses the next scripted answer (default IDOK).
// Only one catcher may exist at a time.
class CMsgBoxCatcher
{
public:
    explicit CMsgBoxCatcher(int nDefaultAnswer = IDOK);
    ~CMsgBoxCatcher();
    CMsgBoxCatcher(const CMsgBoxCatcher &) = delete;
    CMsgBoxCatcher &operator=(const CMsgBoxCatcher &) = delete;

    // Answers are used first in, first out; once used up the default applies.
    void PushAnswer(int nId);
    void SetDefaultAnswer(int nId);

    std::size_t Count() const;
    std::vector<MsgBoxRecord> Records() const;
    MsgBoxRecord Record(std::size_t i) const; // empty record when i >= Count()
    void Clear();

    // Waits (pumping) until at least n boxes were seen. False on timeout.
    bool WaitForCount(std::size_t n, DWORD timeoutMs) const;

    // Hooks threads started since the last scan at once (the watcher also does it).
    void Rearm();
    // The same for the catcher that lives now, if there is one (RunModal calls it).
    static void RearmActive();

    struct Impl;

private:
    std::unique_ptr<Impl> m_p;
};

// ---------------------------------------------------------------------------
// Registry: HKEY_LOCAL_MACHINE redirected to a scratch key for one test.
// ---------------------------------------------------------------------------

// Creates HKCU\Software\VtlTests\<unique>, maps HKEY_LOCAL_MACHINE onto it for this
// process (RegOverridePredefKey) and on destruction restores HKLM and deletes the tree.
class CIsolatedHklm
{
public:
    CIsolatedHklm();
    ~CIsolatedHklm();
    CIsolatedHklm(const CIsolatedHklm &) = delete;
    CIsolatedHklm &operator=(const CIsolatedHklm &) = delete;

    bool Ok() const { return m_hScratch != NULL; }
    HKEY Scratch() const { return m_hScratch; }
    const std::string &Path() const { return m_strPath; } // under HKCU

private:
    HKEY m_hScratch = NULL;
    std::string m_strPath;
};

// Reads a REG_SZ / REG_DWORD below root; false when missing or of another type.
// Torvane's real settings key under HKEY_LOCAL_MACHINE. A child process cannot share an isolated
// key, so tests whose children read or write it empty it before and after, also when an
// assertion ends the test early: the next test starts from no settings.
extern const char kTorvaneSettingsKey[];
class CSettingsCleaner
{
public:
    CSettingsCleaner();
    ~CSettingsCleaner();
    CSettingsCleaner(const CSettingsCleaner &) = delete;
    CSettingsCleaner &operator=(const CSettingsCleaner &) = delete;
};

bool RegReadString(HKEY root, const char *pszSubKey, const char *pszValue, std::string &out);
bool RegReadDword(HKEY root, const char *pszSubKey, const char *pszValue, DWORD &out);

// ---------------------------------------------------------------------------
// Files and paths
// ---------------------------------------------------------------------------

// Directory of the running test program (build/tests), with trailing backslash.
std::string ExeDir();

// Built programs and the simulator DLL: build/bin with trailing backslash.
std::string BinDir();

// Fresh empty directory under %TEMP%, removed with its files on destruction.
class CTempDir
{
public:
    CTempDir();
    ~CTempDir();
    CTempDir(const CTempDir &) = delete;
    CTempDir &operator=(const CTempDir &) = delete;
    const std::string &Path() const { return m_strPath; } // trailing backslash
    std::string File(const std::string &name) const { return m_strPath + name; }

private:
    std::string m_strPath;
};

bool WriteFileText(const std::string &path, const std::string &text);
bool ReadFileText(const std::string &path, std::string &text);

// The fixed part of the version resource of this program's own file; false when it has none.
bool ReadOwnFileVersion(VS_FIXEDFILEINFO &info);

// Copies the program exePath to copyPath without its dialog template nTemplate, so that the
// copy cannot create that dialog. False when the copy or its resource update fails.
bool CopyWithoutDialog(const std::string &exePath, const std::string &copyPath, UINT nTemplate);

// ---------------------------------------------------------------------------
// Child processes, and the driver that works a built program's dialog from outside.
// ---------------------------------------------------------------------------

// Variables given to a child besides (or instead of) this process's own.
using EnvVars = std::vector<std::pair<std::string, std::string>>;

struct ChildOptions
{
    std::string strDir;      // working directory; empty: this process's
    EnvVars vars;            // added to this process's environment, replacing same-named ones
    bool bCleanPath = false; // PATH only the system folders and no WINEPATH: no driver found
    bool bCapture = false;   // stdout and stderr into pipes (Out, Err), stdin from NUL
    DWORD dwFlags = 0;       // creation flags, e.g. CREATE_NO_WINDOW
};

// The one way tests start a program.
// Ctrl+C to every process on the console of process dwPid, as an operator gives it.
bool SendCtrlC(DWORD dwPid);

class CChildProcess
{
public:
    CChildProcess() = default;
    ~CChildProcess(); // kills a process still running
    CChildProcess(const CChildProcess &) = delete;
    CChildProcess &operator=(const CChildProcess &) = delete;

    // strCommand: the whole command line, the program's path quoted.
    bool Start(const std::wstring &strCommand, const ChildOptions &options = ChildOptions());
    HANDLE Process() const { return m_pi.hProcess; }
    DWORD Pid() const { return m_pi.dwProcessId; }
    DWORD StartError() const { return m_dwStartError; }
    bool Running() const;
    // Waits (pumping messages, reading the pipes) until the process ended or timeoutMs passed;
    // true with its exit code when it ended.
    bool Wait(DWORD timeoutMs, DWORD *pExitCode = nullptr);
    // Ends it by force (TerminateProcess) and waits.
    void Kill();
    // What the child wrote so far, when started with bCapture.
    const std::string &Out() const { return m_strOut; }
    const std::string &Err() const { return m_strErr; }

private:
    void Drain();

    PROCESS_INFORMATION m_pi{};
    HANDLE m_hOut = nullptr;
    HANDLE m_hErr = nullptr;
    std::string m_strOut;
    std::string m_strErr;
    DWORD m_dwStartError = 0;
};

// Runs strCommand to its end, at most timeoutMs (then it is killed): the exit code, -1 when it did
// not start or end. pOutput gets what it wrote to stdout, then to stderr.
int RunChild(const std::string &strCommand, DWORD timeoutMs, std::string *pOutput = nullptr);

// The ANSI text in UTF-16.
std::wstring Widen(const std::string &text);

class CProcessDriver
{
public:
    CProcessDriver() = default;
    CProcessDriver(const CProcessDriver &) = delete;
    CProcessDriver &operator=(const CProcessDriver &) = delete;

    // Starts exePath (full path or a name in BinDir()) with args, with the given
    // variables added to this process's environment, in workDir (default: exe's dir).
    // The process is killed with this object when it still runs.
    bool Start(const std::string &exePath, const EnvVars &env = {},
               const std::string &args = std::string(), const std::string &workDir = std::string());

    DWORD Pid() const { return m_child.Pid(); }
    HANDLE Process() const { return m_child.Process(); }
    bool Running() const { return m_child.Running(); }

    // Waits for a visible top-level #32770 of the process (optionally with this
    // exact title) that is not a message box; remembers it as the main window.
    HWND WaitForMainWindow(DWORD timeoutMs, const std::string &title = std::string());
    HWND MainWindow() const { return m_hMain; }
    void SetMainWindow(HWND h) { m_hMain = h; }

    // Controls of the main window (or of parent) by id.
    HWND Control(int id) const;
    HWND Control(HWND parent, int id) const;

    // Presses a button: posts BM_CLICK, so it returns at once even when the
    // handler opens a modal box. False when the control is missing or disabled.
    bool Click(int id);
    bool Click(HWND hCtl);
    // Posts WM_COMMAND(id, BN_CLICKED) to the main window (IDOK/IDCANCEL need no control).
    bool PostCommand(int id);

    std::string Text(int id) const;
    bool SetText(int id, const std::string &text); // WM_SETTEXT, then EN_CHANGE follows
    bool IsEnabled(int id) const;
    bool IsVisible(int id) const;
    int CheckState(int id) const; // BST_CHECKED / BST_UNCHECKED, -1 on failure

    // List view (SysListView32) across processes.
    int ListCount(int id) const; // -1 on failure
    std::string ListText(int id, int row, int col) const;
    std::vector<std::vector<std::string>> ListRows(int id, int nCols) const;
    UINT ListState(int id, int row, UINT mask = LVIS_SELECTED | LVIS_FOCUSED) const;
    bool ListSelect(int id, int row); // selects and focuses one row
    bool ListClick(int id, int row);  // posts a left click on the middle of the row's label
    int ListSelected(int id) const;   // first selected row, -1 when none

    // Progress bar position (PBM_GETPOS); -1 on failure.
    int ProgressPos(int id) const;

    // Message boxes currently shown by the process.
    std::vector<HWND> MessageBoxes() const;
    // Waits for one, returns it read (caption, text, icon, buttons); false on timeout.
    bool WaitForMessageBox(MsgBoxRecord &out, DWORD timeoutMs, HWND *phBox = nullptr);
    // Presses button nId of a box (BM_CLICK on it, or WM_COMMAND when it has none).
    bool AnswerMessageBox(HWND hBox, int nId);
    // WaitForMessageBox + AnswerMessageBox in one call.
    bool ExpectMessageBox(MsgBoxRecord &out, int nAnswer, DWORD timeoutMs);

    // Answers the file open/save dialog of the process: types fullPath into its
    // file-name box and presses Open/Save (or Cancel when fullPath is empty).
    // False when no file dialog appeared within timeoutMs.
    bool AnswerFileDialog(const std::string &fullPath, DWORD timeoutMs);
    // The process's file dialog window, NULL when none is shown.
    HWND FileDialog() const;

    // Posts WM_CLOSE to the main window.
    bool Close();
    // Waits for the process to end; true with its exit code, false on timeout.
    bool WaitForExit(DWORD timeoutMs, DWORD *pExitCode = nullptr);
    // Ends it by force (TerminateProcess) and waits.
    void Kill();

    // Last failure description (for test messages).
    const std::string &LastError() const { return m_strError; }

private:
    int Query(int id, UINT message) const;

    CChildProcess m_child;
    HWND m_hMain = NULL;
    std::string m_strError;
};

// ---------------------------------------------------------------------------
// File dialogs
// ---------------------------------------------------------------------------

// The file open/save dialog that process pid shows, NULL when none.
HWND FindFileDialog(DWORD pid);
// Answers the file dialog of process pid: types fullPath into its name box and presses OK, or
// Cancel when fullPath is empty. True once it closed or asks something in a box of its own;
// pError gets the reason otherwise, phOwner the dialog's owner window.
bool AnswerFileDialog(DWORD pid, const std::wstring &fullPath, DWORD timeoutMs,
                      std::string *pError = nullptr, HWND *phOwner = nullptr);

// Answers the next file dialog of this process from a helper thread. Join() tells whether it did.
class CFileDialogAnswerer
{
public:
    explicit CFileDialogAnswerer(const std::wstring &fullPath, DWORD timeoutMs = 20000);
    ~CFileDialogAnswerer();
    CFileDialogAnswerer(const CFileDialogAnswerer &) = delete;
    CFileDialogAnswerer &operator=(const CFileDialogAnswerer &) = delete;
    bool Join();
    HWND Owner() const { return m_hOwner; } // after Join

private:
    bool m_bAnswered = false;
    HWND m_hOwner = nullptr;
    std::thread m_thread;
};

// Writes a PNG-free screenshot of the whole virtual screen as a 24-bit BMP (for
// diagnosing a failed test). True on success.
bool SaveScreenBmp(const std::string &path);

} // namespace vtltest
