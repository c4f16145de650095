#pragma once
// The one operation that needs administrator rights: apply this request to this adapter.
// Its values, the DHCP client's notification, the check against what Windows then uses and
// the fallback all run where the rights are: in this process when it has them, otherwise in
// a process of ours that has them (the helper, the service), which takes nothing on trust.
// The user's proxy never crosses: the user's own process writes it into the user's own
// settings.

#include "netcfg/CurrentSettings.h"
#include "netcfg/SetIP.h"
#include "netcfg/SwitchCheck.h"

#include <string>
#include <vector>

struct TAdapterRequest {
    TIP Request; // its Proxy is not used
    // Going back: the adapter's own values to put back as they were after the apply (the
    // idle static values of an adapter that was on DHCP, the DNS suffix). Only the names in
    // RestorableAdapterValues are taken.
    std::vector<TKeptValue> KeptValues;
    std::string Title = {}; // the setting's title ("DHCP"), for the service's log alone
};

// The values a going-back request may put back: the static values a DHCP adapter keeps
// unused and a static apply overwrites, and the DNS suffix.
extern const std::vector<std::string> RestorableAdapterValues;

enum class TAdapterStage {
    Refused, // nothing was written: Error says why
    Done,    // the request ran: Applied, Result, Said
    KeyMissing, // the adapter's key did not open; everything else ran (Error: AdapterKeyMessage)
};

struct TAdapterReply {
    TAdapterStage Stage = TAdapterStage::Refused;
    bool Applied = false;          // SetIP's answer: the static notification succeeded
    TSwitchResult Result;          // how the switch ended, as the check saw it
    std::vector<std::string> Said; // what the user is to be told, in order
    std::string Error;
};

// Whoever applies requests for this process when it may not write the adapter's key itself.
class IAdapterSwitch {
  public:
    virtual ~IAdapterSwitch() = default;
    // Raises TError, with nothing written, when the other side cannot be reached or the user
    // refused to let it run.
    virtual TAdapterReply Apply(const TAdapterRequest& request) = 0;
    // How the log names the way: "through the helper", "through the service".
    virtual std::string Route() const = 0;
    // Whether a switch this way may ask the user for consent first.
    virtual bool AsksConsent() const { return false; }
};

// SetIP of a request with kept values: those are written back after the check.
bool SetIP(const TAdapterRequest& request, IRegistryBackend& registry, INetServices& services,
           TSwitchResult* checked = nullptr);

// The adapter's part of SetIP alone, in this process, whatever the services' adapter switch:
// what the process with the rights runs. The user's proxy is left alone.
bool SetAdapterPart(const TAdapterRequest& request, IRegistryBackend& registry,
                    INetServices& services, TSwitchResult* checked);

// What a process with the rights does with a request, whoever sent it: every field checked
// again by the editor's rules, the adapter among the discovered ones, the kept values among
// RestorableAdapterValues with the types and sizes Windows gives them; then SetIP without the
// proxy, then the kept values. What services would show is gathered into Said (their
// ShowMessage is not called). Never raises.
TAdapterReply RunAdapterRequest(const TAdapterRequest& request, IRegistryBackend& registry,
                                INetServices& services);

// Why kept values cannot be put back; empty when they can.
std::string KeptValuesComplaint(const std::vector<TKeptValue>& values);
