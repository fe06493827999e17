// String table numbers of the shell services' messages: export, shortcut and log viewer.
#pragma once

#define IDS_SHELL_EXPORT_UNREADABLE 560
#define IDS_SHELL_EXPORT_NOT_WRITTEN 561
#define IDS_SHELL_LOG_NOT_WRITTEN 562
#define IDS_SHELL_SHORTCUT_FAILED 563
#define IDS_SHELL_EXPORT_CLEAR_PASSWORDS 564
