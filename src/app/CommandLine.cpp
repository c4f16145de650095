#include "CommandLine.h"

#include "netcfg/Adapters.h"
#include "netcfg/SwitchCheck.h"
#include "app/SettingInUse.h"
#include "store/ProfileStore.h"
#include "store/SettingsTransfer.h"
#include "support/Config.h"
#include "support/FileSystem.h"
#include "support/Strings.h"

#include <algorithm>

const char* const CommandLineUsage =
    "Usage: Netvane.exe /apply \"Title\" [/adapter \"Description or {id}\"] [/quiet]\r\n"
    "       Netvane.exe /dhcp [/adapter \"Description or {id}\"] [/quiet]\r\n"
    "       Netvane.exe /list [/adapter \"Description or {id}\"]\r\n"
    "       Netvane.exe /status [/adapter \"Description or {id}\"]\r\n"
    "       Netvane.exe /import \"file.csv\" [/adapter \"Description or {id}\"]\r\n"
    "       Netvane.exe /export \"file.csv\" [/adapter \"Description or {id}\"]\r\n"
    "  /apply    applies the stored setting of that title to the adapter\r\n"
    "  /dhcp     switches the adapter to an automatic address (DHCP)\r\n"
    "  /list     lists the adapters and the titles of their settings\r\n"
    "  /import   adds the file's settings to the adapter's, all or none, asking nothing\r\n"
    "  /export   writes the adapter's settings to the file\r\n"
    "  /adapter  the adapter; without it, the one selected when Netvane was last closed\r\n"
    "  /quiet    no error box when there is no console to write to\r\n"
    "Exit codes: 0 done, 1 failed, 2 not understood, 3 no such adapter, 4 no such setting,\r\n"
    "5 more than one adapter or setting matches.";

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

std::vector<TAdapter> Adapters(IRegistryBackend& registry) {
    std::vector<std::string> lines;
    GetAdapters(registry, lines);
    std::vector<TAdapter> adapters;
    for (const std::string& line : lines) {
        const TSplit entry = SplitNameValue(line);
        adapters.push_back({entry.Left, entry.Right});
    }
    return adapters;
}

// The adapter /adapter names (its {id} or its description, in any case), or else the one
// the window had selected when it was last closed.
size_t ChosenAdapter(const std::vector<TAdapter>& adapters, const TCommandLine& command,
                     const std::string& appPath) {
    if (command.Adapter) {
        const std::string& wanted = *command.Adapter;
        std::vector<size_t> matches;
        for (size_t i = 0; i < adapters.size(); ++i)
            if (SameText(adapters[i].Id, wanted) || SameText(adapters[i].Description, wanted))
                matches.push_back(i);
        if (matches.empty())
            throw TCommandFailure{ExitNoAdapter, "No network adapter is named \"" + wanted + "\""};
        if (matches.size() > 1)
            throw TCommandFailure{ExitAmbiguous, "Several network adapters are named \"" + wanted +
                                                     "\"; name one by its {id} (see /list)"};
        return matches[0];
    }
    const TConfig config(appPath + "config.ini");
    const int index = SavedAdapterIndex(config);
    if (static_cast<size_t>(index) >= adapters.size())
        throw TCommandFailure{ExitNoAdapter, adapters.empty()
                                                 ? "No network adapter was found"
                                                 : "The adapter selected last is no longer there; "
                                                   "name one with /adapter (see /list)"};
    return static_cast<size_t>(index);
}

// The database when there is one; nothing otherwise (the window makes it, not a command).
bool OpenStore(TProfileTable& table, const std::string& appPath) {
    if (!FileExists(appPath + "db"))
        return false;
    table.Open(appPath + "db");
    return true;
}

// The rows of the adapter's view whose title is the one given (trimmed, any case).
std::vector<int> RowsTitled(const TProfileTable& table, const std::string& title) {
    std::vector<int> rows;
    for (int row = 0; row < table.RowCount(); ++row)
        if (SameText(Trim(table.Text(row, 2)), Trim(title)))
            rows.push_back(row);
    return rows;
}

// SetIP reports an adapter whose key does not open only after the proxy and the
// notification, in the window's order; a command fails here, before anything is written.
void RequireChangeableAdapter(const TAdapter& adapter, IRegistryBackend& registry) {
    if (!AdapterKeyOpens(registry, adapter.Id))
        throw TCommandFailure{ExitFailed, "Cannot change the TCP/IP settings of " +
                                              adapter.Description +
                                              ": its registry key cannot be opened (it is "
                                              "missing, or Netvane runs without administrator "
                                              "rights)"};
}

// The exit code of a switch, by what Windows uses after it.
int SwitchExitCode(const TSwitchResult& result) {
    switch (result.Outcome) {
    case TSwitchOutcome::Applied:
        return ExitDone;
    case TSwitchOutcome::WaitingForCable:
        return ExitWaitingForCable;
    default:
        return ExitFailed;
    }
}

