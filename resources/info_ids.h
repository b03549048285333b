// Resource ids of the information dialogs, the access-point and channel
// searches and the firmware upgrade dialog.
#pragma once

// Dialog templates.
#define IDD_FW_UPGRADE 117
#define IDD_FW_INFO 121
#define IDD_NET_INFO 122
#define IDD_NET_INFO_DETAIL 123
#define IDD_SEARCH_AP 172
#define IDD_SEARCH_CH 178

// Dialog controls.
#define IDC_FWUP_OPEN 1001
#define IDC_FWINFO_VERSION 1061
#define IDC_FWUP_SEND 1090
#define IDC_FWINFO_MAC 1104
#define IDC_FWINFO_SIZE 1105
#define IDC_FWINFO_PRODUCT 1106
#define IDC_FWINFO_UPTIME 1107
#define IDC_FWINFO_NAME 1108
#define IDC_NETINFO_TAB 1109
#define IDC_NETINFO_TEXT 1110
#define IDC_SEARCH_AGAIN 1114

// PNG images of the access-point list.
#define IDP_AP_LOCK 173
#define IDP_AP_SIGNAL4 174
#define IDP_AP_SIGNAL2 175
#define IDP_AP_SIGNAL3 176
#define IDP_AP_SIGNAL1 177
