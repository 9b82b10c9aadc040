// TestApp.cpp - a small dialog program for the out-of-process driver tests.
// Each button leaves its outcome in the edit box, where the test reads it.
#include <windows.h>

#include <commctrl.h>
#include <shobjidl.h>

#include <cstdio>
#include <cstdlib>

#include "TestAppIds.h"

namespace
{
void SetEdit(HWND hDlg, const char *psz)
{
    SetDlgItemTextA(hDlg, IDC_TA_EDIT, psz);
}

void FillList(HWND hDlg)
{
    HWND h = GetDlgItem(hDlg, IDC_TA_LIST);
    const char *cols[] = {"Name", "Value"};
    for (int c = 0; c < 2; ++c)
    {
        LVCOLUMNA col{};
        col.mask = LVCF_TEXT | LVCF_WIDTH;
        col.cx = 150;
        col.pszText = const_cast<char *>(cols[c]);
        SendMessageA(h, LVM_INSERTCOLUMNA, c, reinterpret_cast<LPARAM>(&col));
    }
    for (int r = 0; r < 3; ++r)
    {
        char name[32], value[32];
        snprintf(name, sizeof name, "row%d", r);
        snprintf(value, sizeof value, "value %d", r * 10);
        LVITEMA it{};
        it.mask = LVIF_TEXT;
        it.iItem = r;
        it.pszText = name;
        SendMessageA(h, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&it));
        it.iSubItem = 1;
        it.pszText = value;
        SendMessageA(h, LVM_SETITEMTEXTA, r, reinterpret_cast<LPARAM>(&it));
    }
}

// Shows the item dialog and puts the chosen path (or "cancelled") in the edit box.
void PickFile(HWND hDlg, bool bSave)
{
    IFileDialog *pDlg = nullptr;
    HRESULT hr = bSave ? CoCreateInstance(CLSID_FileSaveDialog, NULL, CLSCTX_INPROC_SERVER,
                                          IID_IFileSaveDialog, reinterpret_cast<void **>(&pDlg))
                       : CoCreateInstance(CLSID_FileOpenDialog, NULL, CLSCTX_INPROC_SERVER,
                                          IID_IFileOpenDialog, reinterpret_cast<void **>(&pDlg));
    if (FAILED(hr))
    {
        SetEdit(hDlg, "no dialog");
        return;
    }
    COMDLG_FILTERSPEC filters[] = {{L"Text files", L"*.txt"}, {L"All files", L"*.*"}};
    pDlg->SetFileTypes(2, filters);
    pDlg->SetDefaultExtension(L"txt");
    IShellItem *pItem = nullptr;
    PWSTR pszPath = nullptr;
    if (SUCCEEDED(pDlg->Show(hDlg)) && SUCCEEDED(pDlg->GetResult(&pItem)) &&
        SUCCEEDED(pItem->GetDisplayName(SIGDN_FILESYSPATH, &pszPath)))
    {
        char sz[MAX_PATH * 2] = "";
        WideCharToMultiByte(CP_ACP, 0, pszPath, -1, sz, sizeof sz, NULL, NULL);
        SetEdit(hDlg, sz);
        CoTaskMemFree(pszPath);
    }
    else
        SetEdit(hDlg, "cancelled");
    if (pItem)
        pItem->Release();
    pDlg->Release();
}

INT_PTR CALLBACK DlgProc(HWND hDlg, UINT msg, WPARAM wParam, LPARAM)
{
    switch (msg)
    {
    case WM_INITDIALOG:
        FillList(hDlg);
        SendDlgItemMessageA(hDlg, IDC_TA_PROGRESS, PBM_SETPOS, 42, 0);
        if (const char *psz = getenv("TESTAPP_GREETING"))
            SetEdit(hDlg, psz);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam))
        {
        case IDC_TA_ASK:
            SetEdit(hDlg,
                    MessageBoxA(hDlg, "Proceed?", "Test App", MB_YESNO | MB_ICONWARNING) == IDYES
                        ? "yes"
                        : "no");
            return TRUE;
        case IDC_TA_ERROR:
            MessageBoxA(hDlg, "Something failed", "Test App", MB_OK | MB_ICONERROR);
            SetEdit(hDlg, "error shown");
            return TRUE;
        case IDC_TA_INFO:
            MessageBoxA(hDlg, "All done", "Test App", MB_OK | MB_ICONINFORMATION);
            SetEdit(hDlg, "info shown");
            return TRUE;
        case IDC_TA_DISABLED:
            SetEdit(hDlg, "disabled pressed");
            return TRUE;
        case IDC_TA_OPEN:
        case IDC_TA_SAVE:
            PickFile(hDlg, LOWORD(wParam) == IDC_TA_SAVE);
            return TRUE;
        case IDOK:
            EndDialog(hDlg, TA_EXIT_OK);
            return TRUE;
        case IDCANCEL:
            EndDialog(hDlg, TA_EXIT_CANCEL);
            return TRUE;
        }
        break;
    }
    return FALSE;
}
} // namespace

int WINAPI WinMain(HINSTANCE hInst, HINSTANCE, LPSTR, int)
{
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&icc);
    CoInitializeEx(NULL, COINIT_APARTMENTTHREADED);
    INT_PTR r = DialogBoxParamA(hInst, MAKEINTRESOURCEA(IDD_TESTAPP), NULL, DlgProc, 0);
    CoUninitialize();
    return static_cast<int>(r);
}
