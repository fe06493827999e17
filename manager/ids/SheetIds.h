// Ids of the main sheet (the manager's property sheet and the program around it): its icon, its
// title, the help file's absence and the failure texts of the program's start and of an operation
// stopped by an unexpected error. Band for our own string numbers: the general band, 500-519 and
// 600-619, which the task list, the account dialog and the task editor draw from too (the other
// bands: 520-559 the Schedule page, 560-579 the shell services, 580-599 the computer list).
#pragma once

#define IDI_VELMORA 128

// %s is the help file's full path.
#define IDS_HELP_MISSING 500
#define IDS_SERVICE_QUESTION 502
#define IDS_SERVICE_START_FAILED 503
#define IDS_SOCKETS_FAILED 504
#define IDS_SHEET_TITLE 507
#define IDS_OPERATION_FAILED 600
#define IDS_OUT_OF_MEMORY 601
#define IDS_UNEXPECTED_ERROR 602
