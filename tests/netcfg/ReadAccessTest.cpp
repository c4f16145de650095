// A standard user may read the machine's network keys but not open them for writing: what
// only reads finds there what an administrator finds, and writes nothing.
#include "netcfg/MemoryRegistry.h"
#include "netcfg/SetIP.h"
#include "netcfg/Snapshot.h"

#include <gtest/gtest.h>

TEST(ReadAccess, WhatOnlyReadsFindsTheSameWhereTheMachinesKeysRefuseFullAccess) {
    const std::string office = "{0FF1CE00-0000-0000-0000-000000000001}";
    TMemoryRegistry registry;
    registry.AddEthernetAdapter(office, "Office Ethernet");
    const auto set = [&](TRootKey root, const std::string& path, const char* name, unsigned type,
                         const std::string& bytes) {
        registry.OpenKey(root, path, true)->SetValue(name, type, bytes);
    };
    set(TRootKey::LocalMachine, AdapterKeyPath(office), "IPAddress", RegMultiSz,
        std::string("10.1.0.5\0\0", 10));
    set(TRootKey::LocalMachine, AdapterKeyPath(office), "SubnetMask", RegSz, "255.255.0.0");
    set(TRootKey::LocalMachine,
        std::string(NetworkConnectionsKey).substr(1) + office + "\\Connection", "Name", RegSz,
        "Ethernet 2");
    set(TRootKey::CurrentUser, ProxyKeyPath(), "ProxyEnable", RegDword, std::string("\1\0\0\0", 4));
    set(TRootKey::CurrentUser, ProxyKeyPath(), "ProxyServer", RegSz, "proxy.example:8080");
    const auto read = [&] {
        TReg names(registry);
        const TCurrentSettings now = ReadCurrentSettings(registry, office);
        const TSnapshot back = TakeSnapshot(registry, office, nullptr);
        return DiscoverAdapters(registry, TAdapterScope::AllWithTcpIp).at(0).Description + "|" +
               ConnectionName(names, office).value_or("") + "|" + now.Address + " " + now.Submask +
               " " + now.Proxy + "|" + back.Request.Address + " " + back.Request.Submask + " " +
               back.Request.Proxy + " " + (back.ProxyValues.at(1).Value ? "kept" : "lost");
    };
    const std::string asAdministrator = read();
    EXPECT_EQ("Office Ethernet|Ethernet 2|10.1.0.5 255.255.0.0 proxy.example:8080|10.1.0.5 "
              "255.255.0.0 proxy.example:8080 kept",
              asAdministrator);
    EXPECT_TRUE(AdapterKeyOpens(registry, office));

    // The machine's keys as a standard user has them; the proxy's too, as a policy may.
    registry.RefuseFullAccess(TRootKey::LocalMachine);
    registry.RefuseFullAccess(TRootKey::CurrentUser, ProxyKeyPath());
    registry.ClearJournal();
    EXPECT_EQ(asAdministrator, read());
    EXPECT_TRUE(registry.Journal().empty());
    EXPECT_FALSE(AdapterKeyOpens(registry, office)) << "it opens for writing, or not at all";
}
