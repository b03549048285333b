// Resource ids of the Settings dialog, its pages and the time and user-password dialogs.
#pragma once

#define IDD_SETTING_NETWORK 107
#define IDD_SETTING_WLAN 108
#define IDD_WLAN_ADVANCE 110
#define IDD_USER_PW 115
#define IDD_SETTING_RTC 116
#define IDD_SETTING 159

// Combo-box items of a dialog: resource type 240, named by the dialog's id.
#define RT_COMBO_INIT 240

#define IDS_TEXT_TOO_LONG 270

// Settings dialog
#define IDC_SET_WRITE 1004
#define IDC_SET_CERT 1038
#define IDC_SET_TAB 1044
#define IDC_SET_PASSWORD 1046
#define IDC_SET_TIME 1047

// Network page
#define IDC_NET_IP 1016
#define IDC_NET_MASK 1017
#define IDC_NET_GATEWAY 1018
#define IDC_NET_DNS 1019
#define IDC_NET_IPV6 1020
#define IDC_NET_EUI 1021
#define IDC_NET_PREFIX 1022
#define IDC_NET_DNS_AUTO 1023
#define IDC_NET_IPV6_IP 1024
#define IDC_NET_IPV6_GATEWAY 1025
#define IDC_NET_IPV6_DNS 1026
#define IDC_NET_STATIC 1027
#define IDC_NET_DHCP 1028
#define IDC_NET_IPV6_STATIC 1029
#define IDC_NET_IPV6_AUTO 1030

// Wireless LAN page
#define IDC_WLAN_ADVANCED 1003
#define IDC_WLAN_ANT_INTERNAL 1010
#define IDC_WLAN_ADHOC 1031
#define IDC_WLAN_INFRA 1032
#define IDC_WLAN_SOFTAP 1033
#define IDC_WLAN_CHANNEL 1034
#define IDC_WLAN_SSID 1035
#define IDC_WLAN_ANT_EXTERNAL 1037
#define IDC_WLAN_KEY 1039
#define IDC_WLAN_HIDE 1040
#define IDC_WLAN_DOT1X 1041
#define IDC_WLAN_IDPW 1042
#define IDC_WLAN_ENABLE 1043
#define IDC_WLAN_SEARCH 1122

// Advanced settings
#define IDC_ADV_PREAMBLE 1051
#define IDC_ADV_SLOT 1052
#define IDC_ADV_CTS 1053
#define IDC_ADV_BGSCAN 1054
#define IDC_ADV_PHY_AUTO 1055
#define IDC_ADV_PHY_11 1056
#define IDC_ADV_PHY_11B 1057
#define IDC_ADV_PHY_11BG 1058

// User password
#define IDC_UPW_ID 1062
#define IDC_UPW_PASSWORD 1075
#define IDC_UPW_RETYPE 1076
#define IDC_UPW_DELETE 1077
#define IDC_UPW_PASSWORD_LABEL 1078
#define IDC_UPW_RETYPE_LABEL 1079

// Time setting
#define IDC_RTC_PC 1048
#define IDC_RTC_MANUAL 1049
#define IDC_RTC_DATE 1082
#define IDC_RTC_TIME 1083
#define IDC_RTC_BOARD 1084
