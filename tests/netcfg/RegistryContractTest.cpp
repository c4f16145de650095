// What TReg and any registry backend under it promise: the same on the in-memory registry
// and on the real one.
#include "RegistryTestEnvironment.h"

#include "support/Error.h"

#include <gmock/gmock.h>

using testing::ElementsAre;

namespace {

std::string Bytes(const char* data, size_t size) {
    return std::string(data, size);
}

// A wrapper on HKEY_CURRENT_USER with the test's own key created and open.
TReg OpenOwnKey(IRegistryBackend& backend, const std::string& ownKey) {
    TReg reg(backend);
    reg.SetRootKey(TRootKey::CurrentUser);
    EXPECT_TRUE(reg.OpenKey("\\" + ownKey, true));
    return reg;
}

} // namespace

TEST_P(RegistryContract, OpenKeyCreatesOnlyWhenAskedAndWithEveryMissingParent) {
    TReg reg(Backend());
    reg.SetRootKey(TRootKey::CurrentUser);
    const std::string deep = "\\" + OwnKey() + "\\a\\b\\c";
    EXPECT_FALSE(reg.OpenKey(deep, false));
    EXPECT_FALSE(reg.HasOpenKey());
    EXPECT_TRUE(reg.OpenKey(deep, true));
    reg.CloseKey();
    EXPECT_TRUE(reg.OpenKey(deep, false));
    EXPECT_TRUE(reg.OpenKey("\\" + OwnKey() + "\\a\\b", false)) << "the parents were created";
    EXPECT_TRUE(reg.OpenKey(deep + "\\", false)) << "a trailing separator names the same key";
    EXPECT_TRUE(reg.OpenKey("\\" + OwnKey() + "\\A\\B\\C", false)) << "names ignore case";
}

TEST_P(RegistryContract, AFailedOpenLeavesThePreviousKeyOpen) {
    TReg reg(Backend());
    ASSERT_TRUE(reg.OpenKey("\\" + OwnKey() + "\\first", true));
    reg.WriteString("Marker", "first");
    EXPECT_FALSE(reg.OpenKey("\\" + OwnKey() + "\\missing", false));
    EXPECT_TRUE(reg.HasOpenKey());
    EXPECT_EQ("first", reg.ReadString("Marker"));
}

TEST_P(RegistryContract, APathWithoutLeadingSeparatorIsTakenFromTheOpenKey) {
    TReg reg(Backend());
    ASSERT_TRUE(reg.OpenKey("\\" + OwnKey(), true));
    ASSERT_TRUE(reg.OpenKey("child", true));
    reg.WriteString("Where", "child");
    EXPECT_EQ(OwnKey() + "\\child", reg.CurrentPath());
    ASSERT_TRUE(reg.OpenKey("\\" + OwnKey() + "\\child", false));
    EXPECT_EQ("child", reg.ReadString("Where"));
}

TEST_P(RegistryContract, AChangeOfRootClosesTheOpenKey) {
    TReg reg(Backend());
    ASSERT_TRUE(reg.OpenKey("\\" + OwnKey(), true));
    reg.SetRootKey(TRootKey::CurrentUser);
    EXPECT_TRUE(reg.HasOpenKey()) << "the same root changes nothing";
    reg.SetRootKey(TRootKey::LocalMachine);
    EXPECT_FALSE(reg.HasOpenKey());
}

TEST_P(RegistryContract, WritesStoreTheExactTypesAndBytes) {
    TReg reg = OpenOwnKey(Backend(), OwnKey());
    reg.WriteString("Text", "10.0.0.1");
    reg.WriteString("Empty", "");
    reg.WriteInteger("One", 1);
    reg.WriteInteger("Minus", -2);
    reg.WriteInteger("Big", 0x12345678);
    ASSERT_TRUE(reg.WriteRaw("Multi", RegMultiSz, Bytes("a\0bc\0\0", 6)));
    ASSERT_TRUE(reg.WriteRaw("Binary", RegBinary, Bytes("\x00\xff\x80\x7f", 4)));

    struct Case {
        const char* name;
        unsigned type;
        std::string bytes;
    } cases[] = {
        {"Text", RegSz, Bytes("10.0.0.1\0", 9)},
        {"Empty", RegSz, Bytes("\0", 1)},
        {"One", RegDword, Bytes("\x01\x00\x00\x00", 4)},
        {"Minus", RegDword, Bytes("\xfe\xff\xff\xff", 4)},
        {"Big", RegDword, Bytes("\x78\x56\x34\x12", 4)},
        {"Multi", RegMultiSz, Bytes("a\0bc\0\0", 6)},
        {"Binary", RegBinary, Bytes("\x00\xff\x80\x7f", 4)},
    };
    auto key = Backend().OpenKey(TRootKey::CurrentUser, OwnKey(), false);
    ASSERT_TRUE(key);
    for (const auto& c : cases) {
        const auto value = key->QueryValue(c.name);
        ASSERT_TRUE(value) << c.name;
        EXPECT_EQ(c.type, value->Type) << c.name;
        EXPECT_EQ(c.bytes, value->Bytes) << c.name;
    }
    EXPECT_FALSE(key->QueryValue("Missing"));
}

