#include "SwitchLog.h"

#include "FileSystem.h"

#include <cstdint>
#include <ctime>
#include <exception>
#include <optional>
#include <utility>

namespace {

std::string OnOneLine(std::string text) {
    for (char& c : text)
        if (c == '\r' || c == '\n' || c == '\t')
            c = ' ';
    return text;
}

// The newer half of the lines, cut where a line begins.
std::string NewerHalf(const std::string& log) {
    const std::size_t lineStart = log.find('\n', log.size() / 2);
    return lineStart == std::string::npos ? std::string() : log.substr(lineStart + 1);
}

} // namespace

std::string SwitchLogPath(const std::string& appPath) {
    return appPath + "netvane.log";
}

std::string SwitchLogLine(const std::string& time, const std::string& adapter,
                          const std::string& setting, const std::string& result,
                          bool fallbackUsed) {
    std::string line = time;
    for (const std::string* part : {&adapter, &setting, &result}) {
        line += "  ";
        line += OnOneLine(*part);
    }
    if (fallbackUsed)
        line += "  (after netsh)";
    return line;
}

bool AppendSwitchLog(const std::string& path, const std::string& line) {
    try {
        // Larger than Netvane ever leaves it: not its log to cut, and its newest lines are
        // those a read from the start would lose.
        const std::optional<std::uint64_t> size = FindEntrySize(path);
        if (size && *size > SwitchLogLimit)
            return false;
        // Appended, not rewritten, so that two switches logged at once both stay.
        if (AppendToFile(path, line + "\r\n") <= SwitchLogLimit)
            return true;
        TFileBytes read = ReadFileBytes(path, SwitchLogLimit * 2);
        if (read.Truncated)
            return true;
        std::string log = std::move(read.Bytes);
        while (log.size() > SwitchLogLimit)
            log = NewerHalf(log);
        ReplaceFileContent(path, log);
        return true;
    } catch (const std::exception&) {
        return false; // no log where the folder cannot be written; nothing else changes
    }
}

std::string LocalTimeText() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    char text[32] = {};
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}
