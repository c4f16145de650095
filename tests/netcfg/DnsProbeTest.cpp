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
    const std::string question = BuildDnsQuery(0x1234).substr(12);
    const std::string answer = header12 + question + std::string("\0\0\x02\0\x01", 5);
    struct Case {
        const char* name;
        std::string datagram;
        bool answers;
    } cases[] = {
        {"no error", answer, true},
        {"the question alone", header12 + question, true},
        {"refused", std::string("\x12\x34\x81\x85", 4) + answer.substr(4), true},
        {"server failure", std::string("\x12\x34\x80\x02", 4) + answer.substr(4), true},
        {"no question", header12, false},
        {"no question counted", header12.substr(0, 5) + '\0' + answer.substr(6), false},
        {"two questions counted", header12.substr(0, 5) + '\2' + answer.substr(6), false},
        {"another name", header12 + std::string("\3com\0\0\x02\0\x01", 9), false},
        {"another type", header12 + std::string("\0\0\x01\0\x01", 5), false},
        {"another class", header12 + std::string("\0\0\x02\0\x03", 5), false},
        {"the class cut short", header12 + question.substr(0, 4), false},
        {"empty", "", false},
        {"one byte short", header12.substr(0, 11), false},
        {"the id alone", header12.substr(0, 2), false},
        {"another id", std::string("\x12\x35", 2) + answer.substr(2), false},
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

TEST(DnsProbe, ReadsTheFirstQuestionWithinTheDatagramAndAPlainName) {
    const std::string header(12, '\0');
    const std::string label63 = '\x3F' + std::string(63, 'a');
    std::string longest; // 255 bytes in the packet's form: three labels of 63, one of 61
    for (int i = 0; i < 3; ++i)
        longest += label63;
    longest += '\x3D' + std::string(61, 'b');
    struct Case {
        const char* name;
        std::string question; // after the header
        std::optional<TDnsQuestion> read;
    } cases[] = {
        {"the root", std::string("\0\0\x02\0\x01", 5), ProbeQuestion},
        {"labels, in lower case", std::string("\3WwW\7Example\3org\0\0\x01\0\x01", 22),
         TDnsQuestion{"www.example.org", 1, 1}},
        {"a label of 63", label63 + std::string("\0\0\x10\x01\x00", 5),
         TDnsQuestion{std::string(63, 'a'), 16, 256}},
        {"a name of 255", longest + std::string("\0\0\x01\0\x01", 5),
         TDnsQuestion{longest.substr(1, 63) + "." + std::string(63, 'a') + "." +
                          std::string(63, 'a') + "." + std::string(61, 'b'),
                      1, 1}},
        {"a name of 256", '\1' + std::string("x") + longest + std::string("\0\0\x01\0\x01", 5),
         std::nullopt},
        {"a label of 64", '\x40' + std::string(64, 'a') + std::string("\0\0\x01\0\x01", 5),
         std::nullopt},
        {"a compression pointer", std::string("\xC0\x0C\0\x01\0\x01", 6), std::nullopt},
        {"a label past the end", std::string("\5abc", 4), std::nullopt},
        {"no end of the name", std::string("\3abc", 4), std::nullopt},
        {"the class cut short", std::string("\0\0\x02\0", 4), std::nullopt},
        {"nothing", "", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.read, ReadDnsQuestion(header + c.question)) << c.name;
}
