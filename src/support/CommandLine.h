#pragma once
// Command lines for child processes, built so that the child reads back exactly the
// arguments meant. Portable: the rules are those of the Windows C runtime's argument
// parsing, which programs such as ipconfig.exe use.

#include <cstddef>
#include <string>

// Longest command line a system program is started with (RunSystemProgram).
constexpr std::size_t MaxCommandLineLength = 512;

// The argument in double quotes, escaped so that the child's argument parser gives it back
// unchanged: a quote inside becomes \" and the backslashes right before a quote (or before
// the closing quote) are doubled; all else, blanks included, stays as it is.
std::string QuoteArgument(const std::string& argument);
