// The computer list page under Wine: in the wizard and the properties sheet of a remote task, with
// the computer dialog; Ping and Scan batches against the test host of the test command's network
// namespace and a silent address; the wake-up packets of a wakeup task on loopback; workgroups and
// the directory search, which Wine does not have.
#include <winsock2.h>
#include <windows.h>
#include <commctrl.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <set>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "controls/win/SheetControls.h"
#include "manager/AddCompLogic.h"
#include "manager/CheckReport.h"
#include "manager/ids/AccountIds.h"
#include "manager/ids/BusyWaitIds.h"
#include "manager/ids/ComputerListIds.h"
#include "manager/ids/FinishPageIds.h"
#include "manager/ids/IpRangeIds.h"
#include "manager/TaskPropLogic.h"
#include "manager/win/AddComp.h"
#include "manager/win/TaskEditor.h"
#include "manager/win/CompList.h"
#include "manager/win/IpRange.h"
#include "manager/NetworkBrowsing.h"
#include "model/win/TaskFolder.h"
#include "platform/win/Com.h"
#include "platform/win/ResourceText.h"
#include "platform/win/SystemMessage.h"
#include "platform/win/WideText.h"
#include "scheduler/TaskStore.h"
#include "tests/manager/CompListFakes.h"
#include "tests/manager/win/EditorFixture.h"
#include "tests/support/win/Input.h"
#include "tests/support/win/SheetDriver.h"
#include "tests/support/win/TaskPairs.h"
#include "tests/support/win/Winsock.h"

VELMORA_TEST_USES_WINSOCK;

namespace velmora {
namespace {

using test::CurrentPage;
using test::Pump;
using test::PumpUntil;
using test::WaitForOwned;
using test::WaitUntilGone;

std::wstring CellText(HWND list, int row, int column) {
    wchar_t text[128] = {};
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = 128;
    ::SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return text;
}

// The control that has the focus in the thread of `window`, seen from another thread.
HWND FocusOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    ::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info);
    return info.hwndFocus;
}

int RowCount(HWND list) {
    return static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
}

void SelectAll(HWND list) {
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED;
    item.state = LVIS_SELECTED;
    ::SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
}

std::wstring Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::wstring(value, value + std::strlen(value)) : std::wstring();
}

ComputerEntry Computer(const std::wstring& name) {
    ComputerEntry entry;
    entry[kTextName] = FromWide(name);
    return entry;
}

// Fills the computer dialog that opened over `owner` and takes it with Enter.
void AddThroughDialog(HWND owner, const wchar_t* name) {
    const HWND dialog = WaitForOwned(owner, L"Remote computer");
    ASSERT_NE(nullptr, dialog) << "the computer dialog did not open";
    ::SetDlgItemTextW(dialog, kCtlCompName, name);
    test::BringToFront(dialog);
    test::PressKey(VK_RETURN);
    WaitUntilGone(dialog);
}

// --- the page in the task editor ----------------------------------------------------------------

class CompListEditor : public test::EditorTest {};

TEST_F(CompListEditor, WizardOfARemoteTaskAsksForAComputerAndStoresIt) {
    std::atomic<bool> onPage{false}, stayed{false}, finished{false};
    std::atomic<int> rowsAfterAdd{-1};
    Drive([&](HWND sheet) {
        ::SendMessageW(sheet, PSM_PRESSBUTTON, PSBTN_NEXT, 0);
        const HWND page = CurrentPage(sheet);
        onPage = ::GetDlgItem(page, IDC_COMP_LIST) != nullptr;
        // Next with no computer opens the computer dialog and stays.
        ::PostMessageW(sheet, PSM_PRESSBUTTON, PSBTN_NEXT, 0);
        AddThroughDialog(sheet, L"pc-7 second word");
        stayed = CurrentPage(sheet) == page;
        rowsAfterAdd = RowCount(::GetDlgItem(page, IDC_COMP_LIST));
        for (int i = 0; i < 4 && !::GetDlgItem(CurrentPage(sheet), IDC_FINISH_TEXT); ++i)
            ::SendMessageW(sheet, PSM_PRESSBUTTON, PSBTN_NEXT, 0);
        finished = ::GetDlgItem(CurrentPage(sheet), IDC_FINISH_TEXT) != nullptr;
        ::PostMessageW(sheet, PSM_PRESSBUTTON, finished ? PSBTN_FINISH : PSBTN_CANCEL, 0);
    });
    const auto name = CAddWiz(context).RunNew(owner, TaskKind::kRemote, std::nullopt);
    driver.Join();
    EXPECT_TRUE(onPage) << "the computer list follows the Task page";
    EXPECT_TRUE(stayed);
    EXPECT_EQ(1, rowsAfterAdd);
    ASSERT_TRUE(finished);
    ASSERT_TRUE(name);
    CTaskParams stored;
    ASSERT_TRUE(stored.Load(TaskStoreFolder(), *name, true));
    ASSERT_EQ(1u, stored.computers.size());
    EXPECT_EQ(u"pc-7", stored.computers[0][kTextName]) << "the name is cut at its first blank";
    EXPECT_EQ(0, stored.local);
}

