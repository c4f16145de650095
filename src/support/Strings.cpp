#include "Strings.h"

#include "StringsPlatform.h"

#include <algorithm>

namespace {

bool IsBlankOrControl(char c) {
    return static_cast<unsigned char>(c) <= 32;
}

} // namespace

int CharPosFrom(char c, const std::string& s, int start) {
    if (start < 1 || static_cast<size_t>(start) > s.size())
        return 0;
    const size_t found = s.find(c, static_cast<size_t>(start - 1));
    return found == std::string::npos ? 0 : static_cast<int>(found) + 1;
}

std::string CopyFrom(const std::string& s, int p) {
    if (p < 1)
        p = 1;
    if (static_cast<size_t>(p) > s.size())
        return {};
    return s.substr(static_cast<size_t>(p - 1));
}

TSplit SplitAt(const std::string& s, const std::string& separator) {
    if (!separator.empty()) {
        for (size_t i = 0; i + separator.size() <= s.size();) {
            if (s.compare(i, separator.size(), separator) == 0)
                return {s.substr(0, i), s.substr(i + separator.size())};
            // A trail byte is never the start of a match.
            i += (IsLeadByte(s[i]) && i + 1 < s.size()) ? 2 : 1;
        }
    }
    return {s, {}};
}

TSplit SplitNameValue(const std::string& s) {
    return SplitAt(s, "=");
}

std::string Trim(const std::string& s) {
    const auto first = std::find_if_not(s.begin(), s.end(), IsBlankOrControl);
    const auto last = std::find_if_not(s.rbegin(), s.rend(), IsBlankOrControl).base();
    return first < last ? std::string(first, last) : std::string();
}

bool SameText(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return LowerAnsi(x) == LowerAnsi(y);
           });
}

std::string WithoutUtf8ByteOrderMark(const std::string& text) {
    const std::string mark = Utf8ByteOrderMark;
    return text.compare(0, mark.size(), mark) == 0 ? text.substr(mark.size()) : text;
}

std::string CutText(const std::string& text, std::size_t limit) {
    if (text.size() <= limit)
        return text;
    const std::string ellipsis = "...";
    if (limit <= ellipsis.size())
        return ellipsis.substr(0, limit);
    const size_t room = limit - ellipsis.size();
    size_t end = 0;
    while (end < room) {
        const size_t next = end + (IsLeadByte(text[end]) ? 2 : 1);
        if (next > room)
            break;
        end = next;
    }
    return text.substr(0, end) + ellipsis;
}

std::string JoinTexts(const std::vector<std::string>& texts, const std::string& separator) {
    std::string text;
    for (const std::string& item : texts) {
        if (!text.empty())
            text += separator;
        text += item;
    }
    return text;
}

char FoldAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string FoldedAscii(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), FoldAscii);
    return text;
}
