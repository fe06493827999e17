// Ids of the account dialog: its template, controls and texts; the labels' texts are under their
// controls' numbers. Band for our own string numbers: the general band, 500-519 and 600-619
// (shared with the main sheet). "User" and "Password:" are in AccountTextIds.h.
#pragma once

#define IDD_ACCOUNT 160
#define IDC_ACCOUNT_USER_LABEL 1045
#define IDC_ACCOUNT_PASSWORD_LABEL 1046
#define IDC_ACCOUNT_CONFIRM_LABEL 1070
#define IDC_ACCOUNT_USER 1071
#define IDC_ACCOUNT_PASSWORD 1072
#define IDC_ACCOUNT_CONFIRM 1073
#define IDC_ACCOUNT_SYSTEM 1074

#define IDS_BLANK_PASSWORD 205
#define IDS_PASSWORDS_DIFFER 206
#define IDS_ACCOUNT_TITLE 220
#define IDS_CONFIRM_LABEL 1070
// Ours: %s is the system's text of the error.
#define IDS_COMPUTER_NAME_UNKNOWN 517
