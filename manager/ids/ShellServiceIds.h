// String ids of the shell services' messages: export, shortcut and log viewer. Band for our own
// string numbers: 560-579, the shell services' own (the other bands: 500-519 and 600-619 general,
// 520-559 the Schedule page, 580-599 the computer list).
#pragma once

#define IDS_SHELL_EXPORT_UNREADABLE 560
#define IDS_SHELL_EXPORT_NOT_WRITTEN 561
#define IDS_SHELL_LOG_NOT_WRITTEN 562
#define IDS_SHELL_SHORTCUT_FAILED 563
#define IDS_SHELL_EXPORT_CLEAR_PASSWORDS 564
