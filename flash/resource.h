// resource.h - resource identifiers of Torvane, grouped by kind.
#pragma once

// Dialog templates
#define IDD_ABOUTBOX 100
#define IDD_TORVANE_DIALOG 102
#define IDD_SPLASH 129

// Strings
#define IDS_ABOUTBOX 101

// Icons and bitmaps
#define IDR_MAINFRAME 128
#define IDB_SPLASH 131

// Controls of the main dialog
#define IDC_FILE 1000
#define IDC_BROWSE 1001
#define IDC_ERASE 1002
#define IDC_PROGRAM 1003
#define IDC_INFO 1004
#define IDC_ERASE_BITSTREAM 1005
#define IDC_PROGRESS 1006
#define IDC_PERCENT 1007
#define IDC_TIME 1008
#define IDC_VER_MAJOR 1009
#define IDC_VER_MINOR 1010
#define IDC_SPARTAN 1012
#define IDC_VIRTEX 1013

// Controls of the splash
#define IDC_SPLASH_BITMAP 1008
#define IDC_SPLASH_TEXT 1010

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
