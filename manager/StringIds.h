// String table numbers of the manager's texts, shared by the page logic and the resource script.
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
#define IDS_ACT_MONITOR_ON 185
#define IDS_ACT_POPUP 186
#define IDS_ACT_WAKEUP 187
#define IDS_ACT_STANDBY 188
#define IDS_ASK_DELETE 189
#define IDS_MENU_ENABLE 190
#define IDS_MENU_TERMINATE 191
#define IDS_COL_RESULT 195
#define IDS_ACT_PING 197
#define IDS_TIP_CREATE 209
#define IDS_TIP_IMPORT 210
#define IDS_TIP_EXPORT 211
#define IDS_TIP_RUN 212
#define IDS_TIP_EDIT 213
#define IDS_TIP_DELETE 214
#define IDS_TIP_POWER_OPTIONS 215
#define IDS_TIP_REMOTE_SHUTDOWN 216
