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
        if (!reg.OpenKey(adapterPath + "Ndi\\Interfaces", false) || !reg.ValueExists("LowerRange"))
            continue;
        // Exactly "ethernet": no trimming, no case folding, no search in a list of media.
        if (reg.ReadString("LowerRange") != "ethernet")
            continue;
        if (!reg.OpenKey(adapterPath, false))
            continue;
        const std::string id = reg.ReadString("NetCfgInstanceID");
        if (id.empty())
            continue;
        list.push_back(id + "=" + reg.ReadString("DriverDesc"));
    }
    reg.CloseKey();
}
