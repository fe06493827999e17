// Ids of the IP range dialog of the computer list: its template and controls. Band for our own
// string numbers: 580-599, the computer list's (ComputerListIds.h); the dialog's check box text is
// in FastChecksTextIds.h.
#pragma once

#define IDD_IP_RANGE 112
#define IDC_IP_START 1071
#define IDC_IP_END 1072
#define IDC_IP_AUTO_SCAN 1073
#define IDC_IP_START_LABEL 1074
#define IDC_IP_END_LABEL 1075
#define IDC_IP_FAST_CHECKS 1076
