// The in-memory registry: the shared suites run on it here, and what only it can do
// (refuse a key, refuse full access, refuse a write, keep a journal) is tested below.
#include "RegistryTestEnvironment.h"

#include "netcfg/Adapters.h"
#include "netcfg/MemoryRegistry.h"
#include "support/Error.h"

#include <gmock/gmock.h>

using testing::ElementsAre;

namespace {

class TMemoryEnvironment : public TRegistryTestEnvironment {
  public:
    IRegistryBackend& Backend() override { return registry_; }
    bool ClaimAdapterClassKey() override { return true; } // a fresh registry has none

  private:
    TMemoryRegistry registry_;
};

TRegistryBackendParam MemoryBackend() {
    return {"MemoryRegistry", [] { return std::make_unique<TMemoryEnvironment>(); }};
}

std::string Bytes(const char* data, size_t size) {
    return std::string(data, size);
}

} // namespace

INSTANTIATE_TEST_SUITE_P(Memory, RegistryContract, testing::Values(MemoryBackend()), BackendName);
INSTANTIATE_TEST_SUITE_P(Memory, AdapterDiscovery, testing::Values(MemoryBackend()), BackendName);

TEST(MemoryRegistry, AnUnopenableKeyCanBeNeitherOpenedNorCreatedNorGrown) {
    TMemoryRegistry registry;
    TReg reg(registry);
    ASSERT_TRUE(reg.OpenKey("\\Software\\Locked\\Child", true));
    registry.MakeUnopenable(TRootKey::CurrentUser, "software\\LOCKED\\");
    EXPECT_FALSE(reg.OpenKey("\\Software\\Locked", false));
    EXPECT_FALSE(reg.OpenKey("\\Software\\Locked", true));
    EXPECT_FALSE(reg.OpenKey("\\Software\\Locked\\New", true));
    EXPECT_TRUE(reg.OpenKey("\\Software\\Locked\\Child", false)) << "only the key itself";
    EXPECT_FALSE(registry.KeyExists(TRootKey::CurrentUser, "Software\\Locked\\New"));
    reg.SetRootKey(TRootKey::LocalMachine);
    EXPECT_TRUE(reg.OpenKey("\\Software\\Locked", true)) << "another root, another key";
}

// As the machine's keys for a standard user: the key and all beneath it open for reading
// alone, and nothing is created there.
TEST(MemoryRegistry, AKeyRefusingFullAccessOpensOnlyForReadingAndSoDoesAllBeneathIt) {
    TMemoryRegistry registry;
    ASSERT_TRUE(registry.OpenKey(TRootKey::LocalMachine, "Software\\Net\\Child", true));
    ASSERT_TRUE(registry.OpenKey(TRootKey::LocalMachine, "Software\\Network", true));
    registry.RefuseFullAccess(TRootKey::LocalMachine, "software\\NET\\");
    for (const char* path : {"Software\\Net", "Software\\Net\\Child", "Software\\Net\\New"})
        EXPECT_FALSE(registry.OpenKey(TRootKey::LocalMachine, path, true)) << path;
    EXPECT_TRUE(registry.OpenKeyReadOnly(TRootKey::LocalMachine, "Software\\Net\\Child"));
    EXPECT_TRUE(registry.OpenKey(TRootKey::LocalMachine, "Software\\Network", false));
    registry.RefuseFullAccess(TRootKey::LocalMachine);
    EXPECT_FALSE(registry.OpenKey(TRootKey::LocalMachine, "Software\\Network", false));
}

TEST(MemoryRegistry, RefusedWritesFailWithTheWrappersTextAndChangeNothing) {
    TMemoryRegistry registry;
    registry.FailWritesOf("IPAddress");
    TReg reg(registry);
    ASSERT_TRUE(reg.OpenKey("\\Software\\Net", true));
    try {
        reg.WriteString("ipaddress", "10.0.0.1");
        ADD_FAILURE() << "no error";
    } catch (const TError& e) {
        EXPECT_STREQ("Failed to set data for 'ipaddress'", e.what());
    }
    EXPECT_THROW(reg.WriteInteger("IPAddress", 1), TError);
    EXPECT_FALSE(reg.WriteRaw("IPAddress", RegMultiSz, Bytes("a\0\0", 3)));
    EXPECT_FALSE(reg.ValueExists("IPAddress"));
    reg.WriteString("SubnetMask", "255.0.0.0");
    EXPECT_EQ("255.0.0.0", reg.ReadString("SubnetMask"));
}

