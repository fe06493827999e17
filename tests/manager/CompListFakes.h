// Fakes for the computer list's tests: remote operations that answer from tables and record every
// call, and worker launchers that run a job at once, when the test says, or on a real thread.
#pragma once

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "manager/CompListLogic.h"

namespace velmora::testing_fakes {

class FakeOperations : public ComputerOperations {
public:
    // A WMI call with everything it was given; `flags` for a shutdown, `commandLine` for a process.
    struct WmiCall {
        std::u16string computer, user, password, commandLine;
        std::int32_t flags = -1;
    };

    std::uint32_t RemoteShutdown(const RemoteShutdownRequest& request) override {
        Record((request.reboot ? u"reboot " : u"shutdown ") + request.computer + u" as " + request.user);
        const std::lock_guard<std::mutex> guard(lock);
        shutdowns.push_back(request);
        return shutdownResult;
    }
    HResult WmiCreateProcess(const std::u16string& computer, const std::u16string& user, const std::u16string& password,
                             const std::u16string& commandLine) override {
        Record(u"process " + computer + u" " + commandLine);
        const std::lock_guard<std::mutex> guard(lock);
        wmiCalls.push_back({computer, user, password, commandLine});
        return wmiResult;
    }
    HResult WmiShutdown(const std::u16string& computer, const std::u16string& user, const std::u16string& password,
                        std::int32_t flags) override {
        Record(u"logoff " + computer + (flags == 4 ? u" forced" : u""));
        const std::lock_guard<std::mutex> guard(lock);
        wmiCalls.push_back({computer, user, password, {}, flags});
        return wmiResult;
    }
    bool Ping(const std::u16string& host, int attempts) override {
        Record(u"ping " + host);
        Wait(host);
        return attempts == kProbeAttempts && answering.count(host) != 0;
    }
    Probe ProbeHost(const std::u16string& address, int) override {
        Record(u"probe " + address);
        Wait(address);
        Probe probe;
        if (const auto found = probes.find(address); found != probes.end())
            probe = found->second;
        return probe;
    }
    std::u16string GetMacByName(const std::u16string& name) override {
        Record(u"mac " + name);
        Wait(name);
        const auto found = macs.find(name);
        return found == macs.end() ? std::u16string() : found->second;
    }
    std::uint32_t WakeOnLan(const std::u16string& mac, const std::u16string& password, const std::u16string& broadcast,
                            const std::u16string& port) override {
        Record(u"wake " + mac + u" " + password + u" " + broadcast + u" " + port);
        return 0;
    }
    CheckResult Check(const std::u16string& computer, const std::u16string& user, const std::u16string&) override {
        Record(u"check " + computer + u" as " + user);
        const std::lock_guard<std::mutex> guard(lock);
        const auto found = checks.find(computer);
        return found == checks.end() ? CheckResult{} : found->second;
    }
    CheckResult CheckWakeUp(const std::u16string& mac, const std::u16string& broadcast,
                            const std::u16string& port) override {
        Record(u"check wake " + mac + u" " + broadcast + u" " + port);
        return wakeCheck;
    }
    std::u16string StringText(int id) override {
        const auto found = strings.find(id);
        return found == strings.end() ? std::u16string() : found->second;
    }
    std::u16string MessageText(std::uint32_t code) override {
        const auto found = texts.find(code);
        return found == texts.end() ? std::u16string() : found->second;
    }
    void Sleep(unsigned milliseconds) override {
        const std::lock_guard<std::mutex> guard(lock);
        sleptMs += milliseconds;
    }

    std::vector<std::u16string> Calls() {
        const std::lock_guard<std::mutex> guard(lock);
        return calls;
    }
    // Makes every probe, ping and MAC lookup wait until Release.
    void Hold() {
        const std::lock_guard<std::mutex> guard(lock);
        held = true;
    }
    void Release() {
        {
            const std::lock_guard<std::mutex> guard(lock);
            held = false;
        }
        changed.notify_all();
    }
    // These hosts stay held also after Release, until they are let go.
    void KeepHeld(std::set<std::u16string> hosts) {
        {
            const std::lock_guard<std::mutex> guard(lock);
            keptHeld = std::move(hosts);
        }
        changed.notify_all();
    }
    // Waits until a held call has started.
    void AwaitHeldCall() {
        std::unique_lock<std::mutex> guard(lock);
        changed.wait(guard, [this] { return waiting > 0; });
    }

