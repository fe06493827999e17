// Task and INI mode, the run of one task, and where its log is kept.
#include "executor/Executor.h"

#include <new>
#include <system_error>
#include <thread>

#include "model/CodePage.h"
#include "model/File.h"
#include "model/Text.h"
#include "model/TextFile.h"

namespace velmora {
namespace {

bool Contains(std::u16string_view text, std::u16string_view part) {
    return text.find(part) != std::u16string_view::npos;
}

// The log file stays in the ANSI code page while its text fits; a character that the code page
// cannot show (a computer name, a message, an older log in UTF-16) makes it UTF-16 with a mark,
// so that no run damages what an earlier one wrote.
int LogEncoding(std::u16string_view text) {
    bool lost = false;
    WideToCodePage(text, kSystemCodePage, '?', &lost);
    return lost ? kEncodingUtf16LittleEndian : kEncodingCodePage;
}

}  // namespace

std::u16string AppendRunLog(std::u16string_view oldLog, std::u16string_view runLog) {
    if (oldLog.size() + runLog.size() + kLogReserve > kHistoryLimit) {
        const long long keep =
            static_cast<long long>(kHistoryLimit - kLogReserve) - static_cast<long long>(runLog.size());
        oldLog = keep > 0 ? oldLog.substr(oldLog.size() - std::min<std::size_t>(oldLog.size(), keep)) : u"";
    }
    std::u16string text;
    text.reserve(oldLog.size() + std::size(kRunSeparator) + runLog.size());
    text.append(oldLog).append(kRunSeparator).append(runLog);
    return text;
}

int Executor::Start(const std::optional<std::u16string>& argument) {
    switch (ChooseMode(argument)) {
        case ExecutorMode::kIni:
            return RunIniMode(*argument);
        case ExecutorMode::kTask:
            return RunTaskMode(*argument);
        default:
            platform_.PrintUsage();
            return kExitNormal;
    }
}

int Executor::RunTaskMode(const std::u16string& argument) {
    if (!task_.Load(platform_.TaskFolder(), TaskNameOf(argument), true))
        return kExitNormal;  // nothing is run and nothing is logged
    // The log names the work item's account; whether this process is the system's, and so cannot
    // show a window on the user's desktop itself, its own token says.
    const AccountRead account = platform_.WorkItemAccount(argument);
    const std::u16string accountLine = account.error != 0
                                           ? u"account=? could not be read: " + FormatResult(account.error)
                                           : u"account=" + account.name;
    if (NeedsService(argument)) {
        if (HandedOver(argument, accountLine))
            return kExitNormal;
    } else {
        AddLogLine(accountLine);
    }
    RunTask(argument);
    return countdownEndedByTimer_ ? kExitCountdownEnded : kExitNormal;
}

// A work item of the system account runs where nobody sees its windows. Where interactive services
// reach the console, the service shows the countdown; elsewhere the countdown goes to the user at
// the console, or runs out unseen when there is none.
bool Executor::HandedOver(const std::u16string& argument, const std::u16string& accountLine) {
    dialogPlace_ = ChooseDialogPlace(platform_.Sessions());
    if (dialogPlace_.place == DialogPlace::kService) {
        // When the service could not take the task, the task's log says why it did not run.
        if (const HandOverOutcome outcome = platform_.RunThroughService(argument); outcome.error != 0) {
            AddLogLine(accountLine);
            if (!outcome.foreignLockOwner.empty())
                AddLogLine(u"service lock made by " + outcome.foreignLockOwner +
                           u", not by the system or the administrators: not waited for");
            AddLogLine(u"result=" + FormatResult(outcome.error));
            StoreLog(argument);
        }
        return true;
    }
    AddLogLine(accountLine);
    if (dialogPlace_.place == DialogPlace::kUserSession)
        AddLogLine(u"session=" + DecimalText(dialogPlace_.session));
    else if (dialogPlace_.place == DialogPlace::kUnseen)
        AddLogLine(u"session=none: no user is logged on");
    return false;
}

int Executor::RunIniMode(const std::u16string& argument) {
    if (!File::OpenRead(argument, ShareMode::kReadWriteDelete).IsOpen()) {
        platform_.PrintUsage();
        return kExitNormal;
    }
    iniMode_ = true;
    // A file that went away or cannot be read now must not run as the empty task (a shutdown).
    if (!task_.ImportIni(argument, kComputerLimit)) {
        platform_.PrintUsage();
        return kExitNormal;
    }
    RunTask(argument);
    return countdownEndedByTimer_ ? kExitCountdownEnded : kExitNormal;
}

// A local task run in a process of the system account cannot show its countdown on the user's
// desktop by itself. Remote tasks show no dialog and never need the service. The process's token
// decides, not a name: a user may be called anything ("LAB\SYSTEMS"), and a task of the system
// account started by a user (a shortcut) runs as that user, on the user's desktop.
bool Executor::NeedsService(const std::u16string& argument) {
    return Contains(argument, kLocalPrefix) && task_.noshow == 0 && IsSystemAccountSid(platform_.ProcessAccountSid());
}

bool IsSystemAccountSid(std::u16string_view sid) {
    return sid == u"S-1-5-18";
}

bool Executor::RunServiceTask(const std::u16string& argument) {
    if (!task_.Load(platform_.TaskFolder(), TaskNameOf(argument), true))
        return false;
    AddLogLine(u"account=system");
    return RunTask(argument);
}

namespace {

// Whether a wrapping millisecond count has reached a moment.
bool Reached(std::uint32_t now, std::uint32_t moment) {
    return static_cast<std::int32_t>(now - moment) >= 0;
}

}  // namespace

// The process that runs the task keeps the clock and the log: this part tells it only what the user
// answered, and acts only on its word, on the actions that must be done in the user's session.
int Executor::RunSessionPart(SessionChannel& task) {
    const std::optional<std::u16string> record = ReadSessionRecord(task);
    if (!record || !task_.Parse(*record, true))
        return kExitNormal;
    if (ShowsCountdown(task_.action, task_.noshow)) {
        CountdownLogic countdown(task_.action, task_.delay, task_.message, task_.cancel, [](const std::u16string&) {});
        const CountdownOutcome outcome = platform_.RunCountdown(countdown);
        if (outcome.error != 0)
            return kExitNormal;
        countdownEndedByTimer_ = outcome.endedByTimer;
        // The time running out is the task's process's own business: its clock ends the countdown.
        if (!outcome.endedByTimer)
            task.Send(outcome.result == kDialogOk ? kSessionAnswerOk : kSessionAnswerCancel);
    }
    if (ReadSessionBytes(task, kSessionMessageBytes) == kSessionAct && ActsInUserSession(task_.action)) {
        const std::unique_ptr<ActionEngine> actions = platform_.CreateActions();
        platform_.ClearLastError();
        PerformLocal(*actions);
        task.Send(SessionDoneMessage(platform_.LastError()));
    }
    return countdownEndedByTimer_ ? kExitCountdownEnded : kExitNormal;
}

bool Executor::RunTask(const std::u16string& argument) {
    const std::unique_ptr<ActionEngine> actions = platform_.CreateActions();
    AddLogLine(u"Start action=" + ActionName(task_.action));
    if (task_.computers.empty()) {
        // A remote task without computers does nothing, and its run is not stored.
        if (Contains(argument, kRemotePrefix))
            return false;
        AddLogLine(u"result=" + FormatResult(RunLocal(*actions)));
    } else if (task_.action == kActionWakeOnLan) {
        for (const ComputerEntry& entry : task_.computers) {
            const std::uint32_t code =
                actions->WakeOnLan(entry[kTextMac], entry[kTextWolPassword], entry[kTextBroadcast], entry[kTextPort]);
            AddLogLine(entry[kTextName] + u" result=" + FormatResult(code));
        }
    } else {
        RunComputers();
    }
    StoreLog(argument);
    return true;
}

std::uint32_t Executor::RunLocal(ActionEngine& actions) {
    CountdownLogic countdown(task_.action, task_.delay, task_.message, task_.cancel,
                             [this](const std::u16string& line) { AddLogLine(line); });
    // In the console user's session a process of that user shows the countdown; this one keeps the
    // clock and acts. Only that process can act on the user's session itself.
    std::unique_ptr<SessionChannel> session;
    if (dialogPlace_.place == DialogPlace::kUserSession &&
        (ShowsCountdown(task_.action, task_.noshow) || ActsInUserSession(task_.action))) {
        CTaskParams part = task_;
        part.history.clear();
        part.logFile.clear();
        std::u16string record = part.Serialize();
        EncodeRecordText(record);
        SessionStart started = platform_.StartSessionPart(dialogPlace_.session, record);
        if (!started.channel)
            return started.error != 0 ? started.error : kErrorInternal;
        session = std::move(started.channel);
    }
    struct SessionEnd {
        std::unique_ptr<SessionChannel>& session;
        ~SessionEnd() {
            if (session)
                session->End();
        }
    } sessionEnd{session};

    std::uint32_t dialogError = 0;
    const auto showCountdown = [&] {
        const CountdownOutcome outcome = session ? CountInSession(countdown, *session)
                                         : dialogPlace_.place == DialogPlace::kUnseen
                                             ? CountUnseen(countdown)
                                             : platform_.RunCountdown(countdown);
        countdownEndedByTimer_ = outcome.endedByTimer;
        dialogError = outcome.error;
        return outcome.result == kDialogOk;
    };
    bool act = false;
    if (task_.action >= kActionShutdown && task_.action <= kActionLogOff)
        act = task_.noshow != 0 || showCountdown();
    else if (task_.action == kActionPopup && task_.noshow == 0)
        showCountdown();
    else
        act = task_.action == kActionMonitorOff || task_.action == kActionMonitorOn;
    // A countdown that could not be shown is the run's result: nothing was done.
    if (dialogError != 0)
        return dialogError;
    // The result line reports the thread's last error. Without this, a run whose action succeeded,
    // was cancelled or does nothing would report whatever error earlier calls left behind.
    platform_.ClearLastError();
    if (act && session && ActsInUserSession(task_.action)) {
        const SessionActReport report = ActInSession(*session);
        // A log off must not wait on the user's goodwill: where the user's process did not report
        // one, the system logs the session off itself.
        if (!report.reported && task_.action == kActionLogOff)
            return platform_.LogOffSession(dialogPlace_.session);
        return report.code;
    }
    if (act)
        PerformLocal(actions);
    return platform_.LastError();
}

// The task's clock runs here, a tick each second from its start, however often the other process
// wakes this one; that process only answers.
CountdownOutcome Executor::CountInSession(CountdownLogic& countdown, SessionChannel& part) {
    SessionCountdownLogic logic(countdown);
    const CountdownView view = logic.Start();
    std::uint32_t nextTick = platform_.TickMs() + kCountdownTimerMs;
    while (logic.verdict() == SessionVerdict::kWaiting) {
        std::optional<unsigned> timeout;
        if (view.timerRunning) {
            const std::uint32_t now = platform_.TickMs();
            timeout = Reached(now, nextTick) ? 0 : nextTick - now;
        }
        const SessionEvent event = part.Wait(timeout, logic.BytesWanted());
        switch (event.kind) {
            case SessionEventKind::kTime:
                if (view.timerRunning && Reached(platform_.TickMs(), nextTick)) {
                    logic.OnTick();
                    nextTick += kCountdownTimerMs;
                }
                break;
            case SessionEventKind::kBytes:
                logic.OnBytes(event.bytes);
                break;
            case SessionEventKind::kEnded:
                logic.OnEnded();
                break;
        }
    }
    return {logic.verdict() == SessionVerdict::kAct ? kDialogOk : kDialogCancel, false, 0};
}

// The other process does the action and reports its result code. An answer it sent while this
// process's clock ran out first comes before the report and is passed over, once. What keeps a
// report from coming (the process ended, sent something else, or took too long) is the second part.
SessionActReport Executor::ActInSession(SessionChannel& part) {
    if (!part.Send(kSessionAct))
        return {false, kErrorBrokenPipe};
    const std::uint32_t start = platform_.TickMs();
    for (int message = 0; message < 2; ++message) {
        std::string report;
        while (report.size() < kSessionMessageBytes) {
            const std::uint32_t waited = platform_.TickMs() - start;
            if (waited >= kSessionActionWaitMs)
                return {false, kErrorWaitTimeout};
            const SessionEvent event = part.Wait(kSessionActionWaitMs - waited, kSessionMessageBytes - report.size());
            if (event.kind == SessionEventKind::kEnded)
                return {false, kErrorBrokenPipe};
            if (event.bytes.size() > kSessionMessageBytes - report.size())
                return {false, kErrorInvalidData};
            report += event.bytes;
        }
        if (const std::optional<std::uint32_t> code = ReadSessionDone(report))
            return {true, *code};
        if (report != kSessionAnswerOk && report != kSessionAnswerCancel)
            return {false, kErrorInvalidData};
    }
    return {false, kErrorInvalidData};
}

// Nobody is logged on to see the countdown: it runs out all the same and the action follows. A
// countdown without a time would wait for a user who is not there, so the action follows at once. A
// popup has nobody to show its message to; the run's log says so.
CountdownOutcome Executor::CountUnseen(CountdownLogic& logic) {
    const CountdownView view = logic.Start();
    if (logic.action() == kActionPopup)
        return {kDialogCancel, false, 0};
    if (view.timerRunning) {
        do
            platform_.Sleep(kCountdownTimerMs);
        while (!logic.OnTimer().finished);
    }
    return {kDialogOk, false, 0};
}

bool Executor::PerformLocal(ActionEngine& actions) {
    const bool force = task_.force != 0;
    switch (task_.action) {
        case kActionShutdown:
            return actions.Shutdown(force);
        case kActionHibernate:
            return actions.Hibernate(force);
        case kActionStandby:
            return actions.Standby(force);
        case kActionRestart:
            return actions.Restart(force);
        case kActionPowerOff:
            return actions.PowerOff(force);
        case kActionLock:
            return actions.Lock();
        case kActionLogOff:
            return actions.LogOff(force);
        case kActionMonitorOff:
            return actions.MonitorPower(false);
        case kActionMonitorOn:
            return actions.MonitorPower(true);
        default:
            return false;
    }
}

// One worker thread at a time, in list order; the calling thread waits for each. A worker that
// fails by an exception still gives its computer a line; when no thread can be started, the
// calling thread does the work itself.
void Executor::RunComputers() {
    for (std::size_t index = 0; index < task_.computers.size(); ++index) {
        const auto work = [this, index] {
            std::uint32_t failure = kErrorInternal;
            try {
                RemoteWorker(index);
                return;
            } catch (const std::bad_alloc&) {
                failure = kErrorNotEnoughMemory;
            } catch (...) {
            }
            try {
                AddLogLine(task_.computers[index][kTextName] + u" result=" + platform_.MessageText(failure));
            } catch (...) {
            }
        };
        try {
            std::thread worker(work);
            worker.join();
        } catch (const std::system_error&) {
            work();
        }
    }
}

std::uint32_t Executor::RemoteWorker(std::size_t index) {
    platform_.Sleep(20);
    const ComputerEntry& entry = task_.computers[index];
    std::uint32_t code = 0;
    if (task_.action == kActionShutdown || task_.action == kActionRestart) {
        code = platform_.CreateActions()->RemoteShutdown({.computer = entry[kTextName],
                                                          .user = entry[kTextUser],
                                                          .password = entry[kTextPassword],
                                                          .noDialog = task_.noshow != 0,
                                                          .message = task_.message,
                                                          .delay = task_.delay,
                                                          .force = task_.force != 0,
                                                          .reboot = task_.action == kActionRestart});
    }
    AddLogLine(entry[kTextName] + u" result=" + platform_.MessageText(code));
    return code;
}

void Executor::AddLogLine(const std::u16string& text) {
    const std::u16string line = platform_.TimeText() + u" " + text + u"\r\n";
    runLog_ += line;
}

std::u16string Executor::FormatResult(std::uint32_t code) {
    if (code == kErrorIoPending)
        code = 0;
    return DecimalText(static_cast<std::int32_t>(code)) + u": " + platform_.MessageText(code);
}

// A run with high rights writes nothing in place: a write in place follows whatever link its name
// leads to.
bool Executor::StoreLog(const std::u16string& argument) {
    const bool privileged = platform_.RunsPrivileged();
    if (iniMode_)
        return !task_.logFile.empty() && StoreInLogFile(privileged);
    return StoreInTaskFile(argument, privileged);
}

// The log file is written anew beside the old one and then replaces it, so a crash or a full disk
// never loses the older log. A log file that exists but cannot be read is left as it is. A run with
// high rights writes only where no one else could have led it; a refused path keeps nothing but a
// line on the console, if there is one.
bool Executor::StoreInLogFile(bool privileged) {
    std::u16string path = task_.logFile;
    ReplaceSteps steps;
    std::unique_ptr<PathExaminer> heldFolders;  // until the log has been written
    if (privileged) {
        steps.inPlace = false;
        heldFolders = platform_.ExaminePaths();
        const LogPathCheck check = CheckPrivilegedLogPath(path, *heldFolders);
        if (!check.refusal.empty()) {
            AddLogLine(u"log file=" + task_.logFile + u" refused: " + check.refusal);
            platform_.PrintText(runLog_);
            return false;
        }
        path = check.path;
    }
    std::u16string oldLog;
    if (FileExists(path)) {
        CTextFileRead reader(path);
        if (!reader.ReadAll(oldLog, u"\r\n"))
            return false;
    }
    const std::u16string text = AppendRunLog(oldLog, runLog_);
    const int encoding = LogEncoding(text);
    return WriteFileReplacing(
        path,
        [&text, encoding](File& file) {
            CTextFileWrite writer(file, encoding);
            writer.Write(std::u16string_view(text));
            return writer.Close();
        },
        steps);
}

// The task file is read again just before the log is stored: a countdown can last hours, and an
// edit made in the manager meanwhile must not be undone. A task deleted meanwhile stays deleted.
bool Executor::StoreInTaskFile(const std::u16string& argument, bool privileged) {
    const std::u16string folder = platform_.TaskFolder();
    const std::u16string name = TaskNameOf(argument);
    CTaskParams current;
    if (!current.Load(folder, name, true)) {
        if (!FileExists(TaskFilePath(folder, name)))
            return false;
        current = task_;  // unreadable now: keep the record as it was loaded for this run
    }
    current.history = AppendRunLog(current.history, runLog_);
    ReplaceSteps steps;
    steps.inPlace = !privileged;
    return current.Save(folder, name, steps);
}

}  // namespace velmora
