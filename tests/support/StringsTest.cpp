#include "support/Strings.h"

#include <gtest/gtest.h>

TEST(Strings, CharPosFromFindsFirstMatchAtOrAfterStart) {
    struct Case {
        char c;
        std::string s;
        int start;
        int expected;
    } cases[] = {
        {':', "", 1, 0},    {'.', "1.2", 1, 2},   {'.', "1.2", 3, 0},
        {'.', "1.2", 4, 0}, {'.', "1.2.3", 3, 4}, {':', "host:80", 1, 5},
        {'x', "abc", 1, 0}, {'a', "abc", 0, 0},   {'c', "abc", 3, 3},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, CharPosFrom(c.c, c.s, c.start))
            << "'" << c.c << "' in \"" << c.s << "\" from " << c.start;
}

TEST(Strings, CopyFromTakesTheTail) {
    struct Case {
        std::string s;
        int p;
        std::string expected;
    } cases[] = {
        {"1.2.3.4:8080", 9, "8080"},
        {"1.2.3.4:8080", 13, ""},
        {"1.2.3.4:8080", 1, "1.2.3.4:8080"},
        {"", 1, ""},
        {"abc", 3, "c"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.expected, CopyFrom(c.s, c.p)) << "\"" << c.s << "\" from " << c.p;
}

TEST(Strings, SplitNameValueSplitsAtTheFirstEquals) {
    struct Case {
        std::string s, left, right;
    } cases[] = {
        {"{GUID}=Intel NIC", "{GUID}", "Intel NIC"},
        {"no separator", "no separator", ""},
        {"=value", "", "value"},
        {"name=", "name", ""},
        {"{GUID}=Card = fast = cheap", "{GUID}", "Card = fast = cheap"},
        {"", "", ""},
    };
    for (const auto& c : cases) {
        const TSplit split = SplitNameValue(c.s);
        EXPECT_EQ(c.left, split.Left) << c.s;
        EXPECT_EQ(c.right, split.Right) << c.s;
    }
}

TEST(Strings, SplitAtTakesMultiCharacterSeparators) {
    const TSplit split = SplitAt("a<>b<>c", "<>");
    EXPECT_EQ("a", split.Left);
    EXPECT_EQ("b<>c", split.Right);
}

TEST(Strings, TrimRemovesBlanksAndControlCharactersAtBothEnds) {
    EXPECT_EQ("a b", Trim(" \t\r\na b \x01\x1f "));
    EXPECT_EQ("", Trim(" \t "));
    EXPECT_EQ("", Trim(""));
    EXPECT_EQ("x", Trim("x"));
    EXPECT_EQ("\xe9t\xe9", Trim(" \xe9t\xe9 ")); // bytes above 127 are kept
}

TEST(Strings, SameTextIgnoresLetterCase) {
    EXPECT_TRUE(SameText("Index", "INDEX"));
    EXPECT_TRUE(SameText("", ""));
    EXPECT_FALSE(SameText("Index", "Index2"));
    EXPECT_FALSE(SameText("DNS1", "DNS2"));
}
