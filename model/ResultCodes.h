// The result codes the system's decisions test, named once: HRESULTs, Windows error codes, the
// echo request's IP status codes and the executor's exit statuses. 0 is success in every one.
#pragma once

#include <cstdint>

namespace velmora {

// An HRESULT, as the COM, WMI and Task Scheduler calls return it: negative for a failure.
using HResult = std::int32_t;

constexpr HResult kOk = 0;
constexpr HResult kFail = static_cast<HResult>(0x80004005);                      // E_FAIL
constexpr HResult kFileNotFound = static_cast<HResult>(0x80070002);              // from ERROR_FILE_NOT_FOUND
constexpr HResult kPathNotFound = static_cast<HResult>(0x80070003);              // from ERROR_PATH_NOT_FOUND
constexpr HResult kAccessDenied = static_cast<HResult>(0x80070005);              // E_ACCESSDENIED
constexpr HResult kRpcTooLate = static_cast<HResult>(0x80010119);                // RPC_E_TOO_LATE
constexpr HResult kAccountInformationNotSet = static_cast<HResult>(0x8004130F);  // SCHED_E_ACCOUNT_INFORMATION_NOT_SET
constexpr HResult kAccountNameNotFound = static_cast<HResult>(0x80041310);       // SCHED_E_ACCOUNT_NAME_NOT_FOUND
constexpr HResult kTaskRunning = 0x00041301;                                     // SCHED_S_TASK_RUNNING
// WBEM_E_NOT_FOUND: what reading "ReturnValue" from out-parameters without it gives, and the
// result when a provider answers success without any out-parameters at all.
constexpr HResult kWbemNotFound = static_cast<HResult>(0x80041002);

// Windows error codes, as GetLastError, the network functions and the sockets report them.
constexpr std::uint32_t kErrorAccessDenied = 5;
constexpr std::uint32_t kErrorNotEnoughMemory = 8;
constexpr std::uint32_t kErrorInvalidData = 13;
constexpr std::uint32_t kErrorNotSupported = 50;
constexpr std::uint32_t kErrorBadNetPath = 53;
constexpr std::uint32_t kErrorBrokenPipe = 109;
constexpr std::uint32_t kErrorWaitTimeout = 258;
constexpr std::uint32_t kErrorIoPending = 997;
constexpr std::uint32_t kErrorInvalidServiceControl = 1052;
constexpr std::uint32_t kErrorFailedServiceControllerConnect = 1063;
constexpr std::uint32_t kErrorServiceMarkedForDelete = 1072;
constexpr std::uint32_t kErrorServiceExists = 1073;
constexpr std::uint32_t kErrorSessionCredentialConflict = 1219;
constexpr std::uint32_t kErrorNetworkUnreachable = 1231;
constexpr std::uint32_t kErrorLogonFailure = 1326;
constexpr std::uint32_t kErrorInternal = 1359;          // ERROR_INTERNAL_ERROR
constexpr std::uint32_t kErrorInvalidArgument = 10022;  // WSAEINVAL

// The status of an echo request.
constexpr std::uint32_t kIpSuccess = 0;
constexpr std::uint32_t kIpRequestTimedOut = 11010;
constexpr std::uint32_t kIpBadDestination = 11018;

// The executor's exit statuses. The scheduler keeps the last one as the work item's result, and
// the countdown's own end counts as success there.
constexpr int kExitNormal = 0;
constexpr int kExitCountdownEnded = 300;  // the countdown closed its window itself on the main thread

}  // namespace velmora
