// Discovery of the Ethernet adapters, on the in-memory registry and on the real one.
#include "RegistryTestEnvironment.h"

#include "netcfg/Adapters.h"
#include "support/Error.h"
#include "support/Strings.h"

#include <gmock/gmock.h>

#include <optional>

using testing::ElementsAre;

namespace {

TRegValue Sz(const std::string& text) {
    return {RegSz, text + '\0'};
}

// One subkey of the adapter class key as a test lays it out.
struct TAdapterKey {
    std::string Name;
    bool HasBindingKey = true; // Ndi\Interfaces
    std::optional<TRegValue> LowerRange;
    std::optional<TRegValue> InstanceId;
    std::optional<TRegValue> Description;
};

void Put(TReg& reg, const char* name, const std::optional<TRegValue>& value) {
    if (value) {
        ASSERT_TRUE(reg.WriteRaw(name, value->Type, value->Bytes)) << name;
    }
}

void AddAdapterKeys(IRegistryBackend& backend, const std::vector<TAdapterKey>& keys) {
    TReg reg(backend);
    reg.SetRootKey(TRootKey::LocalMachine);
    for (const TAdapterKey& key : keys) {
        const std::string path = AdapterClassKey + key.Name + "\\";
        ASSERT_TRUE(reg.OpenKey(path, true)) << path;
        Put(reg, "NetCfgInstanceID", key.InstanceId);
        Put(reg, "DriverDesc", key.Description);
        if (!key.HasBindingKey)
            continue;
        ASSERT_TRUE(reg.OpenKey(path + "Ndi\\Interfaces", true)) << path;
        Put(reg, "LowerRange", key.LowerRange);
    }
}

TAdapterKey Ethernet(const std::string& name, const std::string& id, const std::string& desc) {
    return {name, true, Sz("ethernet"), Sz(id), Sz(desc)};
}

} // namespace

// An adapter written where the system keeps it, spelt as the system spells the path (with
// its own letter case), is found: discovery looks in the right key.
TEST_P(AdapterDiscovery, FindsAnAdapterWhereTheSystemKeepsIt) {
    const std::string classKey =
        "\\SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E972-E325-11CE-BFC1-08002BE10318}";
    TReg reg(Backend());
    reg.SetRootKey(TRootKey::LocalMachine);
    ASSERT_TRUE(reg.OpenKey(classKey + "\\0007", true));
    reg.WriteString("NetCfgInstanceID", "{SYS}");
    reg.WriteString("DriverDesc", "System Ethernet");
    ASSERT_TRUE(reg.OpenKey(classKey + "\\0007\\Ndi\\Interfaces", true));
    reg.WriteString("LowerRange", "ethernet");
    std::vector<std::string> list;
    GetAdapters(Backend(), list);
    EXPECT_THAT(list, ElementsAre("{SYS}=System Ethernet"));
}

TEST_P(AdapterDiscovery, ListsTheEthernetAdaptersInEnumerationOrder) {
    // Created out of order: the registry's order decides, not the order of creation.
    AddAdapterKeys(Backend(), {
                                  {"Properties", false, {}, {}, {}},
                                  Ethernet("0002", "{C}", "Adapter C"),
                                  {"0001", true, Sz("wan"), Sz("{B}"), Sz("Adapter B")},
                                  Ethernet("0000", "{A}", "Adapter A"),
                              });
    std::vector<std::string> list;
    GetAdapters(Backend(), list);
    EXPECT_THAT(list, ElementsAre("{A}=Adapter A", "{C}=Adapter C"));
}

TEST_P(AdapterDiscovery, OnlyALowerRangeOfExactlyEthernetQualifies) {
    struct Case {
        std::string name;
        std::optional<TRegValue> lowerRange;
        bool qualifies;
    } cases[] = {
        {"00", Sz("ethernet"), true},
        {"01", Sz("Ethernet"), false},
        {"02", Sz("ETHERNET"), false},
        {"03", Sz("ethernet,wlan"), false},
        {"04", Sz("wlan,ethernet"), false},
        {"05", Sz(" ethernet"), false},
        {"06", Sz("ethernet "), false},
        {"07", Sz("ether"), false},
        {"08", Sz(""), false},
        {"09", std::nullopt, false},
        {"10", TRegValue{RegExpandSz, std::string("ethernet\0", 9)}, true},
        {"11", TRegValue{RegSz, std::string("ethernet\0wlan\0", 14)}, true},
        {"12", TRegValue{RegSz, "ethernet"}, true}, // stored without its NUL
    };
    std::vector<TAdapterKey> keys;
    std::vector<std::string> expected;
    for (const auto& c : cases) {
        keys.push_back({c.name, true, c.lowerRange, Sz("{" + c.name + "}"), Sz("nic " + c.name)});
        if (c.qualifies)
            expected.push_back("{" + c.name + "}=nic " + c.name);
    }
    AddAdapterKeys(Backend(), keys);
    std::vector<std::string> list;
    GetAdapters(Backend(), list);
    EXPECT_EQ(expected, list);
}

