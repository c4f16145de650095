#include "privileged/RequestFormat.h"

#include "support/Error.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>

namespace {

// A message written field by field, independently of the encoder, so that a refusal can be
// aimed at one field while everything else is right.
struct TBytes {
    std::string bytes;
    TBytes(const char* magic, unsigned char version) : bytes(magic) { bytes += char(version); }
    TBytes& N(std::uint32_t value) {
        for (int shift = 0; shift < 32; shift += 8)
            bytes += static_cast<char>((value >> shift) & 0xFF);
        return *this;
    }
    TBytes& F(unsigned char value) {
        bytes += static_cast<char>(value);
        return *this;
    }
    TBytes& T(const std::string& text) {
        N(static_cast<std::uint32_t>(text.size()));
        bytes += text;
        return *this;
    }
    TBytes& Repeat(std::uint32_t count, const std::function<void(TBytes&)>& item) {
        N(count);
        for (std::uint32_t i = 0; i < count; ++i)
            item(*this);
        return *this;
    }
};

// A request in the format's layout: six texts, the DHCP flag, the metric, then the lists.
std::string RequestBytes(const char* magic = "NVRQ", unsigned char version = 1,
                         unsigned char dhcp = 0, const std::string& address = "10.0.0.5",
                         std::uint32_t addresses = 0, std::uint32_t gateways = 0,
                         std::uint32_t kept = 0, unsigned char keptFlag = 1,
                         std::uint32_t addressBytes = 8) {
    TBytes out(magic, version);
    out.T("{A}").T(address).T("10.0.0.1").T("255.0.0.0").T("").T("corp.example").F(dhcp).N(0);
    out.Repeat(addresses,
               [&](TBytes& o) { o.T(std::string(addressBytes, '1')).T("255.255.255.0"); });
    out.Repeat(gateways, [](TBytes& o) { o.T("10.0.0.2").N(5); });
    out.Repeat(kept, [&](TBytes& o) { o.T("IPAddress").F(keptFlag).N(RegMultiSz).T("x"); });
    out.T("Office"); // the title
    return out.bytes;
}

std::string ReplyBytes(std::uint32_t stage = 1, unsigned char applied = 1,
                       std::uint32_t outcome = 0, std::uint32_t said = 1,
                       const std::string& magic = "NVRP") {
    TBytes out(magic.c_str(), 1);
    out.N(stage).F(applied).N(outcome).F(0).F(0).T("").T("");
    out.Repeat(said, [](TBytes& o) { o.T("said"); });
    out.T("");
    return out.bytes;
}

TAdapterRequest FullRequest() {
    TAdapterRequest full;
    full.Request = {"{AAAAAAAA-0000-0000-0000-000000000001}",
                    "10.0.0.5",
                    "10.0.0.1",
                    "255.0.0.0",
                    "10.0.0.2,10.0.0.3",
                    "",
                    true,
                    25,
                    {{"10.0.0.6", "255.0.0.0"}, {"192.168.1.2", "255.255.255.0"}},
                    {{"10.0.0.254", 40}}};
    full.Request.Options.DnsSuffix = "corp.example.com";
    full.KeptValues = {{"IPAddress", TRegValue{RegMultiSz, std::string("10.0.0.5\0\0", 10)}},
                       {"NameServer", std::nullopt},
                       {"DefaultGatewayMetric", TRegValue{RegMultiSz, std::string()}}};
    full.Title = "Office";
    return full;
}

TAdapterReply FullReply() {
    TAdapterReply reply;
    reply.Stage = TAdapterStage::KeyMissing;
    reply.Applied = true;
    reply.Result = {TSwitchOutcome::WaitingForCable, true, true, "", "cable", "plug it in"};
    reply.Said = {"first", "", "third"};
    reply.Error = "the key";
    return reply;
}

void ExpectSame(const TAdapterRequest& expected, const TAdapterRequest& actual) {
    const TIP& e = expected.Request;
    const TIP& a = actual.Request;
    EXPECT_EQ(e.Adapter, a.Adapter);
    EXPECT_EQ(e.Address, a.Address);
    EXPECT_EQ(e.Gateway, a.Gateway);
    EXPECT_EQ(e.Submask, a.Submask);
    EXPECT_EQ(e.DNS, a.DNS);
    EXPECT_EQ(e.DHCP, a.DHCP);
    EXPECT_EQ(e.GatewayMetric, a.GatewayMetric);
    EXPECT_EQ(e.MoreAddresses, a.MoreAddresses);
    EXPECT_EQ(e.MoreGateways, a.MoreGateways);
    EXPECT_EQ(expected.Title, actual.Title);
    EXPECT_EQ(e.Options, a.Options);
    ASSERT_EQ(expected.KeptValues.size(), actual.KeptValues.size());
    for (std::size_t i = 0; i < expected.KeptValues.size(); ++i) {
        const TKeptValue& ek = expected.KeptValues[i];
        const TKeptValue& ak = actual.KeptValues[i];
        EXPECT_EQ(ek.Name, ak.Name);
        ASSERT_EQ(ek.Value.has_value(), ak.Value.has_value()) << ek.Name;
        if (ek.Value) {
            EXPECT_EQ(ek.Value->Type, ak.Value->Type);
            EXPECT_EQ(ek.Value->Bytes, ak.Value->Bytes);
        }
    }
}

} // namespace

