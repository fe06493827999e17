// Resource ids of the manager: dialog templates, controls, menus, bitmaps and commands. The
// string table's numbers are in manager/StringIds.h.
#pragma once

#define IDI_VELMORA 128

// The task list page: the list and the place of its tool bar.
#define IDD_TASK_LIST 107
#define IDC_TASK_LIST 1009
#define IDC_TOOLBAR_PLACE 1063
#define IDC_TASK_LIST_BAR 105

// The About page.
#define IDD_ABOUT 100
#define IDC_ABOUT_NAME 1100
#define IDC_ABOUT_VERSION 1101
#define IDC_ABOUT_LOGO 1102
#define IDC_ABOUT_TEXT 1103

// The task list's context menu.
#define IDM_TASK_LIST 131
#define ID_TASK_EDIT 32771
#define ID_TASK_DISABLE 32772
#define ID_TASK_SHORTCUT 32773
#define ID_TASK_RUN 32774
#define ID_TASK_DELETE 32775

// Bitmaps: the task rows' images (16 x 16: none, enabled, disabled), the About page's picture and
// the tool bar's buttons (16 x 16).
#define IDB_TASK_IMAGES 138
#define IDB_ABOUT 141
#define IDB_CREATE 161
#define IDB_IMPORT 162
#define IDB_EXPORT 163
#define IDB_RUN 164
#define IDB_EDIT 165
#define IDB_DELETE 166
#define IDB_POWER_OPTIONS 167
#define IDB_SEPARATOR 168
#define IDB_REMOTE_SHUTDOWN 169

// Tool bar buttons of the task lists: 1000 + k reports button k.
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
