// The computer dialogs of the computer list page: CAddComp for shutdown and reboot tasks and
// CAddCompM for wakeup tasks, each on one computer entry that it gives back on OK.
#pragma once

#include "controls/win/LinkLabel.h"
#include "manager/AddCompLogic.h"
#include "manager/win/ComputerServices.h"

namespace velmora {

class CAddComp : public DialogWithLinks {
public:
    CAddComp(ComputerEntry entry, int action, const ComputerServices& services);
    // True when the dialog ended with OK; the entry then holds the name, user and password.
    bool Run(HWND owner);
    ComputerEntry entry;

private:
    void OnInitDialog() override;
    ComputerForm Read() const;
    void Show(const ComputerForm& form);
    void ApplyBox();
    void Accept();
    void Browse();

    int action_;
    const ComputerServices& services_;
};

class CAddCompM : public DialogWithLinks {
public:
    // `several`: Edit of several computers, where only the broadcast address and the port count.
    CAddCompM(ComputerEntry entry, bool several, const ComputerServices& services);
    bool Run(HWND owner);
    ComputerEntry entry;

private:
    void OnInitDialog() override;
    WakeForm Read() const;
    void Show(const WakeForm& form);
    void ApplyOptionalBox();
    void Accept();
    void Browse();
    void LookUpMac();

    bool several_;
    const ComputerServices& services_;
};

}  // namespace velmora
