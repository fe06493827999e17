// Ids of the task editor (the wizard and the properties sheet around the task's pages): its
// captions and the messages of loading and storing a task. Band for our own string numbers: the
// general band, 500-519 and 600-619 (shared with the main sheet). The unreadable task file's text
// is in TaskFileTextIds.h.
#pragma once

#define IDS_ACCOUNT_WARNING 194

// %s is the task file's path.
#define IDS_TASK_FILE_UNWRITABLE 509
#define IDS_WIZARD_CAPTION 510
#define IDS_PROPERTIES_CAPTION 511
#define IDS_WORK_ITEM_NOT_SAVED 513
#define IDS_WORK_ITEM_NOT_SAVED_FILE_CHANGED 514
#define IDS_TASK_NOT_STORED 518
#define IDS_WORK_ITEM_LEFT 519
