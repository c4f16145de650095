#pragma once
// The registry a test runs against: the in-memory one natively, the real one under Wine.
// The same contract and discovery tests are instantiated once per backend, so the two
// backends cannot drift apart.

#include "netcfg/Registry.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

class TRegistryTestEnvironment {
  public:
    TRegistryTestEnvironment();
    virtual ~TRegistryTestEnvironment() = default;

    virtual IRegistryBackend& Backend() = 0;
    // A key of the test's own under HKEY_CURRENT_USER ("Software\NetvaneTest\<random>", no
    // leading "\"); it does not exist yet, and everything beneath it goes when the test ends.
    const std::string& OwnKey() const { return ownKey_; }
    // Takes the adapter class key (HKEY_LOCAL_MACHINE) for the test: false when it exists
    // already (a real machine's adapters, which a test must not touch); otherwise the test
    // may create it, and it goes when the test ends.
    virtual bool ClaimAdapterClassKey() = 0;

  private:
    std::string ownKey_;
};

struct TRegistryBackendParam {
    std::string Name;
    std::function<std::unique_ptr<TRegistryTestEnvironment>()> Make;
};

inline void PrintTo(const TRegistryBackendParam& param, std::ostream* out) { *out << param.Name; }

inline std::string BackendName(const testing::TestParamInfo<TRegistryBackendParam>& info) {
    return info.param.Name;
}

// The fixtures of the shared suites; each test binary instantiates them with its backends.
class RegistryContract : public testing::TestWithParam<TRegistryBackendParam> {
  protected:
    void SetUp() override { env_ = GetParam().Make(); }
    void TearDown() override { env_.reset(); }
    IRegistryBackend& Backend() { return env_->Backend(); }
    const std::string& OwnKey() const { return env_->OwnKey(); }
    std::unique_ptr<TRegistryTestEnvironment> env_;
};

class AdapterDiscovery : public testing::TestWithParam<TRegistryBackendParam> {
  protected:
    void SetUp() override {
        env_ = GetParam().Make();
        if (!env_->ClaimAdapterClassKey())
            GTEST_SKIP() << "this registry has an adapter class key of its own; discovery "
                            "tests run only where it is absent (a fresh Wine prefix)";
    }
    void TearDown() override { env_.reset(); }
    IRegistryBackend& Backend() { return env_->Backend(); }
    std::unique_ptr<TRegistryTestEnvironment> env_;
};
