// Ids of the task lists (the Tasks and Remote pages): the template, the list and its tool bar, the
// context menu, the rows' images, the columns, the tips and the messages of the list. Band for our
// own string numbers: the general band, 500-519 and 600-619 (shared with the main sheet). The
// buttons and tips it shares with the computer list are in ToolBarButtonIds.h, the action names in
// ActionTextIds.h.
#pragma once

#define IDD_TASK_LIST 107
#define IDC_TASK_LIST 1009
// Only its rectangle is used: the tool bar is created in its place.
#define IDC_TOOLBAR_PLACE 1063
#define IDC_TASK_LIST_BAR 105

// Tool bar buttons: 1000 + k reports button k.
#define IDC_BAR_FIRST 1000
#define IDC_BAR_CREATE 1000
#define IDC_BAR_IMPORT 1001
#define IDC_BAR_EXPORT 1002
#define IDC_BAR_SEPARATOR1 1003
#define IDC_BAR_RUN 1004
#define IDC_BAR_EDIT 1005
#define IDC_BAR_DELETE 1006
#define IDC_BAR_SEPARATOR2 1007
#define IDC_BAR_SYSTEM 1008

// The context menu.
#define IDM_TASK_LIST 131
#define ID_TASK_EDIT 32771
#define ID_TASK_DISABLE 32772
#define ID_TASK_SHORTCUT 32773
#define ID_TASK_RUN 32774
#define ID_TASK_DELETE 32775

// Bitmaps: the rows' images (16 x 16: none, enabled, disabled) and the list's own tool bar buttons
// (16 x 16).
#define IDB_TASK_IMAGES 138
#define IDB_IMPORT 162
#define IDB_EXPORT 163
#define IDB_POWER_OPTIONS 167
#define IDB_REMOTE_SHUTDOWN 169

// Texts under the system's numbers: the columns, the menu's changing items, the list's own tips.
#define IDS_COL_TASK 172
#define IDS_COL_SCHEDULE 173
#define IDS_COL_NEXT_RUN 174
#define IDS_COL_LAST_RUN 175
#define IDS_COL_COMMENT 177
#define IDS_ASK_DELETE 189
#define IDS_MENU_ENABLE 190
#define IDS_MENU_TERMINATE 191
#define IDS_COL_RESULT 195
#define IDS_TIP_IMPORT 210
#define IDS_TIP_EXPORT 211
#define IDS_TIP_POWER_OPTIONS 215
#define IDS_TIP_REMOTE_SHUTDOWN 216

// Texts of our own: the pages' tabs and what the list tells of a task.
#define IDS_DELETE_FAILED 501
#define IDS_TAB_TASKS 505
#define IDS_TAB_REMOTE 506
#define IDS_ROW_FILE_UNREADABLE 512
#define IDS_ROW_FOREIGN 515
#define IDS_TASK_FOREIGN 516