TEST_F(CompListEditor, UntickingRunOnlyIfLoggedOnAsksForTheAccount) {
    std::atomic<bool> opened{false}, mismatchStayed{false}, unticked{false}, cancelTicked{false};
    Drive([&](HWND sheet) {
        const HWND page = CurrentPage(sheet);
        const HWND box = ::GetDlgItem(page, kCtlRunOnlyIfLoggedOn);
        ::PostMessageW(box, BM_CLICK, 0, 0);
        const HWND dialog = WaitForOwned(sheet, L"Account info");
        opened = dialog != nullptr;
        if (dialog) {
            ::SetDlgItemTextW(dialog, IDC_ACCOUNT_USER, L"backup");
            ::SetDlgItemTextW(dialog, IDC_ACCOUNT_PASSWORD, L"one");
            ::SetDlgItemTextW(dialog, IDC_ACCOUNT_CONFIRM, L"two");
            test::HoldForScreenshot();
            ::SendMessageW(::GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
            mismatchStayed = ::IsWindow(dialog) && ::IsWindowVisible(dialog);
            ::SetDlgItemTextW(dialog, IDC_ACCOUNT_CONFIRM, L"one");
            ::SendMessageW(::GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
            WaitUntilGone(dialog);
            unticked = ::IsDlgButtonChecked(page, kCtlRunOnlyIfLoggedOn) == BST_UNCHECKED;
            // Ticked and unticked again, the account dialog cancelled: the box is ticked again.
            ::SendMessageW(box, BM_CLICK, 0, 0);
            ::PostMessageW(box, BM_CLICK, 0, 0);
            if (const HWND again = WaitForOwned(sheet, L"Account info")) {
                ::SendMessageW(::GetDlgItem(again, IDCANCEL), BM_CLICK, 0, 0);
                WaitUntilGone(again);
                cancelTicked = ::IsDlgButtonChecked(page, kCtlRunOnlyIfLoggedOn) == BST_CHECKED;
            }
        }
        test::PressToEnd(sheet, PSBTN_CANCEL);
    });
    EXPECT_FALSE(CAddWiz(context).RunNew(owner, TaskKind::kRemote, std::nullopt));
    driver.Join();
    ASSERT_TRUE(opened);
    EXPECT_TRUE(mismatchStayed);
    EXPECT_EQ(std::vector<std::wstring>{LoadText(IDS_PASSWORDS_DIFFER)}, messages);
    EXPECT_TRUE(unticked);
    EXPECT_TRUE(cancelTicked);
}

TEST_F(CompListEditor, PropertiesOfAWakeupTaskShowItsComputersAndStoreAnEdit) {
    CTaskParams record;
    record.action = kActionWakeOnLan;
    ComputerEntry first = Computer(L"alpha");
    first[kTextMac] = u"001122334455";
    record.computers = {first, Computer(L"bravo")};
    const std::u16string name = test::MakeTaskPair(TaskKind::kRemote, record);
    ASSERT_FALSE(name.empty());
    ASSERT_TRUE(record.Save(TaskStoreFolder(), name));

    std::atomic<bool> macHeader{false}, refused{false};
    std::wstring firstMac;
    Drive([&](HWND sheet) {
        ::SendMessageW(sheet, PSM_SETCURSEL, 1, 0);
        const HWND page = CurrentPage(sheet);
        const HWND list = ::GetDlgItem(page, IDC_COMP_LIST);
        wchar_t header[64] = {};
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT;
        column.pszText = header;
        column.cchTextMax = 64;
        ::SendMessageW(list, LVM_GETCOLUMNW, 1, reinterpret_cast<LPARAM>(&column));
        macHeader = std::wstring(header) == L"MAC address";
        firstMac = CellText(list, 0, 1);
        // Edit the second computer, picked with the mouse and opened with Enter: a MAC of eleven
        // digits and a G is refused (the focus goes to the MAC), twelve pass.
        test::BringToFront(sheet);
        test::ClickAt(list, test::RowCentre(list, 1));
        test::PressKey(VK_RETURN);
        const HWND dialog = WaitForOwned(sheet, L"Remote computer");
        if (!dialog)
            return;
        const HWND mac = ::GetDlgItem(dialog, kCtlWakeMac);
        ::SetDlgItemTextW(dialog, kCtlWakeMac, L"AABBCCDDEEFG");
        test::PressKey(VK_RETURN);
        for (int i = 0; i < 500 && FocusOf(dialog) != mac; ++i)
            ::Sleep(10);
        refused = FocusOf(dialog) == mac && ::IsWindowVisible(dialog);
        ::SetDlgItemTextW(dialog, kCtlWakeMac, L"AABBCCDDEEFF");
        test::PressKey(VK_RETURN);
        WaitUntilGone(dialog);
        // Posted: a sent press ends the sheet's loop only when some posted message wakes it.
        ::PostMessageW(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
    });
    EXPECT_TRUE(CAddWiz(context).RunProperties(owner, name));
    driver.Join();
    EXPECT_TRUE(macHeader);
    EXPECT_EQ(L"001122334455", firstMac);
    EXPECT_TRUE(refused);
    CTaskParams stored;
    ASSERT_TRUE(stored.Load(TaskStoreFolder(), name, true));
    ASSERT_EQ(2u, stored.computers.size());
    EXPECT_EQ(u"AABBCCDDEEFF", stored.computers[1][kTextMac]);
    EXPECT_EQ(u"", stored.computers[1][kTextBroadcast]) << "the defaults are stored empty";
}

// --- the page on its own, in a modeless sheet on this thread ------------------------------------

// The page alone in a modeless wizard on this thread, as the new-task wizard shows it.
HWND ShowPageInModelessWizard(HPROPSHEETPAGE page) {
    PROPSHEETHEADERW header{};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_MODELESS | PSH_WIZARD;
    header.hInstance = ::GetModuleHandleW(nullptr);
    header.nPages = 1;
    header.phpage = &page;
    const HWND wizard = reinterpret_cast<HWND>(::PropertySheetW(&header));
    Pump();
    return wizard;
}

class CompListPage : public ::testing::Test {
protected:
    void Open(int taskAction, std::vector<ComputerEntry> computers, bool wizard = false,
              ComputerServices services = SystemComputerServices()) {
        Close();
        action = taskAction;
        record.action = taskAction;
        record.computers = std::move(computers);
        page = std::make_unique<CCompList>(record, action, wizard, context, std::move(services));
        sheet = wizard ? ShowPageInModelessWizard(page->Create())
                       : test::ShowPageInModelessSheet(page->Create(), L"computers");
        ASSERT_NE(nullptr, sheet);
        list = page->list();
    }
    void Close() {
        if (driver.joinable())
            driver.join();
        if (sheet)
            ::DestroyWindow(sheet);
        sheet = nullptr;
        page.reset();
    }
    void TearDown() override { Close(); }
    bool WaitForBatchEnd(DWORD timeoutMs = 60000) {
        return PumpUntil([this] { return !page->logic().batchRunning(); }, timeoutMs);
    }

    ComInit com;
    ManagerContext context;
    CTaskParams record;
    int action = kActionShutdown;
    std::unique_ptr<CCompList> page;
    HWND sheet = nullptr;
    HWND list = nullptr;
    std::thread driver;
};

TEST_F(CompListPage, APingBatchOverTheTestHostAndASilentAddress) {
    const std::wstring peer = Env("VELMORA_TEST_PEER_IP"), silent = Env("VELMORA_TEST_SILENT_IP");
    if (peer.empty() || silent.empty())
        GTEST_SKIP() << "no test host: VELMORA_TEST_PEER_IP and VELMORA_TEST_SILENT_IP are set by start_test_host";
    Open(kActionShutdown, {Computer(peer), Computer(silent)});
    SelectAll(list);
    page->Ping();
    EXPECT_TRUE(page->logic().batchRunning());
    ASSERT_TRUE(WaitForBatchEnd());
    EXPECT_EQ(L"ok", CellText(list, 0, 1));
    EXPECT_EQ(L"not reply", CellText(list, 1, 1));
    wchar_t counter[32] = {};
    ::GetDlgItemTextW(::GetParent(list), IDC_COMP_COUNTER, counter, 32);
    EXPECT_STREQ(L"2/2", counter);
}

TEST_F(CompListPage, AScanOfARangeKeepsTheTestHostWithItsMacAndRemovesTheSilentAddress) {
    const std::wstring peer = Env("VELMORA_TEST_PEER_IP"), silent = Env("VELMORA_TEST_SILENT_IP");
    if (peer.empty() || silent.empty())
        GTEST_SKIP() << "no test host: VELMORA_TEST_PEER_IP and VELMORA_TEST_SILENT_IP are set by start_test_host";
    Open(kActionShutdown, {Computer(L"listed-before")});
    const std::string narrow(peer.begin(), peer.end());
    const DWORD first = ::ntohl(::inet_addr(narrow.c_str()));
    const std::string silentNarrow(silent.begin(), silent.end());
    const DWORD last = ::ntohl(::inet_addr(silentNarrow.c_str()));
    ASSERT_EQ(first + 1, last) << "the silent address follows the test host's";
    driver = std::thread([&] {
        const HWND dialog = WaitForOwned(sheet, L"Range of IP");
        if (!dialog)
            return;
        ::SendDlgItemMessageW(dialog, IDC_IP_START, IPM_SETADDRESS, 0, static_cast<LPARAM>(first));
        ::SendDlgItemMessageW(dialog, IDC_IP_END, IPM_SETADDRESS, 0, static_cast<LPARAM>(last + 1));
        ::CheckDlgButton(dialog, IDC_IP_AUTO_SCAN, BST_CHECKED);
        ::SendMessageW(::GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    });
    page->RangeOfIp();
    driver.join();
    EXPECT_EQ(3, RowCount(list)) << "the two addresses join the list";
    ASSERT_EQ(BatchKind::kScan, page->logic().batchKind());
    ASSERT_TRUE(WaitForBatchEnd());
    ASSERT_EQ(2, RowCount(list));
    EXPECT_EQ(L"listed-before", CellText(list, 0, 0)) << "never scanned, so never removed";
    const ComputerEntry found = page->logic().Computers()[1];
    EXPECT_EQ(std::u16string(peer.begin(), peer.end()), found[kTextRangeAddress]);
    EXPECT_FALSE(found[kTextName].empty()) << "the address, or the name its reverse lookup gave";
    EXPECT_EQ(L"ok", CellText(list, 1, 1));
    const std::wstring mac = Env("VELMORA_TEST_PEER_MAC");
    EXPECT_EQ(std::u16string(mac.begin(), mac.end()), found[kTextMac]);
}

TEST_F(CompListPage, RunOfAWakeupTaskSendsItsPacketsAtOnceInOrder) {
    const SOCKET listener = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    ASSERT_NE(INVALID_SOCKET, listener);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = ::inet_addr("127.0.0.1");
    ASSERT_EQ(0, ::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address));
    int length = sizeof address;
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
    const std::wstring port = std::to_wstring(::ntohs(address.sin_port));
    std::vector<ComputerEntry> computers;
    for (const wchar_t* mac : {L"0A0000000001", L"0A0000000002"}) {
        ComputerEntry entry = Computer(L"sleeper");
        entry[kTextMac] = std::u16string(mac, mac + 12);
        entry[kTextBroadcast] = u"127.0.0.1";
        entry[kTextPort] = std::u16string(port.begin(), port.end());
        computers.push_back(entry);
    }
    Open(kActionWakeOnLan, computers);
    SelectAll(list);
    page->Run();
    EXPECT_FALSE(page->logic().batchRunning()) << "no batch: the packets went at once";
    DWORD timeoutMs = 2000;
    ::setsockopt(listener, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeoutMs), sizeof timeoutMs);
    for (const unsigned char last : {0x01, 0x02}) {
        unsigned char packet[200] = {};
        const int received = ::recv(listener, reinterpret_cast<char*>(packet), sizeof packet, 0);
        ASSERT_EQ(108, received);
        EXPECT_EQ(0xFF, packet[0]);
        EXPECT_EQ(0x0A, packet[6]);
        EXPECT_EQ(last, packet[11]) << "in selection order";
    }
    ::closesocket(listener);
    EXPECT_EQ(u"", page->logic().Computers()[0][kTextState]);
}

TEST_F(CompListPage, WorkgroupsAndDirectorySearchAddNothingWhereThePlatformHasNeither) {
    Open(kActionWakeOnLan, {Computer(L"alpha")});
    page->Workgroups();
    page->AdSearch();
    Pump();
    EXPECT_EQ(1, RowCount(list));
    EXPECT_EQ(1, page->logic().ComputerCount());
}

// A click on the "Computer" header and the Delete key, as a person gives them.
TEST_F(CompListPage, HeaderClicksAndDeleteKeepTheirRules) {
    Open(kActionShutdown, {Computer(L"delta"), Computer(L"alpha"), Computer(L"charlie")});
    ASSERT_TRUE(test::BringToFront(sheet));
    const HWND header = reinterpret_cast<HWND>(::SendMessageW(list, LVM_GETHEADER, 0, 0));
    RECT column{};
    ::SendMessageW(header, HDM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&column));
    test::ClickAt(header, {(column.left + column.right) / 2, (column.top + column.bottom) / 2});
    PumpUntil([&] { return CellText(list, 0, 0) == L"alpha"; }, 5000);
    EXPECT_EQ(L"alpha", CellText(list, 0, 0));
    EXPECT_EQ(L"delta", CellText(list, 2, 0));
    // Delete of the first row after the sort: the rest are stored in the order shown.
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    ::SendMessageW(list, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&item));
    ::SetFocus(list);
    test::PressKey(VK_DELETE);
    PumpUntil([&] { return RowCount(list) == 2; }, 5000);
    ASSERT_EQ(2, RowCount(list));
    const auto stored = page->logic().Computers();
    EXPECT_EQ(u"charlie", stored[0][kTextName]);
    EXPECT_EQ(u"delta", stored[1][kTextName]);
    EXPECT_EQ(1u, ::SendMessageW(list, LVM_GETSELECTEDCOUNT, 0, 0)) << "the new first row";
}

