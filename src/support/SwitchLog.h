#pragma once
// The log of switches, netvane.log beside the database: one line a switch, so that what
// happened yesterday on the plant floor can still be read today. Never in the way: where the
// folder cannot be written, there is simply no log.

#include <cstddef>
#include <string>

// The log's largest size; when an entry would pass it, the oldest half of the lines goes.
constexpr std::size_t SwitchLogLimit = 256 * 1024;

// appPath (with its trailing separator) + "netvane.log".
std::string SwitchLogPath(const std::string& appPath);

// "2026-12-09 07:30:05  Demo Ethernet  Office  applied" with "  (after netsh)" when the
// fallback was needed; tabs and line breaks inside the parts become blanks.
std::string SwitchLogLine(const std::string& time, const std::string& adapter,
                          const std::string& setting, const std::string& result,
                          bool fallbackUsed);

// Appends the line with CR LF; false, and nothing else, when the log cannot be read or
// written, or is larger than SwitchLogLimit (then not one this program keeps: left alone).
bool AppendSwitchLog(const std::string& path, const std::string& line);

// The local time as "YYYY-MM-DD hh:mm:ss".
std::string LocalTimeText();
