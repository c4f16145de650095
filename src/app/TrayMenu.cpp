#include "TrayMenu.h"

#include "support/Strings.h"
#include "support/StringsPlatform.h"

#include <algorithm>

namespace {

// A menu shows "&" as the underline of the next letter; a title's own stays a character.
std::string MenuText(const std::string& text) {
    std::string escaped;
    for (const char c : text) {
        escaped += c;
        if (c == '&')
            escaped += '&';
    }
    return escaped;
}

TTrayMenuItem Separator() {
    return {};
}

TTrayMenuItem Item(TTrayCommand command, const std::string& caption, bool checked = false) {
    TTrayMenuItem item;
    item.Command = command;
    item.Caption = caption;
    item.Checked = checked;
    return item;
}

std::string LowerText(const std::string& text) {
    std::string lower = text;
    std::transform(lower.begin(), lower.end(), lower.begin(), LowerAnsi);
    return lower;
}

// Position in the adapter's settings of the one in use, or npos.
size_t SettingInUsePosition(const TTrayAdapter& adapter) {
    if (!adapter.State.Present || adapter.State.Dhcp)
        return std::string::npos;
    for (size_t i = 0; i < adapter.Settings.size(); ++i)
        if (IsSettingInUse(adapter.Settings[i].Request, adapter.State))
            return i;
    return std::string::npos;
}

// The adapter's settings in menu order: the recent ones, then the rest by title.
std::pair<std::vector<const TTraySetting*>, std::vector<const TTraySetting*>>
SettingsInMenuOrder(const TTrayAdapter& adapter, const std::vector<std::int64_t>& recent) {
    std::vector<const TTraySetting*> first, rest;
    for (const std::int64_t id : recent) {
        if (first.size() == RecentSettingsInMenu)
            break;
        const auto found =
            std::find_if(adapter.Settings.begin(), adapter.Settings.end(),
                         [id](const TTraySetting& setting) { return setting.Id == id; });
        if (found != adapter.Settings.end())
            first.push_back(&*found);
    }
    for (const TTraySetting& setting : adapter.Settings)
        if (std::find(first.begin(), first.end(), &setting) == first.end())
            rest.push_back(&setting);
    std::stable_sort(rest.begin(), rest.end(), [](const TTraySetting* a, const TTraySetting* b) {
        return LowerText(Trim(a->Title)) < LowerText(Trim(b->Title));
    });
    return {first, rest};
}

} // namespace

std::vector<TTraySetting> TraySettings(const std::vector<TProfileTable::TStoredRow>& rows) {
    const auto& fields = TProfileTable::Fields();
    std::vector<TTraySetting> settings;
    for (const TProfileTable::TStoredRow& row : rows) {
        // Fields 1..8 of the view are the row's values 0..7.
        const auto value = [&](const std::string& name) {
            for (size_t f = 1; f < fields.size() && f <= row.Values.size(); ++f)
                if (SameText(fields[f].Name, name))
                    return row.Values[f - 1];
            return std::string();
        };
        TTraySetting& setting = settings.emplace_back();
        setting.Id = row.Id;
        setting.Title = Trim(value("Title"));
        FillStaticRequest(setting.Request, value, row.Extras);
    }
    return settings;
}

std::vector<TTrayMenuItem> OptionsMenuItems(const TTrayOptions& options) {
    std::string startCaption = "Start with &Windows";
    if (!options.StartWithWindowsNote.empty())
        startCaption += " (" + MenuText(options.StartWithWindowsNote) + ")";
    return {Item(TTrayCommand::MinimizeToTray, "&Minimize to the notification area",
                 options.MinimizeToTray),
            Item(TTrayCommand::StartWithWindows, startCaption, options.StartWithWindows),
            Item(TTrayCommand::SwitchAutomatically, "Switch a&utomatically",
                 options.SwitchAutomatically)};
}