std::vector<std::u16string> StoredNames(CCompList& page) {
    std::vector<std::u16string> names;
    for (const ComputerEntry& entry : page.logic().Computers())
        names.push_back(entry[kTextName]);
    return names;
}

std::vector<int> Selected(HWND list) {
    std::vector<int> rows;
    int row = -1;
    while ((row = static_cast<int>(::SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(row), LVNI_SELECTED))) >=
           0)
        rows.push_back(row);
    return rows;
}

// The mouse through the system's input: the pointer to a point of `window`'s client area, then the
// left button's `press` (MOUSEEVENTF_LEFTDOWN or MOUSEEVENTF_LEFTUP; 0 for none).
TEST_F(CompListPage, DraggedRowsMoveTogetherAndTheStoredOrderFollowsWhenTheDragEnds) {
    std::vector<ComputerEntry> computers;
    for (const wchar_t* name : {L"0", L"1", L"2", L"3", L"4", L"5", L"6"})
        computers.push_back(Computer(name));
    Open(kActionShutdown, computers);
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED;
    item.state = LVIS_SELECTED;
    ::SendMessageW(list, LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&item));
    ::SendMessageW(list, LVM_SETITEMSTATE, 2, reinterpret_cast<LPARAM>(&item));
    const auto beginDrag = [&](int row) {
        NMLISTVIEW begin{};
        begin.hdr = {list, IDC_COMP_LIST, static_cast<UINT>(LVN_BEGINDRAG)};
        begin.iItem = row;
        ::SendMessageW(::GetParent(list), WM_NOTIFY, IDC_COMP_LIST, reinterpret_cast<LPARAM>(&begin));
    };
    const auto moveTo = [&](POINT at) { ::SendMessageW(list, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(at.x, at.y)); };

    // Two rows three places down with the mouse; the page list takes the new order on the release.
    ASSERT_TRUE(test::BringToFront(sheet));
    const POINT first = test::RowCentre(list, 1);
    test::MouseTo(list, first, MOUSEEVENTF_LEFTDOWN);
    test::MouseTo(list, {first.x, first.y + 10});  // out of the still area: the list reports a drag
    PumpUntil([&] { return ::GetCapture() == list; }, 5000);
    test::MouseTo(list, test::RowCentre(list, 4));
    PumpUntil([&] { return Selected(list) == std::vector<int>{4, 5}; }, 5000);
    EXPECT_EQ((std::vector<int>{4, 5}), Selected(list));
    EXPECT_EQ(u"1", StoredNames(*page)[1]) << "stored only when the drag ends";
    test::MouseTo(list, test::RowCentre(list, 4), MOUSEEVENTF_LEFTUP);
    PumpUntil([&] { return StoredNames(*page)[1] != u"1"; }, 5000);
    EXPECT_EQ((std::vector<std::u16string>{u"0", u"3", u"4", u"5", u"1", u"2", u"6"}), StoredNames(*page));
    EXPECT_EQ(L"1", CellText(list, 4, 0));

    // Beside the list only the height counts; below the rows nothing moves; a lost capture ends the
    // drag as a release does.
    beginDrag(4);
    POINT beside = test::RowCentre(list, 5);
    beside.x = -40;
    moveTo(beside);
    EXPECT_EQ((std::vector<int>{5, 6}), Selected(list));
    RECT area{};
    ::GetClientRect(list, &area);
    moveTo({20, area.bottom + 30});
    EXPECT_EQ((std::vector<int>{5, 6}), Selected(list));
    ::ReleaseCapture();
    Pump();
    EXPECT_EQ((std::vector<std::u16string>{u"0", u"3", u"4", u"5", u"6", u"1", u"2"}), StoredNames(*page));
    moveTo(test::RowCentre(list, 0));
    EXPECT_EQ((std::vector<int>{5, 6}), Selected(list)) << "the drag is over";
}

