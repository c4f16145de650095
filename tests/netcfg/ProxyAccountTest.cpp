// Started with another account's credentials, an apply leaves that account's proxy alone.

#include "netcfg/SetIP.h"

#include "netcfg/MemoryRegistry.h"
#include "support/AccessRules.h"
#include "support/Error.h"

#include <gtest/gtest.h>

namespace {

const std::string AdapterId = "{CCCCCCCC-0000-0000-0000-000000000001}";
const std::string AdapterPath =
    "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\" + AdapterId;

class TAccountServices : public INetServices {
  public:
    std::uint32_t NotifyDhcpClient(const TIP&) override { return NotifyError; }
    int RunSystemProgram(const std::string&, std::uint16_t) override { return 0; }
    bool GetLocalIP(std::string&) override { return false; }
    void SetStatusText(const std::string&) override {}
    void SetWaitCursor(bool) override {}
    void ShowMessage(const std::string& text) override { Messages.push_back(text); }
    bool NotifyProxyChanged() override {
        ++ProxyNotifications;
        return true;
    }
    bool MayWriteUserProxy() override { return SameAccount; }

    bool SameAccount = true;
    std::uint32_t NotifyError = 0;
    int ProxyNotifications = 0;
    std::vector<std::string> Messages;
};

} // namespace

TEST(ProxyAccount, AnotherAccountGetsTheAdapterValuesButNotTheProxyAndIsToldOnce) {
    const std::string notApplied = NotAppliedMessage(5);
    struct Case {
        const char* what;
        bool sameAccount, dhcp, adapterKey;
        std::uint32_t notifyError;
        std::vector<std::string> messages;
        bool raises;
    } cases[] = {
        {"same account", true, false, true, 0, {}, false},
        {"another account", false, false, true, 0, {ProxyNotSetMessage}, false},
        {"another account, DHCP",
         false,
         true,
         true,
         0,
         {ProxyNotSetMessage, LeaseNotRenewedMessage("Ethernet")},
         false},
        {"another account, not applied at once",
         false,
         false,
         true,
         5,
         {ProxyNotSetMessage, notApplied},
         false},
        {"another account, no adapter key", false, false, false, 0, {ProxyNotSetMessage}, true},
    };
    for (const Case& c : cases) {
        TMemoryRegistry registry;
        registry.AddEthernetAdapter(AdapterId);
        if (c.adapterKey)
            registry.OpenKey(TRootKey::LocalMachine, AdapterPath, true);
        TAccountServices services;
        services.SameAccount = c.sameAccount;
        services.NotifyError = c.notifyError;
        TIP request;
        request.Adapter = AdapterId;
        request.Address = "10.0.0.5";
        request.Submask = "255.0.0.0";
        request.Proxy = "p:8080";
        request.DHCP = c.dhcp;
        try {
            SetIP(request, registry, services);
            EXPECT_FALSE(c.raises) << c.what;
        } catch (const TError&) {
            EXPECT_TRUE(c.raises) << c.what;
        }
        EXPECT_EQ(c.messages, services.Messages) << c.what;
        bool proxyWritten = false, adapterWritten = false;
        for (const TRegistryWrite& write : registry.Journal())
            (write.Root == TRootKey::CurrentUser ? proxyWritten : adapterWritten) = true;
        EXPECT_EQ(c.sameAccount, proxyWritten) << c.what;
        EXPECT_EQ(c.sameAccount ? 1 : 0, services.ProxyNotifications) << c.what;
        EXPECT_EQ(c.adapterKey, adapterWritten) << c.what;
    }
}
