#pragma once
// The data both GUI benchmarks run on: 10,000 stored settings over 20 adapters, with the
// adapters made up in the registry of the benchmark's own Wine prefix.

#include <string>
#include <vector>

constexpr int BenchAdapters = 20;
constexpr int BenchSettings = 10000;

// The adapters' identifiers, in the order they are listed.
std::vector<std::string> BenchAdapterIds();
// Registers the adapters (HKLM adapter class key and TCP/IP interface keys).
void RegisterBenchAdapters();
// Removes the adapter class key again.
void RemoveBenchAdapters();
// Creates folder + "db" holding the settings.
void CreateBenchDatabase(const std::string& folder);

// Median and 95th percentile of a set of milliseconds.
struct TTimes {
    double Median = 0;
    double P95 = 0;
};
TTimes Summarise(std::vector<double> milliseconds);
// Milliseconds from a performance-counter start.
double MillisecondsSince(long long start);
long long Now();
