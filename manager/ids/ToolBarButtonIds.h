// Ids of the tool bar buttons both the task lists and the computer list show: their pictures
// (16 x 16) and tips. Band for our own string numbers: none here; the tips are under the system's
// numbers (the bands: 500-519 and 600-619 general, 520-559 the Schedule page, 560-579 the shell
// services, 580-599 the computer list).
#pragma once

#define IDB_CREATE 161
#define IDB_RUN 164
#define IDB_EDIT 165
#define IDB_DELETE 166
#define IDB_SEPARATOR 168

#define IDS_TIP_CREATE 209
#define IDS_TIP_RUN 212
#define IDS_TIP_EDIT 213
#define IDS_TIP_DELETE 214
