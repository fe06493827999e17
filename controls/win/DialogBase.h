// A modal dialog without a framework: one static procedure, handlers registered by control id.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <map>

namespace velmora {

class DialogBase {
public:
    DialogBase(const DialogBase&) = delete;
    DialogBase& operator=(const DialogBase&) = delete;
    virtual ~DialogBase() = default;

    // Runs the dialog of a template in this program's resources; returns its result.
    INT_PTR RunModal(int templateId, HWND owner = nullptr);
    // The window while the dialog is open; other threads may read it to drive the dialog.
    HWND hwnd() const { return hwnd_.load(); }

protected:
    DialogBase() = default;

    // Called for a button click of the control `id` (and for IDOK/IDCANCEL from Enter/Escape).
    void OnCommand(int id, std::function<void()> handler) { commands_[id] = std::move(handler); }
    virtual void OnInitDialog() {}
    // Other messages; return true when handled.
    virtual bool OnMessage(UINT, WPARAM, LPARAM) { return false; }
    void End(INT_PTR result) { ::EndDialog(hwnd(), result); }
    HWND Item(int id) const { return ::GetDlgItem(hwnd(), id); }

private:
    static INT_PTR CALLBACK Procedure(HWND, UINT, WPARAM, LPARAM);
    INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam);

    std::atomic<HWND> hwnd_{nullptr};
    std::map<int, std::function<void()>> commands_;
};

}  // namespace velmora
