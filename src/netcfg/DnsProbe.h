#pragma once
// The DNS server check's packets, built and read by hand: a standard query for the root
// name's NS records, and the fixed header and question of an answer, read with bounds
// checks. Nothing here sends anything.

#include <cstdint>
#include <optional>
#include <string>

// The query: a 12-byte header (id, recursion desired, one question) and the question
// (the root name, type NS, class IN); 17 bytes.
std::string BuildDnsQuery(std::uint16_t id);

struct TDnsHeader {
    std::uint16_t Id = 0;
    bool Response = false;
    unsigned Opcode = 0;
    unsigned ResponseCode = 0; // 0 no error, 2 server failure, 5 refused ...
    std::uint16_t Questions = 0;
    std::uint16_t Answers = 0;
};

// The header of a datagram; nothing when it is shorter than a header.
std::optional<TDnsHeader> ReadDnsHeader(const std::string& datagram);

struct TDnsQuestion {
    std::string Name; // lower case, labels joined by "."; "" for the root
    std::uint16_t Type = 0;
    std::uint16_t Class = 0;
    bool operator==(const TDnsQuestion&) const = default;
};

// What BuildDnsQuery asks: the root name, type NS, class IN.
extern const TDnsQuestion ProbeQuestion;

// The first question, right after the header; nothing when the datagram holds none whole,
// or its name is no plain run of labels (a compression pointer, a label over 63 bytes, a
// name over 255).
std::optional<TDnsQuestion> ReadDnsQuestion(const std::string& datagram);

// Whether the datagram answers the query of this id: a well-formed response header of a
// standard query, whatever its response code (an error code is an answer too), that holds
// the one question asked. A stray datagram that guessed the id but not the question is not
// an answer.
bool AnswersDnsQuery(const std::string& datagram, std::uint16_t id);
