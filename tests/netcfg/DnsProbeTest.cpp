#include "netcfg/DnsProbe.h"

#include <gtest/gtest.h>

TEST(DnsProbe, AsksForTheRootNamesNameServersInSeventeenBytes) {
    const std::string expected("\x12\x34\x01\x00\x00\x01\x00\x00\x00\x00\x00\x00"
                               "\x00\x00\x02\x00\x01",
                               17);
    EXPECT_EQ(expected, BuildDnsQuery(0x1234));
    EXPECT_EQ(std::string("\xFF\xFE", 2), BuildDnsQuery(0xFFFE).substr(0, 2));
}

TEST(DnsProbe, TakesAWellFormedResponseOfItsIdAndQuestionAsAnAnswerWhateverItsCode) {
    const std::string header12("\x12\x34\x81\x80\x00\x01\x00\x01\x00\x00\x00\x00", 12);
    const std::string ns = std::string("\0\0\x02\0\x01", 5); // the root, NS, IN
    struct Case {
        const char* name;
        std::string datagram;
        bool answers;
    } cases[] = {
        {"no error", header12 + ns, true},
        {"without the question", header12, false},
        {"another name", header12 + "\3com" + ns, false},
        {"another type", header12 + std::string("\0\0\x01\0\x01", 5), false},
        {"a pointer for the name", header12 + "\xC0\x0C" + ns.substr(1), false},
        {"a label past the end", header12 + "\x3F" + ns, false},
        {"two questions", std::string("\x12\x34\x81\x80\0\2", 6) + header12.substr(6) + ns + ns,
         false},
        {"with the question after it", header12 + BuildDnsQuery(0x1234).substr(12), true},
        {"refused", std::string("\x12\x34\x81\x85", 4) + header12.substr(4) + ns, true},
        {"server failure", std::string("\x12\x34\x80\x02", 4) + header12.substr(4) + ns, true},
        {"empty", "", false},
        {"one byte short", header12.substr(0, 11), false},
        {"the id alone", header12.substr(0, 2), false},
        {"another id", std::string("\x12\x35", 2) + header12.substr(2), false},
        {"a query, not a response", BuildDnsQuery(0x1234), false},
        {"another opcode", std::string("\x12\x34\x90\x80", 4) + header12.substr(4), false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.answers, AnswersDnsQuery(c.datagram, 0x1234)) << c.name;
}

TEST(DnsProbe, ReadsTheHeaderFields) {
    const auto header =
        ReadDnsHeader(std::string("\xAB\xCD\x81\x83\x00\x01\x00\x02\x00\x00\x00\x00", 12));
    ASSERT_TRUE(header);
    EXPECT_EQ(0xABCD, header->Id);
    EXPECT_TRUE(header->Response);
    EXPECT_EQ(0u, header->Opcode);
    EXPECT_EQ(3u, header->ResponseCode);
    EXPECT_EQ(1, header->Questions);
    EXPECT_EQ(2, header->Answers);
    EXPECT_FALSE(ReadDnsHeader(std::string(11, '\xFF')));
}