TEST(MemoryRegistry, TheJournalHoldsEveryWriteInOrder) {
    TMemoryRegistry registry;
    registry.FailWritesOf("NameServer");
    TReg reg(registry);
    reg.SetRootKey(TRootKey::LocalMachine);
    ASSERT_TRUE(reg.OpenKey("\\System\\Tcpip\\{X}\\", true));
    reg.WriteInteger("EnableDHCP", 0);
    reg.WriteRaw("NameServer", RegSz, Bytes("1.1.1.1\0", 8));
    ASSERT_TRUE(reg.OpenKey("\\SYSTEM\\TCPIP\\{x}", false));
    reg.WriteString("Domain", "");
    EXPECT_THAT(registry.Journal(),
                ElementsAre(TRegistryWrite{TRootKey::LocalMachine, "System\\Tcpip\\{X}",
                                           "EnableDHCP", RegDword, Bytes("\0\0\0\0", 4), true},
                            TRegistryWrite{TRootKey::LocalMachine, "System\\Tcpip\\{X}",
                                           "NameServer", RegSz, Bytes("1.1.1.1\0", 8), false},
                            TRegistryWrite{TRootKey::LocalMachine, "System\\Tcpip\\{X}", "Domain",
                                           RegSz, Bytes("\0", 1), true}));
    EXPECT_EQ("HKEY_LOCAL_MACHINE\\System\\Tcpip\\{X}: NameServer = type 1, 8 bytes 31 2e 31 2e "
              "31 2e 31 00 (refused)",
              Describe(registry.Journal()[1]));
    registry.ClearJournal();
    EXPECT_TRUE(registry.Journal().empty());
}

TEST(MemoryRegistry, SubkeysSortByTheirUpperCaseFormAsWindowsSortsThem) {
    // Windows compares registry names in upper case, so "_" (after "Z") follows the letters.
    // Wine 8 compares them in lower case and puts "_x" first: the real-registry suite
    // therefore sticks to digits and letters, where both agree.
    TMemoryRegistry registry;
    TReg reg(registry);
    for (const char* name : {"b", "_x", "A", "Z"}) {
        ASSERT_TRUE(reg.OpenKey(std::string("\\Software\\") + name, true)) << name;
    }
    ASSERT_TRUE(reg.OpenKey("\\Software", false));
    EXPECT_THAT(reg.GetKeyNames(), ElementsAre("A", "b", "Z", "_x"));
}

TEST(MemoryRegistry, InvalidPathsOpenNothing) {
    TMemoryRegistry registry;
    for (const char* path : {"\\Software", "Software\\\\X"})
        EXPECT_FALSE(registry.OpenKey(TRootKey::CurrentUser, path, true)) << path;
    EXPECT_TRUE(registry.OpenKey(TRootKey::CurrentUser, "", false)) << "the root itself";
}

TEST(AdapterDiscoveryMemory, KeysThatCannotBeOpenedAreSkippedSilently) {
    TMemoryRegistry registry;
    TReg reg(registry);
    reg.SetRootKey(TRootKey::LocalMachine);
    const std::string classKey = AdapterClassKey;
    for (const char* name : {"0000", "0001", "0002"}) {
        ASSERT_TRUE(reg.OpenKey(classKey + name + "\\Ndi\\Interfaces", true));
        reg.WriteString("LowerRange", "ethernet");
        ASSERT_TRUE(reg.OpenKey(classKey + name, false));
        reg.WriteString("NetCfgInstanceID", std::string("{") + name + "}");
    }
    reg.CloseKey();
    registry.MakeUnopenable(TRootKey::LocalMachine, classKey.substr(1) + "0000\\Ndi\\Interfaces");
    registry.MakeUnopenable(TRootKey::LocalMachine, classKey.substr(1) + "0001");
    registry.ClearJournal();

    std::vector<std::string> list;
    GetAdapters(registry, list);
    EXPECT_THAT(list, ElementsAre("{0002}="));
    EXPECT_TRUE(registry.Journal().empty()) << "discovery only reads";

    registry.MakeUnopenable(TRootKey::LocalMachine, classKey.substr(1));
    GetAdapters(registry, list);
    EXPECT_THAT(list, ElementsAre("{0002}=")) << "an unopenable class key adds nothing";
}
