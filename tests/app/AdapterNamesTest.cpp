#include "app/AdapterNames.h"

#include <gtest/gtest.h>

TEST(AdapterNames, ARowsAdapterReadsAsTheSelectorListsItOrAsItsIdentifier) {
    TAdapterNames names;
    names.Add("{AAAA-0001}", "Office Ethernet");
    names.Add("{bbbb-0002}", "Intel(R) Wi-Fi (Wi-Fi)");
    names.Add("{AAAA-0001}", "listed twice: the first counts");
    struct Case {
        std::string id, caption;
    } cases[] = {
        {"{AAAA-0001}", "Office Ethernet"},
        {"{aaaa-0001}", "Office Ethernet"},
        {"{BBBB-0002}", "Intel(R) Wi-Fi (Wi-Fi)"},
        {"{CCCC-0003}", "{CCCC-0003}"}, // not in this machine (any more)
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.caption, names.CaptionOf(c.id)) << c.id;
    names.Clear();
    EXPECT_EQ("{AAAA-0001}", names.CaptionOf("{AAAA-0001}"));
}
