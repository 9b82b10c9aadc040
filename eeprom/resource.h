// resource.h - resource identifiers of Ostrel.
#pragma once

// Dialogs
#define IDD_ABOUTBOX 100
#define IDD_OSTREL_DIALOG 102
#define IDD_SPLASH 130

// Strings
#define IDS_ABOUTBOX 101

// Icon and menu
#define IDR_MAINFRAME 128
#define IDR_MSG_MENU 129

// Controls of the main dialog
#define IDC_UPDATE 1000
#define IDC_SAVE 1001
#define IDC_VERIFY 1002
#define IDC_BOARDS 1003
#define IDC_ERASE 1004

// Commands
#define ID_HOURGLASS 32771

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
