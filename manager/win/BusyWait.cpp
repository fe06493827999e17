// The busy window: the job's thread posts its end to the window, if the window still waits.
#include "manager/win/BusyWait.h"

#include <memory>
#include <mutex>

#include "controls/win/DialogBase.h"
#include "manager/ids/BusyWaitIds.h"

namespace velmora {
namespace {

constexpr UINT kJobEnded = WM_APP + 21;

// What the job's thread and the window share: whether the job ended, and the window to tell.
struct BusyState {
    std::mutex lock;
    bool ended = false;
    HWND window = nullptr;
};

class BusyWindow : public DialogBase {
public:
    BusyWindow(std::wstring text, std::shared_ptr<BusyState> state) : text_(std::move(text)), state_(std::move(state)) {
        OnCommand(IDCANCEL, [this] { End(IDCANCEL); });
        OnMessageNumber(kJobEnded, [this](WPARAM, LPARAM) {
            End(IDOK);
            return true;
        });
    }

private:
    void OnInitDialog() override {
        ::SetDlgItemTextW(hwnd(), IDC_BUSY_TEXT, text_.c_str());
        const std::lock_guard<std::mutex> guard(state_->lock);
        if (state_->ended)
            ::PostMessageW(hwnd(), kJobEnded, 0, 0);
        else
            state_->window = hwnd();
    }

    std::wstring text_;
    std::shared_ptr<BusyState> state_;
};

}  // namespace

bool WaitWhileBusy(HWND owner, const std::wstring& text, WorkerLauncher& launcher, std::function<void()> job) {
    auto state = std::make_shared<BusyState>();
    const std::uint32_t refused = launcher.Launch([state, job = std::move(job)] {
        try {
            job();
        } catch (...) {
            // Nothing found: the wait ends as if the job had found nothing.
        }
        const std::lock_guard<std::mutex> guard(state->lock);
        state->ended = true;
        if (state->window)
            ::PostMessageW(state->window, kJobEnded, 0, 0);
    });
    if (refused != 0)
        return false;
    BusyWindow window(text, state);
    const INT_PTR result = window.RunModal(IDD_BUSY_WAIT, owner);
    const std::lock_guard<std::mutex> guard(state->lock);
    state->window = nullptr;
    return result == IDOK && state->ended;
}

}  // namespace velmora
