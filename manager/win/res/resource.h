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

// The task page: its control ids are the task page logic's (manager/TaskPropLogic.h), and the
// string table holds each label's text under the control's own number.
#define IDD_TASK_PROP 106
#define IDS_ACTION_LABEL 1068
#define IDS_COMMENT_LABEL 1069
#define IDS_NO_SHOW 1018
#define IDS_FORCE 1017
#define IDS_RUN_ONLY_IF_LOGGED_ON 1053
#define IDS_DIALOG_GROUP 1037
#define IDS_MESSAGE_LABEL 1024
#define IDS_DELAY_LABEL 1025
#define IDS_SECONDS_LABEL 1026
#define IDS_ALLOW_CANCEL 1019

// The account dialog.
#define IDD_ACCOUNT 160
#define IDC_ACCOUNT_USER_LABEL 1045
#define IDC_ACCOUNT_PASSWORD_LABEL 1046
#define IDC_ACCOUNT_CONFIRM_LABEL 1070
#define IDC_ACCOUNT_USER 1071
#define IDC_ACCOUNT_PASSWORD 1072
#define IDC_ACCOUNT_CONFIRM 1073
#define IDC_ACCOUNT_SYSTEM 1074
#define IDS_PASSWORD_LABEL 1046
#define IDS_CONFIRM_LABEL 1070

// The wizard's finish page.
#define IDD_FINISH 146
#define IDC_FINISH_TEXT 1080
