// Resource ids of the certificate dialogs and the ID/password prompt.
#pragma once

#define IDD_CERT 109
#define IDD_CERT_INFO 111
#define IDD_WLAN_IDPW 112
#define IDD_CERT_MAKE 113
#define IDD_CERT_SELECT 114

#define IDC_CERT_OPEN 1001
#define IDC_CERT_SELF 1048
#define IDC_CERT_CA 1049
#define IDC_CERT_READ 1050
#define IDC_CERT_TEXT 1059
#define IDC_CERT_MSG1 1060
#define IDC_CERT_QUESTION 1060
#define IDC_IDPW_ID_LABEL 1061
#define IDC_IDPW_ID 1062
#define IDC_IDPW_PW_LABEL 1063
#define IDC_IDPW_PW 1064
#define IDC_CERT_KEY_BITS 1065
#define IDC_CERT_COUNTRY 1066
#define IDC_CERT_STATE 1067
#define IDC_CERT_LOCALITY 1068
#define IDC_CERT_ORG 1069
#define IDC_CERT_UNIT 1070
#define IDC_CERT_CN 1071
#define IDC_CERT_EMAIL 1072
#define IDC_CERT_PATH 1073
#define IDC_CERT_MSG2 1074

// Strings.
#define IDS_CERT_FILE_TOO_LARGE 3601