// --- keys, as a person presses them -------------------------------------------------------------

// A popup menu on the screen, or null when none shows within the time.
HWND WaitForPopupMenu(DWORD timeoutMs = 5000) {
    for (DWORD waited = 0;; waited += 10) {
        for (HWND menu = nullptr; (menu = ::FindWindowExW(nullptr, menu, L"#32768", nullptr));)
            if (::IsWindowVisible(menu))
                return menu;
        if (waited >= timeoutMs)
            return nullptr;
        ::Sleep(10);
    }
}

void WaitUntilHidden(HWND window) {
    for (int i = 0; i < 500 && ::IsWindow(window) && ::IsWindowVisible(window); ++i)
        ::Sleep(10);
}

// A menu's items, "|" between them and "-" for a separator.
std::wstring MenuItems(HWND popup) {
    const auto menu = reinterpret_cast<HMENU>(::SendMessageW(popup, MN_GETHMENU, 0, 0));
    std::wstring items;
    for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
        wchar_t text[64] = {};
        if (::GetMenuStringW(menu, static_cast<UINT>(i), text, 64, MF_BYPOSITION) == 0)
            text[0] = L'-';
        items += (i ? L"|" : L"") + std::wstring(text);
    }
    return items;
}

// Where a popup menu stands against a point: "at" it, or "off" by how much.
std::wstring Placement(HWND popup, POINT expected, int slack) {
    RECT shown{};
    ::GetWindowRect(popup, &shown);
    const int dx = shown.left - expected.x, dy = shown.top - expected.y;
    if (dx >= 0 && dx <= slack && dy >= 0 && dy <= slack)
        return L"at";
    return L"off by " + std::to_wstring(dx) + L"," + std::to_wstring(dy);
}

// Presses Escape on whatever the keys left open over the sheet: a dialog it owns or a menu.
void EscapeWhatIsOpen(HWND sheet) {
    for (int i = 0; i < 5; ++i) {
        HWND open = WaitForPopupMenu(0);
        if (!open)
            open = WaitForOwned(sheet, {}, 1);
        if (!open)
            return;
        test::PressKey(VK_ESCAPE);
        WaitUntilHidden(open);
    }
}

// The computer dialog that a key opened: its name, then `keys` typed into it (Escape when none).
std::wstring AnswerComputerDialog(HWND sheet, std::initializer_list<WORD> keys = {VK_ESCAPE}) {
    const HWND dialog = WaitForOwned(sheet, L"Remote computer");
    if (!dialog)
        return L"no dialog";
    wchar_t name[64] = {};
    ::GetDlgItemTextW(dialog, kCtlCompName, name, 64);
    for (const WORD key : keys)
        test::PressKey(key);
    WaitUntilGone(dialog);
    return L"Remote computer: " + std::wstring(name) + (::IsWindow(dialog) ? L" (stayed)" : L"");
}

// The context menu that a key opened: its items and whether it stands near the list's upper-left
// corner; Escape closes it.
std::wstring AnswerContextMenu(HWND list) {
    const HWND popup = WaitForPopupMenu();
    if (!popup)
        return L"no menu";
    RECT corner{};
    ::GetWindowRect(list, &corner);
    const std::wstring seen = MenuItems(popup) + L" " + Placement(popup, {corner.left, corner.top}, 48);
    test::HoldForScreenshot();
    test::PressKey(VK_ESCAPE);
    WaitUntilHidden(popup);
    return seen;
}

// The add menu that a key opened: its items and whether it hangs below the bar's Create New
// button; its first item by Down and Enter, and the dialog that opens, closed by Escape.
std::wstring AnswerAddMenu(HWND page, HWND sheet) {
    const HWND popup = WaitForPopupMenu();
    if (!popup)
        return L"no menu";
    const HWND buttons = ::FindWindowExW(::GetDlgItem(page, IDC_COMP_BAR), nullptr, TOOLBARCLASSNAMEW, nullptr);
    RECT create{};
    ::SendMessageW(buttons, TB_GETRECT, IDC_COMP_BAR_ADD, reinterpret_cast<LPARAM>(&create));
    ::MapWindowPoints(buttons, nullptr, reinterpret_cast<POINT*>(&create), 2);
    std::wstring seen = MenuItems(popup) + L" " + Placement(popup, {create.left, create.bottom}, 4);
    test::HoldForScreenshot();
    test::PressKey(VK_DOWN);
    test::PressKey(VK_RETURN);
    const HWND dialog = WaitForOwned(sheet, L"Range of IP");
    seen += dialog ? L", then Range of IP" : L", then nothing";
    if (dialog) {
        test::PressKey(VK_ESCAPE);
        WaitUntilGone(dialog);
    }
    return seen;
}

// The list's rows, the selected ones and the control that has the focus.
std::wstring ListState(HWND list) {
    std::wstring state;
    for (int row = 0; row < RowCount(list); ++row)
        state += (row ? L"," : L"") + CellText(list, row, 0);
    state += L"; selected";
    for (int row = -1;
         (row = static_cast<int>(::SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(row), LVNI_SELECTED))) >= 0;)
        state += L" " + std::to_wstring(row);
    const HWND focus = ::GetFocus();
    return state + L"; focus " + (focus == list ? L"list" : std::to_wstring(::GetDlgCtrlID(focus)));
}

