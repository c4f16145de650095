#pragma once
// The gateway the editor fills in from the address (the address up to its last dot, for the
// user to complete), and what such a gateway counts as when it is left so.

#include <optional>
#include <string>

class TGatewayPrefill {
  public:
    // Another record: its Gateway is its own, whatever it holds.
    void Forget() { filled_.clear(); }
    // The Gateway after the address became address while gateway stood there: filled in
    // when it is empty or still what was filled in last; nothing when it stays as it is.
    std::optional<std::string> AfterAddressChange(const std::string& address,
                                                  const std::string& gateway);
    // A gateway left exactly as it was filled in is no gateway the user gave: "". Any other
    // is as typed, and checked as such.
    std::string Given(const std::string& gateway) const;

  private:
    std::string filled_; // "" while nothing is filled in for this record
};
