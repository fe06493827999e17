// Ids of the wizard's finish page: its template and its text. Band for our own string numbers: the
// general band, 500-519 and 600-619 (shared with the main sheet); the page has no texts of its own
// in the string table.
#pragma once

#define IDD_FINISH 146
#define IDC_FINISH_TEXT 1080
