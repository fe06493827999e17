// Resource ids of a remote task's computers: the computer list page, its menus and images, the
// computer dialogs (whose control ids are in manager/AddCompLogic.h) and the IP range dialog.
#pragma once

// The computer list page; its template number is ours, the rest are the system's.
#define IDD_COMP_LIST 600
#define IDC_COMP_LIST 1601
#define IDC_COMP_COUNTER 1602
#define IDC_COMP_BAR_PLACE 1603
#define IDC_COMP_BAR 105
// The bar's buttons: 1000 + k reports button k.
#define IDC_COMP_BAR_FIRST 1000
#define IDC_COMP_BAR_ADD 1000
#define IDC_COMP_BAR_SEPARATOR 1001
#define IDC_COMP_BAR_RUN 1002
#define IDC_COMP_BAR_EDIT 1003
#define IDC_COMP_BAR_DELETE 1004
// The arrow beside the bar's Create New button opens the add menu.
#define ID_COMP_ADD_MENU 1604

// The rows' image (16 x 16, white is the mask colour).
#define IDB_COMPUTERS 155

// The context menu and the add menu.
#define IDM_COMP_LIST 150
#define IDM_COMP_ADD 205
#define ID_COMP_EDIT 32783
#define ID_COMP_RUN 32786
#define ID_COMP_PING 32802
#define ID_COMP_DELETE 32781
#define ID_COMP_GET_MAC 110
// Check, ours: the list's own band; Ctrl+K in the list does the same.
#define ID_COMP_CHECK 1605
#define ID_COMP_RANGE 32798
#define ID_COMP_WORKGROUPS 32801
#define ID_COMP_AD_SEARCH 32800
// Ours: the fast checks choice, ticked when on.
#define ID_COMP_FAST_CHECKS 1606

// The computer dialogs.
#define IDD_ADD_COMP 151
#define IDD_ADD_COMP_M 157

// The IP range dialog.
#define IDD_IP_RANGE 112
#define IDC_IP_START 1071
#define IDC_IP_END 1072
#define IDC_IP_AUTO_SCAN 1073
#define IDC_IP_START_LABEL 1074
#define IDC_IP_END_LABEL 1075
#define IDC_IP_FAST_CHECKS 1076

// Texts, under the system's numbers; the labels' under their controls' numbers.
#define IDS_NAME_OR_IP 203
#define IDS_LOGON_AS_USER 204
#define IDS_COL_COMPUTER 207
#define IDS_COL_MAC_ADDRESS 208
#define IDS_PAGE_REMOTE 219
#define IDS_REMOTE_COMPUTER 221
#define IDS_MAC_LABEL 1040
#define IDS_OPTIONAL 1054
#define IDS_BROADCAST_LABEL 1055
#define IDS_PORT_LABEL 1056
// Texts of our own, in the computer list's band 580-599.
#define IDS_COL_STATE 580
#define IDS_MENU_GET_MAC 581
#define IDS_FAST_CHECKS 582
#define IDS_ASK_SCAN_RUNNING 583
#define IDS_BUSY_WORKGROUPS 584
#define IDS_BUSY_MAC 585

// The busy window over a page while a lookup runs on a worker thread.
#define IDD_BUSY_WAIT 620
#define IDC_BUSY_TEXT 1621
