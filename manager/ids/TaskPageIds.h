// Ids of the task page of the wizard and the properties sheet: its template, its controls (the
// task page logic names them in manager/TaskPropLogic.h) and its texts; the string table holds each
// label's text under the control's own number. Band for our own string numbers: the general band,
// 500-519 and 600-619 (shared with the main sheet); the page's texts are under the system's
// numbers. The action names are in ActionTextIds.h.
#pragma once

#define IDD_TASK_PROP 106

#define IDC_TASK_ACTION 1013
#define IDC_TASK_COMMENT 1058
#define IDC_TASK_NO_SHOW 1018
#define IDC_TASK_FORCE 1017
#define IDC_TASK_RUN_ONLY_IF_LOGGED_ON 1053
#define IDC_TASK_MESSAGE 1015
#define IDC_TASK_DELAY 1021
#define IDC_TASK_DELAY_SPIN 1022
#define IDC_TASK_ALLOW_CANCEL 1019
#define IDC_TASK_LOG_FILE 1027
#define IDC_TASK_ACTION_LABEL 1068
#define IDC_TASK_COMMENT_LABEL 1069
#define IDC_TASK_DIALOG_GROUP 1037
#define IDC_TASK_MESSAGE_LABEL 1024
#define IDC_TASK_DELAY_LABEL 1025
#define IDC_TASK_SECONDS_LABEL 1026

#define IDS_HIBERNATE_OFF 199
// The labels' texts, under their controls' numbers.
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
