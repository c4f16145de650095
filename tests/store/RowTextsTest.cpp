#include "store/RowTexts.h"

#include <gtest/gtest.h>

namespace {

TRowTexts::TTexts Texts(std::initializer_list<std::optional<std::string>> list) {
    TRowTexts::TTexts texts;
    std::copy(list.begin(), list.end(), texts.begin());
    return texts;
}

void ExpectHolds(const TRowTexts& row, const TRowTexts::TTexts& expected, const char* what) {
    for (std::size_t f = 0; f < TRowTexts::Count; ++f) {
        EXPECT_EQ(expected[f].has_value(), row.Has(f)) << what << ", field " << f;
        EXPECT_EQ(expected[f], row.Get(f)) << what << ", field " << f;
        EXPECT_EQ(expected[f].value_or(""), row.View(f)) << what << ", field " << f;
    }
}

// Every field reads back as it went in: no value and "" stay apart, neighbours do not run
// into each other, and a text may hold any byte.
TEST(RowTexts, GivesBackEachFieldAsAssigned) {
    const struct {
        const char* what;
        TRowTexts::TTexts texts;
    } cases[] = {
        {"no values", Texts({})},
        {"empty texts", Texts({"", "", "", "", "", "", "", ""})},
        {"a row of the view", Texts({"{GUID}", "Office", "10.0.0.5", "255.0.0.0", std::nullopt, "",
                                     "8.8.8.8", "proxy:8080"})},
        {"first and last only", Texts({"a", {}, {}, {}, {}, {}, {}, "z"})},
        {"long and odd bytes", Texts({std::string(70000, 'x'),
                                      std::string("n\0l", 3),
                                      "\xE9t\xE9",
                                      {},
                                      "",
                                      "=",
                                      ",",
                                      "\r\n"})},
    };
    for (const auto& c : cases) {
        TRowTexts row;
        row.Assign(c.texts);
        ExpectHolds(row, c.texts, c.what);
    }
}

// Changing one field leaves the others as they were, whichever field it is and whether it
// gains, loses or changes its value.
TEST(RowTexts, SettingOneFieldKeepsTheOthers) {
    const TRowTexts::TTexts start = Texts({"a", "bb", {}, "", "ccc", "d", {}, "eeee"});
    const std::optional<std::string> newValues[] = {std::nullopt, "", "changed", "a longer text"};
    for (std::size_t field = 0; field < TRowTexts::Count; ++field) {
        for (const auto& value : newValues) {
            TRowTexts row;
            row.Assign(start);
            row.Set(field, value);
            TRowTexts::TTexts expected = start;
            expected[field] = value;
            ExpectHolds(row, expected, ("field " + std::to_string(field)).c_str());
        }
    }
}

} // namespace
