#pragma once
// One job run on a thread of its own while the caller goes on. The job must not throw past
// itself: whatever it raises is dropped, so a job reports failure by what it leaves behind.
// Where no thread can be made, the job runs at once on the caller's thread.

#include <functional>
#include <memory>

class TWorkerThread {
  public:
    explicit TWorkerThread(std::function<void()> job);
    // Waits for the job: nothing it uses may go before it is done.
    ~TWorkerThread();
    TWorkerThread(const TWorkerThread&) = delete;
    TWorkerThread& operator=(const TWorkerThread&) = delete;

    // Returns once the job is done; at once on every later call.
    void Wait();

  private:
    struct TThread;
    std::unique_ptr<TThread> thread_;
};

namespace WorkerThreadDetail {
// The job, with whatever it raises dropped: nothing may leave a thread.
inline void RunDroppingErrors(const std::function<void()>& job) {
    try {
        job();
    } catch (...) {
        // The job's own result says it failed.
    }
}
} // namespace WorkerThreadDetail
