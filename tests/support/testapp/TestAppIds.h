// TestAppIds.h - control ids of the small dialog program the driver tests work.
#pragma once

#define IDD_TESTAPP 100
#define IDC_TA_EDIT 1001
#define IDC_TA_CHECK 1002
#define IDC_TA_LIST 1003
#define IDC_TA_PROGRESS 1004
#define IDC_TA_ASK 1005
#define IDC_TA_OPEN 1006
#define IDC_TA_SAVE 1007
#define IDC_TA_DISABLED 1008
#define IDC_TA_ERROR 1009
#define IDC_TA_INFO 1010

// Exit codes: OK and Cancel end the dialog with these.
#define TA_EXIT_OK 3
#define TA_EXIT_CANCEL 4
