#include "Snapshot.h"

#include "netcfg/AdapterSwitch.h"
#include "netcfg/ProxyConnection.h"
#include "support/IntegerText.h"

namespace {

std::string At(const std::vector<std::string>& list, size_t i) {
    return i < list.size() ? list[i] : std::string();
}

unsigned MetricAt(const std::vector<std::string>& metrics, size_t i) {
    const int metric = ParseIntDef(At(metrics, i), 0);
    return metric > 0 ? static_cast<unsigned>(metric) : 0;
}

void FillStaticValues(TIP& request, const TAdapterValues& values) {
    request.Address = At(values.Addresses, 0);
    request.Submask = At(values.Submasks, 0);
    for (size_t i = 1; i < values.Addresses.size(); ++i)
        request.MoreAddresses.push_back({values.Addresses[i], At(values.Submasks, i)});
    request.Gateway = At(values.Gateways, 0);
    request.GatewayMetric = MetricAt(values.GatewayMetrics, 0);
    for (size_t i = 1; i < values.Gateways.size(); ++i)
        request.MoreGateways.push_back({values.Gateways[i], MetricAt(values.GatewayMetrics, i)});
    request.DNS = values.NameServers.First;
    if (!values.NameServers.Second.empty()) {
        request.DNS += request.DNS.empty() ? "" : ",";
        request.DNS += values.NameServers.Second;
    }
}

} // namespace

TSnapshot TakeSnapshot(IRegistryBackend& registry, const std::string& adapterId,
                       ILiveStateReader* live, IProxyConnection* connection) {
    TSnapshot snapshot;
    snapshot.Request.Adapter = adapterId;
    const TAdapterValues values = ReadAdapterValues(registry, adapterId);
    snapshot.Request.DHCP = values.Dhcp;
    // The DNS suffix goes back exactly as it was, whatever the adapter's addressing.
    if (values.Dhcp) {
        snapshot.AdapterValues = KeepAdapterValues(registry, adapterId, RestorableAdapterValues);
    } else {
        FillStaticValues(snapshot.Request, values);
        snapshot.AdapterValues = KeepAdapterValues(registry, adapterId, {DnsSuffixValue});
    }
    snapshot.Request.Proxy = ReadProxy(registry);
    snapshot.ProxyValues = KeepProxyValues(registry);
    if (live)
        snapshot.Live = live->Read(adapterId);
    if (connection)
        snapshot.ConnectionFlags = connection->Flags();
    return snapshot;
}

std::string SnapshotComplaint(const TSnapshot& snapshot) {
    const TIP& request = snapshot.Request;
    if (request.DHCP)
        return {};
    if (request.Address.empty() || request.Submask.empty())
        return "the adapter has no static address and subnet mask to go back to";
    return RequestComplaint(request);
}

bool RestoreSnapshot(const TSnapshot& snapshot, IRegistryBackend& registry, INetServices& services,
                     TSwitchResult* checked) {
    // The adapter's own kept values go with the request: whoever writes the adapter's
    // values puts them back too.
    const bool applied =
        SetIP(TAdapterRequest{snapshot.Request, snapshot.AdapterValues}, registry, services, checked);
    if (!services.MayWriteUserProxy())
        return applied;
    // The flags first: the library writes plain values of its own with them, and the kept
    // values, written last, leave those exactly as they were.
    bool changed = false;
    if (IProxyConnection* connection = services.ProxyConnection();
        connection && snapshot.ConnectionFlags)
        changed = RestoreConnectionFlags(*connection, *snapshot.ConnectionFlags);
    if (RestoreKeptValues(registry, TRootKey::CurrentUser, ProxyKeyPath(), snapshot.ProxyValues))
        changed = true;
    if (changed)
        services.NotifyProxyChanged();
    return applied;
}
