// Resource ids of the executor. The countdown dialog's control ids are fixed.
#pragma once

#define IDD_COUNTDOWN 102
#define IDC_COUNTDOWN_PROGRESS 1000
#define IDC_COUNTDOWN_MESSAGE 1001
#define IDC_COUNTDOWN_TEXT 1002

// The application icon, the manager's own.
#define IDI_QUENEX 128
