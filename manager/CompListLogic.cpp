// The computer list page's decisions and its batch engine.
#include "manager/CompListLogic.h"

#include <algorithm>
#include <numeric>

#include "manager/CheckReport.h"
#include "manager/ids/ActionTextIds.h"
#include "model/Text.h"

namespace velmora {

// --- entries and names --------------------------------------------------------------------------

std::u16string SharedComputer::Text(ComputerText index) const {
    const std::lock_guard<std::mutex> guard(lock_);
    return texts_[index];
}

void SharedComputer::SetText(ComputerText index, std::u16string text) {
    const std::lock_guard<std::mutex> guard(lock_);
    texts_[index] = std::move(text);
}

ComputerEntry SharedComputer::Texts() const {
    const std::lock_guard<std::mutex> guard(lock_);
    return texts_;
}

void SharedComputer::Update(const std::function<void(ComputerEntry&)>& change) {
    const std::lock_guard<std::mutex> guard(lock_);
    change(texts_);
}

std::u16string SharedComputer::Tip() const {
    const std::lock_guard<std::mutex> guard(lock_);
    return tip_;
}

void SharedComputer::SetState(std::u16string state, std::u16string tip) {
    const std::lock_guard<std::mutex> guard(lock_);
    texts_[kTextState] = std::move(state);
    tip_ = std::move(tip);
}

// Folded as the platform compares names without case, beyond A to Z.
bool NameSet::Contains(std::u16string_view name) const {
    return folded_.count(FoldedCase(name)) != 0;
}

bool NameSet::Insert(std::u16string_view name) {
    return folded_.insert(FoldedCase(name)).second;
}

// --- timers, workers and small plans ----------------------------------------------------------

int StartTimerOf(BatchKind kind) {
    switch (kind) {
        case BatchKind::kRun:
            return kTimerRun;
        case BatchKind::kGetMac:
            return kTimerGetMac;
        case BatchKind::kScan:
            return kTimerScan;
        case BatchKind::kPing:
            return kTimerPing;
        case BatchKind::kCheck:
            return kTimerCheck;
        case BatchKind::kNone:
            break;
    }
    return 0;
}

BatchKind KindOfStartTimer(int timer) {
    switch (timer) {
        case kTimerRun:
            return BatchKind::kRun;
        case kTimerGetMac:
            return BatchKind::kGetMac;
        case kTimerScan:
            return BatchKind::kScan;
        case kTimerPing:
            return BatchKind::kPing;
        case kTimerCheck:
            return BatchKind::kCheck;
        default:
            return BatchKind::kNone;
    }
}

std::u16string ResultStateText(ComputerOperations& operations, std::uint32_t code) {
    std::u16string text = operations.MessageText(code);
    if (text.find_first_not_of(u" \t\r\n") == std::u16string::npos)
        return DecimalText(static_cast<std::int32_t>(code));
    return text;
}

void RunWorker(BatchKind kind, ComputerOperations& operations, SharedComputer& entry, const TaskValues& task) {
    entry.SetState(kStateRunning, {});
    const ComputerEntry texts = entry.Texts();
    const std::u16string& name = texts[kTextName];
    switch (kind) {
        case BatchKind::kRun: {
            operations.Sleep(kWorkerPauseMs);
            std::uint32_t result = 0;
            const std::u16string& user = texts[kTextUser];
            const std::u16string& password = texts[kTextPassword];
            if (task.action == kActionShutdown || task.action == kActionRestart)
                result = operations.RemoteShutdown({.computer = name,
                                                    .user = user,
                                                    .password = password,
                                                    .noDialog = task.noshow,
                                                    .message = task.message,
                                                    .delay = task.delay,
                                                    .force = task.force,
                                                    .reboot = task.action == kActionRestart});
            else if (task.action == kActionHibernate)
                result =
                    static_cast<std::uint32_t>(operations.WmiCreateProcess(name, user, password, kHibernateCommand));
            else if (task.action == kActionLogOff)
                result = static_cast<std::uint32_t>(operations.WmiShutdown(name, user, password, task.force ? 4 : 0));
            entry.SetText(kTextState, ResultStateText(operations, result));
            break;
        }
        case BatchKind::kGetMac: {
            const std::u16string mac = operations.GetMacByName(name);
            operations.Sleep(kWorkerPauseMs);
            entry.Update([&](ComputerEntry& now) {
                if (mac.empty()) {
                    now[kTextState] = now[kTextMac];
                } else {
                    now[kTextMac] = mac;
                    now[kTextState] = mac;
                }
            });
            break;
        }
        case BatchKind::kScan: {
            const ComputerOperations::Probe probe = operations.ProbeHost(name, kProbeAttempts);
            entry.Update([&](ComputerEntry& now) {
                if (!probe.answered) {
                    now[kTextState] = kStateNotReply;
                    return;
                }
                if (!probe.hostName.empty())
                    now[kTextName] = probe.hostName;
                now[kTextMac] = probe.mac;
                now[kTextState] = task.action == kActionWakeOnLan ? probe.mac : std::u16string(kStateOk);
            });
            operations.Sleep(kWorkerPauseMs);
            break;
        }
        case BatchKind::kPing: {
            const bool answered = operations.Ping(name, kProbeAttempts);
            entry.SetText(kTextState, answered ? kStateOk : kStateNotReply);
            operations.Sleep(kWorkerPauseMs);
            break;
        }
        case BatchKind::kCheck: {
            const CheckResult result =
                task.action == kActionWakeOnLan
                    ? operations.CheckWakeUp(texts[kTextMac], texts[kTextBroadcast], texts[kTextPort])
                    : operations.Check(name, texts[kTextUser], texts[kTextPassword]);
            const CheckReport report =
                MakeCheckReport(result, {[&](int id) { return operations.StringText(id); },
                                         [&](std::uint32_t code) { return operations.MessageText(code); }});
            entry.SetState(report.state, report.tip);
            operations.Sleep(kWorkerPauseMs);
            break;
        }
        case BatchKind::kNone:
            break;
    }
}

EditKind PlanEdit(int selectedCount, bool wakeup) {
    if (selectedCount <= 0)
        return EditKind::kNone;
    if (wakeup)
        return selectedCount == 1 ? EditKind::kWakeOne : EditKind::kWakeSeveral;
    return selectedCount == 1 ? EditKind::kComputer : EditKind::kNone;
}

ContextMenuPlan PlanContextMenu(int action, bool byKey) {
    ContextMenuPlan plan;
    switch (action) {
        case kActionShutdown:
            plan.runStringId = IDS_ACT_SHUTDOWN;
            break;
        case kActionRestart:
            plan.runStringId = IDS_ACT_REBOOT;
            break;
        case kActionLogOff:
            plan.runStringId = IDS_ACT_LOG_OFF;
            break;
        case kActionHibernate:
            plan.runStringId = IDS_ACT_HIBERNATE;
            break;
        case kActionMonitorOff:  // ping: nothing to run
            plan.runStringId = 0;
            break;
        default:
            plan.runStringId = IDS_ACT_WAKEUP;
            break;
    }
    plan.getMac = action == kActionWakeOnLan;
    plan.accelerator = byKey;
    return plan;
}

std::u16string CounterText(int selected, int total) {
    return DecimalText(selected) + u"/" + DecimalText(total);
}

// --- the page list and its rows -------------------------------------------------------------------

CompListLogic::CompListLogic(std::shared_ptr<ComputerOperations> operations, std::shared_ptr<WorkerLauncher> launcher,
                             std::shared_ptr<BatchTimers> timers, std::shared_ptr<StoredChoice> fastChecks)
    : operations_(std::move(operations)),
      launcher_(std::move(launcher)),
      timers_(std::move(timers)),
      fastChecks_(std::move(fastChecks)),
      fast_(fastChecks_ && fastChecks_->Read()) {}

void CompListLogic::SetFastChecks(bool on) {
    if (on == fast_)
        return;
    fast_ = on;
    if (fastChecks_)
        fastChecks_->Write(on);
}

int CompListLogic::RunningWorkers() const {
    return static_cast<int>(
        std::count_if(workers_.begin(), workers_.end(), [](const Worker& worker) { return worker.running->load(); }));
}

// A worker that still runs keeps its entry, the operations and its flag alive by itself: it ends
// its one operation on its own and its result goes with the entry it alone still holds.
CompListLogic::~CompListLogic() = default;

void CompListLogic::SetComputers(const std::vector<ComputerEntry>& computers) {
    pageList_.clear();
    pageList_.reserve(computers.size());
    for (const ComputerEntry& texts : computers)
        pageList_.push_back(std::make_shared<SharedComputer>(texts));
}

std::vector<ComputerEntry> CompListLogic::Computers() const {
    std::vector<ComputerEntry> computers;
    computers.reserve(pageList_.size());
    for (const ComputerRef& entry : pageList_)
        computers.push_back(entry->Texts());
    return computers;
}

void CompListLogic::Fill(bool wakeup) {
    rows_.clear();
    rows_.reserve(pageList_.size());
    for (const ComputerRef& entry : pageList_) {
        const ComputerEntry texts = entry->Texts();
        rows_.push_back({entry, {texts[kTextName], texts[wakeup ? kTextMac : kTextState]}});
    }
}

int CompListLogic::Append(ComputerEntry texts, bool wakeup) {
    auto entry = std::make_shared<SharedComputer>(std::move(texts));
    const ComputerEntry shown = entry->Texts();
    pageList_.push_back(entry);
    rows_.push_back({entry, {shown[kTextName], wakeup ? shown[kTextMac] : std::u16string()}});
    return RowCount() - 1;
}

NameSet CompListLogic::ListedNames() const {
    NameSet names;
    for (const CompRow& row : rows_)
        names.Insert(row.cells[0]);
    return names;
}

bool CompListLogic::WriteRow(CompRow& row, bool name, bool state) {
    const ComputerEntry texts = row.entry->Texts();
    bool changed = false;
    if (name && row.cells[0] != texts[kTextName]) {
        row.cells[0] = texts[kTextName];
        changed = true;
    }
    if (state && row.cells[1] != texts[kTextState]) {
        row.cells[1] = texts[kTextState];
        changed = true;
    }
    return changed;
}

// --- sorting, dragging, Delete, Edit --------------------------------------------------------------

bool CompListLogic::ClickColumn(int column, bool wakeup) {
    if (column == lastColumn_) {
        ++repeat_;
    } else {
        repeat_ = 0;
    }
    lastColumn_ = column;
    if (repeat_ == 3) {
        repeat_ = 0;
        Fill(wakeup);
        return false;
    }
    sortKey_ = sortKey_ == column + 1 ? -(column + 1) : column + 1;
    SortRows();
    return true;
}

// Compares by UTF-16 code units: the computer's name for key ±1, its state text for ±2.
void CompListLogic::SortRows() {
    const int key = sortKey_;
    const int which = key < 0 ? -key : key;
    if (which != 1 && which != 2)
        return;
    const ComputerText text = which == 1 ? kTextName : kTextState;
    std::vector<std::u16string> keys;
    keys.reserve(rows_.size());
    for (const CompRow& row : rows_)
        keys.push_back(row.entry->Text(text));
    std::vector<std::size_t> order(rows_.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return key > 0 ? keys[a] < keys[b] : keys[b] < keys[a]; });
    std::vector<CompRow> sorted;
    sorted.reserve(rows_.size());
    for (const std::size_t index : order)
        sorted.push_back(std::move(rows_[index]));
    rows_ = std::move(sorted);
}

