// resource.h - resources of the layer's test program (the shared windows need the first three).
#pragma once

#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_SPLASH 129

#define IDS_LONG 102
#define IDR_TESTICON 128

#define IDD_ROUTE 200
#define IDD_MODAL 201
#define IDD_NOSYSMENU 202
#define IDD_VISIBLE 203

#define IDC_BTN1 1001
#define IDC_BTN2 1002
#define IDC_EDIT 1003
#define IDC_PROGRESS 1004
#define IDC_LIST 1005
#define IDC_CHECK 1006

#define ID_TEST_CMD 32771
#define ID_APP_CMD 32772
