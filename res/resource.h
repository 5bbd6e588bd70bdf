// Resource ids of Mirelko panel: dialog templates, strings, pictures, and the frame's controls.
#pragma once

// Dialog templates.
#define IDD_INFO 100
#define IDD_PANEL 102
#define IDD_ANALYSIS 135

// Strings.
#define IDS_INFO_MENU 101

// Pictures.
#define IDR_MAINFRAME 128
#define IDB_LOGO 129
#define IDB_LAMP_RED 132
#define IDB_LAMP_GREEN 134

// The panel's buttons; its box rows are in res/panel_box.h.
#define IDC_INFO 1006
#define IDC_REFRESH 1051
#define IDC_SAVE 1082
#define IDC_ANALIZE 1086

// Controls of the analysis dialog.
#define IDC_BOX_LIST 1087
#define IDC_CONTACT2 1088
#define IDC_CONTACT1 1089
#define IDC_LAST_CONNECTION 1090

// The system-menu command that opens the Info box; the low four bits are free for the system.
#define IDM_INFO 0x0010
