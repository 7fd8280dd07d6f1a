// Resource ids and fixed texts of the program: dialog templates, controls,
// the About entry of the window menu and the application icon.
#pragma once

// Dialog templates.
#define IDD_ABOUTBOX 100
#define IDD_SORVIK_DIALOG 102

// Window menu entry that opens the About box, and its text (string 101).
#define IDM_ABOUTBOX 0x0010
#define IDS_ABOUTBOX 101
#define IDS_ABOUTBOX_TEXT "关于 Sorvik(&A)..."

// Application icon.
#define IDR_MAINFRAME 128

// Controls of the main dialog.
#define IDC_MODE_KEYWORD 1000
#define IDC_MODE_SELLER 1001
#define IDC_MODE_ITEMLINK 1002
#define IDC_KEYWORD 1003
#define IDC_SELLER 1004
#define IDC_ITEMLINK 1005
#define IDC_STATUS 1006
#define IDC_START 1007
#define IDC_RESULTS 1008
#define IDC_STOP 1009