    std::set<std::u16string> answering;
    std::map<std::u16string, Probe> probes;
    std::map<std::u16string, std::u16string> macs;
    std::map<std::uint32_t, std::u16string> texts{{0, u"The operation completed successfully."}};
    std::map<std::u16string, CheckResult> checks;
    CheckResult wakeCheck;
    std::map<int, std::u16string> strings;
    std::uint32_t shutdownResult = 0;
    HResult wmiResult = 0;
    unsigned sleptMs = 0;
    std::vector<RemoteShutdownRequest> shutdowns;
    std::vector<WmiCall> wmiCalls;

private:
    void Record(std::u16string call) {
        const std::lock_guard<std::mutex> guard(lock);
        calls.push_back(std::move(call));
    }
    void Wait(const std::u16string& host) {
        std::unique_lock<std::mutex> guard(lock);
        ++waiting;
        peakWaiting = std::max(peakWaiting, waiting);
        changed.notify_all();
        changed.wait(guard, [&] { return !held && keptHeld.count(host) == 0; });
        --waiting;
    }

public:
    // The most probes, pings and MAC lookups that were ever in progress at once.
    int PeakCalls() {
        const std::lock_guard<std::mutex> guard(lock);
        return peakWaiting;
    }
    // Waits until `count` held calls have started.
    void AwaitHeldCalls(int count) {
        std::unique_lock<std::mutex> guard(lock);
        changed.wait(guard, [&] { return waiting >= count; });
    }

private:

    std::mutex lock;
    std::condition_variable changed;
    std::vector<std::u16string> calls;
    bool held = false;
    int waiting = 0;
    int peakWaiting = 0;
    std::set<std::u16string> keptHeld;
};

// Runs each job when the test says, so a test sees a worker "still running".
class QueuedLauncher : public WorkerLauncher {
public:
    // Each launch takes the next of `refusals` first: a code other than 0 starts no thread.
    std::uint32_t Launch(std::function<void()> job) override {
        launches++;
        if (!refusals.empty()) {
            const std::uint32_t code = refusals.front();
            refusals.pop_front();
            if (code != 0)
                return code;
        }
        jobs.push_back(std::move(job));
        return 0;
    }
    // Runs the oldest waiting job; false when there is none.
    bool RunNext() {
        if (jobs.empty())
            return false;
        auto job = std::move(jobs.front());
        jobs.erase(jobs.begin());
        job();
        return true;
    }
    std::vector<std::function<void()>> jobs;
    std::deque<std::uint32_t> refusals;
    int launches = 0;
};

// Real threads; the test joins them at its end, after the page logic is gone.
class ThreadLauncher : public WorkerLauncher {
public:
    ~ThreadLauncher() override { JoinAll(); }
    std::uint32_t Launch(std::function<void()> job) override {
        const std::lock_guard<std::mutex> guard(lock);
        threads.emplace_back(std::move(job));
        return 0;
    }
    void JoinAll() {
        std::vector<std::thread> taken;
        {
            const std::lock_guard<std::mutex> guard(lock);
            taken.swap(threads);
        }
        for (std::thread& thread : taken)
            thread.join();
    }

private:
    std::mutex lock;
    std::vector<std::thread> threads;
};

// The page window's timers: which run, at what interval, and which cannot be made.
class FakeTimers : public BatchTimers {
public:
    std::uint32_t Set(int timer, unsigned milliseconds) override {
        if (refused.count(timer))
            return refusal;
        running[timer] = milliseconds;
        return 0;
    }
    void Kill(int timer) override { running.erase(timer); }

    std::map<int, unsigned> running;
    std::set<int> refused;
    std::uint32_t refusal = 1450;  // the system's resources are used up
};

// The user's remembered choice, as the registry would keep it.
class FakeChoice : public StoredChoice {
public:
    explicit FakeChoice(bool on = false) : value(on) {}
    bool Read() override { return value; }
    void Write(bool on) override {
        value = on;
        ++writes;
    }
    bool value;
    int writes = 0;
};

}  // namespace velmora::testing_fakes
