// Adapter discovery over random registry contents: subkeys of the adapter class key with
// values of any type. Discovery leaves out an adapter with a value of the wrong type and
// never fails nor crashes, and every entry it lists is "identifier=description" of an
// adapter that was written, in the registry's order. Where the machine's keys refuse full
// access, as they do to a standard user, it finds the same and writes nothing.

#include "FuzzInput.h"

#include "netcfg/Adapters.h"
#include "netcfg/MemoryRegistry.h"
#include "support/Error.h"

#include <string>
#include <vector>

namespace {

const unsigned ValueTypes[] = {RegSz, RegExpandSz, RegBinary, RegDword, RegMultiSz};

std::string ClassKey() {
    std::string key = AdapterClassKey;
    return key.substr(1); // the backend takes paths without the leading "\"
}

void WriteValue(TMemoryRegistry& registry, const std::string& path, const std::string& name,
                TFuzzInput& in) {
    if (!in.Flag())
        return; // missing
    auto key = registry.OpenKey(TRootKey::LocalMachine, path, true);
    if (!key)
        return;
    const unsigned type = in.Flag() ? RegSz : ValueTypes[in.Below(std::size(ValueTypes))];
    key->SetValue(name, type, in.Text(40));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TFuzzInput in(data, size);
    TMemoryRegistry registry;
    std::vector<std::string> writtenIds;
    const std::size_t adapters = in.Below(6);
    for (std::size_t i = 0; i < adapters && !in.Empty(); ++i) {
        const std::string subkey = ClassKey() + in.Text(12);
        WriteValue(registry, subkey + "\\Ndi\\Interfaces", "LowerRange", in);
        WriteValue(registry, subkey, "NetCfgInstanceID", in);
        WriteValue(registry, subkey, "DriverDesc", in);
        if (auto key = registry.OpenKey(TRootKey::LocalMachine, subkey, false))
            if (auto id = key->QueryValue("NetCfgInstanceID"))
                writtenIds.push_back(id->Bytes);
    }
    std::vector<std::string> asAdministrator, list;
    try {
        GetAdapters(registry, asAdministrator);
        registry.RefuseFullAccess(TRootKey::LocalMachine);
        registry.ClearJournal();
        GetAdapters(registry, list);
    } catch (const TError& error) {
        FuzzFailure(std::string("discovery failed: ") + error.what());
    }
    FUZZ_EXPECT(registry.Journal().empty(), "discovery wrote to the registry");
    FUZZ_EXPECT(list == asAdministrator, "a standard user sees other adapters");
    FUZZ_EXPECT(list.size() <= writtenIds.size(), "more adapters listed than written");
    for (const std::string& entry : list) {
        // The identifier as read: up to its first NUL, never empty.
        bool written = false;
        for (const std::string& id : writtenIds) {
            const std::string readId = id.substr(0, id.find('\0'));
            written = written || (!readId.empty() && entry.rfind(readId + "=", 0) == 0);
        }
        FUZZ_EXPECT(written, "entry for an adapter never written: " + entry);
    }
    return 0;
}