TEST(RequestFormat, ARequestAndAReplyComeBackAsTheyWereSentButForTheProxy) {
    TAdapterRequest sent = FullRequest();
    sent.Request.Proxy = "proxy:8080";
    sent.Request.Options = {"corp.example.com", "<local>", "http://wpad/wpad.dat", true};
    const std::optional<TAdapterRequest> request = DecodeRequest(EncodeRequest(sent));
    ASSERT_TRUE(request);
    ExpectSame(FullRequest(), *request);
    EXPECT_EQ("", request->Request.Proxy);

    const std::optional<TAdapterReply> reply = DecodeReply(EncodeReply(FullReply()));
    ASSERT_TRUE(reply);
    const TAdapterReply expected = FullReply();
    EXPECT_EQ(expected.Stage, reply->Stage);
    EXPECT_EQ(expected.Applied, reply->Applied);
    EXPECT_EQ(expected.Result.Outcome, reply->Result.Outcome);
    EXPECT_EQ(expected.Result.FallbackUsed, reply->Result.FallbackUsed);
    EXPECT_EQ(expected.Result.AdapterMissing, reply->Result.AdapterMissing);
    EXPECT_EQ(expected.Result.Reason, reply->Result.Reason);
    EXPECT_EQ(expected.Result.Message, reply->Result.Message);
    EXPECT_EQ(expected.Said, reply->Said);
    EXPECT_EQ(expected.Error, reply->Error);
}