std::vector<int> CompListLogic::DragStep(int current, int target, std::vector<int> selected) {
    const int count = RowCount();
    if (target < 0 || target >= count || target == current)
        return selected;
    std::sort(selected.begin(), selected.end());
    std::vector<bool> chosen(static_cast<std::size_t>(count), false);
    for (const int row : selected)
        if (row >= 0 && row < count)
            chosen[static_cast<std::size_t>(row)] = true;
    const int delta = target - current;
    std::vector<int> visit = selected;
    if (delta > 0)
        std::reverse(visit.begin(), visit.end());
    for (const int row : visit) {
        const int to = row + delta;
        if (to < 0 || to >= count)
            break;
        chosen[static_cast<std::size_t>(row)] = false;
        // Step by step through the neighbours, as swapping rows does; selection stays by place.
        for (int at = row; at != to; at += delta > 0 ? 1 : -1)
            std::swap(rows_[static_cast<std::size_t>(at)], rows_[static_cast<std::size_t>(at + (delta > 0 ? 1 : -1))]);
        chosen[static_cast<std::size_t>(to)] = true;
    }
    std::vector<int> after;
    for (int row = 0; row < count; ++row)
        if (chosen[static_cast<std::size_t>(row)])
            after.push_back(row);
    return after;
}

void CompListLogic::StoreDisplayedOrder() {
    pageList_.clear();
    pageList_.reserve(rows_.size());
    for (const CompRow& row : rows_)
        pageList_.push_back(row.entry);
}

