#include "netcfg/AdapterSwitch.h"
#include "netcfg/ProxyConnection.h"
#include "netcfg/Snapshot.h"

#include "netcfg/MemoryRegistry.h"
#include "support/Error.h"

#include <gtest/gtest.h>

namespace {

const std::string AdapterId = "{AAAAAAAA-0000-0000-0000-00000000000D}";
const std::string AdapterPath =
    "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\" + AdapterId;
const std::string ProxyPath = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

// The user's connection flags as the Internet library would keep them, and every call.
class TFakeConnection : public IProxyConnection {
  public:
    std::optional<std::uint32_t> Flags() override {
        Calls.push_back("read");
        return Value;
    }
    bool SetFlags(std::uint32_t flags) override {
        Calls.push_back("set " + std::to_string(flags));
        Value = flags;
        return true;
    }
    std::uint32_t Value = ConnectionDirect;
    std::vector<std::string> Calls;
};

class TServices : public INetServices {
  public:
    std::uint32_t NotifyDhcpClient(const TIP&) override { return 0; }
    int RunSystemProgram(const std::string&, std::uint16_t) override { return 0; }
    bool GetLocalIP(std::string&) override { return false; }
    void SetStatusText(const std::string&) override {}
    void SetWaitCursor(bool) override {}
    void ShowMessage(const std::string&) override {}
    bool NotifyProxyChanged() override { return Connection.Calls.push_back("notify"), true; }
    IProxyConnection* ProxyConnection() override { return &Connection; }
    TFakeConnection Connection;
};

class NetOptionsApply : public testing::Test {
  protected:
    void SetUp() override {
        registry_.AddEthernetAdapter(AdapterId);
        registry_.OpenKey(TRootKey::LocalMachine, AdapterPath, true);
        registry_.OpenKey(TRootKey::CurrentUser, ProxyPath, true);
        registry_.ClearJournal();
    }
    static TIP Office(const TNetOptions& options, const std::string& proxy = "proxy:8080") {
        TIP request;
        request.Adapter = AdapterId;
        request.Address = "10.0.0.5";
        request.Submask = "255.0.0.0";
        request.Proxy = proxy;
        request.Options = options;
        return request;
    }
    // The journal's writes beyond those every switch makes, as "name=text".
    std::vector<std::string> WritesBeyondToday() const {
        const std::string today = " IPAddress DefaultGateway SubnetMask NameServer EnableDHCP "
                                  "ProxyEnable ProxyServer ";
        std::vector<std::string> writes;
        for (const TRegistryWrite& w : registry_.Journal())
            if (today.find(" " + w.Name + " ") == std::string::npos)
                writes.push_back(w.Name + "=" +
                                 (w.Type == RegDeletedValue ? "(removed)" : w.Bytes.c_str()));
        return writes;
    }
    TMemoryRegistry registry_;
    TServices services_;
};

} // namespace

