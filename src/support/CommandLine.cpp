#include "CommandLine.h"

std::string QuoteArgument(const std::string& argument) {
    std::string quoted = "\"";
    std::size_t backslashes = 0;
    for (const char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        // Backslashes count as escapes only in front of a quote.
        const std::size_t written = c == '"' ? 2 * backslashes + 1 : backslashes;
        quoted.append(written, '\\');
        quoted += c;
        backslashes = 0;
    }
    quoted.append(2 * backslashes, '\\');
    quoted += '"';
    return quoted;
}