void SelectRows(HWND list, const std::vector<int>& rows) {
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    ::SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    for (const int row : rows)
        ::SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

// Each key of the list through the system's input, in the properties sheet and in the wizard: what
// it opens (answered from a second thread, by keys too) and the list it leaves.
TEST_F(CompListPage, TheListsKeysInTheSheetAndTheWizard) {
    struct Row {
        const char* what;
        std::vector<int> select;
        std::function<void()> press;
        std::function<std::wstring(HWND page, HWND sheet)> answer;  // none: nothing opens
        std::wstring opened;
        std::wstring after;
    };
    for (const bool wizard : {false, true}) {
        SCOPED_TRACE(wizard ? "wizard" : "properties sheet");
        Open(kActionShutdown, {Computer(L"alpha"), Computer(L"bravo"), Computer(L"charlie")}, wizard);
        ASSERT_TRUE(test::BringToFront(sheet));
        EXPECT_NE(0, ::SendMessageW(list, WM_GETDLGCODE, VK_TAB, 0) & DLGC_WANTALLKEYS);
        const std::wstring next = std::to_wstring(wizard ? kWizardNextButton : IDOK);
        const std::wstring menu = L"&Edit|-|&Shutdown|&Ping|&Check\tCtrl+K|-|&Delete|-|Check up to 32 computers at once at";
        const HWND shown = list;
        const Row rows[] = {
            {"Tab: to the sheet's next button",
             {1},
             [] { test::PressKey(VK_TAB); },
             nullptr,
             L"",
             L"alpha,bravo,charlie; selected 1; focus " + next},
            {"Enter: Edit",
             {1},
             [] { test::PressKey(VK_RETURN); },
             [](HWND, HWND s) { return AnswerComputerDialog(s); },
             L"Remote computer: bravo",
             L"alpha,bravo,charlie; selected 1; focus list"},
            {"Insert: Add, typed and taken with Enter",
             {0},
             [] { test::PressKey(VK_INSERT); },
             [](HWND, HWND s) {
                 return AnswerComputerDialog(s, {'D', 'E', 'L', 'T', 'A', VK_RETURN});
             },
             L"Remote computer: ",
             L"alpha,bravo,charlie,delta; selected 3; focus list"},
            {"Delete: the row goes, the one above is selected",
             {3},
             [] { test::PressKey(VK_DELETE); },
             nullptr,
             L"",
             L"alpha,bravo,charlie; selected 2; focus list"},
            {"Apps: the context menu",
             {0},
             [] { test::PressKey(VK_APPS); },
             [shown](HWND, HWND) { return AnswerContextMenu(shown); },
             menu,
             L"alpha,bravo,charlie; selected 0; focus list"},
            {"Shift+F10: the context menu",
             {2},
             [] {
                 test::PressKeys({VK_SHIFT, VK_F10});
             },
             [shown](HWND, HWND) { return AnswerContextMenu(shown); },
             menu,
             L"alpha,bravo,charlie; selected 2; focus list"},
            // What 64-bit Windows sends for the keyboard: (-1, -1) in the low half only.
            {"the keyboard's context message of 64-bit Windows",
             {1},
             [shown] {
                 ::PostMessageW(shown, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(shown),
                                static_cast<LPARAM>(0x00000000FFFFFFFFLL));
             },
             [shown](HWND, HWND) { return AnswerContextMenu(shown); },
             menu,
             L"alpha,bravo,charlie; selected 1; focus list"},
            {"Shift+Insert: the add menu",
             {1},
             [] {
                 test::PressKeys({VK_SHIFT, VK_INSERT});
             },
             [](HWND p, HWND s) { return AnswerAddMenu(p, s); },
             L"Range of IP|Workgroups|AD Search at, then Range of IP",
             L"alpha,bravo,charlie; selected 1; focus list"},
        };
        for (const Row& row : rows) {
            SCOPED_TRACE(row.what);
            SelectRows(list, row.select);
            ::SetFocus(list);
            std::wstring opened;
            std::atomic<bool> answered{!row.answer};
            const HWND pageWindow = ::GetParent(list), sheetWindow = sheet;
            if (row.answer)
                driver = std::thread([&, pageWindow, sheetWindow] {
                    opened = row.answer(pageWindow, sheetWindow);
                    EscapeWhatIsOpen(sheetWindow);
                    answered = true;
                });
            row.press();
            PumpUntil([&] { return answered.load() && ListState(list) == row.after; }, 15000);
            if (driver.joinable())
                driver.join();
            EXPECT_EQ(row.opened, opened);
            EXPECT_EQ(row.after, ListState(list));
        }
        test::HoldForScreenshot();
    }
}

// The fast checks choice as the registry keeps it: 1, 0, or -1 when there is none.
int StoredFastChecks() {
    DWORD value = 0, size = sizeof value;
    if (::RegGetValueW(HKEY_CURRENT_USER, L"Software\\Corvane\\Velmora\\Settings", kFastChecksEntry, RRF_RT_REG_DWORD,
                       nullptr, &value, &size) != ERROR_SUCCESS)
        return -1;
    return static_cast<int>(value);
}

void ForgetFastChecks() {
    ::RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Software\\Corvane\\Velmora\\Settings", kFastChecksEntry);
}

// The context menu's last item, "Check up to 32 computers at once": ticked as the choice is, and
// chosen by keys (Up from the first item wraps to it, Enter) it turns the choice over and keeps it.
TEST_F(CompListPage, TheContextMenuTicksTheFastChecksChoiceAndTurnsItOver) {
    ForgetFastChecks();
    for (const int expected : {1, 0, 1}) {
        SCOPED_TRACE(expected);
        Open(kActionWakeOnLan, {Computer(L"alpha")});
        ASSERT_TRUE(test::BringToFront(sheet));
        SelectRows(list, {0});
        ::SetFocus(list);
        std::wstring seen;
        driver = std::thread([&] {
            const HWND popup = WaitForPopupMenu();
            if (!popup)
                return;
            const auto menu = reinterpret_cast<HMENU>(::SendMessageW(popup, MN_GETHMENU, 0, 0));
            seen = MenuItems(popup) +
                   ((::GetMenuState(menu, ID_COMP_FAST_CHECKS, MF_BYCOMMAND) & MF_CHECKED) ? L" ticked" : L" unticked");
            test::HoldForScreenshot();
            test::PressKey(VK_DOWN);
            test::PressKey(VK_UP);
            test::PressKey(VK_RETURN);
            WaitUntilHidden(popup);
        });
        test::PressKey(VK_APPS);
        PumpUntil([&] { return StoredFastChecks() == expected; }, 10000);
        driver.join();
        EXPECT_EQ(L"&Edit|-|&Wakeup|Get Mac|&Ping|&Check\tCtrl+K|-|&Delete|-|Check up to 32 computers at once " +
                      std::wstring(expected == 1 ? L"unticked" : L"ticked"),
                  seen);
        EXPECT_EQ(expected, StoredFastChecks());
        EXPECT_EQ(expected == 1, page->logic().fastChecks());
    }
    ForgetFastChecks();
}

// The IP range dialog's box, ticked by a click, makes the Scan check up to 32 addresses at once: it
// keeps exactly the answering test host and drops the silent addresses, and the choice is kept.
TEST_F(CompListPage, AFastScanTickedInTheRangeDialogKeepsExactlyTheAnsweringAddresses) {
    const std::wstring peer = Env("VELMORA_TEST_PEER_IP"), silent = Env("VELMORA_TEST_SILENT_IP");
    if (peer.empty() || silent.empty())
        GTEST_SKIP() << "no test host: VELMORA_TEST_PEER_IP and VELMORA_TEST_SILENT_IP are set by start_test_host";
    ForgetFastChecks();
    Open(kActionShutdown, {Computer(L"listed-before")});
    const std::string narrow(peer.begin(), peer.end());
    const DWORD first = ::ntohl(::inet_addr(narrow.c_str()));
    std::wstring boxes;
    bool ticked = false;
    driver = std::thread([&] {
        const HWND dialog = WaitForOwned(sheet, L"Range of IP");
        if (!dialog)
            return;
        test::ReadyForInput(dialog);
        ::SendDlgItemMessageW(dialog, IDC_IP_START, IPM_SETADDRESS, 0, static_cast<LPARAM>(first));
        // The test host and the silent addresses after it.
        ::SendDlgItemMessageW(dialog, IDC_IP_END, IPM_SETADDRESS, 0, static_cast<LPARAM>(first + 5));
        const HWND fast = ::GetDlgItem(dialog, IDC_IP_FAST_CHECKS);
        wchar_t text[64] = {};
        ::GetWindowTextW(fast, text, 64);
        boxes = std::wstring(text) + (::IsDlgButtonChecked(dialog, IDC_IP_FAST_CHECKS) ? L" ticked" : L" unticked");
        // The person moves to each box and ticks it with the space bar. Clicks on these two boxes,
        // given again when one seemed not taken, left a box unticked in about one run in five on a
        // busy machine; keys, which go to the focused box in their order, have not failed so.
        for (const int box : {IDC_IP_AUTO_SCAN, IDC_IP_FAST_CHECKS}) {
            const HWND control = ::GetDlgItem(dialog, box);
            ::SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
            if (!PumpUntil([&] { return FocusOf(dialog) == control; }, 3000))
                break;
            test::BringToFront(dialog);
            test::PressKey(VK_SPACE);
            PumpUntil([&] { return ::IsDlgButtonChecked(dialog, box) == BST_CHECKED; }, 3000);
        }
        ticked = ::IsDlgButtonChecked(dialog, IDC_IP_AUTO_SCAN) == BST_CHECKED &&
                 ::IsDlgButtonChecked(dialog, IDC_IP_FAST_CHECKS) == BST_CHECKED;
        test::HoldForScreenshot();
        test::PressKey(VK_RETURN);
        WaitUntilGone(dialog);
    });
    page->RangeOfIp();
    driver.join();
    EXPECT_EQ(L"Check up to 32 computers at once unticked", boxes);
    ASSERT_TRUE(ticked) << "\"Auto scan\" and the fast checks were not both ticked at Enter";
    ASSERT_EQ(BatchKind::kScan, page->logic().batchKind());
    EXPECT_EQ(kFastCheckWorkers, page->logic().workerLimit());
    EXPECT_EQ(1, StoredFastChecks());
    int peak = 0;
    PumpUntil(
        [&] {
            peak = std::max(peak, page->logic().RunningWorkers());
            return !page->logic().batchRunning();
        },
        60000);
    ASSERT_FALSE(page->logic().batchRunning());
    EXPECT_GE(peak, 4) << "the silent addresses checked at once";
    ASSERT_EQ(2, RowCount(list));
    EXPECT_EQ(L"listed-before", CellText(list, 0, 0));
    EXPECT_EQ(std::u16string(peer.begin(), peer.end()), page->logic().Computers()[1][kTextRangeAddress]);
    EXPECT_EQ(L"ok", CellText(list, 1, 1));
    ForgetFastChecks();
}

// OK clicked while a Scan waits on a silent address asks whether to wait. No stops the Scan and
// the sheet stores only what was checked; Yes keeps the sheet open until the Scan has ended, and
// then it closes by itself, storing what answered.
TEST_F(CompListPage, OkDuringAScanAsksToWaitOrToStopAndStoresOnlyWhatWasChecked) {
    const std::wstring peer = Env("VELMORA_TEST_PEER_IP"), silent = Env("VELMORA_TEST_SILENT_IP");
    if (peer.empty() || silent.empty())
        GTEST_SKIP() << "no test host: VELMORA_TEST_PEER_IP and VELMORA_TEST_SILENT_IP are set by start_test_host";
    const std::u16string peerText(peer.begin(), peer.end()), silentText(silent.begin(), silent.end());
    for (const int answer : {IDNO, IDYES}) {
        SCOPED_TRACE(answer == IDNO ? "stop" : "wait");
        std::wstring asked;
        int asks = 0;
        context.messageBox = [&](HWND, const std::wstring& text, UINT) {
            asked = text;
            ++asks;
            return answer;
        };
        Open(kActionShutdown, {Computer(L"listed-before")});
        page->AddRange({peerText, silentText}, true);
        ASSERT_EQ(BatchKind::kScan, page->logic().batchKind());
        ASSERT_TRUE(PumpUntil([&] { return page->logic().CheckedCount() == 1; }, 10000));
        ASSERT_TRUE(test::BringToFront(sheet));
        test::Click(::GetDlgItem(sheet, IDOK));
        PumpUntil([&] { return asks > 0; }, 5000);
        EXPECT_EQ(L"The scan has checked 1 of 2 addresses.\n\nWait for it to end? Yes waits and then closes; No stops "
                  L"the scan and keeps only the addresses checked so far.",
                  asked);
        if (answer == IDYES) {
            EXPECT_TRUE(page->logic().batchRunning()) << "the Scan goes on";
            EXPECT_NE(nullptr, PropSheet_GetCurrentPageHwnd(sheet)) << "the sheet stays open";
            PumpUntil([&] { return PropSheet_GetCurrentPageHwnd(sheet) == nullptr; }, 20000);
        }
        EXPECT_FALSE(page->logic().batchRunning());
        EXPECT_EQ(nullptr, PropSheet_GetCurrentPageHwnd(sheet)) << "OK went through";
        EXPECT_EQ(1, asks);
        ASSERT_EQ(2u, record.computers.size());
        EXPECT_EQ(u"listed-before", record.computers[0][kTextName]);
        EXPECT_EQ(peerText, record.computers[1][kTextRangeAddress]);
        EXPECT_EQ(u"ok", record.computers[1][kTextState]);
    }
}

// A sheet that goes away while the Scan runs (the manager closing) keeps only what was checked.
TEST_F(CompListPage, ASheetClosedDuringAScanKeepsOnlyWhatWasChecked) {
    const std::wstring peer = Env("VELMORA_TEST_PEER_IP"), silent = Env("VELMORA_TEST_SILENT_IP");
    if (peer.empty() || silent.empty())
        GTEST_SKIP() << "no test host: VELMORA_TEST_PEER_IP and VELMORA_TEST_SILENT_IP are set by start_test_host";
    const std::u16string peerText(peer.begin(), peer.end()), silentText(silent.begin(), silent.end());
    Open(kActionShutdown, {Computer(L"listed-before")});
    page->AddRange({peerText, silentText}, true);
    ASSERT_TRUE(PumpUntil([&] { return page->logic().CheckedCount() == 1; }, 10000));
    Close();
    ASSERT_EQ(2u, record.computers.size());
    EXPECT_EQ(peerText, record.computers[1][kTextRangeAddress]);
}

// One workgroup of three computers whose names resolve only when the test lets them.
class GatedNetwork : public NetworkBrowser {
public:
    std::intptr_t Open(const std::u16string& container) override { return container.empty() ? 1 : 2; }
    EnumRead Read(std::intptr_t enumeration, std::vector<NetResource>& items) override {
        const std::lock_guard<std::mutex> guard(lock_);
        if (!read_.insert(enumeration).second)
            return EnumRead::kNoMore;
        if (enumeration == 1)
            items.push_back({kResourceUsageContainer, kResourceTypeAny, u"WORKGROUP"});
        else
            for (const char16_t* name : {u"\\\\PC1", u"\\\\PC2", u"\\\\PC3"})
                items.push_back({kResourceUsageContainer, kResourceTypeAny, name});
        return EnumRead::kItems;
    }
    void Close(std::intptr_t) override {}
    std::u16string OwnName() override { return u"SELF"; }
    std::optional<std::u16string> AddressOf(const std::u16string& name) override {
        std::unique_lock<std::mutex> guard(lock_);
        let_.wait_for(guard, std::chrono::seconds(20), [this] { return open_; });
        return u"10.0.0." + name.substr(2);
    }
    std::u16string MacByArpRequest(const std::u16string& address) override {
        return u"00112233440" + address.substr(address.size() - 1);
    }
    void Let() {
        {
            const std::lock_guard<std::mutex> guard(lock_);
            open_ = true;
        }
        let_.notify_all();
    }

private:
    std::mutex lock_;
    std::condition_variable let_;
    bool open_ = false;
    std::set<std::intptr_t> read_;
};

// Whether `window` answered every one of `times` messages sent from this thread within a second
// (the job it waits for is held far longer; the benchmark measures how fast it answers).
bool AnswersMeanwhile(HWND window, int times) {
    for (int i = 0; i < times; ++i) {
        DWORD_PTR answer = 0;
        if (!::SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &answer))
            return false;
        ::Sleep(20);
    }
    return true;
}

