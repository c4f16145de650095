#pragma once
// The data both GUI benchmarks run on: 10,000 stored settings over 20 adapters, with the
// adapters made up in the registry of the benchmark's own Wine prefix (never a real
// machine's: see TTestAdapters).

#include "BenchRows.h"
#include "gui/TestAdapters.h"

#include <functional>
#include <string>
#include <vector>

// The adapters' identifiers, in the order they are listed.
std::vector<std::string> BenchAdapterIds();
// Registers the adapters (HKLM adapter class key and TCP/IP interface keys); they go when
// `adapters` goes.
void RegisterBenchAdapters(TTestAdapters& adapters);
// Creates folder + "db" holding `settings` settings (BenchRowTexts 0, 1, ...).
void CreateBenchDatabase(const std::string& folder, int settings = BenchSettings);

// Median and 95th percentile of a set of milliseconds.
struct TTimes {
    double Median = 0;
    double P95 = 0;
};
TTimes Summarise(std::vector<double> milliseconds);
// Milliseconds from a performance-counter start.
double MillisecondsSince(long long start);
long long Now();

// Runs a benchmark's body; an error (such as a registry that is not a test prefix's) is
// printed and ends it with exit status 1.
int RunBenchmark(const std::function<int()>& body);
