#pragma once
// Addresses the editor's checks accept but Windows itself refuses for an adapter: the
// editor stores them only when the user says so. Pure functions, no messages shown.

#include <string>
#include <vector>

struct TAddressFields {
    std::string Address, Submask, Gateway, DNS1, DNS2; // as typed; blanks around are ignored
};

// One sentence per value Windows would refuse, naming the field as the editor's check
// messages do ("[Gateway] ..."); empty when there is nothing to warn of. Values that are
// no dotted quad are left to the editor's checks.
std::vector<std::string> AddressWarnings(const TAddressFields& fields);

// The question the editor asks with the warnings above: the sentences, then "Store it
// anyway?".
std::string StoreAnywayQuestion(const std::vector<std::string>& warnings);
