#include "Adapters.h"

const char* const AdapterClassKey =
    "\\SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E972-E325-11CE-BFC1-08002bE10318}\\";

void GetAdapters(IRegistryBackend& backend, std::vector<std::string>& list) {
    // The wrapper and the name list are locals: released on every path, errors included.
    TReg reg(backend);
    reg.SetRootKey(TRootKey::LocalMachine);
    if (!reg.OpenKey(AdapterClassKey, false))
        return;
    const std::vector<std::string> names = reg.GetKeyNames();
    for (const std::string& name : names) {
        const std::string adapterPath = AdapterClassKey + name + "\\";
        // A value stored as anything but text leaves its adapter out, as a key that does
        // not open does: one odd driver entry must not hide the adapters after it.
        if (!reg.OpenKey(adapterPath + "Ndi\\Interfaces", false) || !reg.ValueExists("LowerRange"))
            continue;
        // Exactly "ethernet": no trimming, no case folding, no search in a list of media.
        if (reg.ReadTextValue("LowerRange") != "ethernet")
            continue;
        if (!reg.OpenKey(adapterPath, false))
            continue;
        const auto id = reg.ReadTextValue("NetCfgInstanceID");
        const auto description = reg.ReadTextValue("DriverDesc");
        if (!id || id->empty() || !description)
            continue;
        list.push_back(*id + "=" + *description);
    }
    reg.CloseKey();
}
