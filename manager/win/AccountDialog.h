// The account dialog: the user and password a remote task runs under.
#pragma once

#include <string>

#include "controls/win/DialogBase.h"
#include "manager/win/ManagerContext.h"
#include "model/SecretText.h"

namespace velmora {

class CAccDlg : public DialogBase {
public:
    CAccDlg(ManagerContext& context, std::u16string userName);
    // True when the dialog ended with OK; the account is then in userName and password.
    bool Run(HWND owner);
    std::u16string userName;
    SecretText password;

private:
    void OnInitDialog() override;
    void Accept();
    ManagerContext& context_;
};

}  // namespace velmora
