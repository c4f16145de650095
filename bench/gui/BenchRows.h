#pragma once
// The settings the window benchmarks run on, as texts: the same in the database that
// Netvane reads and in the memory of the same screen drawn without it.

#include <array>
#include <string>

constexpr int BenchAdapters = 20;
constexpr int BenchSettings = 10000;

// Adapter (its position), Title, Address, Submask, Gateway, DNS1, DNS2, Proxy of setting i;
// setting i belongs to adapter i % BenchAdapters.
inline std::array<std::string, 7> BenchRowTexts(int i) {
    std::string address = "10.1.";
    address += std::to_string(i / 250);
    address += ".";
    address += std::to_string(i % 250);
    std::string proxy;
    if (i % 3 == 0) {
        proxy = "proxy";
        proxy += std::to_string(i % 5);
        proxy += ":8080";
    }
    return {"Setting " + std::to_string(i), address, "255.255.0.0", "10.1.0.1",
            "10.0.0." + std::to_string(i % 7), "8.8.8.8", proxy};
}
