#include "netcfg/AdapterSwitch.h"

#include "netcfg/MemoryRegistry.h"
#include "support/Error.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>

namespace {

const std::string AdapterId = "{AAAAAAAA-0000-0000-0000-000000000001}";
const std::string AdapterPath =
    "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\" + AdapterId;

std::string MultiSz(const std::string& text) {
    return text + std::string(2, '\0');
}

// What the switch asks of the system; the adapter switch, when given, takes the adapter's part.
class TServices : public INetServices {
  public:
    std::uint32_t NotifyDhcpClient(const TIP&) override { return NotifyError; }
    int RunSystemProgram(const std::string&, std::uint16_t) override { return 0; }
    bool GetLocalIP(std::string& text) override { return text = "10.1.2.3", true; }
    void SetStatusText(const std::string&) override {}
    void SetWaitCursor(bool) override {}
    void ShowMessage(const std::string& text) override { Shown.push_back(text); }
    bool NotifyProxyChanged() override { return true; }
    IAdapterSwitch* AdapterSwitch() override { return Switch; }

    std::uint32_t NotifyError = 0;
    IAdapterSwitch* Switch = nullptr;
    std::vector<std::string> Shown;
};

TAdapterRequest Static(const std::string& adapter = AdapterId) {
    TAdapterRequest request;
    request.Request.Adapter = adapter;
    request.Request.Address = "10.0.0.5";
    request.Request.Submask = "255.0.0.0";
    request.Request.Gateway = "10.0.0.1";
    request.Request.Proxy = "proxy:8080";
    return request;
}

TAdapterRequest DhcpKeeping(std::vector<TKeptValue> kept) {
    TAdapterRequest request;
    request.Request.Adapter = AdapterId;
    request.Request.DHCP = true;
    request.KeptValues = std::move(kept);
    return request;
}

TKeptValue Kept(const std::string& name, unsigned type, const std::string& bytes) {
    return {name, TRegValue{type, bytes}};
}

class AdapterSwitch : public testing::Test {
  protected:
    void SetUp() override {
        registry_.OpenKey(TRootKey::LocalMachine, AdapterPath, true);
        registry_.AddEthernetAdapter(AdapterId, "Office NIC");
        registry_.ClearJournal();
    }
    std::vector<TRegistryWrite> Writes(TRootKey root) const {
        std::vector<TRegistryWrite> writes;
        for (const TRegistryWrite& write : registry_.Journal())
            if (write.Root == root)
                writes.push_back(write);
        return writes;
    }

    TMemoryRegistry registry_;
    TServices services_;
};

// The other side of the switch, as a test scripts it.
class TScriptedSwitch : public IAdapterSwitch {
  public:
    explicit TScriptedSwitch(const TMemoryRegistry& registry) : registry_(registry) {}
    TAdapterReply Apply(const TAdapterRequest& request) override {
        Received = request;
        JournalAtApply = registry_.Journal().size();
        if (Throws)
            throw TError("the helper is gone");
        return Reply;
    }
    std::string Route() const override { return "through the script"; }

    TAdapterReply Reply;
    bool Throws = false;
    std::optional<TAdapterRequest> Received;
    std::size_t JournalAtApply = 0;

  private:
    const TMemoryRegistry& registry_;
};

} // namespace

TEST_F(AdapterSwitch, TheSideWithTheRightsRefusesABadRequestWithNothingWritten) {
    TAdapterRequest badField = Static();
    badField.Request.Gateway = "10.0.0.300";
    TAdapterRequest badExtra = Static();
    badExtra.Request.MoreGateways = {{"10.0.0.2", 100000}};
    const std::string address = MultiSz("10.0.0.5");
    struct Case {
        const char* what;
        TAdapterRequest request;
        std::string error; // a part of it
    };
    const Case cases[] = {
        {"an adapter not discovered", Static("{BBBBBBBB-0000-0000-0000-000000000002}"),
         "not one of this computer's network adapters"},
        {"a backslash in the adapter", Static(AdapterId + "\\..\\" + AdapterId),
         "not one of this computer's network adapters"},
        {"a field the editor refuses", badField, "cannot be applied"},
        {"an extra the editor refuses", badExtra, "cannot be applied"},
        {"a foreign kept value", DhcpKeeping({Kept("EnableDHCP", RegDword, "\1\0\0\0")}),
         "\"EnableDHCP\" is not one going back restores"},
        {"a kept value of the wrong type", DhcpKeeping({Kept("IPAddress", RegSz, "10.0.0.5")}),
         "IPAddress is not a list of texts"},
        {"a kept address that is junk", DhcpKeeping({Kept("SubnetMask", RegMultiSz, MultiSz("x"))}),
         "SubnetMask holds \"x\""},
        {"kept name servers that are junk", DhcpKeeping({Kept("NameServer", RegSz, "1.2.3.4 y")}),
         "NameServer is no list of addresses"},
        {"a kept metric that is junk",
         DhcpKeeping({Kept("DefaultGatewayMetric", RegMultiSz, MultiSz("123456"))}),
         "DefaultGatewayMetric holds"},
        {"a kept value twice",
         DhcpKeeping({Kept("IPAddress", RegMultiSz, address), {"IPAddress", std::nullopt}}),
         "IPAddress is given twice"},
        {"a kept value too long",
         DhcpKeeping({Kept("IPAddress", RegMultiSz, std::string(2000, '\0'))}), "too long"},
    };
    for (const Case& c : cases) {
        const TAdapterReply reply = RunAdapterRequest(c.request, registry_, services_);
        EXPECT_EQ(TAdapterStage::Refused, reply.Stage) << c.what;
        EXPECT_NE(std::string::npos, reply.Error.find(c.error)) << c.what << ": " << reply.Error;
        EXPECT_TRUE(registry_.Journal().empty()) << c.what;
    }
    EXPECT_TRUE(services_.Shown.empty());
}

