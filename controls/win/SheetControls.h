// The control ids of the system's property sheet and wizard frames, which its headers do not name.
#pragma once

namespace velmora {

constexpr int kSheetTabControl = 0x3020;
constexpr int kSheetApplyButton = 0x3021;
constexpr int kWizardBackButton = 0x3023;
constexpr int kWizardNextButton = 0x3024;
constexpr int kWizardFinishButton = 0x3025;

}  // namespace velmora
