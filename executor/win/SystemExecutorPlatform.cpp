// The real clock, message table, dialog and console behind the executor.
#include "executor/win/SystemExecutorPlatform.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <ctime>

#include "actions/PowerApi.h"
#include "actions/win/SystemApis.h"
#include "executor/CommandLine.h"
#include "executor/Executor.h"
#include "executor/win/KvDlg.h"
#include "executor/win/TemporaryService.h"
#include "model/File.h"
#include "model/Utf.h"
#include "model/win/TaskFolder.h"
#include "platform/win/SystemFolder.h"
#include "platform/win/SystemMessage.h"
#include "platform/win/Unique.h"
#include "platform/win/WideText.h"
#include "scheduler/win/ScheduledTask.h"

namespace velmora {

// The C runtime's "%c" in its default locale: month/day/year with two digits and 24-hour time.
std::u16string SystemExecutorPlatform::TimeText() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (::localtime_s(&local, &now) != 0)
        return {};
    char text[64];
    const std::size_t length = std::strftime(text, sizeof text, "%c", &local);
    return std::u16string(text, text + length);
}

std::u16string SystemExecutorPlatform::MessageText(std::uint32_t code) {
    return SystemMessageText(code);
}

std::uint32_t SystemExecutorPlatform::LastError() {
    return ::GetLastError();
}

void SystemExecutorPlatform::ClearLastError() {
    ::SetLastError(0);
}

void SystemExecutorPlatform::Sleep(unsigned milliseconds) {
    ::Sleep(milliseconds);
}

std::u16string SystemExecutorPlatform::TaskFolder() {
    return TaskStoreFolder();
}

std::unique_ptr<ActionEngine> SystemExecutorPlatform::CreateActions() {
    return std::make_unique<CActions>(SystemPowerApi(),
                                      RemoteSeams{&SystemRemoteApi(), &SystemWmiApi(), &SystemDatagramApi()});
}

CountdownOutcome SystemExecutorPlatform::RunCountdown(CountdownLogic& logic) {
    CKvDlg dialog(logic);
    return dialog.Run();
}

AccountRead SystemExecutorPlatform::WorkItemAccount(const std::u16string& argument) {
    CScheduledTask scheduler(true);
    WorkItemInfo info;
    if (const HResult opened = scheduler.LoadInfo(argument, info); opened < 0)
        return {u"", static_cast<std::uint32_t>(opened)};
    if (AccountUnreadable(info.accountRead))
        return {u"", static_cast<std::uint32_t>(info.accountRead)};
    return {info.account, 0};
}

std::u16string SystemExecutorPlatform::ProcessAccountSid() {
    return OwnAccountSid();
}

HandOverOutcome SystemExecutorPlatform::RunThroughService(const std::u16string& argument) {
    SystemServiceManager manager(program_);
    return HandToService(manager, argument);
}

namespace {

template <class Function>
Function Entry(HMODULE module, const char* name) {
    return module ? reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name))) : nullptr;
}

using ProcessIdToSessionIdFn = BOOL(WINAPI*)(DWORD, DWORD*);
using WtsGetActiveConsoleSessionIdFn = DWORD(WINAPI*)();
using WtsQueryUserTokenFn = BOOL(WINAPI*)(ULONG, HANDLE*);
using CreateEnvironmentBlockFn = BOOL(WINAPI*)(void**, HANDLE, BOOL);
using DestroyEnvironmentBlockFn = BOOL(WINAPI*)(void*);

constexpr DWORD kNoConsoleSession = 0xFFFFFFFF;

// Services share one session; the RPC service runs on every system, so its process tells which.
// Where it cannot be asked, services run in session 0, as on every Windows.
DWORD ServicesSession(ProcessIdToSessionIdFn toSession) {
    UniqueService manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    UniqueService service(manager ? ::OpenServiceW(manager.get(), L"RpcSs", SERVICE_QUERY_STATUS) : nullptr);
    SERVICE_STATUS_PROCESS status{};
    DWORD needed = 0;
    DWORD session = 0;
    if (service &&
        ::QueryServiceStatusEx(service.get(), SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status), sizeof status,
                               &needed) &&
        status.dwProcessId != 0 && toSession(status.dwProcessId, &session)) {
        return session;
    }
    return 0;
}

std::u16string ReadAll(HANDLE from) {
    std::string bytes;
    char buffer[4096];
    DWORD read = 0;
    while (::ReadFile(from, buffer, sizeof buffer, &read, nullptr) && read > 0)
        bytes.append(buffer, read);
    std::u16string text(bytes.size() / 2, u'\0');
    std::memcpy(text.data(), bytes.data(), text.size() * 2);
    return text;
}

bool WriteAll(HANDLE to, const std::u16string& text) {
    const char* bytes = reinterpret_cast<const char*>(text.data());
    std::size_t left = text.size() * 2;
    while (left > 0) {
        DWORD written = 0;
        if (!::WriteFile(to, bytes, static_cast<DWORD>(left), &written, nullptr) || written == 0)
            return false;
        bytes += written;
        left -= written;
    }
    return true;
}

}  // namespace

