#include "KeepSignal.h"

#include "support/Strings.h"

#include <algorithm>

namespace {
constexpr char HexDigits[] = "0123456789abcdef";
} // namespace

std::string KeepToken(const std::array<unsigned char, KeepTokenBytes>& random) {
    std::string token;
    for (const unsigned char byte : random) {
        token += HexDigits[byte >> 4];
        token += HexDigits[byte & 0x0F];
    }
    return token;
}

bool IsKeepToken(const std::string& text) {
    return text.size() == 2 * KeepTokenBytes &&
           text.find_first_not_of(HexDigits) == std::string::npos;
}

std::string KeepEventName(const std::string& token, TKeepScope scope) {
    return (scope == TKeepScope::Machine ? "Global\\" : "Local\\") + std::string("Netvane.Keep.") +
           token;
}

std::string KeepRecordText(const std::vector<std::string>& tokens) {
    return JoinTexts(tokens, " ");
}

std::vector<std::string> KeepRecordTokens(const std::string& text) {
    std::vector<std::string> tokens;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find(' ', start);
        if (end == std::string::npos)
            end = text.size();
        std::string part = text.substr(start, end - start);
        if (IsKeepToken(part) && std::find(tokens.begin(), tokens.end(), part) == tokens.end())
            tokens.push_back(std::move(part));
        start = end + 1;
    }
    return tokens;
}

TKeepSignal::~TKeepSignal() {
    Forget();
}

bool TKeepSignal::Listen() {
    Forget();
    std::array<unsigned char, KeepTokenBytes> random{};
    if (!system_.Random(random.data(), random.size()))
        return false;
    const std::string token = KeepToken(random);
    const TKeepScope scope = system_.Elevated() ? TKeepScope::Machine : TKeepScope::User;
    if (!system_.MakeEvent(KeepEventName(token, scope), scope))
        return false;
    std::vector<std::string> tokens = KeepRecordTokens(system_.ReadRecord(scope));
    std::erase_if(tokens, [this, scope](const std::string& t) {
        return !system_.EventExists(KeepEventName(t, scope));
    });
    tokens.push_back(token);
    if (!system_.WriteRecord(scope, KeepRecordText(tokens)))
        return false;
    token_ = token;
    scope_ = scope;
    return true;
}

bool TKeepSignal::Wait(unsigned seconds) {
    const bool kept = !token_.empty() && system_.WaitEvent(seconds);
    Forget();
    return kept;
}

bool TKeepSignal::Give() {
    bool given = false;
    for (const TKeepScope scope : KeepScopes)
        for (const std::string& token : KeepRecordTokens(system_.ReadRecord(scope)))
            given = system_.SignalEvent(KeepEventName(token, scope)) || given;
    return given;
}

void TKeepSignal::Forget() {
    if (token_.empty())
        return;
    std::vector<std::string> tokens = KeepRecordTokens(system_.ReadRecord(scope_));
    std::erase(tokens, token_);
    system_.WriteRecord(scope_, KeepRecordText(tokens));
    token_.clear();
}
