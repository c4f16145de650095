#include "StartWithWindowsWin.h"

#include "support/Process.h"

namespace {

class TSystemTaskScheduler : public ITaskScheduler {
  public:
    int Run(const std::string& commandLine, std::string& output) override {
        return RunSystemProgramCapturing(commandLine, output);
    }
};

} // namespace

std::unique_ptr<ITaskScheduler> SystemTaskScheduler() {
    return std::make_unique<TSystemTaskScheduler>();
}
