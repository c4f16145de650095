#include "RequestFormat.h"

#include "support/AddressLists.h"
#include "support/Error.h"
#include "support/Strings.h"

#include <algorithm>
#include <cstdint>

namespace {

constexpr char RequestMagic[] = "NVRQ";
constexpr char ReplyMagic[] = "NVRP";
// Far longer than any field the editor, the registry or a message holds.
constexpr std::size_t MaxTextBytes = 8 * 1024;
constexpr std::uint32_t MaxSaid = 16;

class TWriter {
  public:
    explicit TWriter(const char* magic) : bytes_(magic) { bytes_ += char(RequestFormatVersion); }
    void Number(std::uint32_t value) {
        for (int shift = 0; shift < 32; shift += 8)
            bytes_ += static_cast<char>((value >> shift) & 0xFF);
    }
    void Flag(bool value) { bytes_ += value ? '\1' : '\0'; }
    void Text(const std::string& text) {
        if (text.size() > MaxTextBytes)
            throw TError("A text of the request is longer than " + std::to_string(MaxTextBytes) +
                         " bytes");
        Number(static_cast<std::uint32_t>(text.size()));
        bytes_ += text;
    }
    std::string Take() {
        if (bytes_.size() > MaxMessageBytes)
            throw TError("The request is longer than " + std::to_string(MaxMessageBytes) +
                         " bytes");
        return std::move(bytes_);
    }

  private:
    std::string bytes_;
};

// Reads a message from its start; any read past its end, or a value out of its range,
// makes it bad, and a bad reader gives only zeros and empty texts from then on.
class TReader {
  public:
    TReader(const std::string& bytes, const char* magic) : bytes_(bytes) {
        good_ = bytes.size() <= MaxMessageBytes && bytes.compare(0, 4, magic) == 0 &&
                bytes.size() > 4 && static_cast<unsigned char>(bytes[4]) == RequestFormatVersion;
        at_ = 5;
    }
    std::uint32_t Number(std::uint32_t largest = UINT32_MAX) {
        if (!Has(4))
            return 0;
        std::uint32_t value = 0;
        for (int i = 3; i >= 0; --i)
            value = (value << 8) | static_cast<unsigned char>(bytes_[at_ + i]);
        at_ += 4;
        if (value > largest)
            good_ = false;
        return good_ ? value : 0;
    }
    bool Flag() {
        if (!Has(1))
            return false;
        const unsigned char value = static_cast<unsigned char>(bytes_[at_++]);
        if (value > 1)
            good_ = false;
        return good_ && value == 1;
    }
    std::string Text() {
        const std::uint32_t size = Number(MaxTextBytes);
        if (!Has(size))
            return {};
        std::string text = bytes_.substr(at_, size);
        at_ += size;
        return text;
    }
    // For a value that is out of its range in the context only the caller knows.
    void Refuse() { good_ = false; }
    // Whole, with nothing after its last field.
    bool Done() const { return good_ && at_ == bytes_.size(); }

  private:
    bool Has(std::size_t count) {
        good_ = good_ && count <= bytes_.size() - at_;
        return good_;
    }
    const std::string& bytes_;
    std::size_t at_ = 0;
    bool good_ = false;
};

void WriteKeptValue(TWriter& out, const TKeptValue& kept) {
    out.Text(kept.Name);
    out.Flag(kept.Value.has_value());
    out.Number(kept.Value ? kept.Value->Type : 0);
    out.Text(kept.Value ? kept.Value->Bytes : std::string());
}

TKeptValue ReadKeptValue(TReader& in) {
    TKeptValue kept;
    kept.Name = in.Text();
    const bool present = in.Flag();
    TRegValue value;
    value.Type = in.Number();
    value.Bytes = in.Text();
    if (present)
        kept.Value = value;
    else if (value.Type != 0 || !value.Bytes.empty())
        in.Refuse(); // a missing value is written with neither: anything else is no request
    return kept;
}

} // namespace

