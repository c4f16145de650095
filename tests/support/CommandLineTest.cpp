#include "support/CommandLine.h"

#include <gtest/gtest.h>

TEST(QuoteArgument, QuotesSoThatTheChildReadsTheArgumentBackUnchanged) {
    struct Case {
        std::string argument, quoted;
    } cases[] = {
        {"Ethernet", R"("Ethernet")"},
        {"Local Area Connection 2", R"("Local Area Connection 2")"},
        {"", R"("")"},
        {R"(Lab "B" LAN)", R"("Lab \"B\" LAN")"},
        {R"(")", R"("\"")"},
        {R"(a\b)", R"("a\b")"},          // backslashes not before a quote stay single
        {R"(a\\b)", R"("a\\b")"},        // ... however many there are
        {R"(a\)", R"("a\\")"},           // before the closing quote they are doubled
        {R"(a\\)", R"("a\\\\")"},        // ... each of them
        {R"(a\"b)", R"("a\\\"b")"},      // before a quote inside: doubled, then \"
        {"tab\there", "\"tab\there\""},  // blanks of any kind stay inside the quotes
        {"a & b | c", R"("a & b | c")"}, // no shell reads the line: nothing else is special
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.quoted, QuoteArgument(c.argument)) << c.argument;
}
