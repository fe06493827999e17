// Ids of the computer list page of a remote task: its template, the list and its tool bar, the
// context and add menus, the rows' image, the columns, the Check's texts and the list's messages.
// Band for our own string numbers: 580-599, the computer list's, which the busy wait's texts
// (BusyWaitIds.h) and the fast checks choice (FastChecksTextIds.h) draw from too (the other bands:
// 500-519 and 600-619 general, 520-559 the Schedule page, 560-579 the shell services). The shared
// tool bar buttons and tips are in ToolBarButtonIds.h.
#pragma once

// Its template number is ours, the rest are the system's.
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

// Texts under the system's numbers.
#define IDS_COL_COMPUTER 207
#define IDS_COL_MAC_ADDRESS 208
// The page's tab.
#define IDS_PAGE_REMOTE 219
// Texts of our own.
#define IDS_COL_STATE 580
#define IDS_MENU_GET_MAC 581
#define IDS_ASK_SCAN_RUNNING 583

// The Check, in the upper end of the band: the State text, the info tips, and the "|"-separated
// step names and hints (read by the check report, manager/CheckReport.h).
#define IDS_CHECK_READY 590
#define IDS_CHECK_READY_NOTED 591
#define IDS_CHECK_STATE 592
#define IDS_CHECK_STEP_NAMES 593
#define IDS_CHECK_HINTS 594
#define IDS_CHECK_TIP 595
#define IDS_CHECK_NOTED_TIP 596
#define IDS_CHECK_READY_TIP 597
