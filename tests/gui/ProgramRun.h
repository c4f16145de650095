#pragma once
// Starts a program as a shortcut or a scheduled task would, and waits for it to end.

#include <windows.h>

#include <string>

struct TRun {
    DWORD ExitCode = 0;
    std::string Out;
    std::string Err;
};

// Runs exe with the arguments in the folder given as its current one, its output going to
// pipes. A start that fails, or a run of over a minute, fails the test.
TRun RunProgram(const std::string& exe, const std::string& arguments, const std::string& folder);