DeleteResult CompListLogic::Delete(const std::vector<int>& selectedRows) {
    DeleteResult result;
    std::vector<int> selected;
    for (const int row : selectedRows)
        if (row >= 0 && row < RowCount())
            selected.push_back(row);
    if (batchRunning() || selected.empty())
        return result;
    std::sort(selected.begin(), selected.end());
    selected.erase(std::unique(selected.begin(), selected.end()), selected.end());
    for (auto row = selected.rbegin(); row != selected.rend(); ++row)
        rows_.erase(rows_.begin() + *row);
    StoreDisplayedOrder();
    result.done = true;
    if (selected.size() == 1 && !rows_.empty()) {
        const int row = selected[0];
        result.select = row == 0 ? 0 : row - 1;
        result.show = result.select;
    }
    return result;
}

std::vector<ComputerRef> CompListLogic::EntriesOf(const std::vector<int>& rows) const {
    std::vector<ComputerRef> entries;
    for (const int row : rows)
        if (row >= 0 && row < RowCount())
            entries.push_back(rows_[static_cast<std::size_t>(row)].entry);
    return entries;
}

void CompListLogic::ApplyEdit(EditKind kind, const std::vector<ComputerRef>& edited, const ComputerEntry& texts) {
    if (edited.empty() || kind == EditKind::kNone)
        return;
    std::vector<ComputerText> indices = {kTextBroadcast, kTextPort};
    if (kind == EditKind::kComputer)
        indices = {kTextName, kTextUser, kTextPassword};
    else if (kind == EditKind::kWakeOne)
        indices = {kTextName, kTextMac, kTextWolPassword, kTextBroadcast, kTextPort};
    const std::size_t count = kind == EditKind::kWakeSeveral ? edited.size() : 1;
    for (std::size_t k = 0; k < count; ++k) {
        edited[k]->Update([&](ComputerEntry& now) {
            for (const ComputerText index : indices)
                now[index] = texts[index];
        });
    }
    if (kind == EditKind::kWakeSeveral)
        return;
    for (CompRow& row : rows_) {
        if (row.entry != edited[0])
            continue;
        row.cells[0] = texts[kTextName];
        if (kind == EditKind::kWakeOne)
            row.cells[1] = texts[kTextMac];
    }
}

