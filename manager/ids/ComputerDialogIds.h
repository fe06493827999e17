// Ids of the computer dialogs, the one of shutdown and reboot tasks (IDD_ADD_COMP) and the one of
// wakeup tasks (IDD_ADD_COMP_M): their templates and texts, the labels' under their controls'
// numbers (the controls are the dialogs' logic's, manager/AddCompLogic.h). Band for our own string
// numbers: 580-599, the computer list's (ComputerListIds.h); the dialogs' texts are under the
// system's numbers. "Password:" is in AccountTextIds.h.
#pragma once

#define IDD_ADD_COMP 151
#define IDD_ADD_COMP_M 157

#define IDS_NAME_OR_IP 203
#define IDS_LOGON_AS_USER 204
#define IDS_REMOTE_COMPUTER 221
#define IDS_MAC_LABEL 1040
#define IDS_OPTIONAL 1054
#define IDS_BROADCAST_LABEL 1055
#define IDS_PORT_LABEL 1056
