#include "support/IntegerText.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

TEST(ParseIntDef, ConvertsDecimalAndHexadecimalOrGivesTheDefault) {
    constexpr int D = -99;
    struct Case {
        std::string text;
        int expected;
    } cases[] = {
        {"0", 0},
        {"010", 10},
        {"+7", 7},
        {"-0", 0},
        {"  42", 42},
        {"$FF", 255},
        {"0xff", 255},
        {"0XFF", 255},
        {"xff", 255},
        {"Xa", 10},
        {"-$10", -16},
        {"+0x1F", 31},
        {"$FFFFFFFF", -1},
        {"$80000000", INT_MIN},
        {"$000000001", 1}, // leading zeros do not count against the 32 bits
        {"2147483647", INT_MAX},
        {"-2147483648", INT_MIN},
        {"2147483648", D},
        {"-2147483649", D},
        {"99999999999", D},
        {"$100000000", D},
        {"", D},
        {"   ", D},
        {"$", D},
        {"0x", D},
        {"-", D},
        {"+", D},
        {"12 ", D},
        {"\t12", D},
        {"- 5", D},
        {"1.5", D},
        {"--1", D},
        {"+-1", D},
        {"abc", D},
        {"$FG", D},
        {"0x-1", D},
        {"00x1", D},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, ParseIntDef(c.text, D)) << "\"" << c.text << "\"";
}