TEST_P(RegistryContract, ReadStringFollowsTheTextRules) {
    TReg reg = OpenOwnKey(Backend(), OwnKey());
    struct Case {
        const char* name;
        unsigned type;
        std::string stored;
        std::string expected;
    } cases[] = {
        {"Sz", RegSz, Bytes("ethernet\0", 9), "ethernet"},
        {"UpToFirstNul", RegSz, Bytes("ab\0cd\0", 6), "ab"},
        {"NotExpanded", RegExpandSz, Bytes("%SystemRoot%\\x\0", 15), "%SystemRoot%\\x"},
        {"ZeroSizeSz", RegSz, "", ""},
        {"ZeroSizeBinary", RegBinary, "", ""},
        {"ZeroSizeDword", RegDword, "", ""},
    };
    for (const auto& c : cases)
        ASSERT_TRUE(reg.WriteRaw(c.name, c.type, c.stored)) << c.name;
    for (const auto& c : cases) {
        EXPECT_TRUE(reg.ValueExists(c.name)) << c.name;
        EXPECT_EQ(c.expected, reg.ReadString(c.name)) << c.name;
    }
    EXPECT_FALSE(reg.ValueExists("Missing"));
    EXPECT_EQ("", reg.ReadString("Missing"));
}

TEST_P(RegistryContract, ReadStringRefusesEveryOtherType) {
    TReg reg = OpenOwnKey(Backend(), OwnKey());
    struct Case {
        const char* name;
        unsigned type;
        std::string stored;
    } cases[] = {
        {"Dword", RegDword, Bytes("\x01\x00\x00\x00", 4)},
        {"Binary", RegBinary, "ethernet"},
        {"Multi", RegMultiSz, Bytes("ethernet\0\0", 10)},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(reg.WriteRaw(c.name, c.type, c.stored)) << c.name;
        try {
            reg.ReadString(c.name);
            ADD_FAILURE() << c.name << " was read as text";
        } catch (const TError& e) {
            EXPECT_STREQ(("Invalid data type for '" + std::string(c.name) + "'").c_str(), e.what());
        }
    }
}

TEST_P(RegistryContract, ValueNamesIgnoreCaseAndAWriteReplacesTheType) {
    TReg reg = OpenOwnKey(Backend(), OwnKey());
    reg.WriteInteger("EnableDHCP", 1);
    reg.WriteString("enabledhcp", "no");
    EXPECT_EQ("no", reg.ReadString("ENABLEDHCP"));
    reg.WriteInteger("EnableDhcp", 0);
    EXPECT_THROW(reg.ReadString("EnableDHCP"), TError);
}

TEST_P(RegistryContract, SubkeysComeSortedWithoutRegardToCase) {
    TReg reg = OpenOwnKey(Backend(), OwnKey());
    // Created out of order. Names of digits and letters only: for "[\\]^_`" Windows (upper
    // case) and Wine 8 (lower case) disagree; see the in-memory registry's own tests.
    for (const char* name : {"b", "Properties", "0001", "a1", "Z", "A", "0000", "B1"}) {
        ASSERT_TRUE(reg.OpenKey("\\" + OwnKey() + "\\" + name, true)) << name;
    }
    ASSERT_TRUE(reg.OpenKey("\\" + OwnKey(), false));
    EXPECT_THAT(reg.GetKeyNames(),
                ElementsAre("0000", "0001", "A", "a1", "b", "B1", "Properties", "Z"));
    ASSERT_TRUE(reg.OpenKey("0000", false));
    EXPECT_TRUE(reg.GetKeyNames().empty());
}

TEST_P(RegistryContract, WithoutAnOpenKeyReadsAreEmptyAndWritesFail) {
    TReg reg(Backend());
    EXPECT_TRUE(reg.GetKeyNames().empty());
    EXPECT_FALSE(reg.ValueExists("X"));
    EXPECT_EQ("", reg.ReadString("X"));
    EXPECT_FALSE(reg.WriteRaw("X", RegSz, Bytes("x\0", 2)));
    try {
        reg.WriteString("IPAddress", "1.2.3.4");
        ADD_FAILURE() << "no error";
    } catch (const TError& e) {
        EXPECT_STREQ("Failed to set data for 'IPAddress'", e.what());
    }
    EXPECT_THROW(reg.WriteInteger("EnableDHCP", 0), TError);
}

TEST_P(RegistryContract, AKeyOpenedForReadingIsNeverCreatedAndRefusesEveryWrite) {
    TReg reg = OpenOwnKey(Backend(), OwnKey());
    reg.WriteString("Kept", "as it was");
    EXPECT_FALSE(reg.OpenKeyReadOnly("\\" + OwnKey() + "\\Missing"));
    ASSERT_TRUE(reg.OpenKeyReadOnly("\\" + OwnKey() + "\\"));
    EXPECT_EQ("as it was", reg.ReadString("Kept"));
    EXPECT_FALSE(reg.WriteRaw("Added", RegDword, Bytes("\1\0\0\0", 4)));
    EXPECT_FALSE(reg.DeleteValue("Kept"));
    EXPECT_THROW(reg.WriteString("Kept", "new"), TError);
    ASSERT_TRUE(reg.OpenKey("\\" + OwnKey(), false));
    EXPECT_EQ("as it was", reg.ReadString("Kept"));
    EXPECT_FALSE(reg.ValueExists("Added"));
    EXPECT_FALSE(reg.OpenKey("\\" + OwnKey() + "\\Missing", false)) << "created";
}
