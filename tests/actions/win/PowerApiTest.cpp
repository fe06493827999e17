// The monitor command's send under Wine, to a window of the test's own: never to the desktop's.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

#include "actions/win/MonitorPower.h"

namespace velmora {
namespace {

HANDLE gRelease = nullptr;  // while not set, the window does not answer the command
LPARAM gArgument = 0;

// Takes the command itself, so nothing reaches the default handling.
LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_MONITORPOWER) {
        gArgument = lParam;
        ::WaitForSingleObject(gRelease, INFINITE);
        return 0;
    }
    if (message == WM_CLOSE)
        ::PostQuitMessage(0);
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

TEST(MonitorPower, AnsweringWindowGetsTheCommandAndAHungOneDoesNotHoldTheSender) {
    gRelease = ::CreateEventW(nullptr, TRUE, TRUE, nullptr);
    std::promise<HWND> created;
    std::thread owner([&created] {
        WNDCLASSW type{};
        type.lpfnWndProc = Procedure;
        type.lpszClassName = L"VelmoraMonitorTest";
        ::RegisterClassW(&type);
        created.set_value(
            ::CreateWindowExW(0, type.lpszClassName, L"", WS_POPUP, 0, 0, 9, 9, nullptr, nullptr, nullptr, nullptr));
        MSG message;
        while (::GetMessageW(&message, nullptr, 0, 0) > 0)
            ::DispatchMessageW(&message);
    });
    HWND window = created.get_future().get();
    ASSERT_NE(nullptr, window);
    EXPECT_TRUE(SendMonitorPowerTo(window, 2, 5000));
    EXPECT_EQ(2, gArgument);

    ::ResetEvent(gRelease);
    auto send = std::async(std::launch::async, [window] { return SendMonitorPowerTo(window, -1, 200); });
    // Only keeps a send that waits for ever from holding the test run; the send's own limit is 200 ms.
    const bool returned = send.wait_for(std::chrono::seconds(30)) == std::future_status::ready;
    ::SetEvent(gRelease);
    EXPECT_TRUE(returned) << "the send waited on a window that does not answer";
    EXPECT_FALSE(send.get());
    ::PostMessageW(window, WM_CLOSE, 0, 0);
    owner.join();
    ::CloseHandle(gRelease);
}

}  // namespace
}  // namespace velmora
