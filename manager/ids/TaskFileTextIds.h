// Texts about a task's file told by several windows: the task list and the task editor. Band for
// our own string numbers: the general band, 500-519 and 600-619 (shared with the main sheet; the
// other bands: 520-559 the Schedule page, 560-579 the shell services, 580-599 the computer list).
#pragma once

// %s is the task file's path.
#define IDS_TASK_FILE_UNREADABLE 508
