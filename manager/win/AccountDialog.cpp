// The account dialog's controls mapped to the account checks.
#include "manager/win/AccountDialog.h"

#include "controls/win/DialogItems.h"
#include "manager/AccountLogic.h"
#include "manager/ids/AccountIds.h"
#include "manager/ids/AccountTextIds.h"
#include "platform/win/SystemMessage.h"
#include "platform/win/WideText.h"

namespace velmora {
namespace {

// The computer's name, or nothing (with the system's error) when it cannot be read.
std::optional<std::u16string> ComputerName(DWORD& error) {
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
    if (!::GetComputerNameW(name, &size)) {
        error = ::GetLastError();
        return std::nullopt;
    }
    return FromWide(name, size);
}

}  // namespace

CAccDlg::CAccDlg(ManagerContext& context, std::u16string name) : userName(std::move(name)), context_(context) {
    OnCommand(IDOK, [this] { Accept(); });
    OnCommand(IDCANCEL, [this] {
        WipeItem(hwnd(), IDC_ACCOUNT_PASSWORD);
        WipeItem(hwnd(), IDC_ACCOUNT_CONFIRM);
        End(IDCANCEL);
    });
}

bool CAccDlg::Run(HWND owner) {
    return RunModal(IDD_ACCOUNT, owner) == IDOK;
}

void CAccDlg::OnInitDialog() {
    ::SetWindowTextW(hwnd(), LoadText(IDS_ACCOUNT_TITLE).c_str());
    SetItemTexts(hwnd(), {{IDC_ACCOUNT_USER_LABEL, IDS_COL_USER},
                          {IDC_ACCOUNT_PASSWORD_LABEL, IDS_PASSWORD_LABEL},
                          {IDC_ACCOUNT_CONFIRM_LABEL, IDS_CONFIRM_LABEL}});
    LimitText(hwnd(), IDC_ACCOUNT_USER, 150);
    LimitText(hwnd(), IDC_ACCOUNT_PASSWORD, 50);
    LimitText(hwnd(), IDC_ACCOUNT_CONFIRM, 50);
    SetItemText(hwnd(), IDC_ACCOUNT_USER, userName);
}

void CAccDlg::Accept() {
    AccountInput input{ItemText(hwnd(), IDC_ACCOUNT_USER), SecretItemText(hwnd(), IDC_ACCOUNT_PASSWORD),
                       SecretItemText(hwnd(), IDC_ACCOUNT_CONFIRM)};
    DWORD nameError = 0;
    const AccountCheck check = CheckAccount(input, ComputerName(nameError));
    if (!check.accept) {
        const int field = check.focus == kAccountPassword       ? IDC_ACCOUNT_PASSWORD
                          : check.focus == kAccountConfirmation ? IDC_ACCOUNT_CONFIRM
                                                                : IDC_ACCOUNT_USER;
        if (check.messageId) {
            const std::wstring text = check.messageId == IDS_COMPUTER_NAME_UNKNOWN
                                          ? LoadFilledText(check.messageId, {SystemMessageText(nameError)})
                                          : LoadText(check.messageId);
            context_.messageBox(hwnd(), text, MB_OK | MB_ICONEXCLAMATION);
        }
        RefuseField(hwnd(), Item(field), check.flash);
        return;
    }
    userName = check.userName;
    password = std::move(input.password);
    WipeItem(hwnd(), IDC_ACCOUNT_PASSWORD);
    WipeItem(hwnd(), IDC_ACCOUNT_CONFIRM);
    End(IDOK);
}

}  // namespace velmora
