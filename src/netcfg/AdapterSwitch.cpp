#include "AdapterSwitch.h"

#include "support/AddressRules.h"
#include "support/Error.h"
#include "support/Strings.h"

#include <algorithm>
#include <cctype>
#include <set>

const std::vector<std::string> RestorableAdapterValues = {
    "IPAddress", "SubnetMask", "DefaultGateway", GatewayMetricValue, "NameServer", DnsSuffixValue};

namespace {

// Longer than any value of these names Windows keeps: 16 addresses and their masks.
constexpr std::size_t MaxKeptValueBytes = 1024;

// The non-empty parts of text between any of the separators.
std::vector<std::string> Parts(const std::string& text, const std::string& separators) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find_first_of(separators, start), text.size());
        if (end > start)
            parts.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

// The strings of a REG_MULTI_SZ's bytes; the empty ones are the list's end or padding.
std::vector<std::string> MultiSzStrings(const std::string& bytes) {
    return Parts(bytes, std::string(1, '\0'));
}

bool IsMetric(const std::string& text) {
    return !text.empty() && text.size() <= 5 &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// NameServer: addresses separated by "," or " ".
bool IsServerList(const std::string& text) {
    for (const std::string& part : Parts(text, ", "))
        if (!IsValidIP(part))
            return false;
    return true;
}

std::string KeptValueComplaint(const TKeptValue& kept) {
    if (!kept.Value)
        return {}; // removed, as it was missing
    const TRegValue& value = *kept.Value;
    if (value.Bytes.size() > MaxKeptValueBytes)
        return kept.Name + " is too long";
    if (kept.Name == DnsSuffixValue) {
        // What Windows keeps, which is wider than what the editor takes (a root's dot, the
        // underscores of older domains): a way back must not be refused for it.
        const std::string suffix = value.Bytes.substr(0, value.Bytes.find('\0'));
        const bool name = std::all_of(suffix.begin(), suffix.end(), [](char c) {
            return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '.' || c == '_';
        });
        if (value.Type != RegSz || !name)
            return std::string(DnsSuffixValue) + " is no DNS name";
        return {};
    }
    if (kept.Name == "NameServer") {
        if (value.Type != RegSz || !IsServerList(value.Bytes.substr(0, value.Bytes.find('\0'))))
            return "NameServer is no list of addresses";
        return {};
    }
    if (value.Type != RegMultiSz)
        return kept.Name + " is not a list of texts";
    const bool metrics = kept.Name == GatewayMetricValue;
    for (const std::string& text : MultiSzStrings(value.Bytes))
        if (metrics ? !IsMetric(text) : !IsValidIP(text))
            return kept.Name + " holds \"" + CutText(text, 40) + "\"";
    return {};
}

// The services of the process with the rights, for one request: what they would show the
// user is gathered for the reply; the rest is theirs.
class TGatheringServices : public INetServices {
  public:
    TGatheringServices(INetServices& inner, std::vector<std::string>& said)
        : inner_(inner), said_(said) {}
    std::uint32_t NotifyDhcpClient(const TIP& request) override {
        return inner_.NotifyDhcpClient(request);
    }
    int RunSystemProgram(const std::string& commandLine, std::uint16_t showState) override {
        return inner_.RunSystemProgram(commandLine, showState);
    }
    bool GetLocalIP(std::string& text) override { return inner_.GetLocalIP(text); }
    void SetStatusText(const std::string&) override {}
    void SetWaitCursor(bool) override {}
    void ShowMessage(const std::string& text) override { said_.push_back(text); }
    bool NotifyProxyChanged() override { return false; }
    ILiveStateReader* LiveStateReader() override { return inner_.LiveStateReader(); }
    ISwitchSystem* SwitchSystem() override { return inner_.SwitchSystem(); }

  private:
    INetServices& inner_;
    std::vector<std::string>& said_;
};

} // namespace

std::string KeptValuesComplaint(const std::vector<TKeptValue>& values) {
    std::set<std::string> seen;
    for (const TKeptValue& kept : values) {
        if (std::find(RestorableAdapterValues.begin(), RestorableAdapterValues.end(), kept.Name) ==
            RestorableAdapterValues.end())
            return "the value \"" + CutText(kept.Name, 40) + "\" is not one going back restores";
        if (!seen.insert(kept.Name).second)
            return "the value " + kept.Name + " is given twice";
        if (std::string complaint = KeptValueComplaint(kept); !complaint.empty())
            return complaint;
    }
    return {};
}

TAdapterReply RunAdapterRequest(const TAdapterRequest& request, IRegistryBackend& registry,
                                INetServices& services) {
    TAdapterReply reply;
    if (const std::string complaint = KeptValuesComplaint(request.KeptValues); !complaint.empty()) {
        reply.Error = "The previous settings cannot be put back: " + complaint +
                      "; nothing was changed";
        return reply;
    }
    TGatheringServices gathering(services, reply.Said);
    try {
        reply.Applied = SetAdapterPart(request, registry, gathering, &reply.Result);
        reply.Stage = TAdapterStage::Done;
    } catch (const std::exception& error) {
        reply.Error = error.what();
        // Past the checks, only the adapter's key can have failed: the rest ran.
        const bool keyMissing = reply.Error == AdapterKeyMessage(request.Request.Adapter);
        reply.Stage = keyMissing ? TAdapterStage::KeyMissing : TAdapterStage::Refused;
    }
    return reply;
}
