// The text of the choice to check up to 32 computers at once, shown by the computer list's
// context menu and the IP range dialog's check box. Band for our own string numbers: 580-599, the
// computer list's (ComputerListIds.h; the other bands: 500-519 and 600-619 general, 520-559 the
// Schedule page, 560-579 the shell services).
#pragma once

#define IDS_FAST_CHECKS 582
