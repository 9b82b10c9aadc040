// TestApp.cpp - the test program's application object and helpers.
#include "MfcTestUtil.h"

#include "resource.h"

#include <commctrl.h>

CTestApp theApp;

BEGIN_MESSAGE_MAP(CTestApp, CWinApp)
ON_COMMAND(ID_HELP, &CWinApp::OnHelp)
ON_COMMAND(ID_APP_CMD, &CTestApp::OnAppCommand)
END_MESSAGE_MAP()

namespace
{
// The list view and progress classes must exist before the test dialogs are created.
struct CommonControls
{
    CommonControls()
    {
        INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_PROGRESS_CLASS | ICC_LISTVIEW_CLASSES |
                                                     ICC_STANDARD_CLASSES};
        ::InitCommonControlsEx(&icc);
    }
} g_commonControls;
} // namespace

void FlushMessages()
{
    MSG msg;
    for (int i = 0; i < 1000 && ::PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE); ++i)
    {
        ::TranslateMessage(&msg);
        ::DispatchMessageA(&msg);
    }
}
