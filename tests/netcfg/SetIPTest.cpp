#include "netcfg/SetIP.h"

#include "netcfg/MemoryRegistry.h"
#include "netcfg/SwitchCheck.h"
#include "support/Error.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>

namespace {

const std::string AdapterId = "{AAAAAAAA-0000-0000-0000-000000000001}";
const std::string AdapterPath =
    "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\" + AdapterId;
const std::string ProxyPath = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

std::string MultiSz(const std::string& text) {
    return text + std::string(2, '\0');
}
std::string Dword(std::uint32_t value) {
    return std::string{static_cast<char>(value & 0xFF), static_cast<char>((value >> 8) & 0xFF),
                       static_cast<char>((value >> 16) & 0xFF), static_cast<char>(value >> 24)};
}

// Records what SetIP asks of the system, in order.
class TRecordingServices : public INetServices, public ILiveStateReader, public ISwitchSystem {
  public:
    std::uint32_t NotifyDhcpClient(const TIP& r) override {
        Events.push_back("notify " + r.Adapter + " " + r.Address + " " + r.Submask);
        return NotifyError;
    }
    int RunSystemProgram(const std::string& commandLine, std::uint16_t showState) override {
        Events.push_back("run [" + commandLine + "] show " + std::to_string(showState));
        return 1;
    }
    bool GetLocalIP(std::string& text) override {
        Events.push_back("local address");
        if (LocalAddress.empty())
            return false;
        text = LocalAddress;
        return true;
    }
    void SetStatusText(const std::string& text) override { Events.push_back("status " + text); }
    void SetWaitCursor(bool waiting) override {
        Events.push_back(waiting ? "hourglass" : "default cursor");
    }
    void ShowMessage(const std::string& text) override { Events.push_back("message " + text); }
    // Its order among the registry writes is checked in ProxyRefreshTest.cpp.
    bool NotifyProxyChanged() override { return true; }
    // With an Index, Windows lists the adapter under it, up with a lease.
    ILiveStateReader* LiveStateReader() override { return Index ? this : nullptr; }
    ISwitchSystem* SwitchSystem() override { return Index ? this : nullptr; }
    TLiveState Read(const std::string&) override {
        return {true, true, true, {{"10.9.0.7", 16}}, {}, {}, "", 0, Index, "", ""};
    }
    int RunNetsh(const std::string&, std::string&) override { return 0; }
    bool RenewLease(std::uint32_t i) override {
        return Events.push_back("renew " + std::to_string(i)), true;
    }
    void Wait(unsigned) override {}
    std::uint32_t Index = 0;

    std::vector<std::string> Events;
    std::uint32_t NotifyError = 0;
    std::string LocalAddress = "10.1.2.3";
};

TRegistryWrite Write(TRootKey root, const std::string& key, const std::string& name, unsigned type,
                     const std::string& bytes) {
    return {root, key, name, type, bytes, true};
}
TRegistryWrite Adapter(const std::string& name, unsigned type, const std::string& bytes) {
    return Write(TRootKey::LocalMachine, AdapterPath, name, type, bytes);
}
TRegistryWrite Proxy(const std::string& name, unsigned type, const std::string& bytes) {
    return Write(TRootKey::CurrentUser, ProxyPath, name, type, bytes);
}

class ApplySetting : public testing::Test {
  protected:
    void SetUp() override {
        registry_.OpenKey(TRootKey::LocalMachine, AdapterPath, true);
        registry_.OpenKey(TRootKey::CurrentUser, ProxyPath, true);
        registry_.AddEthernetAdapter(AdapterId);
        registry_.ClearJournal();
    }

    // A stored setting as the grid's current row would give it.
    static TIP FromRow(std::map<std::string, std::string> row) {
        row.emplace("Adapter", AdapterId);
        TIP request;
        FillStaticRequest(request, [&row](const std::string& name) { return row[name]; });
        return request;
    }

    TMemoryRegistry registry_;
    TRecordingServices services_;
};

} // namespace

