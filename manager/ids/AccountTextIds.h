// Texts of an account shown by several windows: "User" (the task list's column and the account
// dialog's label) and "Password:" (the account dialog's and the computer dialogs' label, under the
// labels' control number). Band for our own string numbers: none here; both are under the system's
// numbers (the bands: 500-519 and 600-619 general, 520-559 the Schedule page, 560-579 the shell
// services, 580-599 the computer list).
#pragma once

#define IDS_COL_USER 176
#define IDS_PASSWORD_LABEL 1046
