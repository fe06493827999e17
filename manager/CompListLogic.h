// The computer list page's decisions: the computer entries that the page and its worker share, the
// rows in display order, sorting with its repeat counter, row dragging, Delete and Edit, and the
// batch engine (work list, next index, batch kind, busy count, what a timer tick does, the end of a
// batch). The window only feeds it ticks, clicks and rows.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "actions/ComputerCheck.h"
#include "actions/RemoteShutdown.h"
#include "model/ResultCodes.h"
#include "model/TaskParams.h"

namespace velmora {

// One computer of the list. The page and at most one worker hold it; each text is read and replaced
// under the entry's lock, so a refresh, an edit and a worker never touch the same text at once.
class SharedComputer {
public:
    SharedComputer() = default;
    explicit SharedComputer(ComputerEntry texts) : texts_(std::move(texts)) {}

    std::u16string Text(ComputerText index) const;
    void SetText(ComputerText index, std::u16string text);
    ComputerEntry Texts() const;
    // Several texts changed together.
    void Update(const std::function<void(ComputerEntry&)>& change);
    // The row's info tip beside the texts, which the task never stores: what a Check found.
    std::u16string Tip() const;
    void SetState(std::u16string state, std::u16string tip);

private:
    mutable std::mutex lock_;
    ComputerEntry texts_;
    std::u16string tip_;
};
using ComputerRef = std::shared_ptr<SharedComputer>;

// Computer names compared ignoring case in any script the wider fold knows (model/Text.h), as the
// list finds its duplicates.
class NameSet {
public:
    bool Contains(std::u16string_view name) const;
    // False when the name was there already.
    bool Insert(std::u16string_view name);

private:
    std::unordered_set<std::u16string> folded_;
};

enum class BatchKind : int { kNone = 0, kRun = 1, kGetMac = 2, kScan = 3, kPing = 4, kCheck = 5 };

// The page's timers: one start timer per batch kind and the refresh timer.
enum CompListTimer : int {
    kTimerRun = 107,
    kTimerRefresh = 108,
    kTimerGetMac = 109,
    kTimerScan = 111,
    kTimerPing = 113,
    kTimerCheck = 115,
};
constexpr unsigned kStartTimerMs = 1;
constexpr unsigned kRefreshTimerMs = 500;
constexpr unsigned kWorkerPauseMs = 20;
constexpr int kProbeAttempts = 2;
// Fast checks: the most workers a Scan, Ping, Get Mac or Check batch runs at once. Run (and the
// wake-up packets, which never form a batch) stays one at a time: it changes machines.
constexpr int kFastCheckWorkers = 32;
int StartTimerOf(BatchKind kind);
BatchKind KindOfStartTimer(int timer);

inline constexpr char16_t kStateRunning[] = u"running...";
inline constexpr char16_t kStateOk[] = u"ok";
inline constexpr char16_t kStateNotReply[] = u"not reply";
inline constexpr char16_t kHibernateCommand[] = u"rundll32.exe powrprof.dll,SetSuspendState";

// What a worker needs of the task being edited, read on the page's thread when the worker starts.
struct TaskValues {
    int action = kActionShutdown;
    bool force = false;
    bool noshow = false;
    std::u16string delay;
    std::u16string message;
};

// The remote operations of the batches, each on a fresh object of the action engine. Workers call
// them one at a time; the page's own thread calls WakeOnLan. An implementation keeps no state
// between calls and must outlive every worker that holds it.
class ComputerOperations {
public:
    struct Probe {
        bool answered = false;
        std::u16string hostName;  // from the reverse lookup; empty when none
        std::u16string mac;
    };

