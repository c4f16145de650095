// The DNS check's answer reader on arbitrary datagrams: no read beyond the datagram, and an
// answer is a response of the query's id, whatever else the bytes hold.

#include "FuzzInput.h"

#include "netcfg/DnsProbe.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string datagram(reinterpret_cast<const char*>(data), size);
    const auto header = ReadDnsHeader(datagram);
    FUZZ_EXPECT(header.has_value() == (size >= 12), "a header read from too few bytes");
    const std::uint16_t id = header ? header->Id : 0;
    const bool answers = AnswersDnsQuery(datagram, id);
    FUZZ_EXPECT(!answers || (header && header->Response && header->Opcode == 0),
                "an answer that is no response of a standard query");
    FUZZ_EXPECT(!AnswersDnsQuery(datagram, static_cast<std::uint16_t>(id + 1)),
                "an answer taken for another query's");
    // A query of ours is never its own answer.
    FUZZ_EXPECT(!AnswersDnsQuery(BuildDnsQuery(id), id), "a query read as an answer");
    return 0;
}