// --- batches --------------------------------------------------------------------------------------

// Both timers of a batch or neither: 0, or the code of the one that could not be made.
std::uint32_t CompListLogic::StartTimers(BatchKind kind) {
    if (!timers_)
        return 0;
    std::uint32_t code = timers_->Set(StartTimerOf(kind), kStartTimerMs);
    if (code == 0)
        code = timers_->Set(kTimerRefresh, kRefreshTimerMs);
    if (code != 0)
        KillTimers();
    return code;
}

void CompListLogic::KillTimers() {
    if (!timers_)
        return;
    for (const int timer : {kTimerRun, kTimerRefresh, kTimerGetMac, kTimerScan, kTimerPing, kTimerCheck})
        timers_->Kill(timer);
}

// Without its timers nothing would ever tick the batch on or end it: it ends before anything ran,
// and each of its computers shows why.
void CompListLogic::FailBatch(std::uint32_t code) {
    const std::u16string why = ResultStateText(*operations_, code);
    for (const ComputerRef& entry : work_)
        entry->SetState(why, {});
    for (CompRow& row : rows_)
        WriteRow(row, true, true);
    EmptyWorkList();
    kind_ = BatchKind::kNone;
}

void CompListLogic::EmptyWorkList() {
    // Entries of the page list stay with it; range entries the page did not take go here.
    work_.clear();
    nextIndex_ = 0;
}

