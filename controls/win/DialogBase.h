// Dialogs and property pages without a framework: one static procedure, and every message a
// dialog answers reaches it through a table: commands by control id and code, notifications by
// control id and code or by code alone, timers by id, registered messages by their number, a
// tool bar's presses as the commands of its buttons.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include <atomic>
#include <functional>
#include <map>
#include <string>
#include <utility>

namespace velmora {

class DialogBase {
public:
    DialogBase(const DialogBase&) = delete;
    DialogBase& operator=(const DialogBase&) = delete;
    virtual ~DialogBase();

    // Runs the dialog of a template in this program's resources; returns its result.
    INT_PTR RunModal(int templateId, HWND owner = nullptr);
    // Creates the dialog without waiting for it; the window goes with the object at the latest.
    HWND CreateModeless(int templateId, HWND owner);
    // The window while the dialog is open; other threads may read it to drive the dialog.
    HWND hwnd() const { return hwnd_.load(); }

protected:
    DialogBase() = default;

    using NotifyHandler = std::function<LRESULT(NMHDR&)>;
    // A button click of the control `id` (and IDOK/IDCANCEL from Enter/Escape, menu commands).
    void OnCommand(int id, std::function<void()> handler) { OnCommand(id, BN_CLICKED, std::move(handler)); }
    // A command notification `code` of the control `id`.
    void OnCommand(int id, int code, std::function<void()> handler) { commands_[{id, code}] = std::move(handler); }
    // A notification `code` of the control `id`; its result is the message's result.
    void OnNotify(int id, int code, NotifyHandler handler) { notifies_[{id, code}] = std::move(handler); }
    // A notification `code` from any control: property sheets send theirs with no control id.
    void OnNotifyCode(int code, NotifyHandler handler) { notifyCodes_[code] = std::move(handler); }
    // The timer `id` of this window.
    void OnTimer(UINT_PTR id, std::function<void()> handler) { timers_[id] = std::move(handler); }
    // A message by its number (a registered one of the program's own); true when it was handled.
    using MessageHandler = std::function<bool(WPARAM, LPARAM)>;
    void OnMessageNumber(UINT message, MessageHandler handler) { messages_[message] = std::move(handler); }
    // WM_CONTEXTMENU over the control `id`: the screen position, or with `byKey` the keyboard's
    // request, which names no position.
    void OnContextMenu(int id, std::function<void(POINT at, bool byKey)> handler);
    // A tool bar's press message (second parameter the button's place k): the press runs the
    // command handler of `firstId` + k, then `after`.
    void OnToolBarPress(UINT pressMessage, int firstId, std::function<void()> after = {});

    virtual void OnInitDialog() {}
    // WM_CTLCOLOR* messages, whose result is the brush itself; null leaves the system's colours.
    virtual HBRUSH OnControlColor(UINT, HDC, HWND) { return nullptr; }
    // Other messages; return true when handled. A result other than TRUE goes through SetResult.
    virtual bool OnMessage(UINT, WPARAM, LPARAM) { return false; }
    void SetResult(LRESULT result) { ::SetWindowLongPtrW(hwnd(), DWLP_MSGRESULT, result); }
    void End(INT_PTR result) { ::EndDialog(hwnd(), result); }
    HWND Item(int id) const { return ::GetDlgItem(hwnd(), id); }

    static INT_PTR CALLBACK Procedure(HWND, UINT, WPARAM, LPARAM);
    // The shared dispatch; `created` is the object on WM_INITDIALOG, null afterwards.
    static INT_PTR Dispatch(DialogBase* created, HWND, UINT, WPARAM, LPARAM);

private:
    INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam);

    std::atomic<HWND> hwnd_{nullptr};
    bool modeless_ = false;
    std::map<std::pair<int, int>, std::function<void()>> commands_;
    std::map<std::pair<int, int>, NotifyHandler> notifies_;
    std::map<int, NotifyHandler> notifyCodes_;
    std::map<UINT_PTR, std::function<void()>> timers_;
    std::map<UINT, MessageHandler> messages_;
};

// A page of a property sheet or wizard. The sheet creates the window from the page handle; the
// object must live as long as the sheet.
class PropertyPage : public DialogBase {
public:
    // `flags` are PSP_ flags beyond PSP_USETITLE, which a non-empty title adds.
    HPROPSHEETPAGE CreatePage(int templateId, DWORD flags, std::wstring title = {});

protected:
    PropertyPage() = default;
    HWND Sheet() const { return ::GetParent(hwnd()); }
    // The sheet's Help button opens what `open` holds when it is pressed (nothing while it is empty).
    void HelpOpens(const std::function<void(HWND sheet)>& open);

private:
    static INT_PTR CALLBACK PageProcedure(HWND, UINT, WPARAM, LPARAM);

    std::wstring title_;  // the page handle refers to it
};

}  // namespace velmora
