// Resource ids of the main window, its menu and the preferences dialog.
#pragma once

// Dialog templates.
#define IDD_ABOUTBOX 100
#define IDD_ZARVOD_DIALOG 102
#define IDD_PREFERENCE 119

// Menu bar.
#define IDR_MAIN_MENU 129

// About box.
#define IDC_ABOUT_ICON 1090

// Preferences dialog controls.
#define IDC_PREF_MARGIN 1091
#define IDC_PREF_LINE_NUMBERS 1092
#define IDC_PREF_CURRENT_LINE 1093
#define IDC_PREF_AUTO_SCROLL 1094
#define IDC_PREF_LINE_GAP 1095
#define IDC_PREF_TAB_SIZE 1096
#define IDC_PREF_ADD_INTERNAL 1097
#define IDC_PREF_ADD_EXTERNAL 1098
#define IDC_PREF_ADD_ASK 1099
#define IDC_PREF_BROWSE 1100
#define IDC_PREF_BACKUP_PATH 1101
#define IDC_PREF_INIT_MODE 1102

// Menu commands.
#define ID_FILE_OPEN_KBX 32823
#define ID_FILE_SAVE_SELECTED 32825
#define ID_FILE_SAVE_KBX 32827
#define ID_EDIT_UNDO 32846
#define ID_EDIT_REDO 32845
#define ID_EDIT_CUT 32799
#define ID_EDIT_COPY 32798
#define ID_EDIT_PASTE 32800
#define ID_EDIT_SELECT_ALL 32844
#define ID_EDIT_FIND 32843
#define ID_EDIT_FIND_NEXT 32842
#define ID_EDIT_FIND_PREVIOUS 32841
#define ID_EDIT_CHANGE 32840
#define ID_EDIT_PREFERENCES 32839
#define ID_FUNC_PRODUCT_INFO 32859
#define ID_FUNC_NETWORK_INFO 32860
#define ID_FUNC_PHP_ERROR_LOG 32861
#define ID_FUNC_FW_ERROR_LOG 32862
#define ID_FUNC_UPGRADE_FIRMWARE 32821
#define ID_FUNC_REBOOT 32863
#define ID_FUNC_FW_DEBUG_MODE 32865
#define ID_FUNC_PHP_DEBUG_MODE 32866
#define ID_FUNC_FONT 32811
#define ID_FUNC_LANG_KOREAN 32867
#define ID_FUNC_LANG_ENGLISH 32868
#define ID_FUNC_ABOUT 32869

// System menu item of the about box.
#define IDM_ABOUTBOX 0x0010

// Messages of the main window's own.
#define IDS_IMAGE_NOT_SHOWN 3300
// The initialisation mode confirmed while the board was busy (or its connection changed).
#define IDS_RESET_MODE_NOT_NOW 3301
// Why the firmware upgrade did not start (the settings block it needs was not read).
#define IDS_UPGRADE_NEEDS_SETTINGS 3000