TEST_F(AdapterSwitch, TheSideWithTheRightsWritesTheAdapterAloneAndGathersWhatItWouldSay) {
    services_.NotifyError = 5;
    TAdapterReply reply = RunAdapterRequest(Static(), registry_, services_);
    EXPECT_EQ(TAdapterStage::Done, reply.Stage) << reply.Error;
    EXPECT_FALSE(reply.Applied);
    EXPECT_EQ(std::vector<std::string>{NotAppliedMessage(5)}, reply.Said);
    EXPECT_TRUE(services_.Shown.empty());
    EXPECT_TRUE(Writes(TRootKey::CurrentUser).empty()) << "the user's proxy crossed";
    const std::vector<TRegistryWrite> adapter = Writes(TRootKey::LocalMachine);
    ASSERT_FALSE(adapter.empty());
    for (const TRegistryWrite& write : adapter)
        EXPECT_EQ(AdapterPath, write.KeyPath) << Describe(write);

    // Going back to DHCP puts the kept static values back after the switch.
    registry_.ClearJournal();
    reply = RunAdapterRequest(
        DhcpKeeping({Kept("IPAddress", RegMultiSz, MultiSz("10.0.0.7")), {"NameServer", {}}}),
        registry_, services_);
    EXPECT_EQ(TAdapterStage::Done, reply.Stage) << reply.Error;
    EXPECT_EQ(std::vector<std::string>{LeaseNotRenewedMessage("Office NIC")}, reply.Said);
    EXPECT_TRUE(Writes(TRootKey::CurrentUser).empty());
    const std::optional<TRegValue> address =
        registry_.Value(TRootKey::LocalMachine, AdapterPath, "IPAddress");
    ASSERT_TRUE(address);
    EXPECT_EQ(MultiSz("10.0.0.7"), address->Bytes);
    EXPECT_FALSE(registry_.Value(TRootKey::LocalMachine, AdapterPath, "NameServer"));

    // An adapter whose key does not open: the rest ran, and the reply says which key.
    registry_.MakeUnopenable(TRootKey::LocalMachine, AdapterPath);
    reply = RunAdapterRequest(Static(), registry_, services_);
    EXPECT_EQ(TAdapterStage::KeyMissing, reply.Stage);
    EXPECT_EQ(AdapterKeyMessage(AdapterId), reply.Error);
}

TEST_F(AdapterSwitch, SetIPSendsTheAdapterPartAcrossAndWritesTheProxyHereAfterIt) {
    TScriptedSwitch elsewhere(registry_);
    services_.Switch = &elsewhere;
    TAdapterReply done;
    done.Stage = TAdapterStage::Done;
    done.Applied = true;
    done.Result.Outcome = TSwitchOutcome::WaitingForCable;
    done.Result.Route = "not this";
    done.Said = {"first", "second"};
    TAdapterReply refused;
    refused.Error = "refused over there";
    TAdapterReply keyMissing = done;
    keyMissing.Stage = TAdapterStage::KeyMissing;
    keyMissing.Error = AdapterKeyMessage(AdapterId);
    TAdapterRequest badField = Static();
    badField.Request.Submask = "255.0.255.0";

    struct Case {
        const char* what;
        TAdapterRequest request;
        TAdapterReply reply;
        bool throws;
        std::string error; // raised; "" for none
        bool reachesSwitch;
        bool writesProxy;
        std::vector<std::string> shown;
    };
    const Case cases[] = {
        {"done", Static(), done, false, "", true, true, {"first", "second"}},
        {"refused there", Static(), refused, false, "refused over there", true, false, {}},
        {"the way there failed", Static(), done, true, "the helper is gone", true, false, {}},
        {"the key missing there", Static(), keyMissing, false, keyMissing.Error, true, true, {}},
        {"refused here first", badField, done, false, "cannot be applied", false, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        registry_.ClearJournal();
        services_.Shown.clear();
        elsewhere.Received.reset();
        elsewhere.Reply = c.reply;
        elsewhere.Throws = c.throws;
        TSwitchResult result;
        std::optional<bool> applied;
        std::string raised;
        try {
            applied = SetIP(c.request, registry_, services_, &result);
        } catch (const TError& error) {
            raised = error.what();
        }
        if (c.error.empty())
            EXPECT_EQ("", raised);
        else
            EXPECT_NE(std::string::npos, raised.find(c.error)) << raised;
        ASSERT_EQ(c.reachesSwitch, elsewhere.Received.has_value());
        if (c.reachesSwitch) {
            EXPECT_EQ(AdapterId, elsewhere.Received->Request.Adapter);
            EXPECT_EQ("10.0.0.5", elsewhere.Received->Request.Address);
            EXPECT_EQ(0u, elsewhere.JournalAtApply) << "written before the switch ran";
        }
        EXPECT_TRUE(Writes(TRootKey::LocalMachine).empty());
        EXPECT_EQ(c.writesProxy, !Writes(TRootKey::CurrentUser).empty());
        EXPECT_EQ(c.shown, services_.Shown);
        if (applied) {
            EXPECT_TRUE(*applied);
            EXPECT_EQ("through the script", result.Route);
            EXPECT_EQ(TSwitchOutcome::WaitingForCable, result.Outcome);
        }
    }
}