StartResult CompListLogic::Start(BatchKind kind, const std::vector<int>& selected, int action) {
    if (kind == BatchKind::kScan || kind == BatchKind::kNone)
        return StartResult::kIgnored;
    if (kind_ != BatchKind::kNone && kind_ != kind)
        return StartResult::kIgnored;
    std::vector<int> rows;
    for (const int row : selected)
        if (row >= 0 && row < RowCount())
            rows.push_back(row);
    std::sort(rows.begin(), rows.end());
    if (rows.empty() && kind == BatchKind::kCheck) {
        for (int row = 0; row < RowCount(); ++row)
            rows.push_back(row);
    }
    if (rows.empty())
        return StartResult::kIgnored;

    if (kind == BatchKind::kRun && action == kActionWakeOnLan) {
        // A running batch's work list is not ours to empty: its worker may hold an item.
        if (kind_ != BatchKind::kNone)
            return StartResult::kIgnored;
        EmptyWorkList();
        for (const int row : rows)
            work_.push_back(rows_[static_cast<std::size_t>(row)].entry);
        for (const ComputerRef& entry : work_) {
            const ComputerEntry texts = entry->Texts();
            operations_->WakeOnLan(texts[kTextMac], texts[kTextWolPassword], texts[kTextBroadcast], texts[kTextPort]);
        }
        EmptyWorkList();
        return StartResult::kWokenUp;
    }

    if (kind_ == BatchKind::kNone)
        EmptyWorkList();
    for (const int row : rows)
        work_.push_back(rows_[static_cast<std::size_t>(row)].entry);
    if (kind_ == kind)
        return StartResult::kAppended;
    kind_ = kind;
    limit_ = WorkerLimitFor(kind);
    if (const std::uint32_t code = StartTimers(kind); code != 0) {
        FailBatch(code);
        return StartResult::kFailed;
    }
    return StartResult::kStarted;
}

bool CompListLogic::BeginRange() {
    if (batchRunning())
        return false;
    EmptyWorkList();
    return true;
}

bool CompListLogic::TakeRange(const std::vector<std::u16string>& addresses, bool autoScan, bool wakeup) {
    if (batchRunning())
        return false;
    NameSet listed = ListedNames();
    for (const std::u16string& address : addresses) {
        ComputerEntry texts;
        texts[kTextName] = address;
        texts[kTextRangeAddress] = address;
        auto entry = std::make_shared<SharedComputer>(std::move(texts));
        work_.push_back(entry);
        if (listed.Insert(address))
            pageList_.push_back(entry);
    }
    Fill(wakeup);
    if (!autoScan || work_.empty()) {
        EmptyWorkList();
        return false;
    }
    kind_ = BatchKind::kScan;
    limit_ = WorkerLimitFor(kind_);
    nextIndex_ = 0;
    if (const std::uint32_t code = StartTimers(kind_); code != 0) {
        FailBatch(code);
        return false;
    }
    return true;
}

