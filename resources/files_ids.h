// Resource ids of the file list, its dialogs and the image viewer.
#pragma once

// Dialog templates.
#define IDD_SELECT_EDITOR 105
#define IDD_FILE_NAME 118
#define IDD_RESIZE 180

// Context menus.
#define IDR_FILELIST_MENU 162
#define IDR_IMAGE_MENU 179

// Dialog controls.
#define IDC_EDITOR_INTERNAL 1010
#define IDC_EDITOR_EXTERNAL 1011
#define IDC_FILENAME_EDIT 1067
#define IDC_RESIZE_WIDTH 1128
#define IDC_RESIZE_HEIGHT 1129
#define IDC_RESIZE_KEEP_RATIO 1130

// Menu commands. Recent files take 32801 to 32810, one each.
#define ID_FILELIST_RECENT_FIRST 32801
#define ID_FILELIST_RECENT_LAST 32810
#define ID_FILELIST_NEW 32813
#define ID_FILELIST_RENAME 32814
#define ID_FILELIST_ADD 32815
#define ID_FILELIST_CLEAR_RECENT 32816
#define ID_FILELIST_DELETE 32817
#define ID_FILELIST_CHANGE_FIRMWARE 32871
#define ID_IMAGE_RESIZE 32877

// Row icons (resource type "PNG").
#define IDP_FILE_STATE1 138
#define IDP_FILE_STATE2 139
#define IDP_FILE_LINKED 140
#define IDP_FILE_CURRENT 141
#define IDP_FILE_STATE4 142
#define IDP_FILE_FOLDER 171

// Strings.
#define IDS_FILENAME_INVALID 251
#define IDS_ADD_FILES_TITLE 2510
#define IDS_ADD_FILES_FILTER 2511
#define IDS_RESIZE_RANGE 3500
