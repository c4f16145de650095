// Applying arbitrary requests over the in-memory registry: whatever the request and however
// the system answers, the registry is written only in the adapter's own TCP/IP key and in
// the user's Internet settings key, and an error leaves no write behind it, but for one:
// an adapter whose key does not open is reported after the proxy was written, and then
// nothing at all was written in the adapter's key.

#include "FuzzInput.h"

#include "netcfg/MemoryRegistry.h"
#include "netcfg/SetIP.h"
#include "support/Error.h"
#include "support/Strings.h"

#include <optional>
#include <string>

namespace {

// The system as the input has it answer.
class TScriptedServices : public INetServices {
  public:
    explicit TScriptedServices(TFuzzInput& in) : in_(in) {}
    std::uint32_t NotifyDhcpClient(const TIP&) override { return in_.Flag() ? 0 : in_.Byte(); }
    int RunSystemProgram(const std::string&, std::uint16_t) override { return in_.Byte() - 1; }
    bool GetLocalIP(std::string& text) override {
        if (!in_.Flag())
            return false;
        text = in_.Text(20);
        return true;
    }
    void SetStatusText(const std::string&) override {}
    void SetWaitCursor(bool) override {}
    void ShowMessage(const std::string&) override {}
    bool NotifyProxyChanged() override { return in_.Flag(); }

  private:
    TFuzzInput& in_;
};

TIP RequestFrom(TFuzzInput& in) {
    TIP request;
    request.Adapter = in.Flag() ? "{AD0A0000-0000-0000-0000-000000000001}" : in.Text(50);
    request.Address = in.Text(20);
    request.Gateway = in.Text(20);
    request.Submask = in.Text(20);
    request.DNS = in.Text(40);
    request.Proxy = in.Text(60);
    request.DHCP = in.Flag();
    return request;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TFuzzInput in(data, size);
    TMemoryRegistry registry;
    const TIP request = RequestFrom(in);
    const std::string adapterKey = WithoutOuterSeparators(InterfacesKey + request.Adapter);
    if (in.Flag()) // the adapter has its TCP/IP key, as a real adapter does
        registry.OpenKey(TRootKey::LocalMachine, adapterKey, true);
    if (in.Flag())
        registry.FailWritesOf(in.Flag() ? "EnableDHCP" : "ProxyEnable");
    if (!in.Flag()) // the adapter is one Windows has (drawn last: the corpus keeps its meaning)
        registry.AddEthernetAdapter(request.Adapter);
    registry.ClearJournal();

    TScriptedServices services(in);
    std::optional<std::string> error;
    try {
        SetIP(request, registry, services);
    } catch (const TError& e) {
        error = e.what();
    }
    const std::string proxyKey = WithoutOuterSeparators(InternetSettingsKey);
    for (const TRegistryWrite& write : registry.Journal()) {
        const bool adapterValue =
            write.Root == TRootKey::LocalMachine && SameText(write.KeyPath, adapterKey);
        const bool proxyValue =
            write.Root == TRootKey::CurrentUser && SameText(write.KeyPath, proxyKey);
        FUZZ_EXPECT(adapterValue || proxyValue, "a write outside the two keys: " + Describe(write));
    }
    if (!error || registry.Journal().empty())
        return 0;
    // As the error carries it: up to a NUL, which an identifier of the input may hold.
    if (*error == AdapterKeyMessage(request.Adapter).c_str()) {
        FUZZ_EXPECT(!AdapterKeyOpens(registry, request.Adapter),
                    "the adapter's key reported missing opens");
        // Only the proxy was written, and all of it went through.
        for (const TRegistryWrite& write : registry.Journal())
            FUZZ_EXPECT(write.Root == TRootKey::CurrentUser && write.Done,
                        "beside a missing adapter key, not a written proxy: " + Describe(write));
        return 0;
    }
    FUZZ_EXPECT(!registry.Journal().back().Done, "an error after a write that went through");
    return 0;
}
