// The connection check's packets, to loopback only: the DNS query goes to a responder of
// this test's own on 127.0.0.1.

#include "netcfg/ReachabilityWin.h"

#include "netcfg/DnsProbe.h"
#include "support/Sockets.h"

#include <gtest/gtest.h>

#include <cstring>
#include <thread>

namespace {

// A UDP socket on 127.0.0.1 at a free port that answers one datagram with reply(query).
class TLoopbackResponder {
  public:
    explicit TLoopbackResponder(std::function<std::string(const std::string&)> reply)
        : socket_(::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP)) {
        sockaddr_in at{};
        at.sin_family = AF_INET;
        at.sin_addr.S_un.S_addr = ::htonl(INADDR_LOOPBACK);
        ::bind(socket_.get(), reinterpret_cast<sockaddr*>(&at), sizeof at);
        int length = sizeof at;
        ::getsockname(socket_.get(), reinterpret_cast<sockaddr*>(&at), &length);
        port_ = ::ntohs(at.sin_port);
        thread_ = std::thread([this, reply] {
            char buffer[512];
            sockaddr_in from{};
            int fromLength = sizeof from;
            const int n = ::recvfrom(socket_.get(), buffer, sizeof buffer, 0,
                                     reinterpret_cast<sockaddr*>(&from), &fromLength);
            if (n <= 0)
                return;
            Received = std::string(buffer, static_cast<size_t>(n));
            const std::string answer = reply(Received);
            if (!answer.empty())
                ::sendto(socket_.get(), answer.data(), static_cast<int>(answer.size()), 0,
                         reinterpret_cast<sockaddr*>(&from), fromLength);
        });
    }
    ~TLoopbackResponder() {
        socket_.reset(); // ends a recvfrom still waiting
        thread_.join();
    }
    std::uint16_t Port() const { return port_; }
    std::string Received;

  private:
    TSocketsStartup sockets_;
    UniqueSocket socket_;
    std::uint16_t port_ = 0;
    std::thread thread_;
};

std::string Respond(const std::string& query, char flags, char code) {
    std::string answer = query;
    if (answer.size() >= 4) {
        answer[2] = flags;
        answer[3] = code;
    }
    return answer;
}

} // namespace

TEST(Reachability, ADnsServerAnswersWithAnyWellFormedResponseOfItsQuery) {
    struct Case {
        const char* name;
        std::function<std::string(const std::string&)> reply;
        bool answers;
    } cases[] = {
        {"no error", [](const std::string& q) { return Respond(q, '\x81', '\x80'); }, true},
        {"refused", [](const std::string& q) { return Respond(q, '\x81', '\x85'); }, true},
        {"the query echoed", [](const std::string& q) { return q; }, false},
        {"another question",
         [](const std::string& q) {
             return Respond(q.substr(0, 12), '\x81', '\x80') + "\3com\0\0\2\0\1";
         },
         false},
        {"too short", [](const std::string& q) { return q.substr(0, 5); }, false},
        {"silent", [](const std::string&) { return std::string(); }, false},
    };
    for (const Case& c : cases) {
        TSystemReachability reachability;
        TLoopbackResponder responder(c.reply);
        const DWORD start = ::GetTickCount();
        EXPECT_EQ(c.answers, reachability.DnsAnswers("127.0.0.1", responder.Port(), 1000)) << c.name;
        EXPECT_LT(::GetTickCount() - start, 1800u) << c.name;
        EXPECT_EQ(17u, responder.Received.size()) << c.name;
    }
}

TEST(Reachability, TheQueryIdIsDrawnFromTheRandomSourceAndNoQueryGoesWithoutOne) {
    for (const bool drawn : {true, false}) {
        TSystemReachability reachability(
            [drawn](void* id, std::size_t size) { return std::memset(id, 0xA5, size), drawn; });
        TLoopbackResponder responder(
            [](const std::string& q) { return Respond(q, '\x81', '\x80'); });
        EXPECT_EQ(drawn, reachability.DnsAnswers("127.0.0.1", responder.Port(), 300));
        EXPECT_EQ(drawn ? "\xA5\xA5" : "", responder.Received.substr(0, 2));
    }
}

TEST(Reachability, TheCheckOfAStateNamingLoopbackSaysWhatAnswered) {
    TLoopbackResponder responder([](const std::string& q) { return Respond(q, '\x81', '\x80'); });
    TLiveState state;
    state.Gateways = {"127.0.0.1"};
    state.DnsServers = {"127.0.0.1"};
    TSystemReachability reachability;
    TCheckTiming timing;
    timing.DnsPort = responder.Port();
    const TConnectionReport report = CheckConnection(state, reachability, timing);
    ASSERT_EQ(2u, report.Lines.size());
    EXPECT_EQ(0u, report.Lines[0].find("Gateway 127.0.0.1 answers (")) << report.Lines[0];
    EXPECT_TRUE(report.GatewayAnswers);
    EXPECT_EQ("DNS 127.0.0.1 answers", report.Lines[1]);
    EXPECT_EQ(std::nullopt, reachability.Echo("not an address", 100));
}