std::vector<TTrayMenuItem> AdapterMenuItems(const TTrayAdapter& adapter, std::size_t position,
                                            const std::vector<std::int64_t>& recent) {
    const size_t inUse = SettingInUsePosition(adapter);
    const auto [first, rest] = SettingsInMenuOrder(adapter, recent);
    std::vector<TTrayMenuItem> items;
    size_t shown = 0;
    const auto add = [&](const TTraySetting* setting) {
        TTrayMenuItem& item = items.emplace_back(Item(
            TTrayCommand::ApplySetting,
            MenuText(setting->Title.empty() ? "(no title)" : setting->Title),
            inUse != std::string::npos && &adapter.Settings[inUse] == setting));
        item.SettingId = setting->Id;
        ++shown;
    };
    for (const TTraySetting* setting : first)
        add(setting);
    if (!first.empty() && !rest.empty())
        items.push_back(Separator());
    for (const TTraySetting* setting : rest) {
        if (shown == SettingsInMenu)
            break;
        add(setting);
    }
    if (shown < adapter.Settings.size())
        items.push_back(Item(TTrayCommand::MoreSettings, "More..."));
    items.push_back(Item(TTrayCommand::ApplyDhcp, DhcpCaption,
                         adapter.State.Present && adapter.State.Dhcp));
    for (TTrayMenuItem& item : items)
        item.Adapter = position;
    return items;
}

std::vector<TTrayMenuItem> TrayMenu(const std::vector<TTrayAdapter>& adapters,
                                    const std::vector<std::int64_t>& recent,
                                    const TTrayOptions& options) {
    std::vector<TTrayMenuItem> menu;
    if (adapters.empty())
        menu.push_back(Item(TTrayCommand::None, "No network adapter"));
    else if (adapters.size() == 1)
        menu = AdapterMenuItems(adapters.front(), 0, recent);
    else
        for (size_t i = 0; i < adapters.size(); ++i) {
            TTrayMenuItem& submenu =
                menu.emplace_back(Item(TTrayCommand::None, MenuText(adapters[i].Description)));
            submenu.Adapter = i;
            submenu.Children = AdapterMenuItems(adapters[i], i, recent);
        }
    menu.push_back(Separator());
    menu.push_back(Item(TTrayCommand::OpenWindow, "&Open Netvane"));
    menu.push_back(Item(TTrayCommand::AdapterDetails, "Adapter &details..."));
    TTrayMenuItem& options_ = menu.emplace_back(Item(TTrayCommand::None, "O&ptions"));
    options_.Children = OptionsMenuItems(options);
    menu.push_back(Separator());
    menu.push_back(Item(TTrayCommand::Exit, "E&xit"));
    return menu;
}

std::string TraySettingInUse(const TTrayAdapter& adapter) {
    if (adapter.State.Present && adapter.State.Dhcp)
        return DhcpCaption;
    const size_t inUse = SettingInUsePosition(adapter);
    return inUse == std::string::npos ? std::string() : adapter.Settings[inUse].Title;
}

std::string TrayTip(const std::string& description, const TLiveState& state,
                    const std::string& settingInUse, const std::string& dash) {
    std::string rest = ": ";
    if (!state.Present) {
        rest += "not found";
    } else {
        if (state.Addresses.empty()) {
            rest += "no address";
        } else {
            rest += state.Addresses.front().Address;
            rest += '/';
            rest += std::to_string(state.Addresses.front().PrefixLength);
        }
        rest += ' ';
        rest += dash;
        rest += ' ';
        rest += settingInUse.empty() ? std::string("no stored setting") : settingInUse;
    }
    if (description.size() + rest.size() <= TrayTipLimit)
        return description + rest;
    // The description keeps at least a few letters and its "...".
    constexpr size_t DescriptionAtLeast = 8;
    if (rest.size() + DescriptionAtLeast > TrayTipLimit)
        return CutText(CutText(description, DescriptionAtLeast) + rest, TrayTipLimit);
    return CutText(description, TrayTipLimit - rest.size()) + rest;
}

TTrayReport TrayReport(const TSwitchResult& result, const std::vector<std::string>& messages,
                       const std::string& setting, const std::string& adapter) {
    TTrayReport report;
    report.Box = result.Outcome == TSwitchOutcome::NotApplied;
    report.Warning = result.Outcome != TSwitchOutcome::Applied || !messages.empty();
    std::string text;
    if (result.Outcome == TSwitchOutcome::Applied) {
        text = setting;
        text += " is in use on ";
        text += adapter;
    }
    for (const std::string& message : messages) {
        if (!text.empty())
            text += "\n\n";
        text += message;
    }
    if (text.empty())
        text = result.Message;
    report.Title = CutText(report.Warning ? "Netvane: " + setting : "Netvane: switched to " + setting,
                           BalloonTitleLimit);
    // A box shows it whole; a balloon holds 255 characters.
    report.Text = report.Box ? text : CutText(text, BalloonTextLimit);
    return report;
}