std::string EncodeRequest(const TAdapterRequest& adapterRequest) {
    const TIP& request = adapterRequest.Request;
    TWriter out(RequestMagic);
    for (const std::string* text : {&request.Adapter, &request.Address, &request.Gateway,
                                    &request.Submask, &request.DNS, &request.Options.DnsSuffix})
        out.Text(*text);
    out.Flag(request.DHCP);
    out.Number(request.GatewayMetric);
    out.Number(static_cast<std::uint32_t>(request.MoreAddresses.size()));
    for (const TAddressEntry& entry : request.MoreAddresses) {
        out.Text(entry.Address);
        out.Text(entry.Submask);
    }
    out.Number(static_cast<std::uint32_t>(request.MoreGateways.size()));
    for (const TGatewayEntry& entry : request.MoreGateways) {
        out.Text(entry.Gateway);
        out.Number(entry.Metric);
    }
    out.Number(static_cast<std::uint32_t>(adapterRequest.KeptValues.size()));
    for (const TKeptValue& kept : adapterRequest.KeptValues)
        WriteKeptValue(out, kept);
    out.Text(adapterRequest.Title);
    return out.Take();
}

std::optional<TAdapterRequest> DecodeRequest(const std::string& bytes) {
    TReader in(bytes, RequestMagic);
    TAdapterRequest adapterRequest;
    TIP& request = adapterRequest.Request;
    for (std::string* text : {&request.Adapter, &request.Address, &request.Gateway,
                              &request.Submask, &request.DNS, &request.Options.DnsSuffix})
        *text = in.Text();
    request.DHCP = in.Flag();
    request.GatewayMetric = in.Number();
    const std::uint32_t addresses = in.Number(MaxMoreAddresses);
    for (std::uint32_t i = 0; i < addresses; ++i) {
        TAddressEntry entry;
        entry.Address = in.Text();
        entry.Submask = in.Text();
        request.MoreAddresses.push_back(entry);
    }
    const std::uint32_t gateways = in.Number(MaxMoreGateways);
    for (std::uint32_t i = 0; i < gateways; ++i) {
        TGatewayEntry entry;
        entry.Gateway = in.Text();
        entry.Metric = in.Number();
        request.MoreGateways.push_back(entry);
    }
    const std::uint32_t kept =
        in.Number(static_cast<std::uint32_t>(RestorableAdapterValues.size()));
    for (std::uint32_t i = 0; i < kept; ++i)
        adapterRequest.KeptValues.push_back(ReadKeptValue(in));
    adapterRequest.Title = in.Text();
    if (!in.Done())
        return std::nullopt;
    return adapterRequest;
}

std::string EncodeReply(const TAdapterReply& reply) {
    TWriter out(ReplyMagic);
    out.Number(static_cast<std::uint32_t>(reply.Stage));
    out.Flag(reply.Applied);
    out.Number(static_cast<std::uint32_t>(reply.Result.Outcome));
    out.Flag(reply.Result.FallbackUsed);
    out.Flag(reply.Result.AdapterMissing);
    // What the helper has to say is cut to fit, never refused: the switch has run. The
    // error comes first, then the texts in order, until the message is full.
    const std::size_t said = std::min<std::size_t>(reply.Said.size(), MaxSaid);
    const std::size_t fixedBytes = 32 + 4 * said; // header, numbers, flags, text lengths
    std::size_t room = MaxMessageBytes - fixedBytes;
    auto fit = [&room](const std::string& text) {
        std::string cut = CutText(text, std::min(room, MaxTextBytes));
        room -= cut.size();
        return cut;
    };
    const std::string error = fit(reply.Error);
    out.Text(fit(reply.Result.Reason));
    out.Text(fit(reply.Result.Message));
    out.Number(static_cast<std::uint32_t>(said));
    for (std::size_t i = 0; i < said; ++i)
        out.Text(fit(reply.Said[i]));
    out.Text(error);
    return out.Take();
}

std::optional<TAdapterReply> DecodeReply(const std::string& bytes) {
    TReader in(bytes, ReplyMagic);
    TAdapterReply reply;
    reply.Stage = static_cast<TAdapterStage>(
        in.Number(static_cast<std::uint32_t>(TAdapterStage::KeyMissing)));
    reply.Applied = in.Flag();
    reply.Result.Outcome = static_cast<TSwitchOutcome>(
        in.Number(static_cast<std::uint32_t>(TSwitchOutcome::NotApplied)));
    reply.Result.FallbackUsed = in.Flag();
    reply.Result.AdapterMissing = in.Flag();
    reply.Result.Reason = in.Text();
    reply.Result.Message = in.Text();
    const std::uint32_t said = in.Number(MaxSaid);
    for (std::uint32_t i = 0; i < said; ++i)
        reply.Said.push_back(in.Text());
    reply.Error = in.Text();
    if (!in.Done())
        return std::nullopt;
    return reply;
}
