// The wizard's last page: Finish stores what every page holds.
#pragma once

#include "controls/win/DialogBase.h"

namespace velmora {

class CAddWiz3 : public PropertyPage {
public:
    CAddWiz3();
    HPROPSHEETPAGE Create();
    bool finished() const { return finished_; }

private:
    bool finished_ = false;
};

}  // namespace velmora
