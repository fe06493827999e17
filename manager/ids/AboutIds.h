// Ids of the About page: its template, controls and picture. Band for our own string numbers: the
// general band, 500-519 and 600-619 (shared with the main sheet); the page has no texts of its own
// in the string table.
#pragma once

#define IDD_ABOUT 100
#define IDC_ABOUT_NAME 1100
#define IDC_ABOUT_VERSION 1101
#define IDC_ABOUT_LOGO 1102
#define IDC_ABOUT_TEXT 1103

#define IDB_ABOUT 141
