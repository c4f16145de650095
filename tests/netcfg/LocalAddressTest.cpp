#include "netcfg/LocalAddress.h"

#include <winsock2.h>

#include <iphlpapi.h>

#include <gmock/gmock.h>

#include <regex>
#include <string>
#include <vector>

namespace {

// Four decimal numbers 0 to 255 without leading zeros, joined by ".".
bool IsDottedQuad(const std::string& text) {
    static const std::regex quad("(25[0-5]|2[0-4][0-9]|1[0-9][0-9]|[1-9][0-9]|[0-9])"
                                 "(\\.(25[0-5]|2[0-4][0-9]|1[0-9][0-9]|[1-9][0-9]|[0-9])){3}");
    return std::regex_match(text, quad);
}

// How many start-ups of the sockets layer are in force: each WSACleanup ends one and fails
// once none is left. The count is restored before returning.
int StartupsInForce() {
    int count = 0;
    while (::WSACleanup() == 0)
        ++count;
    EXPECT_EQ(WSANOTINITIALISED, ::WSAGetLastError());
    for (int i = 0; i < count; ++i) {
        WSADATA data{};
        ::WSAStartup(MAKEWORD(2, 0), &data);
    }
    return count;
}

// Every IPv4 address of the machine's network interfaces, as the IP helper library lists
// them: an account of the machine's addresses independent of the resolver GetLocalIP asks.
std::vector<std::string> InterfaceAddresses() {
    ULONG size = 0;
    ::GetIpAddrTable(nullptr, &size, FALSE);
    std::vector<unsigned char> buffer(size);
    auto* table = reinterpret_cast<MIB_IPADDRTABLE*>(buffer.data());
    if (size == 0 || ::GetIpAddrTable(table, &size, FALSE) != NO_ERROR)
        return {};
    std::vector<std::string> addresses;
    for (DWORD i = 0; i < table->dwNumEntries; ++i) {
        in_addr address{};
        address.s_addr = table->table[i].dwAddr;
        addresses.push_back(::inet_ntoa(address));
    }
    return addresses;
}

} // namespace

TEST(GetLocalIP, GivesAnAddressOfTheMachinesInterfacesAsADottedQuad) {
    std::string text = "stale";
    ASSERT_TRUE(GetLocalIP(text));
    EXPECT_TRUE(IsDottedQuad(text)) << text;

    const std::vector<std::string> addresses = InterfaceAddresses();
    ASSERT_FALSE(addresses.empty());
    EXPECT_THAT(addresses, testing::Contains(text));
}

TEST(GetLocalIP, EndsItsOwnUseOfTheSocketsLayerExactlyOnce) {
    std::string text;
    ASSERT_EQ(0, StartupsInForce());
    ASSERT_TRUE(GetLocalIP(text));
    EXPECT_EQ(0, StartupsInForce());

    // The caller's own start-up outlives the call.
    WSADATA data{};
    ASSERT_EQ(0, ::WSAStartup(MAKEWORD(2, 0), &data));
    ASSERT_TRUE(GetLocalIP(text));
    EXPECT_EQ(1, StartupsInForce());
    ::WSACleanup();
}
