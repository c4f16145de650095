#include "netcfg/Snapshot.h"

#include "netcfg/MemoryRegistry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <tuple>

namespace {

const std::string AdapterId = "{AAAAAAAA-0000-0000-0000-00000000000B}";
const std::string AdapterPath =
    "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\" + AdapterId;
const std::string ProxyPath = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

std::string MultiSz(std::initializer_list<const char*> strings) {
    std::string bytes;
    for (const char* s : strings)
        bytes += std::string(s) + '\0';
    return bytes + '\0';
}
std::string Dword(unsigned char value) {
    return std::string{static_cast<char>(value), '\0', '\0', '\0'};
}

class TQuietServices : public INetServices {
  public:
    std::uint32_t NotifyDhcpClient(const TIP&) override { return 0; }
    int RunSystemProgram(const std::string&, std::uint16_t) override { return 0; }
    bool GetLocalIP(std::string&) override { return false; }
    void SetStatusText(const std::string&) override {}
    void SetWaitCursor(bool) override {}
    void ShowMessage(const std::string& text) override { Messages.push_back(text); }
    bool NotifyProxyChanged() override { return ++ProxyNotices > 0; }
    std::vector<std::string> Messages;
    int ProxyNotices = 0;
};

// The values of the adapter's key and of the proxy, as a test reads them back.
struct TValues {
    std::map<std::string, std::optional<TRegValue>> Adapter, Proxy;
};

class GoingBack : public testing::Test {
  protected:
    void SetUp() override {
        registry_.AddEthernetAdapter(AdapterId);
        registry_.OpenKey(TRootKey::LocalMachine, AdapterPath, true);
        registry_.OpenKey(TRootKey::CurrentUser, ProxyPath, true);
    }
    void Set(TRootKey root, const std::string& path, const std::string& name, unsigned type,
             const std::string& bytes) {
        registry_.OpenKey(root, path, false)->SetValue(name, type, bytes);
    }
    void SetAdapter(const std::string& name, unsigned type, const std::string& bytes) {
        Set(TRootKey::LocalMachine, AdapterPath, name, type, bytes);
    }
    void SetProxy(const std::string& name, unsigned type, const std::string& bytes) {
        Set(TRootKey::CurrentUser, ProxyPath, name, type, bytes);
    }
    TValues Read() const {
        TValues values;
        for (const char* name : {"IPAddress", "SubnetMask", "DefaultGateway",
                                 "DefaultGatewayMetric", "NameServer", "EnableDHCP"})
            values.Adapter[name] = registry_.Value(TRootKey::LocalMachine, AdapterPath, name);
        for (const char* name : {"ProxyEnable", "ProxyServer"})
            values.Proxy[name] = registry_.Value(TRootKey::CurrentUser, ProxyPath, name);
        return values;
    }
    // Applies a stored setting over what the registry holds, then goes back to the snapshot.
    void ApplyThenGoBack(const TSnapshot& snapshot) {
        TIP office;
        office.Adapter = AdapterId;
        office.Address = "10.9.9.9";
        office.Submask = "255.255.0.0";
        office.Gateway = "10.9.0.1";
        office.DNS = "10.9.0.2";
        office.Proxy = "office-proxy:3128";
        SetIP(office, registry_, services_);
        registry_.ClearJournal();
        RestoreSnapshot(snapshot, registry_, services_);
    }

    TMemoryRegistry registry_;
    TQuietServices services_;
};

bool SameValues(const std::map<std::string, std::optional<TRegValue>>& a,
                const std::map<std::string, std::optional<TRegValue>>& b, std::string& diff) {
    for (const auto& [name, value] : a) {
        const auto& other = b.at(name);
        const bool same = value.has_value() == other.has_value() &&
                          (!value || (value->Type == other->Type && value->Bytes == other->Bytes));
        if (!same)
            diff += name + " ";
    }
    return diff.empty();
}

} // namespace

// Before, after going back: the same values, byte for byte, for each kind of adapter.
TEST_F(GoingBack, PutsTheAdapterAndTheProxyBackAsTheyWere) {
    struct Case {
        const char* name;
        std::vector<std::tuple<bool, std::string, unsigned, std::string>> values; // adapter?
        bool dhcp;
    } cases[] = {
        {"static, one of each, no proxy",
         {{true, "IPAddress", RegMultiSz, std::string("192.168.1.5\0\0", 13)},
          {true, "SubnetMask", RegMultiSz, std::string("255.255.255.0\0\0", 15)},
          {true, "DefaultGateway", RegMultiSz, std::string("192.168.1.1\0\0", 13)},
          {true, "NameServer", RegSz, RegSzBytes("192.168.1.2,192.168.1.3")},
          {true, "EnableDHCP", RegDword, Dword(0)},
          {false, "ProxyEnable", RegDword, Dword(0)}},
         false},
        {"DHCP with idle static values and a disabled proxy server",
         {{true, "IPAddress", RegMultiSz, std::string("172.16.0.9\0\0", 12)},
          {true, "SubnetMask", RegMultiSz, std::string("255.255.0.0\0\0", 13)},
          {true, "DefaultGateway", RegMultiSz, std::string("\0\0", 2)},
          {true, "NameServer", RegSz, RegSzBytes("")},
          {true, "EnableDHCP", RegDword, Dword(1)},
          {false, "ProxyEnable", RegDword, Dword(0)},
          {false, "ProxyServer", RegSz, RegSzBytes("http=old:80;https=old:443")}},
         true},
        {"static with an enabled proxy",
         {{true, "IPAddress", RegMultiSz, std::string("10.1.1.5\0\0", 10)},
          {true, "SubnetMask", RegMultiSz, std::string("255.0.0.0\0\0", 11)},
          {true, "DefaultGateway", RegMultiSz, std::string("\0\0", 2)},
          {true, "NameServer", RegSz, RegSzBytes("")},
          {true, "EnableDHCP", RegDword, Dword(0)},
          {false, "ProxyEnable", RegDword, Dword(1)},
          {false, "ProxyServer", RegSz, RegSzBytes("home:8080")}},
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const auto& [adapter, name, type, bytes] : c.values)
            adapter ? SetAdapter(name, type, bytes) : SetProxy(name, type, bytes);
        const TValues before = Read();
        const TSnapshot snapshot = TakeSnapshot(registry_, AdapterId, nullptr);
        EXPECT_EQ(c.dhcp, snapshot.Request.DHCP);
        EXPECT_EQ("", SnapshotComplaint(snapshot));
        ApplyThenGoBack(snapshot);
        const TValues after = Read();
        std::string diff;
        EXPECT_TRUE(SameValues(before.Adapter, after.Adapter, diff)) << diff;
        EXPECT_TRUE(SameValues(before.Proxy, after.Proxy, diff)) << diff;
        // Without a connection name no lease is renewed, and the user is told; nothing else.
        for (const std::string& message : services_.Messages)
            EXPECT_EQ(LeaseNotRenewedMessage("Ethernet"), message);
        EXPECT_EQ(c.dhcp, !services_.Messages.empty());
        services_.Messages.clear();
    }
}

