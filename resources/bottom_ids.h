// Resource ids of the bottom pane: log panes, watch list, resource view,
// flash-usage bar, and their dialogs and menus.
#pragma once

// Dialog templates.
#define IDD_VIEW_LOG 120
#define IDD_ADD_WATCH 126
#define IDD_WATCH_DETAIL 127

// Context menus.
#define IDR_LOG_MENU 143
#define IDR_WATCH_MENU 151

// Gauge skins (resource type "PNG"): track, fill and over-full fill, each
// a left end, a stretched middle and a right end.
#define IDP_GAUGE_TRACK_LEFT 144
#define IDP_GAUGE_TRACK_MIDDLE 145
#define IDP_GAUGE_TRACK_RIGHT 146
#define IDP_GAUGE_FILL_LEFT 147
#define IDP_GAUGE_FILL_MIDDLE 148
#define IDP_GAUGE_FILL_RIGHT 149
#define IDP_GAUGE_OVER_LEFT 152
#define IDP_GAUGE_OVER_MIDDLE 153
#define IDP_GAUGE_OVER_RIGHT 154

// Controls.
#define IDC_BOTTOM_SPLITTER 1005
#define IDC_RESOURCE_TASK 1012
#define IDC_WATCH_LIST 1013
#define IDC_BOTTOM_LOG_TABS 1014
#define IDC_BOTTOM_WATCH_TABS 1015
#define IDC_VIEW_LOG_TEXT 1103
#define IDC_WATCH_NAME 1119
#define IDC_WATCH_PROMPT 1120
#define IDC_WATCH_DUMP 1121

// Log pane menu.
#define ID_LOG_DELETE_ALL 32771
#define ID_LOG_COPY 32772
#define ID_LOG_AUTO_SCROLL 32773

// Watch list menu.
#define ID_WATCH_ADD 32780
#define ID_WATCH_MODIFY 32781
#define ID_WATCH_DELETE 32782
#define ID_WATCH_DELETE_ALL 32783
#define ID_WATCH_DETAIL 32784
#define ID_WATCH_REFRESH 32785

// Strings.
#define IDS_WATCH_NAME_TOO_LONG 3600
