// The IP range dialog: a block of consecutive addresses for the computer list, and whether to scan
// them.
#pragma once

#include <string>
#include <vector>

#include "controls/win/DialogBase.h"

namespace velmora {

class CIpRange : public DialogBase {
public:
    // `freeRoom`: how many computers the list may still take.
    // `fastChecks`: the box "Check up to 32 computers at once" as it opens.
    CIpRange(int freeRoom, bool fastChecks);
    // True on OK; the addresses and the Auto scan box are then set.
    bool Run(HWND owner);
    std::vector<std::u16string> addresses;
    bool autoScan = false;
    bool fastChecks = false;

private:
    void OnInitDialog() override;
    void Accept();

    int freeRoom_;
};

}  // namespace velmora
