// TWorkerThread over CreateThread: the toolchain's threads model has no std::thread.
#include "WorkerThread.h"

#include "WinHandles.h"

namespace {

// The jobs are short and shallow: a small stack, not the program's default.
constexpr SIZE_T WorkerStackBytes = 256 * 1024;

DWORD WINAPI RunJob(void* job) {
    WorkerThreadDetail::RunDroppingErrors(*static_cast<const std::function<void()>*>(job));
    return 0;
}

} // namespace

struct TWorkerThread::TThread {
    std::function<void()> Job;
    UniqueHandle Handle;
};

TWorkerThread::TWorkerThread(std::function<void()> job)
    : thread_(std::make_unique<TThread>()) {
    thread_->Job = std::move(job);
    thread_->Handle = UniqueHandle(::CreateThread(nullptr, WorkerStackBytes, RunJob, &thread_->Job,
                                                   STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr));
    if (!thread_->Handle)
        WorkerThreadDetail::RunDroppingErrors(thread_->Job);
}

TWorkerThread::~TWorkerThread() {
    Wait();
}

void TWorkerThread::Wait() {
    if (thread_->Handle) {
        ::WaitForSingleObject(thread_->Handle.get(), INFINITE);
        thread_->Handle.reset();
    }
}
