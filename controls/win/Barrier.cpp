// The one failure teller of the program and its guard against telling from within a telling.
#include "controls/win/Barrier.h"

namespace velmora {
namespace {

FailureTeller& Teller() {
    static FailureTeller teller;
    return teller;
}

}  // namespace

void SetFailureTeller(FailureTeller teller) {
    Teller() = std::move(teller);
}

void TellCurrentFailure(HWND window) noexcept {
    static thread_local bool telling = false;
    if (telling || !Teller())
        return;
    telling = true;
    try {
        try {
            throw;
        } catch (const std::exception& failure) {
            Teller()(window, &failure);
        } catch (...) {
            Teller()(window, nullptr);
        }
    } catch (...) {
        // The telling itself failed: the operation has stopped all the same.
    }
    telling = false;
}

}  // namespace velmora
