// Ids of the busy window over a page while a lookup runs on a worker thread: its template, its
// text and the texts it shows for the computer list (workgroups) and the computer dialog (MAC
// address). Band for our own string numbers: 580-599, the computer list's (ComputerListIds.h; the
// other bands: 500-519 and 600-619 general, 520-559 the Schedule page, 560-579 the shell services).
#pragma once

#define IDD_BUSY_WAIT 620
#define IDC_BUSY_TEXT 1621

#define IDS_BUSY_WORKGROUPS 584
#define IDS_BUSY_MAC 585
