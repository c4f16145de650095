// Running programs hear of a new proxy right after its values are written, and only then.

#include "netcfg/SetIP.h"

#include "netcfg/MemoryRegistry.h"
#include "support/Error.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

const std::string AdapterId = "{BBBBBBBB-0000-0000-0000-000000000001}";
const std::string AdapterPath =
    "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\" + AdapterId;
const std::string ProxyPath = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

// Each call to the system as one line, the refresh with the registry writes done before it.
class TOrderRecorder : public INetServices {
  public:
    explicit TOrderRecorder(const TMemoryRegistry& registry) : registry_(registry) {}

    std::uint32_t NotifyDhcpClient(const TIP&) override {
        Events.push_back("notify");
        return 1; // refused: what follows a failed notification must not move the refresh
    }
    int RunSystemProgram(const std::string& commandLine, std::uint16_t) override {
        Events.push_back("run " + commandLine);
        return 0;
    }
    bool GetLocalIP(std::string&) override { return false; }
    void SetStatusText(const std::string&) override { Events.push_back("status"); }
    void SetWaitCursor(bool) override {}
    void ShowMessage(const std::string&) override {}
    bool NotifyProxyChanged() override {
        std::string written;
        for (const TRegistryWrite& write : registry_.Journal())
            written += (written.empty() ? "" : " ") + write.Name;
        Events.push_back("proxy refresh after " + written);
        return true;
    }

    std::vector<std::string> Events;

  private:
    const TMemoryRegistry& registry_;
};

TIP Request(bool dhcp, const std::string& proxy) {
    TIP request;
    request.Adapter = AdapterId;
    request.Address = "10.0.0.5";
    request.Submask = "255.0.0.0";
    request.Proxy = proxy;
    request.DHCP = dhcp;
    return request;
}

} // namespace

TEST(ProxyRefresh, FollowsTheProxyWritesOnEveryKindOfApply) {
    const std::string adapterWrites = "IPAddress DefaultGateway SubnetMask NameServer EnableDHCP";
    struct Case {
        const char* what;
        TIP request;
        bool adapterKey;
        std::vector<std::string> events;
    } cases[] = {
        {"static with a proxy",
         Request(false, "p:8080"),
         true,
         {"proxy refresh after " + adapterWrites + " ProxyEnable ProxyServer", "notify", "status"}},
        {"static without a proxy",
         Request(false, ""),
         true,
         {"proxy refresh after " + adapterWrites + " ProxyEnable", "notify", "status"}},
        {"DHCP",
         Request(true, "p:8080"),
         true,
         {"proxy refresh after DefaultGateway NameServer EnableDHCP ProxyEnable ProxyServer",
          "status"}}, // no connection name: nothing renewed
        {"an adapter without a key",
         Request(false, ""),
         false,
         {"proxy refresh after ProxyEnable", "notify", "status"}},
    };
    for (const Case& c : cases) {
        TMemoryRegistry registry;
        registry.AddEthernetAdapter(AdapterId);
        if (c.adapterKey)
            registry.OpenKey(TRootKey::LocalMachine, AdapterPath, true);
        TOrderRecorder services(registry);
        try {
            SetIP(c.request, registry, services);
            EXPECT_TRUE(c.adapterKey) << c.what << ": an adapter left as it was is an error";
        } catch (const TError&) {
            EXPECT_FALSE(c.adapterKey) << c.what; // raised after every other step
        }
        EXPECT_EQ(c.events, services.Events) << c.what;
    }
}

TEST(ProxyRefresh, IsNeverSentWhenAWriteFailedOrTheProxyKeyWillNotOpen) {
    struct Case {
        const char* what;
        std::function<void(TMemoryRegistry&)> spoil;
        bool raises;
    } cases[] = {
        {"NameServer refused", [](TMemoryRegistry& r) { r.FailWritesOf("NameServer"); }, true},
        {"ProxyEnable refused", [](TMemoryRegistry& r) { r.FailWritesOf("ProxyEnable"); }, true},
        {"ProxyServer refused", [](TMemoryRegistry& r) { r.FailWritesOf("ProxyServer"); }, true},
        {"Internet Settings denied",
         [](TMemoryRegistry& r) { r.MakeUnopenable(TRootKey::CurrentUser, ProxyPath); }, false},
    };
    for (const Case& c : cases) {
        TMemoryRegistry registry;
        registry.AddEthernetAdapter(AdapterId);
        registry.OpenKey(TRootKey::LocalMachine, AdapterPath, true);
        c.spoil(registry);
        TOrderRecorder services(registry);
        if (c.raises)
            EXPECT_THROW(SetIP(Request(false, "p:8080"), registry, services), TError) << c.what;
        else
            EXPECT_NO_THROW(SetIP(Request(false, "p:8080"), registry, services)) << c.what;
        for (const std::string& event : services.Events)
            EXPECT_EQ(std::string::npos, event.find("proxy refresh")) << c.what << ": " << event;
    }
}