// Going back is an apply like any other: the journal shows SetIP's writes, DHCP's for a
// DHCP snapshot, then only the values that still differ.
TEST_F(GoingBack, GoesBackThroughTheApplyAndADhcpSnapshotToDhcp) {
    SetAdapter("EnableDHCP", RegDword, Dword(1));
    SetAdapter("IPAddress", RegMultiSz, std::string("0.0.0.0\0\0", 9));
    const TSnapshot snapshot = TakeSnapshot(registry_, AdapterId, nullptr);
    ApplyThenGoBack(snapshot);
    const auto adapter = [](const std::string& name, unsigned type, const std::string& bytes) {
        return TRegistryWrite{TRootKey::LocalMachine, AdapterPath, name, type, bytes, true};
    };
    const std::vector<TRegistryWrite> journal = registry_.Journal();
    ASSERT_GE(journal.size(), 3u);
    EXPECT_EQ(adapter("DefaultGateway", RegMultiSz, std::string(2, '\0')), journal[0]);
    EXPECT_EQ(adapter("NameServer", RegSz, RegSzBytes("")), journal[1]);
    EXPECT_EQ(adapter("EnableDHCP", RegDword, Dword(1)), journal[2]);
    // The static values the apply put there, back as they were; none was there before it.
    const std::vector<TRegistryWrite> rest(journal.begin() + 3, journal.end());
    EXPECT_NE(rest.end(),
              std::find(rest.begin(), rest.end(),
                        adapter("IPAddress", RegMultiSz, std::string("0.0.0.0\0\0", 9))));
    EXPECT_NE(rest.end(),
              std::find(rest.begin(), rest.end(), adapter("SubnetMask", RegDeletedValue, "")));
    EXPECT_EQ(rest.end(), std::find(rest.begin(), rest.end(),
                                    adapter("DefaultGatewayMetric", RegDeletedValue, "")))
        << "the apply wrote no metric, so there is none to remove";
}

TEST_F(GoingBack, KeepsEveryAddressGatewayAndMetricOfTheAdapter) {
    SetAdapter("EnableDHCP", RegDword, Dword(0));
    SetAdapter("IPAddress", RegMultiSz, MultiSz({"10.0.0.5", " 10.0.0.6 "}));
    SetAdapter("SubnetMask", RegMultiSz, MultiSz({"255.0.0.0", "255.255.0.0"}));
    SetAdapter("DefaultGateway", RegMultiSz, MultiSz({"10.0.0.1", "10.0.0.254"}));
    SetAdapter("DefaultGatewayMetric", RegMultiSz, MultiSz({"5", "x"}));
    SetAdapter("NameServer", RegSz, RegSzBytes("10.0.0.2 10.0.0.3"));
    const TIP request = TakeSnapshot(registry_, AdapterId, nullptr).Request;
    EXPECT_FALSE(request.DHCP);
    EXPECT_EQ("10.0.0.5", request.Address);
    EXPECT_EQ("255.0.0.0", request.Submask);
    ASSERT_EQ(1u, request.MoreAddresses.size());
    EXPECT_EQ("10.0.0.6", request.MoreAddresses[0].Address);
    EXPECT_EQ("255.255.0.0", request.MoreAddresses[0].Submask);
    EXPECT_EQ("10.0.0.1", request.Gateway);
    EXPECT_EQ(5u, request.GatewayMetric);
    ASSERT_EQ(1u, request.MoreGateways.size());
    EXPECT_EQ("10.0.0.254", request.MoreGateways[0].Gateway);
    EXPECT_EQ(0u, request.MoreGateways[0].Metric) << "a metric that is no number is automatic";
    EXPECT_EQ("10.0.0.2,10.0.0.3", request.DNS);
}

// Without a way back, nothing may be applied: a static adapter without a usable address.
TEST_F(GoingBack, ASnapshotThatCouldNotBeAppliedSaysWhy) {
    SetAdapter("EnableDHCP", RegDword, Dword(0));
    EXPECT_NE("", SnapshotComplaint(TakeSnapshot(registry_, AdapterId, nullptr)));
    SetAdapter("IPAddress", RegMultiSz, std::string("10.0.0.5\0\0", 10));
    SetAdapter("SubnetMask", RegMultiSz, std::string("255.0.255.0\0\0", 13));
    EXPECT_NE(std::string::npos,
              SnapshotComplaint(TakeSnapshot(registry_, AdapterId, nullptr)).find("Submask"));
}
