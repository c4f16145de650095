#include "CommandLine.h"
#include "StartWithWindows.h"

#include "netcfg/AdapterSwitch.h"
#include "netcfg/Adapters.h"
#include "netcfg/SwitchCheck.h"
#include "app/SettingInUse.h"
#include "app/AutoSwitch.h"
#include "store/ProfileStore.h"
#include "store/SettingsTransfer.h"
#include "support/Config.h"
#include "support/FileSystem.h"
#include "support/IntegerText.h"
#include "support/Strings.h"

#include <algorithm>

const char* const CommandLineUsage =
    "Usage: Netvane.exe /apply \"Title\" [/adapter \"Description or {id}\"] [/quiet]\r\n"
    "       Netvane.exe /apply /id N [/adapter \"Description or {id}\"] [/quiet]\r\n"
    "       Netvane.exe /dhcp [/adapter \"Description or {id}\"] [/quiet]\r\n"
    "       Netvane.exe /list [/adapter \"Description or {id}\"]\r\n"
    "       Netvane.exe /status [/adapter \"Description or {id}\"]\r\n"
    "       Netvane.exe /apply \"Title\" /keep-within seconds [/adapter ...]\r\n"
    "       Netvane.exe /keep\r\n"
    "       Netvane.exe /?\r\n"
    "       Netvane.exe /tray\r\n"
    "       Netvane.exe /import \"file.csv\" [/adapter \"Description or {id}\"]\r\n"
    "       Netvane.exe /export \"file.csv\" [/adapter \"Description or {id}\"]\r\n"
    "       Netvane.exe /start-with-windows on|off\r\n"
    "       Netvane.exe /auto [/adapter \"Description or {id}\"]\r\n"
    "       Netvane.exe /install-service [/group \"Local group\"]\r\n"
    "       Netvane.exe /uninstall-service\r\n"
    "  /apply    applies the stored setting of that title to the adapter\r\n"
    "  /id       names the setting by its ID (see /list) instead of its title\r\n"
    "  /dhcp     switches the adapter to an automatic address (DHCP)\r\n"
    "  /list     lists the adapters and the IDs and titles of their settings\r\n"
    "  /status   shows what the adapter uses now, and which stored setting that is\r\n"
    "  /import   adds the file's settings to the adapter's, all or none, asking nothing\r\n"
    "  /export   writes the adapter's settings to the file\r\n"
    "  /adapter  the adapter, as the Adapter box shows it, or its {id}; without it, the one\r\n"
    "            selected when Netvane was last closed\r\n"
    "  /quiet    no error box when there is no console to write to\r\n"
    "  /keep-within  goes back to the previous settings unless /keep comes within the\r\n"
    "            seconds (10 to 600)\r\n"
    "  /keep     keeps the settings of the apply that waits\r\n"
    "  /auto     applies, to each adapter, the one stored setting whose conditions its\r\n"
    "            network meets (\"Use automatically when\"); 5 when several do\r\n"
    "  /?        shows this text\r\n"
    "  /tray     starts with the window hidden and the icon in the notification area\r\n"
    "  /start-with-windows  on: Netvane starts at sign-in, as /tray (the user's Run key);\r\n"
    "            off: it does not\r\n"
    "  /install-service  (as administrator) installs and starts the Netvane service, which\r\n"
    "            switches for members of Administrators, Network Configuration Operators\r\n"
    "            and the /group named; /uninstall-service stops and removes it\r\n"
    "Exit codes: 0 done, 1 failed, 2 not understood, 3 no such adapter, 4 no such setting,\r\n"
    "5 more than one adapter or setting matches, 6 saved but the adapter is not connected\r\n"
    "(Windows applies it when it connects), 7 went back, 8 nothing waits for /keep,\r\n"
    "9 Windows does not have the adapter now (/status; /apply and /dhcp saved the settings,\r\n"
    "which take effect when the adapter is back).";