TEST_F(ApplySetting, WritesTheAdapterValuesThenTheProxyInOrderAndLayout) {
    const TIP request = FromRow({{"Title", "Office"},
                                 {"Address", "10.0.0.5"},
                                 {"Submask", "255.0.0.0"},
                                 {"Gateway", "10.0.0.1"},
                                 {"DNS1", "10.0.0.2"},
                                 {"DNS2", "10.0.0.3"},
                                 {"Proxy", "proxy:8080"}});
    SetIP(request, registry_, services_);
    const std::vector<TRegistryWrite> expected = {
        Adapter("IPAddress", RegMultiSz, MultiSz("10.0.0.5")),
        Adapter("DefaultGateway", RegMultiSz, MultiSz("10.0.0.1")),
        Adapter("SubnetMask", RegMultiSz, MultiSz("255.0.0.0")),
        Adapter("NameServer", RegSz, RegSzBytes("10.0.0.2,10.0.0.3")),
        Adapter("EnableDHCP", RegDword, Dword(0)),
        Proxy("ProxyEnable", RegDword, Dword(1)),
        Proxy("ProxyServer", RegSz, RegSzBytes("proxy:8080")),
    };
    EXPECT_EQ(expected, registry_.Journal());
}

TEST_F(ApplySetting, FillsTheRequestFromTrimmedColumns) {
    struct Case {
        std::string dns1, dns2, nameServer;
    } cases[] = {
        {"1.1.1.1", "2.2.2.2", "1.1.1.1,2.2.2.2"},
        {"", "2.2.2.2", "2.2.2.2"},
        {"1.1.1.1", "", "1.1.1.1"},
        {"", "", ""},
        {" 1.1.1.1\t", "  2.2.2.2 ", "1.1.1.1,2.2.2.2"},
        {"  ", " ", ""},
    };
    for (const auto& c : cases) {
        const TIP request = FromRow({{"DNS1", c.dns1}, {"DNS2", c.dns2}});
        EXPECT_EQ(c.nameServer, request.DNS) << "[" << c.dns1 << "] [" << c.dns2 << "]";
    }
    const TIP blanks = FromRow({{"Address", " 10.0.0.5 "},
                                {"Gateway", "\t10.0.0.1"},
                                {"Submask", "255.0.0.0  "},
                                {"Proxy", " p:1 "}});
    EXPECT_EQ("10.0.0.5", blanks.Address);
    EXPECT_EQ("10.0.0.1", blanks.Gateway);
    EXPECT_EQ("255.0.0.0", blanks.Submask);
    EXPECT_EQ("p:1", blanks.Proxy);
    EXPECT_FALSE(blanks.DHCP);
}

// Windows would read 010 as octal 8 and cannot read $FF at all: every address goes to it as
// the plain decimal groups the program's own check read, while the stored row keeps its text.
TEST_F(ApplySetting, AddressesReachWindowsAsPlainDecimalGroups) {
    const TIP request = FromRow({{"Address", "010.001.000.001"},
                                 {"Submask", "$FF.0xFF.255.0"},
                                 {"Gateway", "+10.0.0.1"},
                                 {"DNS1", "10. 0.0.2"},
                                 {"DNS2", "010.0.0.3"}});
    EXPECT_EQ("10.1.0.1", request.Address);
    EXPECT_EQ("255.255.255.0", request.Submask);
    EXPECT_EQ("10.0.0.1", request.Gateway);
    EXPECT_EQ("10.0.0.2,10.0.0.3", request.DNS);
    SetIP(request, registry_, services_);
    const auto written = registry_.Value(TRootKey::LocalMachine, AdapterPath, "IPAddress");
    ASSERT_TRUE(written);
    EXPECT_EQ(MultiSz("10.1.0.1"), written->Bytes);
    EXPECT_EQ("notify " + AdapterId + " 10.1.0.1 255.255.255.0", services_.Events[1]);
    // What is no dotted quad is passed on as it stands (and refused where it must be).
    EXPECT_EQ("gw", FromRow({{"Gateway", " gw "}}).Gateway);
}

