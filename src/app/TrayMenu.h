#pragma once
// What the notification-area icon offers and says: its menu, built from the stored settings,
// what each adapter uses now and the settings applied most recently; its tooltip; and how
// the outcome of a switch chosen there is reported. No window here: the order and the texts
// are the same on every platform.

#include "netcfg/LiveState.h"
#include "netcfg/SetIP.h"
#include "netcfg/SwitchCheck.h"
#include "store/ProfileStore.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct TTraySetting {
    std::int64_t Id = 0;
    std::string Title;
    TIP Request; // filled as an apply fills it
};

// The settings of a stored row set, as the menu needs them.
std::vector<TTraySetting> TraySettings(const std::vector<TProfileTable::TStoredRow>& rows);

struct TTrayAdapter {
    std::string Description;
    TLiveState State;
    std::vector<TTraySetting> Settings; // in ID order
};

enum class TTrayCommand {
    None, // with a caption: a line that cannot be chosen; without: a separator
    ApplySetting,
    ApplyDhcp,
    MoreSettings, // opens the window on the adapter
    OpenWindow,
    AdapterDetails,
    MinimizeToTray,
    StartWithWindows,
    SwitchAutomatically,
    ShowAllAdapters, // the grid's Options only
    Exit,
};

struct TTrayMenuItem {
    TTrayCommand Command = TTrayCommand::None;
    std::string Caption; // menu text: an "&" of a title is doubled
    bool Checked = false;
    std::size_t Adapter = 0; // the adapter's position, for its own items
    std::int64_t SettingId = 0;
    std::vector<TTrayMenuItem> Children; // a submenu when not empty
};

inline constexpr std::size_t RecentSettingsInMenu = 5;
// The menu's item, and the tooltip's setting, for an adapter that gets its address so.
inline constexpr char DhcpCaption[] = "Automatic (DHCP)";
inline constexpr std::size_t SettingsInMenu = 30;

// The state of the two options as the menus show them.
struct TTrayOptions {
    bool MinimizeToTray = false;
    bool StartWithWindows = false;
    std::string StartWithWindowsNote; // why it shows as off although it was set; "" if none
    bool SwitchAutomatically = true;
};

// The "Options" submenu's items, for the icon's menu and the grid's.
std::vector<TTrayMenuItem> OptionsMenuItems(const TTrayOptions& options);

// One adapter's items: the most recent of its settings (recent: most recent first) up to
// RecentSettingsInMenu, a separator, the others by title, SettingsInMenu settings in all,
// "More..." when it has more, then "Automatic (DHCP)". The setting in use (the first in ID
// order that IsSettingInUse finds), or DHCP when the adapter gets its address so, is checked.
std::vector<TTrayMenuItem> AdapterMenuItems(const TTrayAdapter& adapter, std::size_t position,
                                            const std::vector<std::int64_t>& recent);

// The whole menu: the only adapter's items, or a submenu per adapter when there are more;
// then "Open Netvane", "Adapter details...", "Options", a separator and "Exit".
std::vector<TTrayMenuItem> TrayMenu(const std::vector<TTrayAdapter>& adapters,
                                    const std::vector<std::int64_t>& recent,
                                    const TTrayOptions& options);

// The setting an adapter uses now among its stored ones: its title, "Automatic (DHCP)", or
// "" for none.
std::string TraySettingInUse(const TTrayAdapter& adapter);

// The tooltip holds 127 characters.
inline constexpr std::size_t TrayTipLimit = 127;

// "<description>: <address>/<prefix> <dash> <setting in use, or "no stored setting">", within
// TrayTipLimit: the description gives way first (ending in "..."), so the address and the
// setting stay readable. dash: the dash of the ANSI code page, or "-".
std::string TrayTip(const std::string& description, const TLiveState& state,
                    const std::string& settingInUse, const std::string& dash);

// How a switch chosen from the icon's menu is reported while the window is hidden or
// minimised. "Not applied" is always a box; the other outcomes are a balloon, a warning one
// when anything needs the user's eye.
struct TTrayReport {
    bool Box = false;
    bool Warning = false;
    std::string Title;
    std::string Text;
};
inline constexpr std::size_t BalloonTitleLimit = 63;
inline constexpr std::size_t BalloonTextLimit = 255;
// messages: what the switch said on its way, in order.
TTrayReport TrayReport(const TSwitchResult& result, const std::vector<std::string>& messages,
                       const std::string& setting, const std::string& adapter);
