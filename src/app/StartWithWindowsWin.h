#pragma once
// The Task Scheduler "Start with Windows" asks to remove an older version's task.

#include "StartWithWindows.h"

#include <memory>

// schtasks.exe of the system folder, hidden, its output kept.
std::unique_ptr<ITaskScheduler> SystemTaskScheduler();
