// The live-state reader against the adapters Wine really has (the host's interfaces, under
// made-up GUIDs): one up, one down, and one that does not exist. Reading sends nothing.

#include "netcfg/LiveStateWin.h"

#include <gtest/gtest.h>

#include <winsock2.h>
#include <iphlpapi.h>
#include <windows.h>

#include <optional>
#include <vector>

namespace {

struct TListed {
    std::string Id;
    bool Up = false;
    bool HasIpv4 = false;
};

// What GetAdaptersAddresses lists, read here without the reader.
std::vector<TListed> ListedAdapters() {
    ULONG size = 64 * 1024;
    std::vector<unsigned char> buffer(size);
    auto* first = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data());
    if (::GetAdaptersAddresses(AF_INET, GAA_FLAG_INCLUDE_GATEWAYS, nullptr, first, &size) !=
        NO_ERROR)
        return {};
    std::vector<TListed> listed;
    for (auto* a = first; a; a = a->Next)
        listed.push_back({a->AdapterName, a->OperStatus == IfOperStatusUp,
                          a->FirstUnicastAddress != nullptr &&
                              a->IfType != IF_TYPE_SOFTWARE_LOOPBACK});
    return listed;
}

std::optional<TListed> Find(bool up) {
    for (const TListed& adapter : ListedAdapters())
        if (adapter.Up == up && (!up || adapter.HasIpv4))
            return adapter;
    return std::nullopt;
}

} // namespace

TEST(LiveStateReader, ReadsAnAdapterThatIsUpOneThatIsDownAndOneThatIsNot) {
    TSystemLiveStateReader reader;
    const auto up = Find(true);
    ASSERT_TRUE(up) << "no adapter up with an address";
    const TLiveState upState = reader.Read(up->Id);
    EXPECT_TRUE(upState.Present && upState.Up) << up->Id;
    ASSERT_FALSE(upState.Addresses.empty());
    EXPECT_GT(upState.Addresses[0].PrefixLength, 0);
    EXPECT_NE(0u, upState.InterfaceIndex);
    EXPECT_EQ(upState, reader.Read(up->Id)) << "the same state read twice";

    if (const auto down = Find(false)) {
        const TLiveState downState = reader.Read(down->Id);
        EXPECT_TRUE(downState.Present) << down->Id;
        EXPECT_FALSE(downState.Up) << down->Id;
    }
    EXPECT_FALSE(reader.Read("{0BADBAD0-0000-0000-0000-000000000000}").Present);
}
