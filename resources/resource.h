// Resource and control identifiers of both programs.
#pragma once

// Setup: icon, bitmaps, pages.
#define IDI_SETUP 114
#define IDB_SPLASH 115
#define IDB_SIDE 117
#define IDB_HEAD_WELCOME 118
#define IDB_HEAD_INTERRUPTED 119
#define IDB_BANNER 120
#define IDB_HEAD_FINISH 122

#define IDD_WELCOME 116
#define IDD_INTERRUPTED 117
#define IDD_LICENCE 118
#define IDD_SETUP_TYPE 119
#define IDD_SUMMARY 120
#define IDD_DESTINATION 121
#define IDD_OPTIONS 122
#define IDD_FINISH 123
#define IDD_PROGRESS 124
#define IDD_TOOLBAR_OFFER 125

// Setup: the size and SHA-256 of each file the release packs beside it.
#define IDR_PAYLOAD_TABLE 130

// Setup: controls.
#define IDC_NEXT 1001
#define IDC_CANCEL 1002
#define IDC_SIDE_PICTURE 1004
#define IDC_FINISH 1005
#define IDC_AGREE 1006
#define IDC_DISAGREE 1007
#define IDC_SUMMARY_TEXT 1008
#define IDC_DEFAULT 1009
#define IDC_CUSTOM 1010
#define IDC_BACK 1011
#define IDC_INSTALL 1012
#define IDC_BROWSE 1013
#define IDC_FOLDER 1014
#define IDC_DISK_LIST 1015
#define IDC_WORD_ADDIN 1016
#define IDC_ALL_USERS 1017
#define IDC_START_MENU 1018
#define IDC_PROGRESS_BAR 1018
#define IDC_LICENCE_TEXT 1019
#define IDC_STATUS 1020
#define IDC_DEFAULT_PRINTER 1027
#define IDC_LINK 1028

// Uninstaller.
#define IDI_UNINSTALL 101
#define IDD_UNINSTALL 102
#define IDC_UNINSTALL_PROGRESS 1002
