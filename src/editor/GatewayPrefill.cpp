#include "GatewayPrefill.h"

std::optional<std::string> TGatewayPrefill::AfterAddressChange(const std::string& address,
                                                               const std::string& gateway) {
    const size_t lastDot = address.rfind('.');
    if (lastDot == std::string::npos)
        return std::nullopt;
    // What the user typed or the record brought stays.
    if (!gateway.empty() && gateway != filled_)
        return std::nullopt;
    filled_ = address.substr(0, lastDot + 1);
    return filled_;
}

std::string TGatewayPrefill::Given(const std::string& gateway) const {
    return !filled_.empty() && gateway == filled_ ? std::string() : gateway;
}
