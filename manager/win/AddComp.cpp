// The computer dialogs: their fields mapped to the computer dialogs' rules, refusal by focus and
// a flash of the title bar, and the two links (the computer browser and the MAC lookup).
#include "manager/win/AddComp.h"

#include <memory>

#include "manager/win/BusyWait.h"

#include "controls/win/DialogItems.h"
#include "manager/win/ManagerContext.h"
#include "manager/ids/AccountTextIds.h"
#include "manager/ids/BusyWaitIds.h"
#include "manager/ids/ComputerDialogIds.h"

namespace velmora {
namespace {

void Enable(HWND dialog, std::initializer_list<int> controls, bool on) {
    for (const int control : controls)
        ::EnableWindow(::GetDlgItem(dialog, control), on ? TRUE : FALSE);
}

}  // namespace

// --- shutdown and reboot tasks ------------------------------------------------------------------

CAddComp::CAddComp(ComputerEntry computer, int action, const ComputerServices& services)
    : entry(std::move(computer)), action_(action), services_(services) {
    OnCommand(IDOK, [this] { Accept(); });
    OnCommand(IDCANCEL, [this] {
        WipeItem(hwnd(), kCtlCompPassword);
        End(IDCANCEL);
    });
    OnCommand(kCtlCompLogon, [this] { ApplyBox(); });
    OnCommand(kCtlCompNameLink, STN_CLICKED, [this] { Browse(); });
}

bool CAddComp::Run(HWND owner) {
    return RunModal(IDD_ADD_COMP, owner) == IDOK;
}

void CAddComp::OnInitDialog() {
    ::SetWindowTextW(hwnd(), LoadText(IDS_REMOTE_COMPUTER).c_str());
    SetItemTexts(hwnd(), {{kCtlCompNameLink, IDS_NAME_OR_IP},
                          {kCtlCompLogon, IDS_LOGON_AS_USER},
                          {kCtlCompPasswordLabel, IDS_PASSWORD_LABEL}});
    LimitText(hwnd(), kCtlCompName, kNameLimit);
    LimitText(hwnd(), kCtlCompUser, kUserLimit);
    LimitText(hwnd(), kCtlCompPassword, kPasswordLimit);
    links_.Attach(hwnd(), {kCtlCompNameLink});
    const ComputerForm form = OpenComputerForm(entry, action_);
    Show(form);
    Enable(hwnd(), {kCtlCompLogon}, form.logonEnabled);
    ApplyBox();
}

ComputerForm CAddComp::Read() const {
    ComputerForm form;
    form.name = ItemText(hwnd(), kCtlCompName);
    form.user = ItemText(hwnd(), kCtlCompUser);
    form.password = ItemText(hwnd(), kCtlCompPassword);
    form.logon = IsChecked(hwnd(), kCtlCompLogon);
    return form;
}

void CAddComp::Show(const ComputerForm& form) {
    SetItemText(hwnd(), kCtlCompName, form.name);
    SetItemText(hwnd(), kCtlCompUser, form.user);
    SetItemText(hwnd(), kCtlCompPassword, form.password);
    SetChecked(hwnd(), kCtlCompLogon, form.logon);
}

void CAddComp::ApplyBox() {
    ComputerForm form = Read();
    Enable(hwnd(), {kCtlCompUser, kCtlCompPassword, kCtlCompPasswordLabel}, form.logon);
    if (!form.logon) {
        ApplyLogonBox(form);
        Show(form);
    }
}

void CAddComp::Accept() {
    ComputerForm form = Read();
    const FormCheck check = CheckComputerForm(form, entry);
    Show(form);
    if (!check.accept) {
        RefuseField(hwnd(), Item(check.focus));
        return;
    }
    WipeItem(hwnd(), kCtlCompPassword);
    End(IDOK);
}

void CAddComp::Browse() {
    if (!services_.browseForComputer)
        return;
    const std::u16string name = services_.browseForComputer(hwnd());
    if (name.empty())
        return;
    ComputerForm form = Read();
    form.name = name;
    Show(form);
}

// --- wakeup tasks -------------------------------------------------------------------------------

CAddCompM::CAddCompM(ComputerEntry computer, bool several, const ComputerServices& services)
    : entry(std::move(computer)), several_(several), services_(services) {
    OnCommand(IDOK, [this] { Accept(); });
    OnCommand(IDCANCEL, [this] { End(IDCANCEL); });
    OnCommand(kCtlWakeOptional, [this] { ApplyOptionalBox(); });
    OnCommand(kCtlWakeNameLink, STN_CLICKED, [this] { Browse(); });
    OnCommand(kCtlWakeMacLink, STN_CLICKED, [this] { LookUpMac(); });
}

bool CAddCompM::Run(HWND owner) {
    return RunModal(IDD_ADD_COMP_M, owner) == IDOK;
}

void CAddCompM::OnInitDialog() {
    ::SetWindowTextW(hwnd(), LoadText(IDS_REMOTE_COMPUTER).c_str());
    SetItemTexts(hwnd(), {{kCtlWakeNameLink, IDS_NAME_OR_IP},
                          {kCtlWakeMacLink, IDS_MAC_LABEL},
                          {kCtlWakePasswordLabel, IDS_PASSWORD_LABEL},
                          {kCtlWakeOptional, IDS_OPTIONAL},
                          {kCtlWakeBroadcastLabel, IDS_BROADCAST_LABEL},
                          {kCtlWakePortLabel, IDS_PORT_LABEL}});
    LimitText(hwnd(), kCtlWakeName, kNameLimit);
    LimitText(hwnd(), kCtlWakeMac, kMacLimit);
    LimitText(hwnd(), kCtlWakePassword, kWakePasswordLimit);
    LimitText(hwnd(), kCtlWakeBroadcast, kBroadcastLimit);
    LimitText(hwnd(), kCtlWakePort, kPortLimit);
    links_.Attach(hwnd(), {kCtlWakeNameLink, kCtlWakeMacLink});
    const WakeForm form = OpenWakeForm(entry, several_);
    if (several_)
        Enable(hwnd(),
               {kCtlWakeName, kCtlWakeMac, kCtlWakePassword, kCtlWakeNameLink, kCtlWakeMacLink, kCtlWakePasswordLabel},
               false);
    Show(form);
    ApplyOptionalBox();
}

WakeForm CAddCompM::Read() const {
    WakeForm form;
    form.name = ItemText(hwnd(), kCtlWakeName);
    form.mac = ItemText(hwnd(), kCtlWakeMac);
    form.password = ItemText(hwnd(), kCtlWakePassword);
    form.broadcast = ItemText(hwnd(), kCtlWakeBroadcast);
    form.port = ItemText(hwnd(), kCtlWakePort);
    form.optional = IsChecked(hwnd(), kCtlWakeOptional);
    form.several = several_;
    return form;
}

void CAddCompM::Show(const WakeForm& form) {
    SetItemText(hwnd(), kCtlWakeName, form.name);
    SetItemText(hwnd(), kCtlWakeMac, form.mac);
    SetItemText(hwnd(), kCtlWakePassword, form.password);
    SetItemText(hwnd(), kCtlWakeBroadcast, form.broadcast);
    SetItemText(hwnd(), kCtlWakePort, form.port);
    SetChecked(hwnd(), kCtlWakeOptional, form.optional);
}

void CAddCompM::ApplyOptionalBox() {
    WakeForm form = Read();
    Enable(hwnd(), {kCtlWakeBroadcast, kCtlWakePort, kCtlWakeBroadcastLabel, kCtlWakePortLabel}, form.optional);
    if (!form.optional) {
        ApplyOptional(form);
        Show(form);
    }
}

void CAddCompM::Accept() {
    WakeForm form = Read();
    const FormCheck check = CheckWakeForm(form, entry);
    Show(form);
    if (!check.accept) {
        RefuseField(hwnd(), Item(check.focus));
        return;
    }
    End(IDOK);
}

void CAddCompM::Browse() {
    if (!services_.browseForComputer)
        return;
    const std::u16string name = services_.browseForComputer(hwnd());
    if (name.empty())
        return;
    WakeForm form = Read();
    form.name = name;
    Show(form);
    LookUpMac();
}

// The lookup waits for an echo of up to five seconds on a worker thread, while the dialog says
// that it is busy; Cancel or Escape ends the wait and leaves the MAC as it is.
void CAddCompM::LookUpMac() {
    const WakeForm asked = Read();
    if (asked.name.empty() || !services_.operations || !services_.launcher)
        return;
    auto mac = std::make_shared<std::u16string>();
    if (!WaitWhileBusy(hwnd(), LoadText(IDS_BUSY_MAC), *services_.launcher,
                       [operations = services_.operations, name = asked.name, mac] {
                           *mac = operations->GetMacByName(name);
                       }))
        return;
    if (mac->empty())
        return;
    WakeForm form = Read();
    form.mac = *mac;
    Show(form);
}

}  // namespace velmora