// Windows 2000 knows neither the console's session nor a process's: it has one session, 0. The
// console's user is asked for through that session's token, which only the system account may have.
SessionFacts SystemExecutorPlatform::Sessions() {
    SessionFacts facts;
    UniqueModule kernel(LoadSystemLibrary(L"kernel32.dll"));
    const auto consoleSession = Entry<WtsGetActiveConsoleSessionIdFn>(kernel.get(), "WTSGetActiveConsoleSessionId");
    const auto toSession = Entry<ProcessIdToSessionIdFn>(kernel.get(), "ProcessIdToSessionId");
    const DWORD console = consoleSession ? consoleSession() : 0;
    if (console != kNoConsoleSession)
        facts.console = console;
    if (toSession) {
        DWORD own = 0;
        if (toSession(::GetCurrentProcessId(), &own))
            facts.own = own;
        facts.services = ServicesSession(toSession);
    }
    if (!facts.console) {
        facts.consoleUser = ConsoleUser::kNone;
        return facts;
    }
    UniqueModule wts(LoadSystemLibrary(L"wtsapi32.dll"));
    const auto queryToken = Entry<WtsQueryUserTokenFn>(wts.get(), "WTSQueryUserToken");
    HANDLE token = nullptr;
    if (queryToken && queryToken(*facts.console, &token)) {
        const UniqueHandle owned(token);
        facts.consoleUser = ConsoleUser::kLoggedOn;
    } else if (queryToken && ::GetLastError() == ERROR_NO_TOKEN) {
        facts.consoleUser = ConsoleUser::kNone;
    }
    return facts;
}

// The session part runs as the session's user on its interactive desktop. The record goes to it
// through one pipe and its log lines come back through another, so this process, which may write the
// task file, keeps the log.
SessionOutcome SystemExecutorPlatform::RunInSession(std::uint32_t session, const std::u16string& record) {
    SessionOutcome outcome;
    UniqueModule wts(LoadSystemLibrary(L"wtsapi32.dll"));
    const auto queryToken = Entry<WtsQueryUserTokenFn>(wts.get(), "WTSQueryUserToken");
    if (!queryToken) {
        outcome.error = ERROR_CALL_NOT_IMPLEMENTED;
        return outcome;
    }
    // The system account holds these privileges, but a process need not have them enabled.
    for (const char16_t* privilege : {u"SeTcbPrivilege", u"SeAssignPrimaryTokenPrivilege", u"SeIncreaseQuotaPrivilege"})
        SystemPowerApi().EnableTokenPrivilege(privilege);
    UniqueHandle token;
    if (!queryToken(session, token.put())) {
        outcome.error = ::GetLastError();
        return outcome;
    }
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    UniqueHandle recordRead, recordWrite, logRead, logWrite;
    if (!::CreatePipe(recordRead.put(), recordWrite.put(), &inherited, 0) ||
        !::CreatePipe(logRead.put(), logWrite.put(), &inherited, 0)) {
        outcome.error = ::GetLastError();
        return outcome;
    }
    // Only the child's ends are inherited.
    ::SetHandleInformation(recordWrite.get(), HANDLE_FLAG_INHERIT, 0);
    ::SetHandleInformation(logRead.get(), HANDLE_FLAG_INHERIT, 0);

    UniqueModule userenv(LoadSystemLibrary(L"userenv.dll"));
    const auto createEnvironment = Entry<CreateEnvironmentBlockFn>(userenv.get(), "CreateEnvironmentBlock");
    const auto destroyEnvironment = Entry<DestroyEnvironmentBlockFn>(userenv.get(), "DestroyEnvironmentBlock");
    void* environment = nullptr;
    if (createEnvironment && destroyEnvironment && !createEnvironment(&environment, token.get(), FALSE))
        environment = nullptr;

    wchar_t own[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, own, MAX_PATH);
    const std::wstring path = program_.empty() ? std::wstring(own) : ToWide(program_);
    std::wstring command = L"\"" + path + L"\" " + ToWide(kSessionPartArgument);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.lpDesktop = const_cast<wchar_t*>(L"winsta0\\default");
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = recordRead.get();
    startup.hStdOutput = logWrite.get();
    startup.hStdError = nullptr;
    PROCESS_INFORMATION process{};
    const BOOL started =
        ::CreateProcessAsUserW(token.get(), path.c_str(), command.data(), nullptr, nullptr, TRUE,
                               environment ? CREATE_UNICODE_ENVIRONMENT : 0, environment, nullptr, &startup, &process);
    const DWORD startError = ::GetLastError();
    if (environment)
        destroyEnvironment(environment);
    if (!started) {
        outcome.error = startError;
        return outcome;
    }
    const ProcessHandles child(process);
    // This process's copies of the child's ends go, so each pipe ends when the child's end does.
    recordRead.reset();
    logWrite.reset();
    WriteAll(recordWrite.get(), record);
    recordWrite.reset();
    outcome.log = ReadAll(logRead.get());
    ::WaitForSingleObject(child.process.get(), INFINITE);
    DWORD exitCode = 0;
    ::GetExitCodeProcess(child.process.get(), &exitCode);
    if (exitCode != kExitNormal && exitCode != kExitCountdownEnded)
        outcome.error = exitCode;
    return outcome;
}

int RunSessionPartMode() {
    const HANDLE input = ::GetStdHandle(STD_INPUT_HANDLE);
    const HANDLE output = ::GetStdHandle(STD_OUTPUT_HANDLE);
    // Started by hand, there is no pipe to read a record from.
    if (!input || input == INVALID_HANDLE_VALUE || ::GetFileType(input) != FILE_TYPE_PIPE)
        return kExitNormal;
    const std::u16string record = ReadAll(input);
    SystemExecutorPlatform platform;
    Executor executor(platform);
    executor.SetLineSink([output](const std::u16string& line) { WriteAll(output, line); });
    return executor.RunSessionPart(record);
}

void SystemExecutorPlatform::PrintUsage() {
    for (const std::u16string& piece : UsagePieces()) {
        std::printf("%s", Utf16ToUtf8(piece).c_str());
        std::fflush(stdout);
    }
}

}  // namespace velmora
