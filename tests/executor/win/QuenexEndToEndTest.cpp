// quenex.exe started as the scheduler or a user would start it, with harmless actions only: popup,
// monitor, wake-up and lock (which Wine refuses). The stored logs and task files are checked.
#include <winsock2.h>
#include <windows.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <regex>
#include <thread>

#include "actions/WakeOnLan.h"
#include "executor/Executor.h"
#include "executor/win/SystemExecutorPlatform.h"
#include "executor/win/TemporaryService.h"
#include "model/File.h"
#include "model/TaskParams.h"
#include "model/TextFile.h"
#include "model/Utf.h"
#include "model/win/TaskFolder.h"
#include "platform/win/Unique.h"
#include "platform/win/WideText.h"
#include "scheduler/win/ScheduledTask.h"
#include "tests/support/TestSupport.h"
#include "tests/support/win/Winsock.h"
#include "tests/support/win/WorkItems.h"

namespace velmora {
namespace {

using test::TempDir;

std::u16string U(const std::string& text) {
    return Utf8ToUtf16(text);
}

std::u16string SystemText(DWORD code) {
    wchar_t* buffer = nullptr;
    const DWORD length = ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                              FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_MAX_WIDTH_MASK,
                                          nullptr, code, 0x400, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    const UniqueLocal owner(buffer);
    return FromWide(buffer, length);
}

struct DialogSearch {
    DWORD process;
    HWND found;
};

// The countdown window of one process.
HWND DialogOf(DWORD process) {
    DialogSearch search{process, nullptr};
    ::EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<DialogSearch*>(data);
            DWORD owner = 0;
            ::GetWindowThreadProcessId(window, &owner);
            wchar_t caption[32] = {};
            ::GetWindowTextW(window, caption, 32);
            if (owner == s->process && ::IsWindowVisible(window) && std::wstring(caption) == L"Velmora") {
                s->found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForDialog(DWORD process) {
    for (int i = 0; i < 600; ++i) {
        if (HWND dialog = DialogOf(process))
            return dialog;
        ::Sleep(10);
    }
    return nullptr;
}

struct Started {
    DWORD exitCode = 0xFFFFFFFF;
    DWORD milliseconds = 0;
};

// Starts quenex.exe. With `programFirst` the command line begins with the program's path, as a
// shell puts it; without, it holds the parameters only, as Wine's scheduler passes them.
Started RunQuenex(const std::u16string& parameters, bool programFirst,
                  const std::function<void(DWORD process)>& whileRunning = {}) {
    const std::u16string program = U(QUENEX_PATH);
    std::u16string line = programFirst ? u"\"" + program + u"\" " + parameters : parameters;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    const DWORD start = ::GetTickCount();
    if (!::CreateProcessW(W(program), W(line), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        ADD_FAILURE() << "cannot start quenex.exe: " << ::GetLastError();
        return {};
    }
    if (whileRunning)
        whileRunning(process.dwProcessId);
    Started result;
    if (::WaitForSingleObject(process.hProcess, 60000) != WAIT_OBJECT_0) {
        ADD_FAILURE() << "quenex.exe did not end";
        ::TerminateProcess(process.hProcess, 1);
    }
    result.milliseconds = ::GetTickCount() - start;
    ::GetExitCodeProcess(process.hProcess, &result.exitCode);
    const ProcessHandles ended(process);
    return result;
}

// The lines of a stored run, without their times; every line must start with one.
std::vector<std::u16string> RunLines(const std::u16string& stored) {
    static const std::u16string separator = u"\r\n//------------------------------------------------------------//\r\n";
    const std::size_t at = stored.rfind(separator);
    EXPECT_NE(std::u16string::npos, at) << "no separator";
    std::u16string_view rest =
        std::u16string_view(stored).substr(at == std::u16string::npos ? 0 : at + separator.size());
    std::vector<std::u16string> lines;
    static const std::regex time(R"(\d\d/\d\d/\d\d \d\d:\d\d:\d\d )");
    while (!rest.empty()) {
        const std::size_t end = rest.find(u"\r\n");
        const std::u16string line(rest.substr(0, end));
        const std::string narrow = Utf16ToUtf8(line.substr(0, 18));
        EXPECT_TRUE(std::regex_match(narrow, time)) << narrow;
        lines.push_back(line.substr(std::min<std::size_t>(18, line.size())));
        rest.remove_prefix(end == std::u16string_view::npos ? rest.size() : end + 2);
    }
    return lines;
}

std::u16string WriteIni(const TempDir& dir, const std::string& name, const std::string& settings) {
    test::WriteBytes(dir.Path() / name, "[settings]\r\n" + settings);
    return dir.File(name);
}

// Wine's user is an administrator, so every run here has high rights; and Wine gives every folder
// that user as owner, with full access, whatever permissions it was made with. A run from an INI file
// therefore refuses its log file here: the action runs, and the file is never made.
void ExpectLogRefused(const std::u16string& log) {
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW(W(log))) << "a log written where others may write";
}

const std::u16string kSuccess = u"result=0: " + SystemText(0);
const std::u16string kAccountUnread = u"account=? could not be read: ";

TEST(Quenex, PopupFromAnIniFileClosedWithEnter) {
    TempDir dir;
    const std::u16string log = dir.File("popup.log");
    const auto ini = WriteIni(
        dir, "popup.ini",
        "action=9\r\nnoshow=0\r\ncancel=0\r\nmessage=Lunch\\nis ready\r\nlog file=" + Utf16ToUtf8(log) + "\r\n");
    std::u16string shown;
    const Started run = RunQuenex(u"\"" + ini + u"\"", true, [&](DWORD process) {
        HWND dialog = WaitForDialog(process);
        ASSERT_NE(nullptr, dialog);
        wchar_t text[128] = {};
        ::GetDlgItemTextW(dialog, 1001, text, 128);
        shown = FromWide(text);
        ::PostMessageW(::GetDlgItem(dialog, IDOK), WM_KEYDOWN, VK_RETURN, 0);
    });
    EXPECT_EQ(0u, run.exitCode);
    EXPECT_EQ(u"Lunch\r\nis ready", shown);
    ExpectLogRefused(log);
}

TEST(Quenex, LockThatWineRefusesIsLoggedWithItsError) {
    TempDir dir;
    const std::u16string log = dir.File("lock.log");
    const auto ini = WriteIni(dir, "lock.ini", "action=5\r\nnoshow=1\r\nlog file=" + Utf16ToUtf8(log) + "\r\n");
    EXPECT_EQ(0u, RunQuenex(ini, false).exitCode);
    ExpectLogRefused(log);
}

// Started from a program without a console, the executor's standard output is the pipe it was
// given: a run whose log file was refused writes its log there, the refusal last.
std::string RunQuenexForItsOutput(const std::u16string& parameters) {
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    UniqueHandle read, write;
    if (!::CreatePipe(read.put(), write.put(), &inheritable, 0))
        return "no pipe";
    ::SetHandleInformation(read.get(), HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = write.get();
    startup.hStdError = write.get();
    // cmd.exe without a console stands between, so the executor finds no console to attach to.
    std::wstring line = L"cmd.exe /c \"\"" + ToWide(U(QUENEX_PATH)) + L"\" \"" + ToWide(parameters) + L"\"\"";
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, DETACHED_PROCESS, nullptr, nullptr, &startup,
                          &process))
        return "not started";
    const ProcessHandles started(process);
    write.reset();
    std::string output;
    char buffer[512];
    DWORD got = 0;
    while (::ReadFile(read.get(), buffer, sizeof buffer, &got, nullptr) && got > 0)
        output.append(buffer, got);
    ::WaitForSingleObject(started.process.get(), 60000);
    return output;
}

TEST(Quenex, RefusedLogFileLeavesTheRunLogOnTheConsole) {
    TempDir dir;
    const std::u16string log = dir.File("lock.log");
    const auto ini = WriteIni(dir, "lock.ini", "action=5\r\nnoshow=1\r\nlog file=" + Utf16ToUtf8(log) + "\r\n");
    const std::string output = RunQuenexForItsOutput(ini);
    std::vector<std::u16string> lines =
        RunLines(u"\r\n//------------------------------------------------------------//\r\n" + U(output));
    ASSERT_EQ(3u, lines.size()) << output;
    EXPECT_EQ(u"Start action=lock", lines[0]);
    EXPECT_EQ(u"result=120: " + SystemText(120), lines[1]);
    EXPECT_EQ(0u, lines[2].find(u"log file=" + log + u" refused: ")) << output;
    ExpectLogRefused(log);
}

TEST(Quenex, CountdownRunsOutClosesItselfAndEndsWith300) {
    TempDir dir;
    const std::u16string log = dir.File("count.log");
    const auto ini = WriteIni(
        dir, "count.ini",
        "action=5\r\nnoshow=0\r\ncancel=1\r\ndelay=2\r\nmessage=Locking\r\nlog file=" + Utf16ToUtf8(log) + "\r\n");
    const Started run = RunQuenex(ini, true);
    EXPECT_EQ(300u, run.exitCode);
    EXPECT_GE(run.milliseconds, 1900u);
    ExpectLogRefused(log);
}

TEST(Quenex, EscapeCancelsAndNothingHappens) {
    TempDir dir;
    const std::u16string log = dir.File("cancel.log");
    const auto ini = WriteIni(dir, "cancel.ini",
                              "action=5\r\nnoshow=0\r\ncancel=1\r\ndelay=60\r\nlog file=" + Utf16ToUtf8(log) + "\r\n");
    const Started run = RunQuenex(ini, true, [](DWORD process) {
        HWND dialog = WaitForDialog(process);
        ASSERT_NE(nullptr, dialog);
        ::PostMessageW(::GetDlgItem(dialog, IDOK), WM_KEYDOWN, VK_ESCAPE, 0);
    });
    EXPECT_EQ(0u, run.exitCode);
    ExpectLogRefused(log);
}

class QuenexTaskFile : public ::testing::Test {
protected:
    void SetUp() override {
        name_ = u"quenep-0e2e" + U(std::to_string(::GetCurrentProcessId())) + U(std::to_string(::GetTickCount()));
        ::CreateDirectoryW(W(TaskStoreFolder()), nullptr);
    }
    void TearDown() override {
        CTaskParams::Remove(TaskStoreFolder(), name_);
        CTaskParams::Remove(TaskStoreFolder(), remote());
    }
    std::u16string remote() const { return u"quenep-1" + name_.substr(8); }

    std::u16string name_;
};

TEST_F(QuenexTaskFile, WakeUpTaskRunsWithoutDialogAndKeepsEveryOtherField) {
    CTaskParams task;
    task.action = kActionWakeUp;
    task.comment = u"Morning \u00fc";
    task.noshow = 0;
    task.delay = u"30";
    task.message = u"Good morning";
    task.history = u"older runs";
    ASSERT_TRUE(task.Save(TaskStoreFolder(), name_));
    // Started with the parameters only, as Wine's scheduler starts it.
    const Started run = RunQuenex(name_, false);
    EXPECT_EQ(0u, run.exitCode);
    CTaskParams stored;
    ASSERT_TRUE(stored.Load(TaskStoreFolder(), name_, true));
    EXPECT_EQ(0u, stored.history.find(u"older runs\r\n//---"));
    const std::vector<std::u16string> lines = RunLines(stored.history);
    ASSERT_EQ(3u, lines.size());
    // The task has no work item, so its account cannot be read: the run goes on in this process.
    EXPECT_EQ(0u, lines[0].find(kAccountUnread)) << Utf16ToUtf8(lines[0]);
    EXPECT_EQ((std::vector<std::u16string>{u"Start action=", kSuccess}), std::vector(lines.begin() + 1, lines.end()));
    stored.history = task.history;
    EXPECT_EQ(task.Serialize(), stored.Serialize());
}

TEST_F(QuenexTaskFile, MonitorTaskNamedWithItsJobEnding) {
    CTaskParams task;
    task.action = kActionMonitorOn;
    ASSERT_TRUE(task.Save(TaskStoreFolder(), name_));
    EXPECT_EQ(0u, RunQuenex(name_ + u".job", true).exitCode);
    CTaskParams stored;
    ASSERT_TRUE(stored.Load(TaskStoreFolder(), name_, true));
    const std::vector<std::u16string> lines = RunLines(stored.history);
    ASSERT_EQ(3u, lines.size());
    EXPECT_EQ(0u, lines[0].find(kAccountUnread)) << Utf16ToUtf8(lines[0]);
    EXPECT_EQ(u"Start action=turn on monitor", lines[1]);
    // The command goes to the foreground window; on a display where there is none, the system's
    // own error for that is the result.
    EXPECT_TRUE(lines[2] == kSuccess || lines[2] == u"result=1400: " + SystemText(1400)) << Utf16ToUtf8(lines[2]);
}

TEST_F(QuenexTaskFile, RemoteLockTaskLogsEveryComputerInOrder) {
    CTaskParams task;
    task.action = kActionLock;
    task.computers = {ComputerEntry{u"pc-1"}, ComputerEntry{u"pc-2"}, ComputerEntry{u"pc-3"}};
    ASSERT_TRUE(task.Save(TaskStoreFolder(), remote()));
    EXPECT_EQ(0u, RunQuenex(remote(), false).exitCode);
    CTaskParams stored;
    ASSERT_TRUE(stored.Load(TaskStoreFolder(), remote(), true));
    const std::u16string ok = SystemText(0);
    std::vector<std::u16string> lines = RunLines(stored.history);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(0u, lines[0].find(kAccountUnread)) << Utf16ToUtf8(lines[0]);
    lines.erase(lines.begin());
    EXPECT_EQ((std::vector<std::u16string>{u"Start action=lock", u"pc-1 result=" + ok, u"pc-2 result=" + ok,
                                           u"pc-3 result=" + ok}),
              lines);
}

TEST_F(QuenexTaskFile, MissingTaskAndUnknownArgumentsEndQuietly) {
    EXPECT_EQ(0u, RunQuenex(name_, true).exitCode);
    EXPECT_FALSE(::GetFileAttributesW(W(TaskFilePath(TaskStoreFolder(), name_))) != INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(0u, RunQuenex(u"", true).exitCode);
    EXPECT_EQ(0u, RunQuenex(u"-R", true).exitCode);
    EXPECT_EQ(0u, RunQuenex(u"C:\\nowhere\\missing.ini", true).exitCode);
}

VELMORA_TEST_USES_WINSOCK;

// A UDP listener on loopback; port 0 takes the first free four-digit port (the INI form keeps four).
UniqueSocket Listen(int wanted, int& port) {
    UniqueSocket s(::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP));
    const int first = wanted != 0 ? wanted : 7000 + static_cast<int>(::GetCurrentProcessId() % 2000);
    for (int candidate = first; candidate < first + (wanted != 0 ? 1 : 50); ++candidate) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.sin_port = htons(static_cast<u_short>(candidate));
        if (::bind(s.get(), reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
            port = candidate;
            const DWORD timeout = 3000;
            ::setsockopt(s.get(), SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
            return s;
        }
    }
    return UniqueSocket();
}

std::vector<std::uint8_t> Receive(const UniqueSocket& s) {
    char buffer[512];
    const int size = ::recv(s.get(), buffer, sizeof buffer, 0);
    return size > 0 ? std::vector<std::uint8_t>(buffer, buffer + size) : std::vector<std::uint8_t>();
}

std::vector<std::uint8_t> Packet(std::u16string_view mac, std::u16string_view password) {
    const WakePacket packet = BuildWakePacket(mac, password);
    return std::vector<std::uint8_t>(packet.begin(), packet.end());
}

TEST(Quenex, WakeOnLanTaskSendsEveryEntryByteForByte) {
    int port = 0;
    const UniqueSocket listener = Listen(0, port);
    ASSERT_TRUE(listener) << "no free port on loopback";
    int discardPort = 0;
    const UniqueSocket discard = Listen(9, discardPort);  // port 9 needs rights the machine may not give
    const std::string p = std::to_string(port);
    std::string list =
        "[list]\r\n0=pc-a,,,,001122AABBCC,,127.0.0.1," + p + "\r\n1=pc-b,,,,001122AABBCC,A1B2C3D4E5F6,127.0.0.1," + p +
        "\r\n2=pc-c,,,,001122AABBC,,127.0.0.1," + p + "\r\n3=pc-d,,,,0011ZZAABBCC,,127.0.0.1," + p + "\r\n";
    if (discard)
        list += "4=pc-e,,,,001122AABBCC,,127.0.0.1,9\r\n5=pc-f,,,,001122AABBCC,,127.0.0.1,9.7\r\n";
    TempDir dir;
    const std::u16string log = dir.File("wol.log");
    test::WriteBytes(dir.Path() / "wol.ini",
                     "[settings]\r\naction=10\r\nnoshow=0\r\nlog file=" + Utf16ToUtf8(log) + "\r\n" + list);
    EXPECT_EQ(0u, RunQuenex(dir.File("wol.ini"), true).exitCode);

    EXPECT_EQ(Packet(u"001122AABBCC", u""), Receive(listener));
    EXPECT_EQ(Packet(u"001122AABBCC", u"A1B2C3D4E5F6"), Receive(listener));
    const std::vector<std::uint8_t> shortMac = Receive(listener);
    EXPECT_EQ(Packet(u"001122AABBC", u""), shortMac);
    ASSERT_EQ(108u, shortMac.size());
    EXPECT_EQ(0x0C, shortMac[11]);
    const std::vector<std::uint8_t> brokenPair = Receive(listener);
    ASSERT_EQ(108u, brokenPair.size());
    EXPECT_EQ(0x00, brokenPair[8]);
    if (discard) {
        EXPECT_EQ(Packet(u"001122AABBCC", u""), Receive(discard)) << "port 9";
        EXPECT_EQ(Packet(u"001122AABBCC", u""), Receive(discard)) << "port 9.7 goes to 9";
    } else {
        std::printf("port 9 could not be bound: the entries for ports 9 and 9.7 were left out\n");
    }
    ExpectLogRefused(log);
}

UniqueService OpenTemporaryService(DWORD access) {
    static const UniqueService manager(::OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    return UniqueService(::OpenServiceW(manager.get(), L"Velmora", access));
}

// The service's state now; 0 when there is none.
DWORD ServiceStateNow() {
    SERVICE_STATUS status{};
    const UniqueService service = OpenTemporaryService(SERVICE_QUERY_STATUS);
    return service && ::QueryServiceStatus(service.get(), &status) ? status.dwCurrentState : 0;
}

// A stop request to the service; 0 when it was accepted, else the error.
DWORD RequestStop() {
    SERVICE_STATUS status{};
    const UniqueService service = OpenTemporaryService(SERVICE_STOP);
    return service && ::ControlService(service.get(), SERVICE_CONTROL_STOP, &status) ? 0 : ::GetLastError();
}

// Tasks with real work items in the scheduler.
class QuenexWorkItem : public ::testing::Test {
protected:
    std::u16string NewTask(TaskKind kind, const CTaskParams& record) {
        WorkItemEditor editor;
        EXPECT_HRESULT_SUCCEEDED(editor.BeginNew(kind));
        WorkItemSettings settings;
        settings.kind = kind;
        settings.action = record.action;
        const WorkItemSave saved = editor.FinishNew(settings);
        EXPECT_TRUE(saved.saved && (saved.result == S_OK || IsAccountError(saved.result)));
        EXPECT_TRUE(record.Save(TaskStoreFolder(), editor.name()))
            << "error " << ::GetLastError() << " " << Utf16ToUtf8(editor.name());
        names_.push_back(editor.name());
        return editor.name();
    }
    void TearDown() override {
        CScheduledTask scheduler;
        for (const std::u16string& name : names_) {
            scheduler.DeleteTask(name);
            CTaskParams::Remove(TaskStoreFolder(), name);
        }
    }
    static bool ServiceExists() { return ServiceStateNow() != 0; }
    std::vector<std::u16string> names_;
};

// The countdown window, in whichever process, that shows `message`; nothing when none does now.
HWND FindDialogShowing(const std::u16string& message) {
    struct Search {
        std::u16string message;
        HWND found = nullptr;
    } search{message};
    ::EnumWindows(
        [](HWND window, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            wchar_t text[256] = {};
            ::GetDlgItemTextW(window, 1001, text, 256);
            if (::IsWindowVisible(window) && s->message == FromWide(text)) {
                s->found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND DialogShowing(const std::u16string& message) {
    for (int i = 0; i < 1000; ++i) {
        if (HWND found = FindDialogShowing(message))
            return found;
        ::Sleep(20);
    }
    return nullptr;
}

void PressOk(HWND dialog) {
    ::PostMessageW(::GetDlgItem(dialog, IDOK), WM_KEYDOWN, VK_RETURN, 0);
}

// quenex.exe started with the parameters only, as Wine's scheduler starts it, and not waited for.
class QuenexProcess {
public:
    explicit QuenexProcess(const std::u16string& parameters) {
        std::u16string line = parameters;
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        if (!::CreateProcessW(W(U(QUENEX_PATH)), W(line), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                              &process_))
            ADD_FAILURE() << "cannot start quenex.exe: " << ::GetLastError();
    }
    ~QuenexProcess() {
        if (!process_.hProcess)
            return;
        if (::WaitForSingleObject(process_.hProcess, 0) != WAIT_OBJECT_0)
            ::TerminateProcess(process_.hProcess, 1);
        ::CloseHandle(process_.hThread);
        ::CloseHandle(process_.hProcess);
    }
    bool Running() const { return process_.hProcess && ::WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT; }
    DWORD Id() const { return process_.dwProcessId; }
    // The exit status, or 0xFFFFFFFF when the process has not ended within the time.
    DWORD Wait(DWORD milliseconds) const {
        DWORD code = 0xFFFFFFFF;
        if (process_.hProcess && ::WaitForSingleObject(process_.hProcess, milliseconds) == WAIT_OBJECT_0)
            ::GetExitCodeProcess(process_.hProcess, &code);
        return code;
    }

private:
    PROCESS_INFORMATION process_{};
};

const std::vector<std::u16string> kServicePopupRun = {u"account=system", u"Start action=popup", u"Dialog: result=Ok",
                                                      kSuccess};

// The task-mode part of a run started by the scheduler under the system account. Under Wine every
// process runs as the one user, so this one runs in the test's process, on a thread, with a token
// that reads as the system's; the service it makes starts the real quenex.exe.
class SystemRun {
public:
    explicit SystemRun(const std::u16string& name)
        : thread_([this, name] {
              SystemTokenPlatform platform;
              exitCode_ = static_cast<DWORD>(Executor(platform).Start(name));
              done_ = true;
          }) {}
    ~SystemRun() {
        if (thread_.joinable())
            thread_.join();
    }
    bool Running() const { return !done_; }
    // The exit status, or 0xFFFFFFFF when the run has not ended within the time.
    DWORD Wait(DWORD milliseconds) const {
        for (DWORD waited = 0; !done_ && waited < milliseconds; waited += 20)
            ::Sleep(20);
        return done_ ? exitCode_.load() : 0xFFFFFFFF;
    }

private:
    struct SystemTokenPlatform : SystemExecutorPlatform {
        SystemTokenPlatform() : SystemExecutorPlatform(U(QUENEX_PATH)) {}
        std::u16string ProcessAccountSid() override { return u"S-1-5-18"; }
    };
    std::atomic<bool> done_{false};
    std::atomic<DWORD> exitCode_{0xFFFFFFFF};
    std::thread thread_;
};

std::u16string Stamp() {
    return U(std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(::GetTickCount()));
}

TEST_F(QuenexWorkItem, SystemAccountTaskRunsThroughTheTemporaryService) {
    CTaskParams record;
    record.action = kActionPopup;
    record.message = u"Through the service " + Stamp();
    const std::u16string name = NewTask(TaskKind::kLocal, record);
    CScheduledTask scheduler(true);
    WorkItemInfo info;
    ASSERT_HRESULT_SUCCEEDED(scheduler.LoadInfo(name, info));
    ASSERT_EQ(u"SYSTEM", info.account) << "the work item must read as the system account";

    // The system's run hands the task over and waits until the service's run has ended.
    SystemRun run(name);
    HWND dialog = DialogShowing(record.message);
    ASSERT_NE(nullptr, dialog) << "the service showed no countdown";
    EXPECT_EQ(static_cast<DWORD>(SERVICE_RUNNING), ServiceStateNow());
    // Neither a stop request nor "-service" started by hand may end the run half-way.
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_SERVICE_CONTROL), RequestStop());
    EXPECT_EQ(0u, RunQuenex(u"-service", true).exitCode);
    EXPECT_EQ(static_cast<DWORD>(SERVICE_RUNNING), ServiceStateNow());
    EXPECT_TRUE(::IsWindowVisible(dialog)) << "the countdown was ended";
    EXPECT_TRUE(run.Running()) << "the handing process ended before the service's run";
    PressOk(dialog);
    EXPECT_EQ(0u, run.Wait(30000));
    EXPECT_FALSE(ServiceExists()) << "the service is gone when the run that owned it ends";
    CTaskParams stored;
    ASSERT_TRUE(stored.Load(TaskStoreFolder(), name, true));
    EXPECT_EQ(kServicePopupRun, RunLines(stored.history));
}

// Two tasks of the same minute: each run owns the service in turn, none loses its run.
TEST_F(QuenexWorkItem, TwoSystemAccountTasksStartedTogetherBothRunAndLog) {
    std::vector<std::u16string> names;
    std::vector<std::u16string> messages;
    for (int i = 0; i < 2; ++i) {
        CTaskParams record;
        record.action = kActionPopup;
        record.message = u"Together " + U(std::to_string(i)) + u" " + Stamp();
        messages.push_back(record.message);
        names.push_back(NewTask(TaskKind::kLocal, record));
    }
    SystemRun first(names[0]);
    SystemRun second(names[1]);
    std::vector<bool> closed(2, false);
    int shownTogether = 0;
    const DWORD start = ::GetTickCount();
    while (!(closed[0] && closed[1]) && ::GetTickCount() - start < 60000) {
        for (int i = 0; i < 2; ++i) {
            HWND dialog = closed[i] ? nullptr : FindDialogShowing(messages[i]);
            if (!dialog)
                continue;
            if (FindDialogShowing(messages[1 - i]))
                ++shownTogether;
            PressOk(dialog);
            closed[i] = true;
        }
        ::Sleep(20);
    }
    EXPECT_TRUE(closed[0] && closed[1]) << "a countdown never showed";
    EXPECT_EQ(0, shownTogether) << "two runs had the service at once";
    EXPECT_EQ(0u, first.Wait(30000));
    EXPECT_EQ(0u, second.Wait(30000));
    EXPECT_FALSE(ServiceExists()) << "no service remains";
    for (const std::u16string& name : names) {
        CTaskParams stored;
        ASSERT_TRUE(stored.Load(TaskStoreFolder(), name, true));
        EXPECT_EQ(kServicePopupRun, RunLines(stored.history)) << Utf16ToUtf8(name);
    }
}

// A task of the system account started by a user, from a shortcut, runs in the user's process: the
// token decides, not the work item's account name.
TEST_F(QuenexWorkItem, SystemAccountTaskStartedByAUserRunsInTheUsersOwnProcess) {
    CTaskParams record;
    record.action = kActionPopup;
    record.message = u"By the user " + Stamp();
    const std::u16string name = NewTask(TaskKind::kLocal, record);
    QuenexProcess run(name);
    HWND dialog = DialogShowing(record.message);
    ASSERT_NE(nullptr, dialog) << "the process showed no countdown";
    EXPECT_EQ(dialog, DialogOf(run.Id())) << "another process showed the countdown";
    EXPECT_FALSE(ServiceExists()) << "a user's run made the system's service";
    PressOk(dialog);
    EXPECT_EQ(0u, run.Wait(30000));
    CTaskParams stored;
    ASSERT_TRUE(stored.Load(TaskStoreFolder(), name, true));
    EXPECT_EQ((std::vector<std::u16string>{u"account=SYSTEM", u"Start action=popup", u"Dialog: result=Ok", kSuccess}),
              RunLines(stored.history));
}

// Anyone may make the service's lock first and hold it: the system's run says so in the task's log
// at once and makes no service, where it used to wait 55 minutes for it.
TEST_F(QuenexWorkItem, ALockOfTheServiceMadeBySomeoneElseIsLoggedNotWaitedFor) {
    CTaskParams record;
    record.action = kActionPopup;
    record.message = u"Squatted " + Stamp();
    const std::u16string name = NewTask(TaskKind::kLocal, record);
    const std::u16string self = OwnAccountSid();
    ASSERT_FALSE(self.empty());
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorW(W(u"O:" + self + u"D:(A;;GA;;;WD)"),
                                                                       SDDL_REVISION_1, &descriptor, nullptr));
    const UniqueLocal descriptorOwner(descriptor);
    SECURITY_ATTRIBUTES security{sizeof security, descriptor, FALSE};
    const UniqueHandle squatter(::CreateMutexW(&security, TRUE, kServiceOwnershipName));
    ASSERT_TRUE(squatter);
    ASSERT_NE(static_cast<DWORD>(ERROR_ALREADY_EXISTS), ::GetLastError()) << "a run holds the lock now";

    SystemRun run(name);
    EXPECT_EQ(0u, run.Wait(30000)) << "the run waited for the lock";
    EXPECT_FALSE(ServiceExists());
    EXPECT_EQ(nullptr, FindDialogShowing(record.message));
    CTaskParams stored;
    ASSERT_TRUE(stored.Load(TaskStoreFolder(), name, true));
    EXPECT_EQ((std::vector<std::u16string>{
                  u"account=SYSTEM",
                  u"service lock made by " + self + u", not by the system or the administrators: not waited for",
                  u"result=5: " + SystemText(ERROR_ACCESS_DENIED)}),
              RunLines(stored.history));
}

// Where interactive services reach the console, as under Wine, a task of the system account keeps
// going through the service.
TEST(QuenexSessions, WineShowsInteractiveServicesAtTheConsole) {
    SystemExecutorPlatform platform;
    const SessionFacts facts = platform.Sessions();
    ASSERT_TRUE(facts.console.has_value());
    EXPECT_EQ(*facts.console, facts.services);
    EXPECT_EQ(ConsoleUser::kLoggedOn, facts.consoleUser);
    EXPECT_EQ(DialogPlace::kService, ChooseDialogPlace(facts).place);
}

// The part that Windows Vista and later run in the console user's session: a real quenex.exe started
// with the session's token on the interactive desktop, given the record through its pipe, answering
// with the user's choice only. Under Wine the session's token is the test's own.
TEST(QuenexSessions, SessionPartShowsTheCountdownAndAnswersOnly) {
    CTaskParams task;
    task.action = kActionPopup;
    task.message = u"In the user's session " + Stamp();
    std::u16string record = task.Serialize();
    EncodeRecordText(record);
    SystemExecutorPlatform platform(U(QUENEX_PATH));
    const std::uint32_t session = platform.Sessions().console.value_or(0);
    std::thread user([&] {
        if (HWND dialog = DialogShowing(task.message))
            PressOk(dialog);
        else
            ADD_FAILURE() << "the session part showed no countdown";
    });
    SessionStart started = platform.StartSessionPart(session, record);
    ASSERT_EQ(0u, started.error);
    ASSERT_NE(nullptr, started.channel);
    std::string answer;
    while (answer.size() < kSessionMessageBytes) {
        const SessionEvent event = started.channel->Wait(30000u, kSessionMessageBytes - answer.size());
        ASSERT_EQ(SessionEventKind::kBytes, event.kind);
        answer += event.bytes;
    }
    user.join();
    EXPECT_EQ(kSessionAnswerOk, answer);
    // Then it waits for the task's word, which a popup never gets, and ends with its pipe.
    EXPECT_EQ(SessionEventKind::kTime, started.channel->Wait(200u, kSessionMessageBytes).kind);
    started.channel->End();
    EXPECT_EQ(SessionEventKind::kEnded, started.channel->Wait(200u, kSessionMessageBytes).kind);

    // A record that is none: the part shows nothing, says nothing and ends.
    SessionStart broken = platform.StartSessionPart(session, u"no record");
    ASSERT_NE(nullptr, broken.channel);
    EXPECT_EQ(SessionEventKind::kEnded, broken.channel->Wait(20000u, kSessionMessageBytes).kind);
}

// The process for the user's session gets its two pipe ends and no other handle of the system's
// process: an inheritable event of this process does not reach it. The probe's answer tells; the same
// probe started the plain way, inheriting everything, shows that it would see the event.
TEST(QuenexSessions, SessionPartInheritsOnlyItsPipes) {
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    const UniqueHandle event(::CreateEventW(&inheritable, TRUE, FALSE, nullptr));
    ASSERT_TRUE(event);
    const std::u16string number = U(std::to_string(reinterpret_cast<std::uintptr_t>(event.get())));
    const auto answer = [](SessionChannel& part) {
        std::string bytes;
        while (bytes.size() < kSessionMessageBytes) {
            const SessionEvent got = part.Wait(20000u, kSessionMessageBytes - bytes.size());
            if (got.kind != SessionEventKind::kBytes)
                break;
            bytes += got.bytes;
        }
        return bytes;
    };

    SystemExecutorPlatform platform(U(INHERIT_PROBE_PATH));
    SessionStart started = platform.StartSessionPart(platform.Sessions().console.value_or(0), number);
    ASSERT_NE(nullptr, started.channel) << started.error;
    EXPECT_EQ(kSessionAnswerCancel, answer(*started.channel));
    EXPECT_EQ(WAIT_TIMEOUT, ::WaitForSingleObject(event.get(), 0));

    // The plain way: every inheritable handle goes along.
    SECURITY_ATTRIBUTES pipes{sizeof pipes, nullptr, TRUE};
    UniqueHandle toRead, toWrite, fromRead, fromWrite;
    ASSERT_TRUE(::CreatePipe(toRead.put(), toWrite.put(), &pipes, 4096) &&
                ::CreatePipe(fromRead.put(), fromWrite.put(), &pipes, 0));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = toRead.get();
    startup.hStdOutput = fromWrite.get();
    PROCESS_INFORMATION process{};
    std::wstring command = L"probe";
    ASSERT_TRUE(::CreateProcessW(ToWide(U(INHERIT_PROBE_PATH)).c_str(), command.data(), nullptr, nullptr, TRUE, 0,
                                 nullptr, nullptr, &startup, &process));
    const ProcessHandles plain(process);
    const std::string record = SessionRecordMessage(number);
    DWORD written = 0;
    ASSERT_TRUE(::WriteFile(toWrite.get(), record.data(), static_cast<DWORD>(record.size()), &written, nullptr));
    fromWrite.reset();
    char bytes[8] = {};
    DWORD read = 0;
    EXPECT_TRUE(::ReadFile(fromRead.get(), bytes, 8, &read, nullptr) && read == 8);
    EXPECT_EQ(kSessionAnswerOk, std::string_view(bytes, read));
    EXPECT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(event.get(), 0));
    ::WaitForSingleObject(plain.process.get(), 10000);
}

TEST_F(QuenexWorkItem, RemovalModeTakesOnlyTheExecutorsTasks) {
    CTaskParams record;
    record.action = kActionShutdown;
    const std::u16string local = NewTask(TaskKind::kLocal, record);
    const std::u16string remote = NewTask(TaskKind::kRemote, record);
    // A work item of another program under the executor's prefix, with a file of the same name.
    const std::u16string foreign = u"quenep-0" + local.substr(8, 6) + u"ff";
    test::AddForeignWorkItem(foreign, L"notepad");
    names_.push_back(foreign);
    ASSERT_TRUE(record.Save(TaskStoreFolder(), foreign));

    EXPECT_EQ(0u, RunQuenex(u"-r", true).exitCode);
    const auto exists = [](const std::u16string& leaf) {
        return ::GetFileAttributesW(W(JoinPath(TaskStoreFolder(), leaf))) != INVALID_FILE_ATTRIBUTES;
    };
    for (const std::u16string& name : {local, remote}) {
        EXPECT_FALSE(exists(name + u".job"));
        EXPECT_FALSE(exists(name + u".dat"));
    }
    EXPECT_TRUE(exists(foreign + u".job"));
    EXPECT_TRUE(exists(foreign + u".dat"));
}

}  // namespace
}  // namespace velmora