TEST_P(AdapterDiscovery, TakesIdentifierAndDescriptionAsStored) {
    AddAdapterKeys(Backend(), {
                                  {"0000", true, Sz("ethernet"), std::nullopt, Sz("no id")},
                                  {"0001", true, Sz("ethernet"), Sz(""), Sz("empty id")},
                                  {"0002", true, Sz("ethernet"), Sz("{NoDesc}"), std::nullopt},
                                  Ethernet("0003", "{Eq}", " Fast = Ethernet "),
                                  Ethernet("0004", " {Blank} ", ""),
                                  {"0005", false, {}, Sz("{NoBinding}"), Sz("no binding key")},
                              });
    std::vector<std::string> list;
    GetAdapters(Backend(), list);
    ASSERT_THAT(list, ElementsAre("{NoDesc}=", "{Eq}= Fast = Ethernet ", " {Blank} ="));
    const TSplit split = SplitNameValue(list[1]);
    EXPECT_EQ("{Eq}", split.Left);
    EXPECT_EQ(" Fast = Ethernet ", split.Right);
}

TEST_P(AdapterDiscovery, AppendsToTheCallersListAndNeverClearsIt) {
    std::vector<std::string> list = {"kept"};
    GetAdapters(Backend(), list);
    EXPECT_THAT(list, ElementsAre("kept")) << "no class key: nothing to add";

    AddAdapterKeys(Backend(), {{"0000", true, Sz("wan"), Sz("{W}"), Sz("modem")}});
    GetAdapters(Backend(), list);
    EXPECT_THAT(list, ElementsAre("kept")) << "no adapter qualifies";

    AddAdapterKeys(Backend(), {Ethernet("0001", "{E}", "nic")});
    GetAdapters(Backend(), list);
    GetAdapters(Backend(), list);
    EXPECT_THAT(list, ElementsAre("kept", "{E}=nic", "{E}=nic"));
}

TEST_P(AdapterDiscovery, AValueOfAnotherTypeLeavesOutItsAdapterOnly) {
    struct Case {
        TAdapterKey bad;
        const char* what;
    } cases[] = {
        {{"0001", true, Sz("ethernet"), TRegValue{RegDword, std::string("\1\0\0\0", 4)}, Sz("x")},
         "NetCfgInstanceID a DWORD"},
        {{"0001", true, TRegValue{RegMultiSz, std::string("ethernet\0\0", 10)}, Sz("{B}"), Sz("x")},
         "LowerRange a REG_MULTI_SZ"},
        {{"0001", true, Sz("ethernet"), Sz("{B}"), TRegValue{RegBinary, "desc"}},
         "DriverDesc a REG_BINARY"},
    };
    AddAdapterKeys(Backend(), {Ethernet("0000", "{A}", "first"), Ethernet("0002", "{C}", "last")});
    for (const auto& c : cases) {
        AddAdapterKeys(Backend(), {c.bad});
        std::vector<std::string> list = {"kept"};
        EXPECT_NO_THROW(GetAdapters(Backend(), list)) << c.what;
        EXPECT_THAT(list, ElementsAre("kept", "{A}=first", "{C}=last")) << c.what;
        // Make the key good again for the next case.
        AddAdapterKeys(Backend(), {Ethernet("0001", "{B}", "middle")});
    }
    std::vector<std::string> list;
    GetAdapters(Backend(), list);
    EXPECT_THAT(list, ElementsAre("{A}=first", "{B}=middle", "{C}=last"));
}

// Asked for every adapter, discovery adds those bound to TCP/IP that Windows shows, in the
// registry's order among the Ethernet ones; the Ethernet list stays as it was.
TEST_P(AdapterDiscovery, EveryAdapterBoundToTcpIpWhenAskedFor) {
    const auto dword = [](char low) { return TRegValue{RegDword, std::string{low, 0, 0, 0}}; };
    struct Case {
        TAdapterKey key;
        bool bound; // has a TCP/IP interfaces key
        std::optional<TRegValue> characteristics;
        bool listed;
    } cases[] = {
        {Ethernet("0000", "{E}", "Ethernet"), false, std::nullopt, true},
        {{"0001", true, Sz("wlan,ethernet,vwifi"), Sz("{W}"), Sz("Wi-Fi")}, true, dword(0x04), true},
        {{"0002", true, Sz("wan"), Sz("{H}"), Sz("WAN Miniport")}, true, dword(0x29), false},
        {{"0003", false, {}, Sz("{U}"), Sz("USB tether")}, true, TRegValue{RegSz, "8"}, true},
        {{"0004", true, Sz("wlan"), Sz("{N}"), Sz("not bound")}, false, std::nullopt, false},
        {{"0005", true, Sz("wlan"), Sz("{a\\b}"), Sz("leaves the key")}, true, std::nullopt, false},
    };
    TReg reg(Backend());
    reg.SetRootKey(TRootKey::LocalMachine);
    for (const auto& c : cases) {
        AddAdapterKeys(Backend(), {c.key});
        ASSERT_TRUE(reg.OpenKey(AdapterClassKey + c.key.Name, false));
        Put(reg, "Characteristics", c.characteristics);
        std::string id = c.key.InstanceId->Bytes;
        id.pop_back(); // its NUL
        if (c.bound) {
            ASSERT_TRUE(reg.OpenKey(InterfacesKey + id, true));
        }
    }
    std::vector<std::string> all, ethernet;
    for (const TDiscoveredAdapter& a : DiscoverAdapters(Backend(), TAdapterScope::AllWithTcpIp))
        all.push_back(a.Id);
    GetAdapters(Backend(), ethernet);
    EXPECT_THAT(all, ElementsAre("{E}", "{W}", "{U}"));
    EXPECT_THAT(ethernet, ElementsAre("{E}=Ethernet"));
}