    virtual ~ComputerOperations() = default;
    virtual std::uint32_t RemoteShutdown(const RemoteShutdownRequest& request) = 0;
    virtual HResult WmiCreateProcess(const std::u16string& computer, const std::u16string& user,
                                     const std::u16string& password, const std::u16string& commandLine) = 0;
    virtual HResult WmiShutdown(const std::u16string& computer, const std::u16string& user,
                                const std::u16string& password, std::int32_t flags) = 0;
    virtual bool Ping(const std::u16string& host, int attempts) = 0;
    virtual Probe ProbeHost(const std::u16string& address, int attempts) = 0;
    virtual std::u16string GetMacByName(const std::u16string& name) = 0;
    virtual std::uint32_t WakeOnLan(const std::u16string& mac, const std::u16string& password,
                                    const std::u16string& broadcast, const std::u16string& port) = 0;
    // The system's one-line text for a result code; empty when it has none.
    virtual std::u16string MessageText(std::uint32_t code) = 0;
    virtual void Sleep(unsigned milliseconds) = 0;
    // A Check of one computer, over the seams of the remote shutdown; nothing on it changes.
    virtual CheckResult Check(const std::u16string& computer, const std::u16string& user,
                              const std::u16string& password) = 0;
    virtual CheckResult CheckWakeUp(const std::u16string& mac, const std::u16string& broadcast,
                                    const std::u16string& port) = 0;
    // The program's own text under a string-table number.
    virtual std::u16string StringText(int id) = 0;
};

// A choice the user makes once and keeps (fast checks): read when the page opens, written when
// the user changes it.
class StoredChoice {
public:
    virtual ~StoredChoice() = default;
    virtual bool Read() = 0;
    virtual void Write(bool on) = 0;
};

// Starts a job on a thread of its own that nobody waits for: a page that goes away never waits for
// a remote call. The job owns everything it touches.
class WorkerLauncher {
public:
    virtual ~WorkerLauncher() = default;
    // 0 when the job's thread started; else the system's code for why it did not (the job is dropped).
    virtual std::uint32_t Launch(std::function<void()> job) = 0;
};

// The page window's timers that drive a batch: its start timers and the refresh timer.
class BatchTimers {
public:
    virtual ~BatchTimers() = default;
    // 0 when the timer runs; else the system's code for why it could not be made.
    virtual std::uint32_t Set(int timer, unsigned milliseconds) = 0;
    virtual void Kill(int timer) = 0;
};

// The state text of a result code: the system's text, or the number when the system has none.
std::u16string ResultStateText(ComputerOperations& operations, std::uint32_t code);
// One worker's job on its entry.
void RunWorker(BatchKind kind, ComputerOperations& operations, SharedComputer& entry, const TaskValues& task);

// A row of the list: its entry and the two texts it shows, which are written only at a fill, a
// refresh tick and the end of a batch (the page's thread alone touches them).
struct CompRow {
    ComputerRef entry;
    std::array<std::u16string, 2> cells;
};

struct TickResult {
    // The rows whose texts changed (from the first to the last changed one).
    int firstRow = 0;
    int rowCount = 0;
    // The batch ended: every batch timer is to be killed; every row was rewritten or refilled.
    bool ended = false;
    bool refilled = false;
};

// kFailed: the batch's timers could not be made; it ended at once and its rows say why.
enum class StartResult { kIgnored, kStarted, kAppended, kWokenUp, kFailed };

struct DeleteResult {
    bool done = false;
    int select = -1;  // the row to select, -1 none
    int show = -1;    // the row to scroll into view, -1 none
};

enum class EditKind { kNone, kComputer, kWakeOne, kWakeSeveral };
EditKind PlanEdit(int selectedCount, bool wakeup);

struct ContextMenuPlan {
    int runStringId = 0;       // 0: the Run item is removed
    bool getMac = false;       // "Get Mac" goes in ahead of Ping
    bool accelerator = false;  // the Run text gets a leading "&"
};
ContextMenuPlan PlanContextMenu(int action, bool byKey);

// "%d/%d": selected rows, computers in the list.
std::u16string CounterText(int selected, int total);

class CompListLogic {
public:
    // Without timers the caller ticks the batches itself.
    CompListLogic(std::shared_ptr<ComputerOperations> operations, std::shared_ptr<WorkerLauncher> launcher,
                  std::shared_ptr<BatchTimers> timers = nullptr, std::shared_ptr<StoredChoice> fastChecks = nullptr);
    ~CompListLogic();
    CompListLogic(const CompListLogic&) = delete;
    CompListLogic& operator=(const CompListLogic&) = delete;

    // The page list, in stored order.
    void SetComputers(const std::vector<ComputerEntry>& computers);
    std::vector<ComputerEntry> Computers() const;
    int ComputerCount() const { return static_cast<int>(pageList_.size()); }
    const std::vector<ComputerRef>& pageList() const { return pageList_; }

    // The rows, in display order.
    void Fill(bool wakeup);
    int RowCount() const { return static_cast<int>(rows_.size()); }
    const CompRow& Row(int index) const { return rows_[static_cast<std::size_t>(index)]; }
    // A new computer at the end of the list and of the rows; its row.
    int Append(ComputerEntry texts, bool wakeup);
    // The rows' computer texts, for finding duplicates.
    NameSet ListedNames() const;

