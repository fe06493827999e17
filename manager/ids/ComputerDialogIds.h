// Ids of the computer dialogs, the one of shutdown and reboot tasks (IDD_ADD_COMP) and the one of
// wakeup tasks (IDD_ADD_COMP_M): their templates, their controls (the dialogs' logic names them in
// manager/AddCompLogic.h) and their texts, the labels' under their controls' numbers. Band for our
// own string numbers: 580-599, the computer list's (ComputerListIds.h); the dialogs' texts are
// under the system's numbers. "Password:" is in AccountTextIds.h.
#pragma once

#define IDD_ADD_COMP 151
#define IDD_ADD_COMP_M 157

// The computer dialog of shutdown and reboot tasks.
#define IDC_ADD_COMP_NAME_LINK 1012
#define IDC_ADD_COMP_NAME 1038
#define IDC_ADD_COMP_USER 1039
#define IDC_ADD_COMP_PASSWORD 1040
#define IDC_ADD_COMP_LOGON 1045
#define IDC_ADD_COMP_PASSWORD_LABEL 1046

// The computer dialog of wakeup tasks.
#define IDC_ADD_WAKE_NAME_LINK 1012
#define IDC_ADD_WAKE_NAME 1038
#define IDC_ADD_WAKE_MAC_LINK 1040
#define IDC_ADD_WAKE_MAC 1042
#define IDC_ADD_WAKE_PASSWORD 1043
#define IDC_ADD_WAKE_BROADCAST 1044
#define IDC_ADD_WAKE_PORT 1045
#define IDC_ADD_WAKE_PASSWORD_LABEL 1046
#define IDC_ADD_WAKE_OPTIONAL 1054
#define IDC_ADD_WAKE_BROADCAST_LABEL 1055
#define IDC_ADD_WAKE_PORT_LABEL 1056

#define IDS_NAME_OR_IP 203
#define IDS_LOGON_AS_USER 204
#define IDS_REMOTE_COMPUTER 221
#define IDS_MAC_LABEL 1040
#define IDS_OPTIONAL 1054
#define IDS_BROADCAST_LABEL 1055
#define IDS_PORT_LABEL 1056