TEST_F(ApplySetting, EmptyValuesGiveEmptyMultiStringsAndNoProxy) {
    registry_.OpenKey(TRootKey::CurrentUser, ProxyPath, false)
        ->SetValue("ProxyServer", RegSz, RegSzBytes("earlier:3128"));
    registry_.ClearJournal();
    SetIP(FromRow({{"Address", "10.0.0.5"}, {"Submask", "255.0.0.0"}}), registry_, services_);
    const std::vector<TRegistryWrite> expected = {
        Adapter("IPAddress", RegMultiSz, MultiSz("10.0.0.5")),
        Adapter("DefaultGateway", RegMultiSz, std::string(2, '\0')),
        Adapter("SubnetMask", RegMultiSz, MultiSz("255.0.0.0")),
        Adapter("NameServer", RegSz, std::string(1, '\0')),
        Adapter("EnableDHCP", RegDword, Dword(0)),
        Proxy("ProxyEnable", RegDword, Dword(0)),
    };
    EXPECT_EQ(expected, registry_.Journal());
    EXPECT_EQ(RegSzBytes("earlier:3128"),
              registry_.Value(TRootKey::CurrentUser, ProxyPath, "ProxyServer")->Bytes);
}

TEST_F(ApplySetting, NotifiesThenSetsTheStatusLineLastUnderTheHourglass) {
    EXPECT_TRUE(
        SetIP(FromRow({{"Address", "10.0.0.5"}, {"Submask", "255.0.0.0"}}), registry_, services_));
    const std::vector<std::string> expected = {
        "hourglass", "notify " + AdapterId + " 10.0.0.5 255.0.0.0", "local address",
        "status Current IP is 10.1.2.3", "default cursor"};
    EXPECT_EQ(expected, services_.Events);
}

TEST_F(ApplySetting, AFailedNotificationKeepsTheValuesAndSaysSoOnceAfterTheStatusLine) {
    services_.NotifyError = 1231;
    EXPECT_FALSE(
        SetIP(FromRow({{"Address", "10.0.0.5"}, {"Submask", "255.0.0.0"}}), registry_, services_));
    const std::vector<std::string> expected = {
        "hourglass",
        "notify " + AdapterId + " 10.0.0.5 255.0.0.0",
        "local address",
        "status Current IP is 10.1.2.3",
        "default cursor",
        "message The settings are saved, but Windows did not apply them now (error 1231). They "
        "take effect when the adapter restarts."};
    EXPECT_EQ(expected, services_.Events);
    EXPECT_EQ(MultiSz("10.0.0.5"),
              registry_.Value(TRootKey::LocalMachine, AdapterPath, "IPAddress")->Bytes);
}

TEST_F(ApplySetting, AnUnknownLocalAddressLeavesTheStatusLineBare) {
    services_.LocalAddress.clear();
    SetIP(FromRow({{"Address", "10.0.0.5"}, {"Submask", "255.0.0.0"}}), registry_, services_);
    EXPECT_EQ("status Current IP is ", services_.Events[services_.Events.size() - 2]);
}

// The proxy, the notification and the status line still come, in their order; then the
// user is told that the adapter itself was left as it was.
TEST_F(ApplySetting, AnAdapterKeyThatWillNotOpenIsReportedAfterEveryOtherStep) {
    struct Case {
        const char* why;
        std::function<void(TMemoryRegistry&)> prepare;
        bool dhcp;
        const char* notifyOrRelease; // the first event after the hourglass
    } cases[] = {
        {"missing", [](TMemoryRegistry&) {}, false, "notify "},
        {"denied",
         [](TMemoryRegistry& r) { r.MakeUnopenable(TRootKey::LocalMachine, AdapterPath); }, false,
         "notify "},
        {"missing, DHCP", [](TMemoryRegistry&) {}, true, "local address"}, // no name: no ipconfig
    };
    for (const auto& c : cases) {
        TMemoryRegistry registry;
        registry.AddEthernetAdapter(AdapterId);
        c.prepare(registry);
        TRecordingServices services;
        services.NotifyError = 5; // nothing was written that could wait for a restart
        TIP request =
            FromRow({{"Address", "10.0.0.5"}, {"Submask", "255.0.0.0"}, {"Proxy", "p:1"}});
        if (c.dhcp)
            FillDhcpRequest(request, {AdapterId}, 0);
        try {
            SetIP(request, registry, services);
            ADD_FAILURE() << c.why << ": no error";
        } catch (const TError& error) {
            EXPECT_EQ(AdapterKeyMessage(AdapterId), error.what()) << c.why;
            EXPECT_NE(std::string(error.what()).find("\\Interfaces\\" + AdapterId + "\""),
                      std::string::npos)
                << error.what();
        }
        EXPECT_FALSE(registry.KeyExists(TRootKey::LocalMachine, AdapterPath)) << c.why;
        ASSERT_EQ(2u, registry.Journal().size()) << c.why; // the proxy, both kinds alike
        EXPECT_EQ("ProxyEnable", registry.Journal()[0].Name) << c.why;
        EXPECT_EQ(0u, services.Events[1].rfind(c.notifyOrRelease, 0)) << services.Events[1];
        EXPECT_EQ("status Current IP is 10.1.2.3", services.Events[services.Events.size() - 2])
            << c.why;
        EXPECT_EQ("default cursor", services.Events.back()) << c.why; // no message box
    }
}

