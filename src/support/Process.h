#pragma once
// Starting other programs (Windows only).

#include "CommandLine.h"

#include <windows.h>

#include <cstdint>
#include <string>

// Hands target (a document path or an address) to the shell's default action. When the
// shell cannot, raises TError "Cannot open "target": " and the shell's reason.
void OpenDocument(const std::string& target, HWND owner = nullptr);

// Runs the command line in a console of its own, shown as showState, and waits without
// time limit for it to end, painting the thread's windows again while it waits (and
// handling nothing else of the queue). Returns the child's exit code, or -1 when it cannot be
// started (a command line over MaxCommandLineLength characters is refused with -1).
int RunAndWait(const std::string& commandLine, std::uint16_t showState);
