// Starting, waking and joining a worker thread.
#include "controls/WorkerThread.h"

namespace velmora {

void WorkerThread::Start(std::function<void(WorkerThread&)> body) {
    Stop();
    {
        const std::lock_guard<std::mutex> guard(lock_);
        stop_ = false;
    }
    thread_ = std::thread([this, body = std::move(body)] {
        try {
            body(*this);
        } catch (...) {
            // A worker's failure ends only the worker.
        }
    });
}

void WorkerThread::Stop() {
    {
        const std::lock_guard<std::mutex> guard(lock_);
        stop_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id())
        thread_.join();
}

bool WorkerThread::WaitFor(std::chrono::milliseconds time) {
    std::unique_lock<std::mutex> guard(lock_);
    return !wake_.wait_for(guard, time, [this] { return stop_; });
}

bool WorkerThread::StopRequested() {
    const std::lock_guard<std::mutex> guard(lock_);
    return stop_;
}

}  // namespace velmora
