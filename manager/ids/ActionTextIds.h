// The action names, shown by the task lists, the task page and the computer list. Band for our own
// string numbers: none here; the names are under the system's numbers (the bands: 500-519 and
// 600-619 general, 520-559 the Schedule page, 560-579 the shell services, 580-599 the computer
// list).
#pragma once

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
#define IDS_ACT_PING 197
