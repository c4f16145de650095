#include "DnsProbe.h"

#include "support/Strings.h"

const TDnsQuestion ProbeQuestion{"", 2, 1};

namespace {

constexpr size_t HeaderSize = 12;
constexpr size_t LongestLabel = 63;
constexpr size_t LongestName = 255; // in the packet's form, length bytes and the end included

void PutWord(std::string& bytes, std::uint16_t word) {
    bytes += static_cast<char>(word >> 8);
    bytes += static_cast<char>(word & 0xFF);
}

std::uint16_t WordAt(const std::string& bytes, size_t offset) {
    return static_cast<std::uint16_t>((static_cast<unsigned char>(bytes[offset]) << 8) |
                                      static_cast<unsigned char>(bytes[offset + 1]));
}

} // namespace

std::string BuildDnsQuery(std::uint16_t id) {
    std::string query;
    PutWord(query, id);
    PutWord(query, 0x0100); // a standard query, recursion desired
    PutWord(query, 1);      // one question
    PutWord(query, 0);
    PutWord(query, 0);
    PutWord(query, 0);
    query += '\0';       // the root name
    PutWord(query, 2);   // NS
    PutWord(query, 1);   // IN
    return query;
}

std::optional<TDnsHeader> ReadDnsHeader(const std::string& datagram) {
    if (datagram.size() < HeaderSize)
        return std::nullopt;
    TDnsHeader header;
    header.Id = WordAt(datagram, 0);
    const std::uint16_t flags = WordAt(datagram, 2);
    header.Response = (flags & 0x8000) != 0;
    header.Opcode = (flags >> 11) & 0xF;
    header.ResponseCode = flags & 0xF;
    header.Questions = WordAt(datagram, 4);
    header.Answers = WordAt(datagram, 6);
    return header;
}

std::optional<TDnsQuestion> ReadDnsQuestion(const std::string& datagram) {
    TDnsQuestion question;
    size_t at = HeaderSize;
    for (;;) {
        if (at >= datagram.size() || at - HeaderSize >= LongestName)
            return std::nullopt;
        const size_t length = static_cast<unsigned char>(datagram[at++]);
        if (length == 0)
            break;
        if (length > LongestLabel || length > datagram.size() - at)
            return std::nullopt; // a pointer (0xC0 and up) is over 63 too
        if (!question.Name.empty())
            question.Name += '.';
        question.Name += FoldedAscii(datagram.substr(at, length));
        at += length;
    }
    if (datagram.size() - at < 4)
        return std::nullopt;
    question.Type = WordAt(datagram, at);
    question.Class = WordAt(datagram, at + 2);
    return question;
}

bool AnswersDnsQuery(const std::string& datagram, std::uint16_t id) {
    const auto header = ReadDnsHeader(datagram);
    return header && header->Id == id && header->Response && header->Opcode == 0 &&
           header->Questions == 1 && ReadDnsQuestion(datagram) == ProbeQuestion;
}
