// The owner of one worker thread: it asks the worker to stop and joins it before the owner, and
// with it the window the worker reports to, goes away. A worker reaches a window only by posting.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace velmora {

class WorkerThread {
public:
    WorkerThread() = default;
    ~WorkerThread() { Stop(); }
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    // Starts `body` on a new thread after stopping any earlier one. Nothing thrown by the body
    // leaves the thread.
    void Start(std::function<void(WorkerThread&)> body);
    // Asks the worker to stop, wakes it from WaitFor and waits for it to end.
    void Stop();
    // For the worker: waits for the time or a stop request; false when it should stop.
    bool WaitFor(std::chrono::milliseconds time);
    bool StopRequested();
    bool running() const { return thread_.joinable(); }

private:
    std::mutex lock_;
    std::condition_variable wake_;
    bool stop_ = false;
    std::thread thread_;
};

}  // namespace velmora