namespace {

// A failure with the exit code it ends the program with.
struct TCommandFailure {
    int ExitCode;
    std::string Message;
};

struct TAdapter {
    std::string Id;
    std::string Description;
};

void SetAction(TCommandLine& command, TCommandAction action, const std::string& name) {
    if (command.Action != TCommandAction::None)
        throw TUsageError("Only one of /apply, /dhcp and /list may be given (" + name +
                          " follows another)");
    command.Action = action;
}

std::string ValueOf(const std::vector<std::string>& arguments, size_t& i, const char* what) {
    if (i + 1 >= arguments.size())
        throw TUsageError(arguments[i] + " needs " + what + " after it");
    return arguments[++i];
}

int SettingId(const std::string& text) {
    const int id = ParseIntDef(text, 0);
    if (id <= 0 || std::to_string(id) != text)
        throw TUsageError("/id needs a setting's ID, a number above 0 (see /list), not \"" + text +
                          "\"");
    return id;
}

std::vector<TAdapter> Adapters(IRegistryBackend& registry, TAdapterScope scope) {
    std::vector<TAdapter> adapters;
    for (const TDiscoveredAdapter& adapter : DiscoverAdapters(registry, scope))
        adapters.push_back({adapter.Id, adapter.Description});
    return adapters;
}

// The adapters the window lists, in its order, so that a saved position means the same.
std::vector<TAdapter> ListedAdapters(IRegistryBackend& registry, const std::string& appPath) {
    return Adapters(registry, AdapterScopeOf(ReadSwitchFromFile(appPath + "config.ini",
                                                                ShowAllAdaptersSetting)));
}

// Whether wanted names the adapter, in any case: its {id}, or the Adapter box's text for it
// in either listing (the description, or the description and connection name).
bool IsNamed(const TAdapter& adapter, const std::string& wanted, TReg& names) {
    return SameText(adapter.Id, wanted) || SameText(adapter.Description, wanted) ||
           SameText(AdapterCaption(adapter.Description, ConnectionName(names, adapter.Id)), wanted);
}

// The adapter /adapter names, among every adapter the window can list.
TAdapter NamedAdapter(IRegistryBackend& registry, const std::string& wanted) {
    TReg names(registry);
    std::vector<TAdapter> matches;
    for (const TAdapter& adapter : Adapters(registry, TAdapterScope::AllWithTcpIp))
        if (IsNamed(adapter, wanted, names))
            matches.push_back(adapter);
    if (matches.empty())
        throw TCommandFailure{ExitNoAdapter, "No network adapter is named \"" + wanted + "\""};
    if (matches.size() > 1)
        throw TCommandFailure{ExitAmbiguous, "Several network adapters are named \"" + wanted +
                                                 "\"; name one by its {id} (see /list)"};
    return matches[0];
}

// The adapter the window had selected when it was last closed.
TAdapter SavedAdapter(const std::vector<TAdapter>& adapters, const std::string& appPath) {
    const TConfig config(appPath + "config.ini");
    // The identifier names the adapter wherever it stands now; a position would name
    // whichever adapter took its place.
    if (const std::string id = SavedAdapterId(config); !id.empty()) {
        for (const TAdapter& adapter : adapters)
            if (SameText(adapter.Id, id))
                return adapter;
        throw TCommandFailure{ExitNoAdapter, "The adapter selected last (" + id +
                                                 ") is not there now; name one with /adapter "
                                                 "(see /list)"};
    }
    if (SavedNoAdapterSelected(config))
        throw TCommandFailure{ExitNoAdapter, "No adapter was selected when Netvane was last "
                                             "closed; name one with /adapter (see /list)"};
    const int index = SavedAdapterIndex(config);
    if (static_cast<size_t>(index) >= adapters.size())
        throw TCommandFailure{ExitNoAdapter, adapters.empty()
                                                 ? "No network adapter was found"
                                                 : "The adapter selected last is no longer there; "
                                                   "name one with /adapter (see /list)"};
    return adapters[static_cast<size_t>(index)];
}

TAdapter ChosenAdapter(IRegistryBackend& registry, const TCommandLine& command,
                       const std::string& appPath) {
    return command.Adapter ? NamedAdapter(registry, *command.Adapter)
                           : SavedAdapter(ListedAdapters(registry, appPath), appPath);
}

// The database when there is one; nothing otherwise (the window makes it, not a command).
bool OpenStore(TProfileTable& table, const std::string& appPath) {
    if (!FileExists(appPath + "db"))
        return false;
    table.Open(appPath + "db");
    return true;
}

constexpr int IdField = 0;
constexpr int TitleField = 2;

// The rows of the adapter's view the command names: by ID, or by title (trimmed, any case).
std::vector<int> RowsNamed(const TProfileTable& table, const TCommandLine& command) {
    std::vector<int> rows;
    for (int row = 0; row < table.RowCount(); ++row)
        if (command.Id ? table.Text(row, IdField) == std::to_string(*command.Id)
                       : SameText(Trim(table.Text(row, TitleField)), Trim(command.Title)))
            rows.push_back(row);
    return rows;
}

// How an applied setting is named in what the user reads: its stored title, and its ID
// when the command named it so.
std::string SettingName(const TCommandLine& command, const std::string& title) {
    std::string name = title.empty() ? std::string() : "\"" + title + "\"";
    if (command.Id)
        name += (name.empty() ? "(ID " : " (ID ") + std::to_string(*command.Id) + ")";
    return name;
}

// The line that closes every switch: what was applied to which adapter, and how it ended.
std::string SwitchSummary(const std::string& setting, const std::string& adapter,
                          const TSwitchResult& result, bool checked) {
    switch (result.Outcome) {
    case TSwitchOutcome::Applied:
        return "Applied " + setting + " to " + adapter +
               (checked ? ": Windows uses it now" : ": written to the registry");
    case TSwitchOutcome::WaitingForCable:
        return "Applied " + setting + " to " + adapter +
               ": saved; Windows uses it when the adapter connects";
    default:
        return "Did not apply " + setting + " to " + adapter +
               (result.Reason.empty() ? std::string() : ": " + result.Reason);
    }
}

bool SwitchIsChecked(INetServices& services) {
    return services.LiveStateReader() && services.SwitchSystem();
}

// SetIP reports an adapter whose key does not open only after the proxy and the
// notification, in the window's order; a command fails here, before anything is written.
void RequireChangeableAdapter(const TAdapter& adapter, IRegistryBackend& registry,
                              INetServices& services) {
    if (!AdapterKeyReachable(registry, services, adapter.Id))
        throw TCommandFailure{ExitFailed, "Cannot change the TCP/IP settings of " +
                                              adapter.Description +
                                              ": its registry key cannot be opened (it is "
                                              "missing, or this account may not open it)"};
}

// The exit code of a switch, by what Windows uses after it.
int SwitchExitCode(const TSwitchResult& result) {
    switch (result.Outcome) {
    case TSwitchOutcome::Applied:
        return ExitDone;
    case TSwitchOutcome::WaitingForCable:
        return ExitWaitingForCable;
    default:
        return result.AdapterMissing ? ExitNotPresent : ExitFailed;
    }
}

// Applies with a way back, prints the check, and waits for /keep; goes back without it.
int ApplyKeepingWayBack(const TIP& request, const TCommandLine& command, const TAdapter& adapter,
                        const std::string& appPath, IRegistryBackend& registry,
                        INetServices& services, ICommandOutput& output,
                        const TWayBackSeams& wayBack) {
    // Listening first: a /keep given as soon as the lines appear is not missed.
    if (!wayBack.Keep || !wayBack.Keep->Listen())
        throw TCommandFailure{ExitFailed, "Cannot wait for /keep (Windows refused the "
                                          "signal it waits for); nothing was changed"};
    const TWayBackApply apply = ApplyWithWayBack(request, registry, services, wayBack.Reachability);
    LogSwitch(appPath, adapter.Description, Trim(command.Title), apply.Result);
    for (const std::string& line : WayBackLines(apply))
        output.Print(line);
    const TConfig config(appPath + "config.ini");
    const bool atOnce = GoBackAtOnce(apply, RevertWhenUnreachable(config));
    if (!atOnce) {
        output.Print("Waiting " + std::to_string(*command.KeepWithin) +
                     " s for Netvane.exe /keep; without it the previous settings go back");
        if (wayBack.Keep->Wait(static_cast<unsigned>(*command.KeepWithin))) {
            output.Print("Kept");
            return SwitchExitCode(apply.Result);
        }
    }
    output.Print(WentBackText(GoBack(apply, registry, services, appPath)));
    return ExitWentBack;
}

int Apply(const TCommandLine& command, const TAdapter& adapter, const std::string& appPath,
          IRegistryBackend& registry, INetServices& services, ICommandOutput& output,
          const TWayBackSeams& wayBack) {
    TProfileTable table;
    std::vector<int> rows;
    if (OpenStore(table, appPath)) {
        table.SetAdapterFilter(adapter.Id);
        rows = RowsNamed(table, command);
    }
    const std::string what = "\"" + command.Title + "\" for " + adapter.Description;
    if (rows.empty() && command.Id)
        throw TCommandFailure{ExitNoSetting, "No setting with ID " + std::to_string(*command.Id) +
                                                 " is stored for " + adapter.Description +
                                                 " (see /list)"};
    if (rows.empty())
        throw TCommandFailure{ExitNoSetting, "No setting is stored as " + what};
    if (rows.size() > 1)
        throw TCommandFailure{ExitAmbiguous, std::to_string(rows.size()) +
                                                 " settings are stored as " + what +
                                                 "; give them titles of their own"};
    RequireChangeableAdapter(adapter, registry, services);
    table.MoveTo(rows[0]);
    TIP request;
    FillStaticRequest(
        request, [&table](const std::string& name) { return table.FieldText(name); },
        table.FieldExtras());
    if (command.KeepWithin)
        return ApplyKeepingWayBack(request, command, adapter, appPath, registry, services, output,
                                   wayBack);
    const std::string title = Trim(table.FieldText("Title"));
    TSwitchResult result;
    SetIP(TAdapterRequest{request, {}, title}, registry, services, &result);
    LogSwitch(appPath, adapter.Description, title, result);
    output.Print(SwitchSummary(SettingName(command, title), adapter.Description, result,
                               SwitchIsChecked(services)));
    return SwitchExitCode(result);
}

int SwitchToDhcp(const TAdapter& adapter, const std::string& appPath, IRegistryBackend& registry,
                 INetServices& services, ICommandOutput& output) {
    RequireChangeableAdapter(adapter, registry, services);
    TIP request;
    FillDhcpRequest(request, {adapter.Id}, 0);
    TSwitchResult result;
    SetIP(TAdapterRequest{request, {}, "DHCP"}, registry, services, &result);
    LogSwitch(appPath, adapter.Description, "DHCP", result);
    output.Print(SwitchSummary("DHCP", adapter.Description, result, SwitchIsChecked(services)));
    return SwitchExitCode(result);
}

void List(const std::vector<TAdapter>& adapters, const std::string& appPath,
          ICommandOutput& output) {
    TProfileTable table;
    const bool stored = OpenStore(table, appPath);
    for (const TAdapter& adapter : adapters) {
        output.Print(adapter.Description + "  " + adapter.Id);
        if (!stored)
            continue;
        table.SetAdapterFilter(adapter.Id);
        for (int row = 0; row < table.RowCount(); ++row) {
            // A title may be empty, or shared; the ID names each setting for /apply /id.
            const std::string title = table.Text(row, TitleField);
            std::string line = "    ID " + table.Text(row, IdField) + ": ";
            line += Trim(title).empty() ? "(no title)" : title;
            output.Print(line);
        }
    }
}

// What Windows uses now for the adapter, one "Name: value" line a fact; ExitNotPresent when
// Windows does not have the adapter now, as a switch to it ends.
int Status(const TAdapter& adapter, const std::string& appPath, INetServices& services,
           ICommandOutput& output) {
    const TNetworkFacts facts = ReadNetworkFacts(services, adapter.Id);
    const TLiveState& state = facts.State;
    std::string inUse;
    TProfileTable table;
    const bool stored = state.Present && OpenStore(table, appPath);
    if (stored) {
        table.SetAdapterFilter(adapter.Id);
        inUse = RowTitle(table, RowInUse(table, state));
    }
    std::vector<TFactRow> rows = LiveStateRows(state, adapter.Description, inUse);
    if (state.Present) {
        // Before the setting in use, which stays the last line.
        const std::vector<TFactRow> network =
            NetworkRows(facts, stored ? EvaluateAutoSwitch(table, facts) : TAutoEvaluation{});
        rows.insert(rows.end() - 1, network.begin(), network.end());
    }
    for (const TFactRow& row : rows)
        output.Print(row.Name + ": " + row.Value);
    if (state.Present)
        return ExitDone;
    std::string why = adapter.Description;
    why += " is not present in Windows now";
    output.Error(why);
    return ExitNotPresent;
}

int Keep(IKeepSignal* keep, ICommandOutput& output) {
    if (!keep || !keep->Give())
        throw TCommandFailure{ExitNothingWaiting, "No apply is waiting for /keep"};
    output.Print("The applied settings are kept");
    return ExitDone;
}

std::string Settings(std::size_t count) {
    return std::to_string(count) + (count == 1 ? " setting" : " settings");
}

// An administrator's deployment: nothing is asked, and a PC without a database gets one.
int Import(const TCommandLine& command, const TAdapter& adapter, const std::string& appPath,
           ICommandOutput& output) {
    if (!FileExists(appPath + "db"))
        CreateProfileDatabase(appPath + "db");
    TProfileTable table;
    table.Open(appPath + "db");
    table.SetAdapterFilter(adapter.Id);
    const TImportCount count = ImportSettingsFile(table, adapter.Id, command.Path);
    output.Print(Settings(count.Imported) + " imported, " + std::to_string(count.Skipped) +
                 " already there");
    return ExitDone;
}

int Export(const TCommandLine& command, const TAdapter& adapter, const std::string& appPath,
           ICommandOutput& output) {
    TProfileTable table;
    if (!OpenStore(table, appPath))
        throw TCommandFailure{ExitFailed, "No settings are stored yet: there is no database"};
    table.SetAdapterFilter(adapter.Id);
    output.Print(Settings(ExportSettingsFile(table, command.Path)) + " exported");
    return ExitDone;
}

int StartWithWindows(const TCommandLine& command, const std::string& appPath,
                     IRegistryBackend& registry, const TStartupSeams& startup,
                     ICommandOutput& output) {
    if (!startup.Scheduler)
        throw TCommandFailure{ExitFailed, "Start with Windows cannot be changed here"};
    TConfig config(appPath + "config.ini");
    for (const std::string& line : SetStartWithWindows(command.StartOn, startup.ExePath, registry,
                                                       *startup.Scheduler, &config))
        output.Print(line);
    return ExitDone;
}

// One adapter's network judged, and its setting applied when exactly one matches and is not
// in use; the exit code of what happened.
int AutoSwitchAdapter(const TAdapter& adapter, TProfileTable& table, const std::string& appPath,
                      IRegistryBackend& registry, INetServices& services, ICommandOutput& output) {
    const TNetworkFacts facts = ReadNetworkFacts(services, adapter.Id);
    const TAutoEvaluation evaluation = EvaluateAutoSwitch(table, facts);
    const std::string& name = adapter.Description;
    switch (evaluation.Decision.Action) {
    case TAutoAction::Nothing:
        output.Print(name + ": no setting matches its network");
        return ExitDone;
    case TAutoAction::AlreadyInUse:
        output.Print(name + ": \"" + evaluation.Names() + "\" matches its network and is in use");
        return ExitDone;
    case TAutoAction::Several:
        output.Error(name + ": " + std::to_string(evaluation.Decision.Matches.size()) +
                     " settings match its network, so none was applied: " + evaluation.Names());
        return ExitAmbiguous;
    case TAutoAction::Apply:
        break;
    }
    // A switch nobody is there to allow must not wait for a consent prompt.
    if (const IAdapterSwitch* route = services.AdapterSwitch(); route && route->AsksConsent()) {
        const std::string title = evaluation.Names();
        output.Error(name + ": \"" + title +
                     "\" matches its network, but switching it would ask "
                     "for your consent, so it was not switched. Netvane.exe /apply \"" +
                     title + "\" switches it, or an administrator installs the Netvane service.");
        return ExitFailed;
    }
    RequireChangeableAdapter(adapter, registry, services);
    table.MoveTo(evaluation.Row());
    TIP request;
    FillStaticRequest(
        request, [&table](const std::string& field) { return table.FieldText(field); },
        table.FieldExtras());
    TSwitchResult result;
    SetIP(request, registry, services, &result);
    result.Cause = AutomaticCause(evaluation);
    const std::string title = Trim(table.FieldText("Title"));
    LogSwitch(appPath, name, title, result);
    output.Print(SwitchSummary("\"" + title + "\"", name, result, SwitchIsChecked(services)) +
                 " (" + result.Cause + ")");
    return result.Outcome == TSwitchOutcome::Applied ? ExitDone : ExitFailed;
}

// Every adapter with settings that have conditions (or the one /adapter names), each on its
// own: one that fails does not keep the others from switching. Failed beats several matches.
int AutoSwitch(const TCommandLine& command, const std::string& appPath, IRegistryBackend& registry,
               INetServices& services, ICommandOutput& output) {
    const std::vector<TAdapter> adapters =
        command.Adapter ? std::vector<TAdapter>{NamedAdapter(registry, *command.Adapter)}
                        : Adapters(registry, TAdapterScope::AllWithTcpIp);
    TProfileTable table;
    int code = ExitDone;
    bool any = false;
    if (OpenStore(table, appPath)) {
        for (const TAdapter& adapter : adapters) {
            table.SetAdapterFilter(adapter.Id);
            bool conditions = false;
            for (int row = 0; row < table.RowCount() && !conditions; ++row)
                conditions = !table.Extras(row).UseWhen.empty();
            if (!conditions)
                continue;
            any = true;
            int adapterCode = ExitFailed;
            try {
                adapterCode =
                    AutoSwitchAdapter(adapter, table, appPath, registry, services, output);
            } catch (const TCommandFailure& failure) {
                output.Error(failure.Message);
            } catch (const std::exception& error) {
                output.Error(error.what());
            }
            if (adapterCode == ExitFailed || (adapterCode == ExitAmbiguous && code == ExitDone))
                code = adapterCode;
        }
    }
    if (!any)
        output.Print("No stored setting has conditions: nothing to do");
    return code;
}

int Run(const TCommandLine& command, const std::string& appPath, IRegistryBackend& registry,
        INetServices& services, ICommandOutput& output, const TWayBackSeams& wayBack,
        const TStartupSeams& startup) {
    if (command.Action == TCommandAction::Auto)
        return AutoSwitch(command, appPath, registry, services, output);
    if (command.Action == TCommandAction::StartWithWindows)
        return StartWithWindows(command, appPath, registry, startup, output);
    if (command.Action == TCommandAction::Keep)
        return Keep(wayBack.Keep, output);
    if (command.Action == TCommandAction::InstallService ||
        command.Action == TCommandAction::UninstallService)
        throw TCommandFailure{ExitFailed, "The service is installed by Netvane.exe on Windows"};
    if (command.Action == TCommandAction::Usage) {
        output.Print(CommandLineUsage);
        return ExitDone;
    }
    if (command.Action == TCommandAction::List) {
        if (command.Adapter)
            List({NamedAdapter(registry, *command.Adapter)}, appPath, output);
        else
            List(ListedAdapters(registry, appPath), appPath, output);
        return ExitDone;
    }
    const TAdapter adapter = ChosenAdapter(registry, command, appPath);
    if (command.Action == TCommandAction::Status)
        return Status(adapter, appPath, services, output);
    if (command.Action == TCommandAction::Apply)
        return Apply(command, adapter, appPath, registry, services, output, wayBack);
    if (command.Action == TCommandAction::Import)
        return Import(command, adapter, appPath, output);
    if (command.Action == TCommandAction::Export)
        return Export(command, adapter, appPath, output);
    return SwitchToDhcp(adapter, appPath, registry, services, output);
}

} // namespace

TCommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
    TCommandLine command;
    bool adapterGiven = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "/?") {
            // Asked for, the usage is an answer, not a complaint.
            command = {};
            command.Action = TCommandAction::Usage;
            return command;
        }
        if (SameText(argument, "/apply")) {
            SetAction(command, TCommandAction::Apply, argument);
            command.Title = ValueOf(arguments, i, "the title of a stored setting");
            if (SameText(command.Title, "/id")) {
                command.Id = SettingId(ValueOf(arguments, i, "a setting's ID (see /list)"));
                command.Title.clear();
            }
        } else if (SameText(argument, "/dhcp")) {
            SetAction(command, TCommandAction::Dhcp, argument);
        } else if (SameText(argument, "/list")) {
            SetAction(command, TCommandAction::List, argument);
        } else if (SameText(argument, "/status")) {
            SetAction(command, TCommandAction::Status, argument);
        } else if (SameText(argument, "/import") || SameText(argument, "/export")) {
            SetAction(command,
                      SameText(argument, "/import") ? TCommandAction::Import
                                                    : TCommandAction::Export,
                      argument);
            command.Path = ValueOf(arguments, i, "the path of a CSV file");
        } else if (SameText(argument, "/adapter")) {
            if (adapterGiven)
                throw TUsageError("/adapter is given twice");
            adapterGiven = true;
            command.Adapter = ValueOf(arguments, i, "an adapter's description or {id}");
        } else if (SameText(argument, "/start-with-windows")) {
            SetAction(command, TCommandAction::StartWithWindows, argument);
            const std::string state = ValueOf(arguments, i, "on or off");
            if (!SameText(state, "on") && !SameText(state, "off"))
                throw TUsageError(argument + " takes on or off, not \"" + state + "\"");
            command.StartOn = SameText(state, "on");
        } else if (SameText(argument, "/auto")) {
            SetAction(command, TCommandAction::Auto, argument);
        } else if (SameText(argument, "/install-service")) {
            SetAction(command, TCommandAction::InstallService, argument);
        } else if (SameText(argument, "/uninstall-service")) {
            SetAction(command, TCommandAction::UninstallService, argument);
        } else if (SameText(argument, "/group")) {
            if (command.Group)
                throw TUsageError("/group is given twice");
            command.Group = ValueOf(arguments, i, "the name of a local group");
            if (Trim(*command.Group).empty())
                throw TUsageError("/group takes the name of a local group");
        } else if (SameText(argument, "/keep")) {
            SetAction(command, TCommandAction::Keep, argument);
        } else if (SameText(argument, "/keep-within")) {
            if (command.KeepWithin)
                throw TUsageError("/keep-within is given twice");
            const std::string seconds = ValueOf(arguments, i, "a number of seconds");
            const int value = ParseIntDef(seconds, 0);
            if (value < MinRevertSeconds || value > MaxRevertSeconds)
                throw TUsageError("/keep-within takes " + std::to_string(MinRevertSeconds) +
                                  " to " + std::to_string(MaxRevertSeconds) + " seconds, not \"" +
                                  seconds + "\"");
            command.KeepWithin = value;
        } else if (SameText(argument, "/quiet")) {
            command.Quiet = true;
        } else if (SameText(argument, TraySwitch)) {
            command.Tray = true;
        } else if (!argument.empty() && (argument[0] == '/' || argument[0] == '-')) {
            throw TUsageError("Unknown switch " + argument);
        } else {
            throw TUsageError("\"" + argument + "\" belongs to no switch");
        }
    }
    if (command.KeepWithin && command.Action != TCommandAction::Apply)
        throw TUsageError("/keep-within belongs to /apply");
    if (command.Action == TCommandAction::StartWithWindows && adapterGiven)
        throw TUsageError("/start-with-windows goes with no other switch but /quiet");
    if (command.Group && command.Action != TCommandAction::InstallService)
        throw TUsageError("/group belongs to /install-service");
    if ((command.Action == TCommandAction::InstallService ||
         command.Action == TCommandAction::UninstallService) &&
        adapterGiven)
        throw TUsageError("/adapter does not go with the service's switches");
    if (command.Tray && (command.Action != TCommandAction::None || arguments.size() > 1))
        throw TUsageError("/tray starts the window: it goes with no other switch");
    if (command.Action == TCommandAction::None && !command.Tray && !arguments.empty())
        throw TUsageError("Say what to do: /apply, /dhcp or /list");
    return command;
}

int RunCommandLine(const TCommandLine& command, const std::string& appPath,
                   IRegistryBackend& registry, INetServices& services, ICommandOutput& output,
                   const TWayBackSeams& wayBack, const TStartupSeams& startup) {
    try {
        return Run(command, appPath, registry, services, output, wayBack, startup);
    } catch (const TCommandFailure& failure) {
        output.Error(failure.Message);
        return failure.ExitCode;
    } catch (const std::exception& error) {
        output.Error(error.what());
        return ExitFailed;
    }
}
