#pragma once
// What a network setting holds beside its addresses for the rest of what a network hands
// out: the adapter's connection-specific DNS suffix and the user's proxy exceptions,
// configuration script and automatic detection. The rules each follows are judged here, by
// the editor, the CSV import, the store's apply and the process with the rights alike.

#include <cstddef>
#include <string>

struct TNetOptions {
    std::string DnsSuffix;        // the adapter's Domain value; empty: none
    std::string ProxyExceptions;  // the user's ProxyOverride, used only with a proxy
    std::string ProxyScript;      // the user's AutoConfigURL
    bool ProxyAutoDetect = false; // "Automatically detect settings" turned on
    bool Empty() const {
        return DnsSuffix.empty() && ProxyExceptions.empty() && ProxyScript.empty() &&
               !ProxyAutoDetect;
    }
    bool operator==(const TNetOptions&) const = default;
};

constexpr std::size_t MaxDnsSuffixLength = 253;
constexpr std::size_t MaxDnsLabelLength = 63;
constexpr std::size_t MaxProxyExceptionsLength = 2048;
constexpr std::size_t MaxProxyScriptLength = 2048;

// A DNS name: dot-separated labels of 1 to 63 letters, digits and hyphens, none beginning or
// ending with a hyphen, up to 253 characters. Empty is accepted (no suffix).
std::string DnsSuffixComplaint(const std::string& suffix);
// ";"-separated host patterns: "<local>" (any case), or names and addresses of letters,
// digits, "-", ".", "_", ":" and the wildcard "*"; blanks around an entry are allowed, an
// empty entry is not. Empty is accepted (none).
std::string ProxyExceptionsComplaint(const std::string& exceptions);
// An http://, https:// or file:// URL (scheme in any case) with something after the scheme,
// printable ASCII without blanks or quotes, up to 2,048 characters. Empty is accepted.
std::string ProxyScriptComplaint(const std::string& script);

enum class TNetOptionsField { None, DnsSuffix, ProxyExceptions, ProxyScript };
struct TNetOptionsFault {
    TNetOptionsField Field = TNetOptionsField::None; // None: accepted
    std::string Text; // "[DNS suffix] ...", as the editor's other fields are named
};
TNetOptionsFault CheckNetOptions(const TNetOptions& options);

// The values as the editor keeps them: texts trimmed, nothing else changed.
TNetOptions TrimmedNetOptions(TNetOptions options);
