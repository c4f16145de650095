#include "HelperClient.h"

#include "privileged/RequestFormat.h"
#include "support/Error.h"

#include <cstdio>

const char* const ConsentRefusedMessage =
    "Netvane needs your permission to change the adapter's settings. Nothing was changed.";

namespace {

constexpr char PipePrefix[] = "\\\\.\\pipe\\Netvane.Helper.";
constexpr std::size_t PipeRandomDigits = 32;

bool IsLowerHex(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
}

} // namespace

std::string HelperPipeName(const unsigned char (&random)[16]) {
    std::string name = PipePrefix;
    for (const unsigned char byte : random) {
        char digits[3];
        std::snprintf(digits, sizeof digits, "%02x", byte);
        name += digits;
    }
    return name;
}

bool IsHelperPipeName(const std::string& name) {
    const std::size_t prefix = sizeof PipePrefix - 1;
    if (name.size() != prefix + PipeRandomDigits || name.compare(0, prefix, PipePrefix) != 0)
        return false;
    for (std::size_t i = prefix; i < name.size(); ++i)
        if (!IsLowerHex(name[i]))
            return false;
    return true;
}

void THelperSwitch::Start() {
    if (const std::string refusal = system_.FolderRefusal(); !refusal.empty())
        throw TError(refusal);
    unsigned char random[16];
    if (!system_.Random(random))
        throw TError("Netvane could not make a private name for its helper. Nothing was changed.");
    const std::string pipeName = HelperPipeName(random);
    std::string error;
    switch (system_.Launch(pipeName, error)) {
    case IHelperSystem::TLaunch::Refused:
        throw TError(ConsentRefusedMessage);
    case IHelperSystem::TLaunch::Failed:
        throw TError("Netvane could not start its helper to change the adapter's settings (" +
                     error + "). Nothing was changed.");
    case IHelperSystem::TLaunch::Started:
        break;
    }
    if (!system_.Connect(pipeName))
        throw TError("Netvane's helper did not answer. Nothing was changed.");
    connected_ = true;
}

void THelperSwitch::Forget() {
    system_.Disconnect();
    connected_ = false;
}

TAdapterReply THelperSwitch::Apply(const TAdapterRequest& request) {
    const std::string message = EncodeRequest(request);
    std::string answer;
    // A helper that has ended since (ten idle minutes) is started again, once.
    auto sent = IHelperSystem::TTransact::NotSent;
    if (connected_)
        sent = system_.Transact(message, answer);
    if (sent == IHelperSystem::TTransact::NotSent) {
        Forget();
        Start();
        sent = system_.Transact(message, answer);
    }
    if (sent != IHelperSystem::TTransact::Answered) {
        Forget();
        throw TError(sent == IHelperSystem::TTransact::NotSent
                         ? "Netvane's helper did not take the request. Nothing was changed."
                         : "Netvane's helper ended before it answered: the adapter's settings "
                           "may have changed. The adapter's details show what Windows uses now.");
    }
    const std::optional<TAdapterReply> reply = DecodeReply(answer);
    if (!reply) {
        // Whatever else that helper would say could not be trusted either.
        Forget();
        throw TError("Netvane's helper gave an answer that cannot be read: the adapter's "
                     "settings may have changed. The adapter's details show what Windows uses "
                     "now.");
    }
    return *reply;
}
