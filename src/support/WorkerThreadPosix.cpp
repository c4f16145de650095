// TWorkerThread over std::thread.
#include "WorkerThread.h"

#include <system_error>
#include <thread>

struct TWorkerThread::TThread {
    std::function<void()> Job;
    std::thread Thread;
};

TWorkerThread::TWorkerThread(std::function<void()> job)
    : thread_(std::make_unique<TThread>()) {
    thread_->Job = std::move(job);
    try {
        thread_->Thread = std::thread(WorkerThreadDetail::RunDroppingErrors, std::cref(thread_->Job));
    } catch (const std::system_error&) {
        WorkerThreadDetail::RunDroppingErrors(thread_->Job);
    }
}

TWorkerThread::~TWorkerThread() {
    Wait();
}

void TWorkerThread::Wait() {
    if (thread_->Thread.joinable())
        thread_->Thread.join();
}
