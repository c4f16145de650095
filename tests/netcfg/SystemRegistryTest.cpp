// The shared registry suites on the real registry (advapi32) of the test's Wine prefix.
// They write only under a key of their own in HKEY_CURRENT_USER and, for discovery, under
// the adapter class key, which a fresh prefix lacks; both are removed after each test.
#include "RegistryTestEnvironment.h"

#include "netcfg/Adapters.h"
#include "netcfg/MemoryRegistry.h"

#include <windows.h>

namespace {

class TSystemEnvironment : public TRegistryTestEnvironment {
  public:
    ~TSystemEnvironment() override {
        ::RegDeleteTreeA(HKEY_CURRENT_USER, OwnKey().c_str());
        ::RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\NetvaneTest"); // only when empty
        if (claimedClassKey_)
            ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, ClassKey().c_str());
    }

    IRegistryBackend& Backend() override { return SystemRegistry(); }

    bool ClaimAdapterClassKey() override {
        HKEY key = nullptr;
        if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, ClassKey().c_str(), 0, KEY_READ, &key) ==
            ERROR_SUCCESS) {
            ::RegCloseKey(key);
            return false;
        }
        claimedClassKey_ = true;
        return true;
    }

  private:
    static std::string ClassKey() { return WithoutOuterSeparators(AdapterClassKey); }
    bool claimedClassKey_ = false;
};

TRegistryBackendParam SystemBackend() {
    return {"SystemRegistry", [] { return std::make_unique<TSystemEnvironment>(); }};
}

} // namespace

INSTANTIATE_TEST_SUITE_P(System, RegistryContract, testing::Values(SystemBackend()), BackendName);
INSTANTIATE_TEST_SUITE_P(System, AdapterDiscovery, testing::Values(SystemBackend()), BackendName);

TEST(SystemRegistry, TheTestsCleanUpTheirKeys) {
    std::string ownKey;
    {
        TSystemEnvironment env;
        ownKey = env.OwnKey();
        ASSERT_TRUE(env.ClaimAdapterClassKey());
        TReg reg(env.Backend());
        ASSERT_TRUE(reg.OpenKey("\\" + ownKey + "\\x", true));
        reg.SetRootKey(TRootKey::LocalMachine);
        ASSERT_TRUE(reg.OpenKey(std::string(AdapterClassKey) + "0000", true));
    }
    HKEY key = nullptr;
    EXPECT_NE(ERROR_SUCCESS, ::RegOpenKeyExA(HKEY_CURRENT_USER, ownKey.c_str(), 0, KEY_READ, &key));
    EXPECT_NE(ERROR_SUCCESS,
              ::RegOpenKeyExA(HKEY_LOCAL_MACHINE, WithoutOuterSeparators(AdapterClassKey).c_str(),
                              0, KEY_READ, &key));
}