TEST_F(ApplySetting, AFailedTextOrIntegerWriteEndsEverythingAfterIt) {
    struct Case {
        std::string failing;
        size_t writesBefore; // journal entries before the failed one
    } cases[] = {{"NameServer", 3}, {"EnableDHCP", 4}, {"ProxyEnable", 5}, {"ProxyServer", 6}};
    for (const auto& c : cases) {
        TMemoryRegistry registry;
        registry.AddEthernetAdapter(AdapterId);
        registry.OpenKey(TRootKey::LocalMachine, AdapterPath, true);
        registry.FailWritesOf(c.failing);
        TRecordingServices services;
        try {
            SetIP(FromRow({{"Address", "10.0.0.5"}, {"Submask", "255.0.0.0"}, {"Proxy", "p:1"}}),
                  registry, services);
            ADD_FAILURE() << c.failing << ": no error";
        } catch (const TError& error) {
            EXPECT_STREQ(("Failed to set data for '" + c.failing + "'").c_str(), error.what());
        }
        ASSERT_EQ(c.writesBefore + 1, registry.Journal().size()) << c.failing;
        EXPECT_FALSE(registry.Journal().back().Done) << c.failing;
        // No notification, no status: only the cursor, put back.
        EXPECT_EQ((std::vector<std::string>{"hourglass", "default cursor"}), services.Events)
            << c.failing;
    }
}

TEST_F(ApplySetting, AFailedMultiStringWriteIsSilent) {
    registry_.FailWritesOf("DefaultGateway");
    EXPECT_NO_THROW(
        SetIP(FromRow({{"Address", "10.0.0.5"}, {"Submask", "255.0.0.0"}, {"Gateway", "10.0.0.1"}}),
              registry_, services_));
    EXPECT_EQ(7u - 1u, registry_.Journal().size()); // all five adapter values and ProxyEnable
    EXPECT_FALSE(registry_.Journal()[1].Done);
    EXPECT_EQ("status Current IP is 10.1.2.3", services_.Events[services_.Events.size() - 2]);
}

TEST_F(ApplySetting, AStaticSettingWithoutAValidAddressAndMaskIsRefusedBeforeAnyWrite) {
    struct Case {
        std::string address, submask;
    } cases[] = {
        {"", "255.0.0.0"},           {"10.0.0.5", ""},     {"", ""}, {"10.0.0", "255.0.0.0"},
        {"10.0.0.5", "255.0.256.0"}, {"ten", "255.0.0.0"},
    };
    for (const auto& c : cases) {
        try {
            SetIP(FromRow({{"Address", c.address}, {"Submask", c.submask}, {"Proxy", "p:1"}}),
                  registry_, services_);
            ADD_FAILURE() << c.address << " / " << c.submask << ": no error";
        } catch (const TError& error) {
            EXPECT_STREQ("This setting has no valid address and subnet mask; nothing was changed",
                         error.what());
        }
        EXPECT_TRUE(registry_.Journal().empty()) << c.address << " / " << c.submask;
        EXPECT_TRUE(services_.Events.empty()) << c.address << " / " << c.submask;
    }
    // Automatic addressing takes neither from the request.
    TIP dhcp;
    FillDhcpRequest(dhcp, {AdapterId}, 0);
    EXPECT_NO_THROW(SetIP(dhcp, registry_, services_));
}

