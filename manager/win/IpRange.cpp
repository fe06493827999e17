// The IP range dialog over the system's address controls, which give host-order numbers.
#include "manager/win/IpRange.h"

#include "controls/win/DialogItems.h"
#include "manager/IpRange.h"
#include "manager/ids/FastChecksTextIds.h"
#include "manager/ids/IpRangeIds.h"
#include "platform/win/ResourceText.h"

namespace velmora {

CIpRange::CIpRange(int freeRoom, bool fast) : fastChecks(fast), freeRoom_(freeRoom) {
    OnCommand(IDOK, [this] { Accept(); });
    OnCommand(IDCANCEL, [this] { End(IDCANCEL); });
}

bool CIpRange::Run(HWND owner) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_INTERNET_CLASSES};
    ::InitCommonControlsEx(&controls);
    return RunModal(IDD_IP_RANGE, owner) == IDOK;
}

void CIpRange::OnInitDialog() {
    ::SendDlgItemMessageW(hwnd(), IDC_IP_START, IPM_SETADDRESS, 0, static_cast<LPARAM>(kRangeDefaultStart));
    ::SendDlgItemMessageW(hwnd(), IDC_IP_END, IPM_SETADDRESS, 0, static_cast<LPARAM>(kRangeDefaultEnd));
    SetItemTexts(hwnd(), {{IDC_IP_FAST_CHECKS, IDS_FAST_CHECKS}});
    SetChecked(hwnd(), IDC_IP_FAST_CHECKS, fastChecks);
}

void CIpRange::Accept() {
    DWORD start = 0;
    DWORD end = 0;
    ::SendDlgItemMessageW(hwnd(), IDC_IP_START, IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&start));
    ::SendDlgItemMessageW(hwnd(), IDC_IP_END, IPM_GETADDRESS, 0, reinterpret_cast<LPARAM>(&end));
    addresses = RangeAddresses(start, end, freeRoom_);
    autoScan = IsChecked(hwnd(), IDC_IP_AUTO_SCAN);
    fastChecks = IsChecked(hwnd(), IDC_IP_FAST_CHECKS);
    End(IDOK);
}

}  // namespace velmora