TEST(RequestFormat, AMessageIsTakenWholeOrNotAtAll) {
    const std::size_t tooLong = 8 * 1024 + 1;
    struct Case {
        const char* what;
        std::string bytes;
        bool request; // else a reply
        bool accepted;
    };
    const Case cases[] = {
        {"a request written by hand", RequestBytes(), true, true},
        {"every list at its limit", RequestBytes("NVRQ", 1, 1, "a", 15, 4, 5), true, true},
        {"a reply written by hand", ReplyBytes(2, 0, 2, 16), false, true},
        {"a reply's magic", RequestBytes("NVRP"), true, false},
        {"a request's magic", ReplyBytes(1, 1, 0, 1, "NVRQ"), false, false},
        {"version 2", RequestBytes("NVRQ", 2), true, false},
        {"version 0", RequestBytes("NVRQ", 0), true, false},
        {"a trailing byte", RequestBytes() + '\0', true, false},
        {"a trailing byte after a reply", ReplyBytes() + '\0', false, false},
        {"16 more addresses", RequestBytes("NVRQ", 1, 0, "a", 16), true, false},
        {"5 more gateways", RequestBytes("NVRQ", 1, 0, "a", 0, 5), true, false},
        {"7 kept values", RequestBytes("NVRQ", 1, 0, "a", 0, 0, 7), true, false},
        {"the DHCP flag 2", RequestBytes("NVRQ", 1, 2), true, false},
        {"a kept value's flag 2", RequestBytes("NVRQ", 1, 0, "a", 0, 0, 1, 2), true, false},
        {"a missing kept value with a type and bytes", RequestBytes("NVRQ", 1, 0, "a", 0, 0, 1, 0),
         true, false},
        {"a text of 8 KiB and one byte", RequestBytes("NVRQ", 1, 0, std::string(tooLong, '1')),
         true, false},
        {"a text of 8 KiB", RequestBytes("NVRQ", 1, 0, std::string(tooLong - 1, '1')), true, true},
        {"over 64 KiB of well-formed fields",
         RequestBytes("NVRQ", 1, 0, "a", 15, 0, 0, 1, 8 * 1024), true, false},
        {"a stage past the last", ReplyBytes(3), false, false},
        {"an outcome past the last", ReplyBytes(1, 1, 3), false, false},
        {"17 things said", ReplyBytes(1, 1, 0, 17), false, false},
        {"the applied flag 2", ReplyBytes(1, 2), false, false},
        {"nothing", "", true, false},
    };
    for (const Case& c : cases) {
        const bool decoded =
            c.request ? DecodeRequest(c.bytes).has_value() : DecodeReply(c.bytes).has_value();
        EXPECT_EQ(c.accepted, decoded) << c.what;
    }
}

TEST(RequestFormat, EveryShorterPrefixOfAMessageIsRefused) {
    const std::string request = EncodeRequest(FullRequest());
    for (std::size_t length = 0; length < request.size(); ++length)
        EXPECT_FALSE(DecodeRequest(request.substr(0, length))) << length << " bytes";
    const std::string reply = EncodeReply(FullReply());
    for (std::size_t length = 0; length < reply.size(); ++length)
        EXPECT_FALSE(DecodeReply(reply.substr(0, length))) << length << " bytes";
}

TEST(RequestFormat, ARequestThatWouldNotFitIsNotEncoded) {
    const std::string longest(8 * 1024, '1');
    TAdapterRequest longField = FullRequest();
    longField.Request.DNS = longest + "1";
    TAdapterRequest longKept = FullRequest();
    longKept.KeptValues[0].Value->Bytes = longest + "1";
    TAdapterRequest tooMuch = FullRequest();
    tooMuch.Request.MoreAddresses.assign(15, {longest, longest});
    for (const TAdapterRequest* request : {&longField, &longKept, &tooMuch})
        EXPECT_THROW(EncodeRequest(*request), TError);
    // The proxy does not cross, so its length does not count.
    TAdapterRequest longProxy = FullRequest();
    longProxy.Request.Proxy = longest + longest;
    EXPECT_NO_THROW(EncodeRequest(longProxy));
}

TEST(RequestFormat, AReplyIsCutToFitAndKeepsItsErrorWhole) {
    const std::string longest(8 * 1024, 's');
    TAdapterReply reply = FullReply();
    reply.Said.assign(20, longest);
    reply.Result.Message = longest + longest;
    reply.Error = "the error";
    std::string bytes;
    ASSERT_NO_THROW(bytes = EncodeReply(reply));
    EXPECT_LE(bytes.size(), MaxMessageBytes);
    const std::optional<TAdapterReply> decoded = DecodeReply(bytes);
    ASSERT_TRUE(decoded);
    EXPECT_EQ("the error", decoded->Error);
    EXPECT_EQ(16u, decoded->Said.size());
    EXPECT_EQ(longest.substr(0, 100), decoded->Said[0].substr(0, 100));
}
