#include "NetOptions.h"

#include "support/Strings.h"

#include <algorithm>

namespace {

bool IsAsciiLetterOrDigit(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// A text as a message quotes it: whole when short, else its start.
std::string Quoted(const std::string& text) {
    constexpr std::size_t Longest = 40;
    std::string shown = "\"";
    shown.append(text, 0, Longest);
    shown += text.size() <= Longest ? "\"" : "...\"";
    return shown;
}

std::string Named(const char* field, const std::string& complaint) {
    std::string text = "[";
    text += field;
    text += "] ";
    text += complaint;
    return text;
}

std::string LabelComplaint(const std::string& label) {
    if (label.empty())
        return "has an empty part between dots";
    if (label.size() > MaxDnsLabelLength)
        return "has a part longer than " + std::to_string(MaxDnsLabelLength) + " characters";
    const auto bad = std::find_if(label.begin(), label.end(),
                                  [](char c) { return !IsAsciiLetterOrDigit(c) && c != '-'; });
    if (bad != label.end())
        return "may hold only letters, digits, hyphens and dots, not " +
               Quoted(std::string(1, *bad));
    if (label.front() == '-' || label.back() == '-')
        return "has a part beginning or ending with a hyphen";
    return {};
}

bool IsPatternChar(char c) {
    return IsAsciiLetterOrDigit(c) || c == '-' || c == '.' || c == '_' || c == ':' || c == '*';
}

} // namespace

std::string DnsSuffixComplaint(const std::string& suffix) {
    if (suffix.empty())
        return {};
    if (suffix.size() > MaxDnsSuffixLength)
        return "is longer than " + std::to_string(MaxDnsSuffixLength) + " characters";
    std::size_t start = 0;
    while (true) {
        const std::size_t dot = suffix.find('.', start);
        const std::string label = suffix.substr(start, dot - start);
        if (std::string complaint = LabelComplaint(label); !complaint.empty())
            return Quoted(suffix) + " " + complaint;
        if (dot == std::string::npos)
            return {};
        start = dot + 1;
    }
}

std::string ProxyExceptionsComplaint(const std::string& exceptions) {
    if (exceptions.empty())
        return {};
    if (exceptions.size() > MaxProxyExceptionsLength)
        return "is longer than " + std::to_string(MaxProxyExceptionsLength) + " characters";
    std::size_t start = 0;
    for (int number = 1;; ++number) {
        const std::size_t end = exceptions.find(';', start);
        const std::string entry = Trim(exceptions.substr(start, end - start));
        if (entry.empty())
            return "entry " + std::to_string(number) + " is empty: separate entries with one \";\"";
        if (!SameText(entry, "<local>")) {
            const bool allowed = std::all_of(entry.begin(), entry.end(), IsPatternChar);
            const bool dotsOnly = entry.find_first_not_of(".:") == std::string::npos;
            if (!allowed || dotsOnly)
                return "entry " + Quoted(entry) +
                       " is no host name, address or pattern such as *.example.com or <local>";
        }
        if (end == std::string::npos)
            return {};
        start = end + 1;
    }
}

std::string ProxyScriptComplaint(const std::string& script) {
    if (script.empty())
        return {};
    if (script.size() > MaxProxyScriptLength)
        return "is longer than " + std::to_string(MaxProxyScriptLength) + " characters";
    const auto bad = std::find_if(script.begin(), script.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u <= ' ' || u >= 0x7F || c == '"';
    });
    if (bad != script.end())
        return Quoted(script) + " holds a blank, a quote or a character outside ASCII";
    for (const char* scheme : {"http://", "https://", "file://"}) {
        const std::string prefix = scheme;
        if (script.size() >= prefix.size() && SameText(script.substr(0, prefix.size()), prefix)) {
            if (script.size() == prefix.size() ||
                (prefix != "file://" && script[prefix.size()] == '/'))
                return Quoted(script) + " names no host or file";
            return {};
        }
    }
    return Quoted(script) + " must begin with http://, https:// or file://";
}

TNetOptionsFault CheckNetOptions(const TNetOptions& options) {
    if (std::string c = DnsSuffixComplaint(options.DnsSuffix); !c.empty())
        return {TNetOptionsField::DnsSuffix, Named("DNS suffix", c)};
    if (std::string c = ProxyExceptionsComplaint(options.ProxyExceptions); !c.empty())
        return {TNetOptionsField::ProxyExceptions, Named("Proxy exceptions", c)};
    if (std::string c = ProxyScriptComplaint(options.ProxyScript); !c.empty())
        return {TNetOptionsField::ProxyScript, Named("Configuration script", c)};
    return {};
}

TNetOptions TrimmedNetOptions(TNetOptions options) {
    options.DnsSuffix = Trim(options.DnsSuffix);
    options.ProxyExceptions = Trim(options.ProxyExceptions);
    options.ProxyScript = Trim(options.ProxyScript);
    return options;
}