// Each value alone, then all: only what is set is written, beside the values it belongs to,
// and the documented call turns detection on before running programs are told.
TEST_F(NetOptionsApply, WritesEachValueSetAndNothingForOneLeftEmpty) {
    const std::string on =
        std::to_string(ConnectionDirect | ConnectionProxy | ConnectionAutoDetect);
    struct Case {
        const char* what;
        TNetOptions options;
        std::string proxy;
        std::vector<std::string> writes;
        std::vector<std::string> calls;
    } cases[] = {
        {"none", {}, "proxy:8080", {}, {"notify"}},
        {"a suffix",
         {"corp.example.com", "", "", false},
         "",
         {"Domain=corp.example.com"},
         {"notify"}},
        {"exceptions with a proxy",
         {"", "*.corp;<local>", "", false},
         "proxy:8080",
         {"ProxyOverride=*.corp;<local>"},
         {"notify"}},
        {"exceptions without a proxy", {"", "*.corp", "", false}, "", {}, {"notify"}},
        {"a script",
         {"", "", "http://wpad/proxy.pac", false},
         "",
         {"AutoConfigURL=http://wpad/proxy.pac"},
         {"notify"}},
        {"detection", {"", "", "", true}, "proxy:8080", {}, {"read", "set " + on, "notify"}},
        {"all",
         {"lab.example", "<local>", "file:///C:/proxy.pac", true},
         "proxy:8080",
         {"Domain=lab.example", "ProxyOverride=<local>", "AutoConfigURL=file:///C:/proxy.pac"},
         {"read",
          "set " + std::to_string(ConnectionDirect | ConnectionProxy | ConnectionScript |
                                  ConnectionAutoDetect),
          "notify"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        registry_.ClearJournal();
        services_.Connection = {};
        SetIP(Office(c.options, c.proxy), registry_, services_);
        EXPECT_EQ(c.writes, WritesBeyondToday());
        EXPECT_EQ(c.calls, services_.Connection.Calls);
        // One step back for the next case: a suffix left behind would be removed by it.
        if (!c.options.DnsSuffix.empty())
            registry_.OpenKey(TRootKey::LocalMachine, AdapterPath, false)->DeleteValue("Domain");
    }
}

// A suffix goes with its static setting: the next one without it removes it, and a request
// whose suffix the rules refuse writes nothing, on either side.
TEST_F(NetOptionsApply, ASettingWithoutASuffixRemovesTheOneBeforeItAndABadOneIsRefused) {
    SetIP(Office({"corp.example", "", "", false}), registry_, services_);
    registry_.ClearJournal();
    SetIP(Office({}), registry_, services_);
    EXPECT_EQ(std::vector<std::string>{"Domain=(removed)"}, WritesBeyondToday());
    for (const char* bad : {"-corp.example", "corp.example."}) {
        registry_.ClearJournal();
        EXPECT_THROW(SetIP(Office({bad, "", "", false}), registry_, services_), TError) << bad;
        const TAdapterReply reply =
            RunAdapterRequest({Office({bad, "", "", false}), {}}, registry_, services_);
        EXPECT_EQ(TAdapterStage::Refused, reply.Stage) << bad;
        EXPECT_TRUE(registry_.Journal().empty()) << bad;
    }
}

// Whatever the adapter's addressing, going back leaves the suffix, the exceptions, the
// script and detection as they were, byte for byte.
TEST_F(NetOptionsApply, GoingBackRestoresEveryValueAsItWas) {
    for (const bool dhcp : {false, true}) {
        SCOPED_TRACE(dhcp ? "DHCP" : "static");
        const auto adapter = registry_.OpenKey(TRootKey::LocalMachine, AdapterPath, false);
        adapter->SetValue("EnableDHCP", RegDword, std::string(dhcp ? "\1\0\0\0" : "\0\0\0\0", 4));
        adapter->SetValue("IPAddress", RegMultiSz, std::string("10.1.1.5\0\0", 10));
        adapter->SetValue("SubnetMask", RegMultiSz, std::string("255.0.0.0\0\0", 11));
        adapter->SetValue("Domain", RegSz, RegSzBytes("home_1.example."));
        registry_.OpenKey(TRootKey::CurrentUser, ProxyPath, false)
            ->SetValue("ProxyOverride", RegSz, RegSzBytes("old-host"));
        registry_.OpenKey(TRootKey::CurrentUser, ProxyPath, false)->DeleteValue("AutoConfigURL");
        services_.Connection = {};
        const TSnapshot snapshot =
            TakeSnapshot(registry_, AdapterId, nullptr, &services_.Connection);
        EXPECT_EQ(std::optional(ConnectionDirect), snapshot.ConnectionFlags);
        EXPECT_EQ("", SnapshotComplaint(snapshot));
        EXPECT_EQ("", KeptValuesComplaint(snapshot.AdapterValues));
        SetIP(Office({"office.example", "*.office", "http://wpad/p.pac", true}), registry_,
              services_);
        RestoreSnapshot(snapshot, registry_, services_);
        EXPECT_EQ(RegSzBytes("home_1.example."),
                  registry_.Value(TRootKey::LocalMachine, AdapterPath, "Domain")->Bytes);
        EXPECT_EQ(RegSzBytes("old-host"),
                  registry_.Value(TRootKey::CurrentUser, ProxyPath, "ProxyOverride")->Bytes);
        EXPECT_FALSE(registry_.Value(TRootKey::CurrentUser, ProxyPath, "AutoConfigURL"));
        EXPECT_EQ(ConnectionDirect, services_.Connection.Value);
    }
}

// After a switch the suffix is looked for as the other values are.
TEST(NetOptionsCheck, TheSuffixAskedIsCompared) {
    TIP request;
    request.Address = "10.0.0.5";
    request.Submask = "255.0.0.0";
    TLiveState state{true, true, false, {{"10.0.0.5", 8}}, {}, {}, "", 0, 7, "", "Corp.Example"};
    request.Options.DnsSuffix = "corp.example";
    EXPECT_TRUE(Differences(request, state, {}).empty()); // letter case aside
    state.DnsSuffix = "";
    const std::vector<TDifference> differences = Differences(request, state, {});
    ASSERT_EQ(1u, differences.size());
    EXPECT_EQ("the DNS suffix corp.example / no DNS suffix",
              differences[0].Asked + " / " + differences[0].Used);
}