// A row that something other than the editor wrote into the database: each field bad in
// turn is refused, naming the field, before anything reaches the registry.
TEST_F(ApplySetting, EveryFieldOfAStoredRowIsCheckedAgainBeforeAnyWrite) {
    struct Case {
        std::string field, value, named;
    } cases[] = {
        {"Submask", "255.0.255.0", "[Submask]"},
        {"Gateway", "not-a-gateway", "[Gateway]"},
        {"DNS1", std::string(226, '1'), "[DNS1]"},
        {"DNS2", "10.0.0.300", "[DNS2]"},
        {"Proxy", "socks=a:1;http=b:2", "[Proxy]"},
        {"Proxy", std::string(101, 'p') + ":80", "[Proxy]"},
        {"Proxy", "p.example:70000", "[Proxy] port \"70000\" is outside 1 to 65535"},
        {"Adapter", "\\", "not one of this computer's network adapters"},
        {"Adapter", "{AAAAAAAA-0000-0000-0000-000000000001}\\..", "not one of this computer's"},
        {"Adapter", "{AAAAAAAA-0000-0000-0000-00000000000F}", "not one of this computer's"},
    };
    for (const auto& c : cases) {
        std::map<std::string, std::string> row = {{"Address", "10.0.0.5"},
                                                  {"Submask", "255.0.0.0"},
                                                  {"Gateway", "10.0.0.1"},
                                                  {"DNS1", "10.0.0.2"},
                                                  {"Proxy", "proxy:8080"}};
        row[c.field] = c.value;
        try {
            SetIP(FromRow(row), registry_, services_);
            ADD_FAILURE() << c.field << " " << c.value << ": applied";
        } catch (const TError& error) {
            EXPECT_NE(std::string::npos, std::string(error.what()).find(c.named)) << error.what();
            EXPECT_LT(std::string(error.what()).size(), 200u) << "the bad value is shown cut";
        }
        EXPECT_TRUE(registry_.Journal().empty()) << c.field << " " << c.value;
        EXPECT_TRUE(services_.Events.empty()) << c.field << " " << c.value;
    }
}

TEST_F(ApplySetting, AnEmptyAdapterIsRefusedBeforeAnyWrite) {
    TIP request = FromRow({{"Address", "10.0.0.5"}});
    request.Adapter.clear();
    EXPECT_THROW(SetIP(request, registry_, services_), TError);
    EXPECT_TRUE(registry_.Journal().empty());
    EXPECT_TRUE(services_.Events.empty());
}

TEST_F(ApplySetting, DhcpTurnsAutomaticAddressingOnAndReleasesThenRenews) {
    SetIP(FromRow({{"Address", "10.0.0.5"}, {"Submask", "255.0.0.0"}, {"Proxy", "p:8080"}}),
          registry_, services_);
    registry_.ClearJournal();
    services_.Events.clear();

    TIP request = FromRow({{"Address", "10.0.0.5"}, {"Proxy", "p:8080"}});
    FillDhcpRequest(request, {"{other}", AdapterId}, 1);
    EXPECT_FALSE(SetIP(request, registry_, services_));

    const std::vector<TRegistryWrite> expected = {
        Adapter("DefaultGateway", RegMultiSz, std::string(2, '\0')),
        Adapter("NameServer", RegSz, std::string(1, '\0')),
        Adapter("EnableDHCP", RegDword, Dword(1)),
        Proxy("ProxyEnable", RegDword, Dword(1)),
        Proxy("ProxyServer", RegSz, RegSzBytes("p:8080")), // the last static setting's proxy
    };
    EXPECT_EQ(expected, registry_.Journal());
    // The static values stay as the last apply left them.
    EXPECT_EQ(MultiSz("10.0.0.5"),
              registry_.Value(TRootKey::LocalMachine, AdapterPath, "IPAddress")->Bytes);
    EXPECT_EQ(MultiSz("255.0.0.0"),
              registry_.Value(TRootKey::LocalMachine, AdapterPath, "SubnetMask")->Bytes);
    const std::vector<std::string> events = {
        "hourglass", "local address", "status Current IP is 10.1.2.3", "default cursor",
        "message " + LeaseNotRenewedMessage("Ethernet")}; // no name: no ipconfig
    EXPECT_EQ(events, services_.Events);
}