// Workgroups of a wakeup task resolves the names on a worker thread under a busy window: the page
// answers meanwhile, Escape ends the wait and adds nothing, and a wait that ends adds the computers
// with their MACs in the network's order.
TEST_F(CompListPage, WorkgroupsWaitsOffThePagesThreadAndEscapeEndsTheWait) {
    struct Case {
        bool escape;
        std::wstring rows;
    };
    for (const Case& c : {Case{true, L"alpha,"},
                          Case{false, L"alpha,|PC1,001122334401|PC2,001122334402|PC3,001122334403"}}) {
        SCOPED_TRACE(c.escape ? "Escape" : "wait");
        auto network = std::make_shared<GatedNetwork>();
        ComputerServices services = SystemComputerServices();
        services.network = network;
        Open(kActionWakeOnLan, {Computer(L"alpha")}, false, services);
        std::wstring busyText;
        bool answered = false;
        driver = std::thread([&] {
            const HWND busy = WaitForOwned(sheet, L"Please wait");
            if (!busy)
                return;
            wchar_t text[128] = {};
            ::GetDlgItemTextW(busy, IDC_BUSY_TEXT, text, 128);
            busyText = text;
            answered = AnswersMeanwhile(sheet, 10);
            test::HoldForScreenshot();
            if (c.escape) {
                test::BringToFront(busy);
                test::PressKey(VK_ESCAPE);
                WaitUntilGone(busy);
            }
            network->Let();
            WaitUntilGone(busy);
        });
        page->Workgroups();
        driver.join();
        EXPECT_EQ(L"Looking for the computers of the workgroups...", busyText);
        EXPECT_TRUE(answered) << "the sheet answers while the names resolve";
        std::wstring rows;
        for (int row = 0; row < RowCount(list); ++row)
            rows += (row ? L"|" : L"") + CellText(list, row, 0) + L"," + CellText(list, row, 1);
        EXPECT_EQ(c.rows, rows);
    }
}