    // A click on the header of column 0 or 1. True when the rows were sorted, false when they were
    // put back in stored order.
    bool ClickColumn(int column, bool wakeup);
    int sortKey() const { return sortKey_; }

    // One step of a row drag from row `current` to row `target`: the selected rows (ascending)
    // move by the difference; a row that would leave the list stops the move from that row on.
    // Returns the selected rows afterwards.
    std::vector<int> DragStep(int current, int target, std::vector<int> selected);
    // The page list takes the order the rows show.
    void StoreDisplayedOrder();

    // Refused while a batch runs.
    DeleteResult Delete(const std::vector<int>& selected);

    ComputerEntry EditSource(int row) const { return Row(row).entry->Texts(); }
    // The computers of some rows, held while a dialog is open: a Scan that ends meanwhile may
    // refill the rows.
    std::vector<ComputerRef> EntriesOf(const std::vector<int>& rows) const;
    // The dialog's texts copied back into the edited computers, and their rows' texts.
    void ApplyEdit(EditKind kind, const std::vector<ComputerRef>& edited, const ComputerEntry& texts);

    // Run, Ping, Get Mac or Check over the selected rows (Check: all rows when none is selected). A
    // batch of another kind makes it do nothing; the same kind appends to the running batch. Run of
    // a wakeup task sends the packets at once.
    StartResult Start(BatchKind kind, const std::vector<int>& selected, int action);
    // The IP range's first half: refused while a batch runs, because its worker holds an item of
    // the work list; else the work list is emptied.
    bool BeginRange();
    // The range's addresses become entries of the work list; those not listed yet (ignoring case)
    // join the list, and the rows are refilled. With Auto scan a Scan of the whole work list
    // starts: true then.
    bool TakeRange(const std::vector<std::u16string>& addresses, bool autoScan, bool wakeup);
    // A timer tick; `topRow` and `rowsPerPage` say which rows are visible. A batch starts its
    // timers when it starts and kills them when it ends; a worker whose thread cannot start leaves
    // the system's text for why in its computer's state, and the batch goes on.
    TickResult Tick(int timer, const TaskValues& task, int topRow, int rowsPerPage);

    // Fast checks: Scan, Ping, Get Mac and Check batches started from now on run up to 32 workers at once.
    // The choice is remembered; a running batch keeps the way it started.
    bool fastChecks() const { return fast_; }
    void SetFastChecks(bool on);
    // How many workers the running batch may have at once: 1, or 32 for fast checks.
    int workerLimit() const { return limit_; }

    // A Scan asked to stop: no further address is started; the addresses that were not checked
    // (never started or still being probed) leave the list, the ones that did not reply go as at
    // the end of any Scan, and the batch ends. False when no Scan runs.
    bool StopScan(bool wakeup);
    // The Scan's progress: the addresses checked so far, and all of its addresses.
    std::size_t CheckedCount() const;

    bool batchRunning() const { return kind_ != BatchKind::kNone; }
    BatchKind batchKind() const { return kind_; }
    std::size_t nextIndex() const { return nextIndex_; }
    std::size_t workCount() const { return work_.size(); }
    int busyCount() const { return busy_; }
    bool workerRunning() const { return RunningWorkers() > 0; }
    int RunningWorkers() const;

private:
    // True when a text of the row changed.
    bool WriteRow(CompRow& row, bool name, bool state);
    void SortRows();
    void EmptyWorkList();
    std::uint32_t StartTimers(BatchKind kind);
    void KillTimers();
    void FailBatch(std::uint32_t code);
    void EndBatch(TickResult& result, bool wakeup);
    void LaunchWorker(const TaskValues& task);
    int WorkerLimitFor(BatchKind kind) const;

    std::shared_ptr<ComputerOperations> operations_;
    std::shared_ptr<WorkerLauncher> launcher_;
    std::shared_ptr<BatchTimers> timers_;
    std::shared_ptr<StoredChoice> fastChecks_;
    std::vector<ComputerRef> pageList_;
    std::vector<CompRow> rows_;
    std::vector<ComputerRef> work_;
    std::size_t nextIndex_ = 0;
    BatchKind kind_ = BatchKind::kNone;
    int busy_ = 0;
    // One worker of the running batch: its item of the work list and whether its thread still runs.
    struct Worker {
        std::size_t item = 0;
        std::shared_ptr<std::atomic<bool>> running;
    };
    std::vector<Worker> workers_;
    bool fast_ = false;
    int limit_ = 1;
    int sortKey_ = 0;
    int repeat_ = 0;
    int lastColumn_ = 0;
};

}  // namespace velmora
