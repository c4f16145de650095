// The request and reply format on arbitrary bytes, which is what a process with the rights
// may be sent: reading never crashes, and whatever reads as a message writes back to the
// very same bytes, so that nothing is guessed and nothing is left over. Inputs that are no
// message script one instead: whatever is written within the limits reads back as it was.

#include "FuzzInput.h"

#include "privileged/RequestFormat.h"
#include "support/Error.h"

#include <cstdint>
#include <string>

namespace {

void CheckRequest(const std::string& bytes) {
    const std::optional<TAdapterRequest> request = DecodeRequest(bytes);
    if (!request)
        return;
    std::string again;
    try {
        again = EncodeRequest(*request);
    } catch (const TError& error) {
        FuzzFailure(std::string("a request that was read cannot be written: ") + error.what());
    }
    FUZZ_EXPECT(again == bytes, "a request writes back to other bytes");
}

void CheckReply(const std::string& bytes) {
    const std::optional<TAdapterReply> reply = DecodeReply(bytes);
    if (!reply)
        return;
    FUZZ_EXPECT(EncodeReply(*reply) == bytes, "a reply writes back to other bytes");
}

bool SameRequest(const TAdapterRequest& a, const TAdapterRequest& b) {
    const TIP& x = a.Request;
    const TIP& y = b.Request;
    if (x.Adapter != y.Adapter || x.Address != y.Address || x.Gateway != y.Gateway ||
        x.Submask != y.Submask || x.DNS != y.DNS || x.DHCP != y.DHCP ||
        x.GatewayMetric != y.GatewayMetric || x.MoreAddresses != y.MoreAddresses ||
        x.MoreGateways != y.MoreGateways || x.Options.DnsSuffix != y.Options.DnsSuffix ||
        a.KeptValues.size() != b.KeptValues.size())
        return false;
    for (std::size_t i = 0; i < a.KeptValues.size(); ++i) {
        const TKeptValue& p = a.KeptValues[i];
        const TKeptValue& q = b.KeptValues[i];
        if (p.Name != q.Name || p.Value.has_value() != q.Value.has_value() ||
            (p.Value && (p.Value->Type != q.Value->Type || p.Value->Bytes != q.Value->Bytes)))
            return false;
    }
    return true;
}

std::uint32_t Number(TFuzzInput& in) {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value = value << 8 | in.Byte();
    return value;
}

void CheckScriptedRequest(TFuzzInput& in) {
    TAdapterRequest sent;
    TIP& request = sent.Request;
    for (std::string* text : {&request.Adapter, &request.Address, &request.Gateway,
                              &request.Submask, &request.DNS, &request.Options.DnsSuffix})
        *text = in.Text();
    request.DHCP = in.Flag();
    request.GatewayMetric = Number(in);
    for (std::size_t i = in.Below(MaxMoreAddresses + 1); i > 0; --i)
        request.MoreAddresses.push_back({in.Text(), in.Text()});
    for (std::size_t i = in.Below(MaxMoreGateways + 1); i > 0; --i)
        request.MoreGateways.push_back({in.Text(), Number(in)});
    for (std::size_t i = in.Below(RestorableAdapterValues.size() + 1); i > 0; --i) {
        TKeptValue kept{in.Text(), std::nullopt};
        if (in.Flag())
            kept.Value = TRegValue{Number(in), in.Text()};
        sent.KeptValues.push_back(kept);
    }
    const std::optional<TAdapterRequest> read = DecodeRequest(EncodeRequest(sent));
    FUZZ_EXPECT(read && SameRequest(sent, *read), "a request does not read back as written");
}

void CheckScriptedReply(TFuzzInput& in) {
    TAdapterReply sent;
    sent.Stage = static_cast<TAdapterStage>(in.Below(3));
    sent.Applied = in.Flag();
    sent.Result.Outcome = static_cast<TSwitchOutcome>(in.Below(3));
    sent.Result.FallbackUsed = in.Flag();
    sent.Result.AdapterMissing = in.Flag();
    sent.Result.Reason = in.Text();
    sent.Result.Message = in.Text();
    for (std::size_t i = in.Below(17); i > 0; --i)
        sent.Said.push_back(in.Text());
    sent.Error = in.Text();
    const std::optional<TAdapterReply> read = DecodeReply(EncodeReply(sent));
    FUZZ_EXPECT(read && read->Stage == sent.Stage && read->Applied == sent.Applied &&
                    read->Result.Outcome == sent.Result.Outcome &&
                    read->Result.FallbackUsed == sent.Result.FallbackUsed &&
                    read->Result.AdapterMissing == sent.Result.AdapterMissing &&
                    read->Result.Reason == sent.Result.Reason &&
                    read->Result.Message == sent.Result.Message && read->Said == sent.Said &&
                    read->Error == sent.Error,
                "a reply does not read back as written");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    CheckRequest(bytes);
    CheckReply(bytes);
    if (bytes.compare(0, 2, "NV") != 0) {
        TFuzzInput in(data, size);
        if (in.Flag())
            CheckScriptedRequest(in);
        else
            CheckScriptedReply(in);
    }
    return 0;
}