// The wakeup dialog's MAC link waits for its lookup on a worker thread under a busy window (here a
// lookup held until the test lets it go, as a silent address holds it for seconds); Escape ends the
// wait and leaves the MAC as it was, and the dialog stays open.
TEST(CompListDialogs, TheMacLookupWaitsOffTheDialogsThreadAndEscapeEndsIt) {
    ComInit com;
    ComputerServices services = SystemComputerServices();
    auto lookup = std::make_shared<testing_fakes::FakeOperations>();
    lookup->macs[u"pc-silent"] = u"AABBCCDDEEFF";
    lookup->Hold();
    services.operations = lookup;
    ComputerEntry entry;
    entry[kTextName] = u"pc-silent";
    entry[kTextMac] = u"001122334455";
    CAddCompM dialog(entry, false, services);
    std::wstring busyText, macAfter;
    bool answered = false, stayed = false, busyGone = false;
    std::thread driver([&] {
        const HWND window = WaitForOwned(nullptr, L"Remote computer");
        if (!window)
            return;
        // A click that reaches a dialog still settling on the screen is lost; the person clicks again.
        HWND busy = nullptr;
        for (int attempt = 0; attempt < 3 && !busy; ++attempt) {
            test::ReadyForInput(window);
            test::Click(::GetDlgItem(window, kCtlWakeMacLink));
            busy = WaitForOwned(window, L"Please wait", 3000);
        }
        if (busy) {
            wchar_t text[128] = {};
            ::GetDlgItemTextW(busy, IDC_BUSY_TEXT, text, 128);
            busyText = text;
            answered = AnswersMeanwhile(window, 3);
            test::HoldForScreenshot();
            test::BringToFront(busy);
            test::PressKey(VK_ESCAPE);
            WaitUntilGone(busy, 2000);
            busyGone = !::IsWindow(busy);
        }
        wchar_t mac[32] = {};
        ::GetDlgItemTextW(window, kCtlWakeMac, mac, 32);
        macAfter = mac;
        stayed = ::IsWindowVisible(window) != FALSE;
        test::BringToFront(window);
        test::PressKey(VK_ESCAPE);
        WaitUntilGone(window);
        if (::IsWindow(window))
            ::PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
    });
    const bool accepted = dialog.Run(nullptr);
    driver.join();
    lookup->Release();
    EXPECT_EQ(L"Looking up the MAC address...", busyText);
    EXPECT_TRUE(answered) << "the dialog answers during the lookup";
    EXPECT_TRUE(busyGone) << "Escape ended the wait";
    EXPECT_EQ(L"001122334455", macAfter);
    EXPECT_TRUE(stayed);
    EXPECT_FALSE(accepted);
}

// --- Check -------------------------------------------------------------------------------------

// What a row shows for a check that ended with `result`, from the running system's own texts.
std::wstring ExpectedState(const CheckResult& result) {
    return ToWide(MakeCheckReport(result, {[](int id) { return FromWide(LoadText(id)); }, SystemMessageText}).state);
}

CheckResult StopsAt(CheckStep step, std::uint32_t code, std::vector<CheckFinding> notes = {}) {
    CheckResult result;
    result.failure = CheckFinding{step, code};
    result.notes = std::move(notes);
    return result;
}

// The info tip the list asks the page for, as it does when the mouse rests on a row.
std::wstring InfoTip(HWND list, int row) {
    wchar_t text[512] = {};
    NMLVGETINFOTIPW tip{};
    tip.hdr = {list, IDC_COMP_LIST, static_cast<UINT>(LVN_GETINFOTIPW)};
    tip.pszText = text;
    tip.cchTextMax = 512;
    tip.iItem = row;
    ::SendMessageW(::GetParent(list), WM_NOTIFY, IDC_COMP_LIST, reinterpret_cast<LPARAM>(&tip));
    return text;
}

// Ctrl+K with no row selected checks every computer: loopback and the live test host refuse file
// sharing, the silent address gives no echo and nothing answers for it at the sharing port. F1 on a
// checked row, or a click on the Help button, opens the help at the page on why a remote shutdown
// fails.
TEST_F(CompListPage, CtrlKChecksEveryComputerAndF1OrHelpOpensWhyAShutdownFails) {
    const std::wstring peer = Env("VELMORA_TEST_PEER_IP"), silent = Env("VELMORA_TEST_SILENT_IP");
    std::vector<ComputerEntry> computers = {Computer(L"127.0.0.1")};
    if (!peer.empty() && !silent.empty()) {
        computers.push_back(Computer(peer));
        computers.push_back(Computer(silent));
    }
    std::vector<std::pair<HWND, std::u16string>> helpPages;
    int plainHelp = 0;
    context.openHelpPage = [&](HWND sheetWindow, const std::u16string& helpPage) {
        helpPages.emplace_back(sheetWindow, helpPage);
    };
    context.openHelp = [&](HWND) { ++plainHelp; };
    Open(kActionShutdown, computers);
    ASSERT_TRUE(test::BringToFront(sheet));
    ::SetFocus(list);

    test::PressKey(VK_F1);
    PumpUntil([&] { return plainHelp > 0; }, 5000);
    EXPECT_EQ(1, plainHelp) << "F1 before any check: the help's first page";

    test::PressKeys({VK_CONTROL, 'K'});
    ASSERT_TRUE(PumpUntil([&] { return page->logic().batchRunning(); }, 5000)) << "Ctrl+K started no batch";
    ASSERT_TRUE(WaitForBatchEnd());
    const std::wstring refused = ExpectedState(StopsAt(CheckStep::kSharingPort, WSAECONNREFUSED));
    EXPECT_EQ(refused, CellText(list, 0, 1));
    EXPECT_NE(std::wstring::npos, InfoTip(list, 0).find(L"10061 (0x0000274D)")) << InfoTip(list, 0);
    if (computers.size() == 3) {
        EXPECT_EQ(refused, CellText(list, 1, 1));
        // Nothing answers for the address: a wait that runs out, or a refusal from this computer.
        const CheckFinding silentEcho{CheckStep::kEcho, 11010};
        EXPECT_THAT(CellText(list, 2, 1),
                    ::testing::AnyOf(ExpectedState(StopsAt(CheckStep::kSharingPort, WSAETIMEDOUT, {silentEcho})),
                                     ExpectedState(StopsAt(CheckStep::kSharingPort, WSAEHOSTUNREACH, {silentEcho}))));
    }
    Pump();
    test::HoldForScreenshot();

    SelectRows(list, {0});
    test::PressKey(VK_F1);
    PumpUntil([&] { return !helpPages.empty(); }, 5000);
    ASSERT_EQ(1u, helpPages.size());
    EXPECT_EQ(sheet, helpPages[0].first);
    EXPECT_EQ(u"shutdown-fails.html", helpPages[0].second);
    EXPECT_EQ(1, plainHelp);

    // The sheet's Help button, clicked, goes the same way.
    const HWND helpButton = ::GetDlgItem(sheet, IDHELP);
    ASSERT_TRUE(helpButton && ::IsWindowVisible(helpButton));
    test::Click(helpButton);
    PumpUntil([&] { return helpPages.size() > 1; }, 5000);
    ASSERT_EQ(2u, helpPages.size());
    EXPECT_EQ(u"shutdown-fails.html", helpPages[1].second);
    EXPECT_EQ(1, plainHelp);
}

