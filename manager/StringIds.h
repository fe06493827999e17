// String table numbers of the manager's texts, shared by the page logic and the resource script.
// Every string id of the manager has a number of its own (the resource compiler keeps the later of
// two texts under one number without a word; a test of the build checks it). Texts of our own have
// a band each: 500-519 and 600-619 here, 520-559 the Schedule page, 560-579 the shell services,
// 580-599 the computer list.
#pragma once

#define IDS_COL_TASK 172
#define IDS_COL_SCHEDULE 173
#define IDS_COL_NEXT_RUN 174
#define IDS_COL_LAST_RUN 175
#define IDS_COL_USER 176
#define IDS_COL_COMMENT 177
#define IDS_ACT_SHUTDOWN 178
#define IDS_ACT_HIBERNATE 179
#define IDS_ACT_REBOOT 180
#define IDS_ACT_POWER_OFF 181
#define IDS_ACT_LOCK 182
#define IDS_ACT_LOG_OFF 183
#define IDS_ACT_WAKE_UP_LOCAL 184
#define IDS_ACT_MONITOR_ON 185
#define IDS_ACT_POPUP 186
#define IDS_ACT_WAKEUP 187
#define IDS_ACT_STANDBY 188
#define IDS_ASK_DELETE 189
#define IDS_ACCOUNT_WARNING 194
#define IDS_MENU_ENABLE 190
#define IDS_MENU_TERMINATE 191
#define IDS_COL_RESULT 195
#define IDS_ACT_PING 197
#define IDS_HIBERNATE_OFF 199
#define IDS_BLANK_PASSWORD 205
#define IDS_PASSWORDS_DIFFER 206
#define IDS_ACCOUNT_TITLE 220
#define IDS_TIP_CREATE 209
#define IDS_TIP_IMPORT 210
#define IDS_TIP_EXPORT 211
#define IDS_TIP_RUN 212
#define IDS_TIP_EDIT 213
#define IDS_TIP_DELETE 214
#define IDS_TIP_POWER_OPTIONS 215
#define IDS_TIP_REMOTE_SHUTDOWN 216

// Texts of our own, outside the system's numbers.
#define IDS_HELP_MISSING 500
#define IDS_DELETE_FAILED 501
#define IDS_SERVICE_QUESTION 502
#define IDS_SERVICE_START_FAILED 503
#define IDS_SOCKETS_FAILED 504
#define IDS_TAB_TASKS 505
#define IDS_TAB_REMOTE 506
#define IDS_SHEET_TITLE 507
#define IDS_TASK_FILE_UNREADABLE 508
#define IDS_TASK_FILE_UNWRITABLE 509
#define IDS_WIZARD_CAPTION 510
#define IDS_PROPERTIES_CAPTION 511
#define IDS_ROW_FILE_UNREADABLE 512
#define IDS_WORK_ITEM_NOT_SAVED 513
#define IDS_WORK_ITEM_NOT_SAVED_FILE_CHANGED 514
#define IDS_ROW_FOREIGN 515
#define IDS_TASK_FOREIGN 516
#define IDS_COMPUTER_NAME_UNKNOWN 517
#define IDS_TASK_NOT_STORED 518
#define IDS_WORK_ITEM_LEFT 519
#define IDS_OPERATION_FAILED 600
#define IDS_OUT_OF_MEMORY 601
#define IDS_UNEXPECTED_ERROR 602

// The computer list's Check, in the upper end of the list's band (580-599); the texts are beside the
// list's own in manager/win/res/CompList.rc.
#define IDS_CHECK_READY 590
#define IDS_CHECK_READY_NOTED 591
#define IDS_CHECK_STATE 592
#define IDS_CHECK_STEP_NAMES 593
#define IDS_CHECK_HINTS 594
#define IDS_CHECK_TIP 595
#define IDS_CHECK_NOTED_TIP 596
#define IDS_CHECK_READY_TIP 597