int Apply(const TCommandLine& command, const TAdapter& adapter, const std::string& appPath,
          IRegistryBackend& registry, INetServices& services) {
    TProfileTable table;
    std::vector<int> rows;
    if (OpenStore(table, appPath)) {
        table.SetAdapterFilter(adapter.Id);
        rows = RowsTitled(table, command.Title);
    }
    const std::string what = "\"" + command.Title + "\" for " + adapter.Description;
    if (rows.empty())
        throw TCommandFailure{ExitNoSetting, "No setting is stored as " + what};
    if (rows.size() > 1)
        throw TCommandFailure{ExitAmbiguous, std::to_string(rows.size()) +
                                                 " settings are stored as " + what +
                                                 "; give them titles of their own"};
    RequireChangeableAdapter(adapter, registry);
    table.MoveTo(rows[0]);
    TIP request;
    FillStaticRequest(
        request, [&table](const std::string& name) { return table.FieldText(name); },
        table.FieldExtras());
    TSwitchResult result;
    SetIP(request, registry, services, &result);
    LogSwitch(appPath, adapter.Description, Trim(command.Title), result);
    return SwitchExitCode(result);
}

int SwitchToDhcp(const TAdapter& adapter, const std::string& appPath, IRegistryBackend& registry,
                 INetServices& services) {
    RequireChangeableAdapter(adapter, registry);
    TIP request;
    FillDhcpRequest(request, {adapter.Id}, 0);
    TSwitchResult result;
    SetIP(request, registry, services, &result);
    LogSwitch(appPath, adapter.Description, "DHCP", result);
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
        for (int row = 0; row < table.RowCount(); ++row)
            output.Print("    " + table.Text(row, 2));
    }
}

// What Windows uses now for the adapter, one "Name: value" line a fact; exit 3 when Windows
// does not have the adapter now.
int Status(const TAdapter& adapter, const std::string& appPath, INetServices& services,
           ICommandOutput& output) {
    ILiveStateReader* reader = services.LiveStateReader();
    const TLiveState state = reader ? reader->Read(adapter.Id) : TLiveState{};
    std::string inUse;
    TProfileTable table;
    if (state.Present && OpenStore(table, appPath)) {
        table.SetAdapterFilter(adapter.Id);
        inUse = RowTitle(table, RowInUse(table, state));
    }
    for (const TFactRow& row : LiveStateRows(state, adapter.Description, inUse))
        output.Print(row.Name + ": " + row.Value);
    if (state.Present)
        return ExitDone;
    std::string why = adapter.Description;
    why += " is not present in Windows now";
    output.Error(why);
    return ExitNoAdapter;
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

int Run(const TCommandLine& command, const std::string& appPath, IRegistryBackend& registry,
        INetServices& services, ICommandOutput& output) {
    const std::vector<TAdapter> adapters = Adapters(registry);
    if (command.Action == TCommandAction::List) {
        if (command.Adapter)
            List({adapters[ChosenAdapter(adapters, command, appPath)]}, appPath, output);
        else
            List(adapters, appPath, output);
        return ExitDone;
    }
    const TAdapter& adapter = adapters[ChosenAdapter(adapters, command, appPath)];
    if (command.Action == TCommandAction::Status)
        return Status(adapter, appPath, services, output);
    if (command.Action == TCommandAction::Apply)
        return Apply(command, adapter, appPath, registry, services);
    if (command.Action == TCommandAction::Import)
        return Import(command, adapter, appPath, output);
    if (command.Action == TCommandAction::Export)
        return Export(command, adapter, appPath, output);
    return SwitchToDhcp(adapter, appPath, registry, services);
}

} // namespace

TCommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
    TCommandLine command;
    bool adapterGiven = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (SameText(argument, "/apply")) {
            SetAction(command, TCommandAction::Apply, argument);
            command.Title = ValueOf(arguments, i, "the title of a stored setting");
        } else if (SameText(argument, "/dhcp")) {
            SetAction(command, TCommandAction::Dhcp, argument);
        } else if (SameText(argument, "/list")) {
            SetAction(command, TCommandAction::List, argument);
        } else if (SameText(argument, "/status")) {
            SetAction(command, TCommandAction::Status, argument);
        } else if (SameText(argument, "/import") || SameText(argument, "/export")) {
            SetAction(command,
                      SameText(argument, "/import") ? TCommandAction::Import : TCommandAction::Export,
                      argument);
            command.Path = ValueOf(arguments, i, "the path of a CSV file");
        } else if (SameText(argument, "/adapter")) {
            if (adapterGiven)
                throw TUsageError("/adapter is given twice");
            adapterGiven = true;
            command.Adapter = ValueOf(arguments, i, "an adapter's description or {id}");
        } else if (SameText(argument, "/quiet")) {
            command.Quiet = true;
        } else if (!argument.empty() && (argument[0] == '/' || argument[0] == '-')) {
            throw TUsageError("Unknown switch " + argument);
        } else {
            throw TUsageError("\"" + argument + "\" belongs to no switch");
        }
    }
    if (command.Action == TCommandAction::None && !arguments.empty())
        throw TUsageError("Say what to do: /apply, /dhcp or /list");
    return command;
}

int RunCommandLine(const TCommandLine& command, const std::string& appPath,
                   IRegistryBackend& registry, INetServices& services, ICommandOutput& output) {
    try {
        return Run(command, appPath, registry, services, output);
    } catch (const TCommandFailure& failure) {
        output.Error(failure.Message);
        return failure.ExitCode;
    } catch (const std::exception& error) {
        output.Error(error.what());
        return ExitFailed;
    }
}