// The context menu's Check on a wakeup task looks at the wake-up packet's texts and sends nothing:
// a loopback broadcast address with a MAC of twelve digits is ready, a short MAC is not.
TEST_F(CompListPage, CheckFromTheContextMenuOfAWakeupTask) {
    ComputerEntry good = Computer(L"pc-good"), bad = Computer(L"pc-bad");
    good[kTextMac] = u"001122AABBCC";
    good[kTextBroadcast] = u"127.0.0.1";
    good[kTextPort] = u"9";
    bad[kTextMac] = u"0011";
    Open(kActionWakeOnLan, {good, bad, Computer(L"pc-not-selected")});
    ASSERT_TRUE(test::BringToFront(sheet));
    SelectRows(list, {0, 1});
    ::SetFocus(list);
    std::wstring items;
    driver = std::thread([&] {
        const HWND popup = WaitForPopupMenu();
        if (!popup)
            return;
        items = MenuItems(popup);
        test::PressKey('C');
    });
    test::PressKey(VK_APPS);
    PumpUntil([&] { return page->logic().batchRunning(); }, 10000);
    driver.join();
    EXPECT_EQ(L"&Edit|-|&Wakeup|Get Mac|&Ping|&Check\tCtrl+K|-|&Delete|-|Check up to 32 computers at once", items);
    ASSERT_TRUE(WaitForBatchEnd());
    EXPECT_EQ(ToWide(MakeCheckReport({}, {[](int id) { return FromWide(LoadText(id)); }, SystemMessageText}).state),
              CellText(list, 0, 1));
    EXPECT_EQ(ExpectedState(StopsAt(CheckStep::kWakeMac, ERROR_INVALID_DATA)), CellText(list, 1, 1));
    EXPECT_EQ(L"", CellText(list, 2, 1)) << "a row that was not selected";
}

// Enter is OK and Escape is Cancel in the computer dialogs and the IP range dialog, pressed where
// the dialog puts the focus when it opens.
TEST(CompListDialogs, EnterIsOkAndEscapeIsCancel) {
    ComInit com;
    const ComputerServices services = SystemComputerServices();
    ComputerEntry named;
    named[kTextName] = u"alpha";
    ComputerEntry wake = named;
    wake[kTextMac] = u"001122334455";
    struct Row {
        const char* what;
        const wchar_t* title;
        WORD key;
        std::function<std::wstring()> run;  // the dialog, modal on this thread: how it ended
        std::wstring ended;
    };
    const auto computer = [&] {
        CAddComp dialog(named, kActionShutdown, services);
        return dialog.Run(nullptr) ? L"OK " + ToWide(dialog.entry[kTextName]) : std::wstring(L"Cancel");
    };
    const auto wakeup = [&] {
        CAddCompM dialog(wake, false, services);
        return dialog.Run(nullptr) ? L"OK " + ToWide(dialog.entry[kTextName]) + L" " + ToWide(dialog.entry[kTextMac])
                                   : std::wstring(L"Cancel");
    };
    const auto range = [] {
        CIpRange dialog(10000, false);
        return dialog.Run(nullptr) ? L"OK " + std::to_wstring(dialog.addresses.size()) + L" from " +
                                         ToWide(dialog.addresses.empty() ? u"" : dialog.addresses.front())
                                   : std::wstring(L"Cancel");
    };
    const Row rows[] = {
        {"computer, Enter", L"Remote computer", VK_RETURN, computer, L"OK alpha"},
        {"computer, Escape", L"Remote computer", VK_ESCAPE, computer, L"Cancel"},
        {"wakeup computer, Enter", L"Remote computer", VK_RETURN, wakeup, L"OK alpha 001122334455"},
        {"wakeup computer, Escape", L"Remote computer", VK_ESCAPE, wakeup, L"Cancel"},
        {"IP range, Enter", L"Range of IP", VK_RETURN, range, L"OK 254 from 192.168.1.1"},
        {"IP range, Escape", L"Range of IP", VK_ESCAPE, range, L"Cancel"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        std::wstring focus;
        std::thread driver([&] {
            const HWND dialog = WaitForOwned(nullptr, row.title);
            if (!dialog)
                return;
            test::BringToFront(dialog);
            wchar_t name[32] = {};
            ::GetClassNameW(FocusOf(dialog), name, 32);
            focus = name;
            test::PressKey(row.key);
            WaitUntilGone(dialog);
            if (::IsWindow(dialog))
                ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);  // the key did nothing: end it anyway
        });
        const std::wstring ended = row.run();
        driver.join();
        EXPECT_EQ(row.ended, ended);
        EXPECT_EQ(L"Edit", focus) << "the key goes to the dialog's first field";
    }
}

// The wakeup dialog's links: the computer browser's name, then the MAC found by an echo request
// and the ARP table, from the test host.
TEST(CompListDialogs, TheNameLinkBrowsesAndTheMacLinkLooksTheMacUp) {
    const std::wstring peer = Env("VELMORA_TEST_PEER_IP"), mac = Env("VELMORA_TEST_PEER_MAC");
    if (peer.empty() || mac.empty())
        GTEST_SKIP() << "no test host: VELMORA_TEST_PEER_IP and VELMORA_TEST_PEER_MAC are set by start_test_host";
    ComInit com;
    ComputerServices services = SystemComputerServices();
    services.browseForComputer = [&](HWND) { return std::u16string(peer.begin(), peer.end()); };
    CAddCompM dialog(ComputerEntry{}, false, services);
    std::wstring shownMac;
    std::thread driver([&] {
        const HWND window = WaitForOwned(nullptr, L"Remote computer");
        if (!window)
            return;
        ::SendMessageW(window, WM_COMMAND, MAKEWPARAM(kCtlWakeNameLink, STN_CLICKED),
                       reinterpret_cast<LPARAM>(::GetDlgItem(window, kCtlWakeNameLink)));
        wchar_t text[32] = {};
        ::GetDlgItemTextW(window, kCtlWakeMac, text, 32);
        shownMac = text;
        ::SendMessageW(::GetDlgItem(window, IDOK), BM_CLICK, 0, 0);
    });
    const bool accepted = dialog.Run(nullptr);
    driver.join();
    EXPECT_EQ(mac, shownMac);
    ASSERT_TRUE(accepted);
    EXPECT_EQ(std::u16string(peer.begin(), peer.end()), dialog.entry[kTextName]);
    EXPECT_EQ(std::u16string(mac.begin(), mac.end()), dialog.entry[kTextMac]);
}

}  // namespace
}  // namespace velmora
