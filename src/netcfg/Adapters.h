#pragma once
// Adapter discovery: the machine's Ethernet adapters from the registry.

#include "netcfg/Registry.h"

#include <string>
#include <vector>

// The network adapter class key under HKEY_LOCAL_MACHINE, spelt as the system spells it
// (lower-case "b" included), trailing "\" included.
extern const char* const AdapterClassKey;

// Appends "NetCfgInstanceID=DriverDesc" for every subkey of the adapter class key whose
// Ndi\Interfaces LowerRange is exactly "ethernet", in the registry's enumeration order;
// never clears the list. Production passes SystemRegistry(). An adapter whose key does not
// open, or whose LowerRange, NetCfgInstanceID or DriverDesc is of a non-text type, is left
// out; discovery goes on with the next.
void GetAdapters(IRegistryBackend& backend, std::vector<std::string>& list);