TickResult CompListLogic::Tick(int timer, const TaskValues& task, int topRow, int rowsPerPage) {
    TickResult result;
    busy_ = 0;
    // Only the running kind's start timer starts and ends: a late tick of another timer does neither.
    const bool startTick = KindOfStartTimer(timer) != BatchKind::kNone && KindOfStartTimer(timer) == kind_;
    std::erase_if(workers_, [](const Worker& worker) { return !worker.running->load(); });
    busy_ = static_cast<int>(workers_.size());
    // Each free place may start one item on this tick; one at a time, that is the one worker slot.
    if (startTick)
        for (int free = limit_ - busy_; free > 0 && nextIndex_ < work_.size(); --free) {
            LaunchWorker(task);
            ++nextIndex_;
            ++busy_;
        }
    const bool wakeup = task.action == kActionWakeOnLan;
    if (timer == kTimerRefresh && !rows_.empty()) {
        const int first = std::clamp(topRow, 0, RowCount() - 1);
        const int last = std::min(RowCount() - 1, first + std::max(rowsPerPage, 0));
        // Only rows whose texts changed need painting again.
        int firstChanged = -1, lastChanged = -1;
        for (int row = first; row <= last; ++row) {
            if (WriteRow(rows_[static_cast<std::size_t>(row)], kind_ != BatchKind::kScan, true)) {
                firstChanged = firstChanged < 0 ? row : firstChanged;
                lastChanged = row;
            }
        }
        result.firstRow = firstChanged < 0 ? first : firstChanged;
        result.rowCount = firstChanged < 0 ? 0 : lastChanged - firstChanged + 1;
    }
    if (startTick && busy_ == 0)
        EndBatch(result, wakeup);
    return result;
}

// Run changes machines: it stays one at a time whatever the choice.
int CompListLogic::WorkerLimitFor(BatchKind kind) const {
    return fast_ && kind != BatchKind::kRun ? kFastCheckWorkers : 1;
}

// Starts the worker of the next item; a worker whose thread cannot start leaves why in its row.
void CompListLogic::LaunchWorker(const TaskValues& task) {
    auto running = std::make_shared<std::atomic<bool>>(true);
    const ComputerRef& entry = work_[nextIndex_];
    std::uint32_t refused = 0;
    try {
        refused = launcher_->Launch([operations = operations_, entry, kind = kind_, task, running] {
            try {
                RunWorker(kind, *operations, *entry, task);
            } catch (...) {
                // The batch goes on with the next computer.
            }
            running->store(false);
        });
    } catch (...) {
        refused = kErrorNotEnoughMemory;  // the job could not even be handed over
    }
    if (refused != 0) {
        // No thread: this computer is passed over, and its row says why instead of an older result.
        entry->SetState(ResultStateText(*operations_, refused), {});
        return;
    }
    workers_.push_back({nextIndex_, std::move(running)});
}

std::size_t CompListLogic::CheckedCount() const {
    std::size_t checked = nextIndex_;
    for (const Worker& worker : workers_)
        if (worker.running->load())
            --checked;
    return checked;
}

bool CompListLogic::StopScan(bool wakeup) {
    if (kind_ != BatchKind::kScan)
        return false;
    // Not checked: from the next index on, and the items whose workers still run (they finish on
    // their own, into entries that nobody lists any more).
    std::unordered_set<const SharedComputer*> unchecked;
    for (std::size_t item = nextIndex_; item < work_.size(); ++item)
        unchecked.insert(work_[item].get());
    for (const Worker& worker : workers_)
        if (worker.running->load())
            unchecked.insert(work_[worker.item].get());
    std::erase_if(pageList_, [&](const ComputerRef& entry) { return unchecked.count(entry.get()) != 0; });
    TickResult ignored;
    EndBatch(ignored, wakeup);
    return true;
}

void CompListLogic::EndBatch(TickResult& result, bool wakeup) {
    result.ended = true;
    KillTimers();
    for (CompRow& row : rows_)
        WriteRow(row, kind_ != BatchKind::kScan, true);
    result.firstRow = 0;
    result.rowCount = RowCount();
    if (kind_ == BatchKind::kScan) {
        // Every computer that did not answer goes, also one an earlier Ping marked.
        std::erase_if(pageList_, [](const ComputerRef& entry) { return entry->Text(kTextState) == kStateNotReply; });
        Fill(wakeup);
        result.refilled = true;
        result.rowCount = RowCount();
    }
    EmptyWorkList();
    workers_.clear();
    kind_ = BatchKind::kNone;
    limit_ = 1;
}

}  // namespace velmora
