// The made-up adapters of the window tests and benchmarks must never harm a real machine:
// they take the adapter class key only when it is missing or made by them, and leave
// nothing behind.
#include "TestAdapters.h"

#include "ReadBack.h"
#include "support/WinHandles.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <stdexcept>
#include <string>

namespace {

const std::string RealAdapterKey = std::string(TestAdapterClassKey) + "\\0000";
const std::string InterfaceKey = AdapterKey("{33333333-2222-3333-4444-555555555501}");

std::optional<TRawValue> Description(const std::string& adapterKey) {
    return ReadValue(HKEY_LOCAL_MACHINE, adapterKey, "DriverDesc");
}

// The class key as a real machine has it: adapters, and no mark of ours.
class TRealMachineAdapters {
  public:
    TRealMachineAdapters() {
        HKEY handle = nullptr;
        ::RegCreateKeyExA(HKEY_LOCAL_MACHINE, RealAdapterKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                          nullptr, &handle, nullptr);
        const UniqueKey key(handle);
        const char desc[] = "Real Ethernet";
        ::RegSetValueExA(key.get(), "DriverDesc", 0, REG_SZ, reinterpret_cast<const BYTE*>(desc),
                         sizeof desc);
    }
    ~TRealMachineAdapters() { ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, TestAdapterClassKey); }
};

} // namespace

TEST(TestAdapters, RefuseAnAdapterClassKeyTheyDidNotMakeAndChangeNothing) {
    const TRealMachineAdapters machine;
    try {
        TTestAdapters adapters;
        FAIL() << "a class key without the mark was taken";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string::npos, std::string(e.what()).find("nothing was changed")) << e.what();
    }
    EXPECT_EQ(Sz("Real Ethernet"), Description(RealAdapterKey));
}

TEST(TestAdapters, TakeTheirKeysAwayAgainAndAcceptALeftoverOfTheirOwn) {
    {
        TTestAdapters adapters;
        adapters.Add("{33333333-2222-3333-4444-555555555501}", "Test Ethernet");
        ASSERT_EQ(Sz("Test Ethernet"), Description(RealAdapterKey));
        ASSERT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, InterfaceKey));
        // A test that ended without cleaning up leaves a marked key: the next one takes it.
        TTestAdapters next;
        next.Add("{33333333-2222-3333-4444-555555555502}", "Next Ethernet");
        EXPECT_EQ(Sz("Next Ethernet"), Description(RealAdapterKey));
    }
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, TestAdapterClassKey));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, InterfaceKey));
}
