// The DNS check's answer reader on arbitrary datagrams: no read beyond the datagram, and an
// answer is a response of the query's id that holds the question asked, whatever else the
// bytes hold.

#include "FuzzInput.h"

#include "netcfg/DnsProbe.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string datagram(reinterpret_cast<const char*>(data), size);
    const auto header = ReadDnsHeader(datagram);
    FUZZ_EXPECT(header.has_value() == (size >= 12), "a header read from too few bytes");
    const auto question = ReadDnsQuestion(datagram);
    FUZZ_EXPECT(!question || (size >= 17 && question->Name.size() <= 253),
                "a question read from too few bytes, or a name over its limit");
    const std::uint16_t id = header ? header->Id : 0;
    const bool answers = AnswersDnsQuery(datagram, id);
    FUZZ_EXPECT(!answers || (header && header->Response && header->Opcode == 0 &&
                             header->Questions == 1 && question == ProbeQuestion),
                "an answer that is no response of a standard query to the question asked");
    FUZZ_EXPECT(!AnswersDnsQuery(datagram, static_cast<std::uint16_t>(id + 1)),
                "an answer taken for another query's");
    // A query of ours is never its own answer; the same bytes as a response are.
    std::string query = BuildDnsQuery(id);
    FUZZ_EXPECT(!AnswersDnsQuery(query, id), "a query read as an answer");
    query[2] = static_cast<char>(0x80 | (size > 0 ? data[0] & 0x07 : 0));
    query[3] = static_cast<char>(size > 1 ? data[1] : 0);
    FUZZ_EXPECT(AnswersDnsQuery(query + datagram, id), "the echoed question refused");
    return 0;
}