TEST_F(ApplySetting, DhcpBeforeAnyStaticApplyTurnsTheProxyOff) {
    TIP fresh; // as the window starts
    FillDhcpRequest(fresh, {AdapterId}, 0);
    SetIP(fresh, registry_, services_);
    EXPECT_EQ(Proxy("ProxyEnable", RegDword, Dword(0)), registry_.Journal().back());
    EXPECT_EQ("", fresh.Proxy);
    EXPECT_TRUE(fresh.DHCP);
    EXPECT_EQ("", fresh.Gateway);
    EXPECT_EQ("", fresh.DNS);
}

TEST_F(ApplySetting, DhcpWithoutASelectedAdapterRaisesTheListError) {
    TIP request;
    for (int index : {-1, 2}) {
        try {
            FillDhcpRequest(request, {"a", "b"}, index);
            ADD_FAILURE() << index;
        } catch (const TError& error) {
            EXPECT_EQ("List index out of bounds (" + std::to_string(index) + ")", error.what());
        }
    }
    EXPECT_FALSE(request.DHCP); // nothing was filled in
}

TEST_F(ApplySetting, DhcpReleasesAndRenewsOnlyTheAdaptersNamedConnection) {
    const std::string connectionPath =
        "SYSTEM\\CurrentControlSet\\Control\\Network\\{4D36E972-E325-11CE-BFC1-08002BE10318}\\" +
        AdapterId + "\\Connection";
    struct Case {
        const char* why;
        std::optional<TRegValue> name; // nothing: no Connection key at all
        std::string argument;          // what follows the bare command; "": not run
        std::uint32_t index = 0;       // where the live state lists the adapter
    } cases[] = {
        {"plain", TRegValue{RegSz, RegSzBytes("Ethernet")}, "\"Ethernet\""},
        {"blanks and quotes", TRegValue{RegSz, RegSzBytes("Lab \"B\" LAN 2")},
         "\"Lab \\\"B\\\" LAN 2\""},
        {"backslash at the end", TRegValue{RegSz, RegSzBytes("Dock\\")}, "\"Dock\\\\\""},
        {"expandable text", TRegValue{RegExpandSz, RegSzBytes("Wi-Fi")}, "\"Wi-Fi\""},
        {"no key", std::nullopt, ""},
        {"no value", TRegValue{}, ""},
        {"empty name", TRegValue{RegSz, RegSzBytes("")}, ""},
        {"not text", TRegValue{RegDword, Dword(7)}, ""},
        {"too long to pass whole", TRegValue{RegSz, RegSzBytes(std::string(250, '"'))}, ""},
        {"a star: a wildcard", TRegValue{RegSz, RegSzBytes("Lab *")}, ""},
        {"indexed, a star", TRegValue{RegSz, RegSzBytes("Lab *")}, "", 7},
    };
    for (const auto& c : cases) {
        TMemoryRegistry registry;
        registry.AddEthernetAdapter(AdapterId);
        registry.OpenKey(TRootKey::LocalMachine, AdapterPath, true);
        if (c.name) {
            auto key = registry.OpenKey(TRootKey::LocalMachine, connectionPath, true);
            if (c.name->Type != 0)
                key->SetValue("Name", c.name->Type, c.name->Bytes);
        }
        registry.ClearJournal();
        TRecordingServices services;
        services.Index = c.index;
        TIP request;
        FillDhcpRequest(request, {AdapterId}, 0);
        EXPECT_NO_THROW(SetIP(request, registry, services)) << c.why;
        std::vector<std::string> expected = {"hourglass"};
        if (c.index)
            expected.push_back("renew " + std::to_string(c.index));
        else if (!c.argument.empty())
            expected.insert(expected.end(),
                            {"run [ipconfig.exe /release " + c.argument + "] show 0",
                             "run [ipconfig.exe /renew " + c.argument + "] show 0"});
        expected.push_back("local address");
        services.Events.resize(std::max(services.Events.size(), expected.size()));
        EXPECT_EQ(expected.size() == 2,
                  services.Events.back() == "message " + LeaseNotRenewedMessage("Ethernet"))
            << c.why;
        services.Events.resize(expected.size());
        EXPECT_EQ(expected, services.Events) << c.why;
        // Reading the name writes nothing.
        EXPECT_EQ(4u, registry.Journal().size()) << c.why;
    }
}
