// The real clock, message table, dialog and console behind the executor.
#include "executor/win/SystemExecutorPlatform.h"

#include <windows.h>

#include <cstdio>
#include <algorithm>
#include <cstring>
#include <ctime>
#include <string_view>
#include <vector>

#include "actions/PowerApi.h"
#include "actions/win/SystemApis.h"
#include "executor/CommandLine.h"
#include "executor/Executor.h"
#include "executor/win/KvDlg.h"
#include "executor/win/SystemPathExaminer.h"
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

std::uint32_t SystemExecutorPlatform::TickMs() {
    return ::GetTickCount();
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

bool WriteAll(HANDLE to, std::string_view text) {
    const char* bytes = text.data();
    std::size_t left = text.size();
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

namespace {

// How often a wait for the session's process looks at its pipe: anonymous pipes cannot be waited on.
constexpr DWORD kSessionPollMs = 50;

// The session's process from the task's side. Its pipe is only peeked at and read by what is there,
// never more than asked: nothing it does can make this process wait longer than it means to.
class SessionPartProcess : public SessionChannel {
public:
    SessionPartProcess(const PROCESS_INFORMATION& started, UniqueHandle toPart, UniqueHandle fromPart)
        : process_(started), toPart_(std::move(toPart)), fromPart_(std::move(fromPart)) {}
    ~SessionPartProcess() override { End(); }

    SessionEvent Wait(std::optional<unsigned> timeoutMs, std::size_t maxBytes) override {
        const DWORD start = ::GetTickCount();
        for (;;) {
            DWORD available = 0;
            if (!fromPart_ || !::PeekNamedPipe(fromPart_.get(), nullptr, 0, nullptr, &available, nullptr))
                return {SessionEventKind::kEnded, {}};
            if (available > 0 && maxBytes > 0) {
                std::string bytes(std::min<std::size_t>(available, maxBytes), '\0');
                DWORD read = 0;
                if (!::ReadFile(fromPart_.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
                    read == 0)
                    return {SessionEventKind::kEnded, {}};
                bytes.resize(read);
                return {SessionEventKind::kBytes, std::move(bytes)};
            }
            if (!process_.process || ::WaitForSingleObject(process_.process.get(), 0) == WAIT_OBJECT_0) {
                // What it wrote before it ended is still read first.
                if (::PeekNamedPipe(fromPart_.get(), nullptr, 0, nullptr, &available, nullptr) && available > 0)
                    continue;
                return {SessionEventKind::kEnded, {}};
            }
            const DWORD waited = ::GetTickCount() - start;
            if (timeoutMs && waited >= *timeoutMs)
                return {SessionEventKind::kTime, {}};
            const DWORD slice = timeoutMs ? std::min<DWORD>(kSessionPollMs, *timeoutMs - waited) : kSessionPollMs;
            ::WaitForSingleObject(process_.process.get(), slice);
        }
    }

    // The pipe to the part holds every message this process sends it: a part that reads nothing
    // cannot hold this process up in a write.
    bool Send(std::string_view bytes) override { return toPart_ && WriteAll(toPart_.get(), bytes); }

    void End() override {
        if (process_.process && ::WaitForSingleObject(process_.process.get(), 0) == WAIT_TIMEOUT)
            ::TerminateProcess(process_.process.get(), 0);
        toPart_.reset();
        fromPart_.reset();
    }

private:
    ProcessHandles process_;
    UniqueHandle toPart_;
    UniqueHandle fromPart_;
};

// The task's process from the session's part: its standard input and output.
class TaskPipes : public SessionChannel {
public:
    TaskPipes(HANDLE input, HANDLE output) : input_(input), output_(output) {}

    // Blocks until bytes come or the task's process has closed its pipe; it never waits with a limit.
    SessionEvent Wait(std::optional<unsigned>, std::size_t maxBytes) override {
        std::string bytes(maxBytes, '\0');
        DWORD read = 0;
        if (maxBytes == 0 || !::ReadFile(input_, bytes.data(), static_cast<DWORD>(maxBytes), &read, nullptr) ||
            read == 0)
            return {SessionEventKind::kEnded, {}};
        bytes.resize(read);
        return {SessionEventKind::kBytes, std::move(bytes)};
    }
    bool Send(std::string_view bytes) override { return WriteAll(output_, bytes); }
    void End() override {}

private:
    HANDLE input_;
    HANDLE output_;
};

using InitializeAttributesFn = BOOL(WINAPI*)(LPPROC_THREAD_ATTRIBUTE_LIST, DWORD, DWORD, PSIZE_T);
using UpdateAttributeFn = BOOL(WINAPI*)(LPPROC_THREAD_ATTRIBUTE_LIST, DWORD, DWORD_PTR, PVOID, SIZE_T, PVOID, PSIZE_T);
using DeleteAttributesFn = VOID(WINAPI*)(LPPROC_THREAD_ATTRIBUTE_LIST);

// The list of the only handles a new process inherits; from Windows Vista on. Before, the part
// inherits every inheritable handle of this process, which holds no others.
class InheritedHandles {
public:
    InheritedHandles(HANDLE first, HANDLE second) : handles_{first, second} {
        kernel_.reset(LoadSystemLibrary(L"kernel32.dll"));
        const auto initialize = Entry<InitializeAttributesFn>(kernel_.get(), "InitializeProcThreadAttributeList");
        const auto update = Entry<UpdateAttributeFn>(kernel_.get(), "UpdateProcThreadAttribute");
        remove_ = Entry<DeleteAttributesFn>(kernel_.get(), "DeleteProcThreadAttributeList");
        if (!initialize || !update || !remove_)
            return;
        SIZE_T size = 0;
        initialize(nullptr, 1, 0, &size);
        buffer_.resize(size);
        auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(buffer_.data());
        if (size == 0 || !initialize(list, 1, 0, &size))
            return;
        list_ = list;
        if (!update(list_, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, handles_, sizeof handles_, nullptr, nullptr))
            error_ = ::GetLastError();
    }
    ~InheritedHandles() {
        if (list_)
            remove_(list_);
    }
    InheritedHandles(const InheritedHandles&) = delete;
    InheritedHandles& operator=(const InheritedHandles&) = delete;

    LPPROC_THREAD_ATTRIBUTE_LIST list() const { return list_; }
    // The list exists but could not be filled: the part must not start without it.
    DWORD error() const { return error_; }

private:
    HANDLE handles_[2];
    UniqueModule kernel_;
    DeleteAttributesFn remove_ = nullptr;
    std::vector<unsigned char> buffer_;
    LPPROC_THREAD_ATTRIBUTE_LIST list_ = nullptr;
    DWORD error_ = 0;
};

}  // namespace

// The session part runs as the session's user on its interactive desktop. Its standard input is
// this process's pipe to it, its standard output the pipe back; it inherits nothing else.
SessionStart SystemExecutorPlatform::StartSessionPart(std::uint32_t session, const std::u16string& record) {
    SessionStart outcome;
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
    const std::string recordMessage = SessionRecordMessage(record);
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    UniqueHandle toPartRead, toPartWrite, fromPartRead, fromPartWrite;
    const DWORD toPartSize = static_cast<DWORD>(recordMessage.size() + 2 * kSessionMessageBytes);
    if (!::CreatePipe(toPartRead.put(), toPartWrite.put(), &inherited, toPartSize) ||
        !::CreatePipe(fromPartRead.put(), fromPartWrite.put(), &inherited, 0)) {
        outcome.error = ::GetLastError();
        return outcome;
    }
    ::SetHandleInformation(toPartWrite.get(), HANDLE_FLAG_INHERIT, 0);
    ::SetHandleInformation(fromPartRead.get(), HANDLE_FLAG_INHERIT, 0);
    const InheritedHandles inheritedOnly(toPartRead.get(), fromPartWrite.get());
    if (inheritedOnly.error() != 0) {
        outcome.error = inheritedOnly.error();
        return outcome;
    }

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
    STARTUPINFOEXW startup{};
    startup.StartupInfo.cb = inheritedOnly.list() ? sizeof startup : sizeof startup.StartupInfo;
    startup.StartupInfo.lpDesktop = const_cast<wchar_t*>(L"winsta0\\default");
    startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
    startup.StartupInfo.hStdInput = toPartRead.get();
    startup.StartupInfo.hStdOutput = fromPartWrite.get();
    startup.StartupInfo.hStdError = nullptr;
    startup.lpAttributeList = inheritedOnly.list();
    DWORD flags = environment ? CREATE_UNICODE_ENVIRONMENT : 0;
    if (inheritedOnly.list())
        flags |= EXTENDED_STARTUPINFO_PRESENT;
    PROCESS_INFORMATION process{};
    const BOOL started = ::CreateProcessAsUserW(token.get(), path.c_str(), command.data(), nullptr, nullptr, TRUE,
                                                flags, environment, nullptr, &startup.StartupInfo, &process);
    const DWORD startError = ::GetLastError();
    if (environment)
        destroyEnvironment(environment);
    if (!started) {
        outcome.error = startError;
        return outcome;
    }
    // This process's copies of the part's ends go, so each pipe ends when the part's end does.
    toPartRead.reset();
    fromPartWrite.reset();
    auto part = std::make_unique<SessionPartProcess>(process, std::move(toPartWrite), std::move(fromPartRead));
    if (!part->Send(recordMessage)) {
        outcome.error = ERROR_BROKEN_PIPE;
        return outcome;
    }
    outcome.channel = std::move(part);
    return outcome;
}

using WtsLogoffSessionFn = BOOL(WINAPI*)(HANDLE, DWORD, BOOL);

std::uint32_t SystemExecutorPlatform::LogOffSession(std::uint32_t session) {
    UniqueModule wts(LoadSystemLibrary(L"wtsapi32.dll"));
    const auto logOff = Entry<WtsLogoffSessionFn>(wts.get(), "WTSLogoffSession");
    if (!logOff)
        return ERROR_CALL_NOT_IMPLEMENTED;
    // The local server's handle is null (WTS_CURRENT_SERVER_HANDLE); the call returns at once.
    return logOff(nullptr, session, FALSE) ? 0 : ::GetLastError();
}

int RunSessionPartMode() {
    const HANDLE input = ::GetStdHandle(STD_INPUT_HANDLE);
    const HANDLE output = ::GetStdHandle(STD_OUTPUT_HANDLE);
    // Started by hand, there is no pipe to read a record from.
    if (!input || input == INVALID_HANDLE_VALUE || ::GetFileType(input) != FILE_TYPE_PIPE)
        return kExitNormal;
    TaskPipes task(input, output);
    SystemExecutorPlatform platform;
    Executor executor(platform);
    return executor.RunSessionPart(task);
}

// The stream is in text mode, which makes every line feed CR LF itself.
void SystemExecutorPlatform::PrintText(const std::u16string& text) {
    std::u16string lines;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!(text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n'))
            lines += text[i];
    }
    std::printf("%s", Utf16ToUtf8(lines).c_str());
    std::fflush(stdout);
}

// The system account, an elevated token, or a member of the administrators whose membership counts
// (before Windows Vista every administrator's does). A token that cannot be read counts as
// privileged: the careful way is the safe one.
bool SystemExecutorPlatform::RunsPrivileged() {
    UniqueHandle token;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.put()))
        return true;
    alignas(TOKEN_USER) unsigned char buffer[256];
    DWORD size = 0;
    if (!::GetTokenInformation(token.get(), TokenUser, buffer, sizeof buffer, &size))
        return true;
    if (::IsWellKnownSid(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, WinLocalSystemSid))
        return true;
    TOKEN_ELEVATION elevation{};
    if (::GetTokenInformation(token.get(), TokenElevation, &elevation, sizeof elevation, &size) &&
        elevation.TokenIsElevated)
        return true;
    BYTE administrators[SECURITY_MAX_SID_SIZE];
    DWORD sidSize = sizeof administrators;
    BOOL member = FALSE;
    if (!::CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &sidSize) ||
        !::CheckTokenMembership(nullptr, administrators, &member))
        return true;
    return member != FALSE;
}

std::unique_ptr<PathExaminer> SystemExecutorPlatform::ExaminePaths() {
    return std::make_unique<SystemPathExaminer>();
}

void SystemExecutorPlatform::PrintUsage() {
    for (const std::u16string& piece : UsagePieces()) {
        std::printf("%s", Utf16ToUtf8(piece).c_str());
        std::fflush(stdout);
    }
}

}  // namespace velmora
