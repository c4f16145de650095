// The made-up adapters of the window tests and benchmarks must never harm a real machine:
// they take the adapter class key only when it is missing or made by them, and leave
// nothing behind.
#include "TestAdapters.h"

#include "support/WinHandles.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace {

const std::string RealAdapterKey = std::string(TestAdapterClassKey) + "\\0000";
const std::string InterfaceKey =
    "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\"
    "{33333333-2222-3333-4444-555555555501}";

bool KeyExists(const std::string& key) {
    HKEY handle = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
        return false;
    ::RegCloseKey(handle);
    return true;
}

std::string ReadText(const std::string& key, const char* name) {
    char text[256] = {};
    DWORD size = sizeof text;
    if (::RegGetValueA(HKEY_LOCAL_MACHINE, key.c_str(), name, RRF_RT_REG_SZ, nullptr, text,
                       &size) != ERROR_SUCCESS)
        return "(missing)";
    return text;
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
    EXPECT_EQ("Real Ethernet", ReadText(RealAdapterKey, "DriverDesc"));
}

TEST(TestAdapters, TakeTheirKeysAwayAgainAndAcceptALeftoverOfTheirOwn) {
    {
        TTestAdapters adapters;
        adapters.Add("{33333333-2222-3333-4444-555555555501}", "Test Ethernet");
        ASSERT_EQ("Test Ethernet", ReadText(RealAdapterKey, "DriverDesc"));
        ASSERT_TRUE(KeyExists(InterfaceKey));
        // A test that ended without cleaning up leaves a marked key: the next one takes it.
        TTestAdapters next;
        next.Add("{33333333-2222-3333-4444-555555555502}", "Next Ethernet");
        EXPECT_EQ("Next Ethernet", ReadText(RealAdapterKey, "DriverDesc"));
    }
    EXPECT_FALSE(KeyExists(TestAdapterClassKey));
    EXPECT_FALSE(KeyExists(InterfaceKey));
}
