#include "netcfg/LocalAddress.h"

#include <winsock2.h>

#include <gtest/gtest.h>

#include <cstring>
#include <regex>

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

// The first address of the host's own name as the system's own formatter writes it.
std::string ResolverFirstAddress() {
    char name[64] = {};
    if (::gethostname(name, sizeof name) != 0)
        return "gethostname failed";
    const hostent* host = ::gethostbyname(name);
    if (host == nullptr || host->h_addr_list[0] == nullptr)
        return "no address";
    in_addr first{};
    std::memcpy(&first, host->h_addr_list[0], sizeof first);
    return ::inet_ntoa(first);
}

} // namespace

TEST(GetLocalIP, GivesTheFirstAddressOfTheHostAsADottedQuad) {
    std::string text = "stale";
    ASSERT_TRUE(GetLocalIP(text));
    EXPECT_TRUE(IsDottedQuad(text)) << text;

    WSADATA data{};
    ASSERT_EQ(0, ::WSAStartup(MAKEWORD(2, 0), &data));
    const std::string expected = ResolverFirstAddress();
    ::WSACleanup();
    EXPECT_EQ(expected, text);
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
