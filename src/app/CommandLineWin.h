#pragma once
// The command line on Windows: the arguments the program was started with, its output to
// the console it was started from (or to the general error box when there is none).

#include <optional>
#include <string>

// Runs the switches of the command line and gives the exit code; nothing when there are
// no switches and the window is to start. exePath: the executable's full path; dataFolder:
// where the files lie (DataFolder).
std::optional<int> RunCommandLineSwitches(int argc, char** argv, const std::string& exePath,
                                          const std::string& dataFolder);

// Whether the command line is "/tray" alone: the window starts hidden, the icon shown.
bool StartsInTray(int argc, char** argv);
