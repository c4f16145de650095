// The main window's grid beyond its clicks: a context menu, keys for the commands, a new
// setting from the adapter's current values, and export and import of settings.

#include "UMain.h"

#include "AutoSwitch.h"
#include "SettingInUse.h"
#include "UDetails.h"
#include "UTray.h"

#include "editor/UEdit.h"
#include "netcfg/CurrentSettings.h"
#include "netcfg/ProxyConnection.h"
#include "store/SettingsTransfer.h"
#include "support/Error.h"
#include "support/SystemLibrary.h"
#include "support/WinHandles.h"

#include <cderr.h>
#include <commdlg.h>
#include <windowsx.h>

#include <array>

namespace {

constexpr UINT_PTR GridSubclassId = 1;

struct TMenuItemDef {
    int Command; // 0 for a separator
    const char* Caption;
    bool NeedsRow;
};

// Each item its own letter, so that a key never runs another command than the one read;
// the keys the grid answers to stand beside their items.
constexpr std::array<TMenuItemDef, 12> GridMenu = {{
    {TMainForm::idApplyItem, "A&pply\tEnter", true},
    {TMainForm::acWayBack, "Apply with a way &back...\tCtrl+Enter", true},
    {TMainForm::acEdit, "&Edit...\tF2", true},
    {TMainForm::acDelete, "De&lete\tDel", true},
    {0, nullptr, false},
    {TMainForm::acAdd, "&Add...\tIns", false},
    {TMainForm::acAddCurrent, "Add from &current settings...", false},
    {0, nullptr, false},
    {TMainForm::acExport, "E&xport settings...", true},
    {TMainForm::acImport, "&Import settings...", false},
    {0, nullptr, false},
    {TMainForm::acDetails, "Adapter &details...\tCtrl+D", false},
}};

// The grid keeps its own behaviour; these keys and the context menu come to the form.
LRESULT CALLBACK GridSubclass(HWND grid, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                              DWORD_PTR form) {
    auto& mainForm = *reinterpret_cast<TMainForm*>(form);
    bool handled = false;
    switch (message) {
    case WM_GETDLGCODE: {
        // Enter belongs to the grid (it applies the row); the dialog keys would eat it.
        const auto* pending = reinterpret_cast<const MSG*>(lParam);
        if (pending && pending->message == WM_KEYDOWN && pending->wParam == VK_RETURN)
            return DLGC_WANTMESSAGE | ::DefSubclassProc(grid, message, wParam, lParam);
        break;
    }
    case WM_KEYDOWN:
        RunGuarded([&] { handled = mainForm.DBGridKeyDown(wParam); });
        break;
    case WM_KEYUP:
        // The menu key opens the menu when it is released, as Windows has it.
        if (wParam == VK_APPS) {
            RunGuarded([&] { mainForm.DBGridContextMenu(-1); });
            handled = true;
        }
        break;
    case WM_SYSKEYDOWN:
        // Shift+F10 opens the menu here: left to the system, the release of F10 would go
        // on to open the window's system menu.
        if (wParam == VK_F10 && ::GetKeyState(VK_SHIFT) < 0) {
            RunGuarded([&] { mainForm.DBGridContextMenu(-1); });
            mainForm.SwallowF10Release(true);
            handled = true;
        }
        break;
    case WM_SYSKEYUP:
        handled = wParam == VK_F10 && mainForm.SwallowF10Release(false);
        break;
    case WM_CONTEXTMENU:
        // A right click, from the grid's own handling of the mouse.
        RunGuarded([&] { mainForm.DBGridContextMenu(lParam); });
        handled = true;
        break;
    case WM_NCDESTROY:
        ::RemoveWindowSubclass(grid, GridSubclass, GridSubclassId);
        break;
    default:
        break;
    }
    return handled ? 0 : ::DefSubclassProc(grid, message, wParam, lParam);
}

// Below the current row's text, or the grid's top left corner when no row is current.
POINT KeyboardMenuPoint(HWND grid) {
    POINT point{8, 8};
    const int row = static_cast<int>(::SendMessageA(grid, LVM_GETNEXTITEM, -1, LVNI_FOCUSED));
    RECT bounds{};
    bounds.left = LVIR_LABEL;
    if (row >= 0 && ::SendMessageA(grid, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&bounds)))
        point = {bounds.left + 8, bounds.bottom};
    ::ClientToScreen(grid, &point);
    return point;
}

// A file name from an adapter's description, without the characters names may not hold.
std::string ExportFileName(const std::string& description) {
    std::string name = "Netvane " + description;
    for (char& c : name)
        if (std::string("\\/:*?\"<>|").find(c) != std::string::npos ||
            static_cast<unsigned char>(c) < 32)
            c = '_';
    return name + ".csv";
}

std::optional<std::string> SystemFileDialog(HWND owner, TMainForm::TFileDialogKind kind,
                                            const std::string& name) {
    char path[MAX_PATH] = {};
    name.copy(path, MAX_PATH - 1);
    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = "Settings (*.csv)\0*.csv\0All files (*.*)\0*.*\0";
    dialog.lpstrFile = path;
    dialog.nMaxFile = MAX_PATH;
    dialog.lpstrDefExt = "csv";
    // The current folder stays where the program started: one browsed to here would be held
    // open (not to be removed, its drive not to be ejected) while the program runs.
    dialog.Flags = OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
    const bool save = kind == TMainForm::TFileDialogKind::Save;
    dialog.lpstrTitle = save ? "Export settings" : "Import settings";
    dialog.Flags |= save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST;
    // The common dialogs' library (and what it pulls in) is loaded when first needed.
    static const UniqueLibrary dialogs(LoadSystemLibrary("comdlg32.dll"));
    const auto show = LibraryFunction<decltype(&::GetSaveFileNameA)>(
        dialogs, save ? "GetSaveFileNameA" : "GetOpenFileNameA");
    if (!show)
        throw TError("Cannot show the file dialog: comdlg32.dll is missing");
    if (show(&dialog))
        return std::string(path);
    // A cancel leaves no error code; anything else (a name too long for the buffer, say)
    // is no cancel and must not pass for one.
    const auto failure =
        LibraryFunction<decltype(&::CommDlgExtendedError)>(dialogs, "CommDlgExtendedError");
    const DWORD error = failure ? failure() : 0;
    if (error == FNERR_BUFFERTOOSMALL)
        throw TError("The file name chosen is longer than " + std::to_string(MAX_PATH - 1) +
                     " characters; choose a shorter one");
    if (error != 0)
        throw TError("Cannot show the file dialog (error " + std::to_string(error) + ")");
    return std::nullopt;
}

std::string SettingsCount(size_t n) {
    return std::to_string(n) + (n == 1 ? " setting" : " settings");
}

} // namespace

void TMainForm::InstallGridKeys() {
    ::SetWindowSubclass(DBGrid, GridSubclass, GridSubclassId, reinterpret_cast<DWORD_PTR>(this));
}

bool TMainForm::ExecuteGridCommand(int id) {
    switch (id) {
    case idApplyItem:
        DBGridDblClick();
        return true;
    case acAddCurrent:
        acAddCurrentExecute();
        return true;
    case acExport:
        acExportExecute();
        return true;
    case acImport:
        acImportExecute();
        return true;
    case acDetails:
        acDetailsExecute();
        return true;
    case acWayBack:
        acWayBackExecute();
        return true;
    case idMinimizeToTrayOption:
        if (tray_)
            tray_->ToggleMinimizeToTray();
        return true;
    case idStartWithWindowsOption:
        if (tray_)
            tray_->ToggleStartWithWindows();
        return true;
    case idSwitchAutomaticallyOption:
        if (tray_)
            tray_->ToggleSwitchAutomatically();
        return true;
    case idShowAllAdaptersOption:
        ToggleShowAllAdapters();
        return true;
    default:
        return false;
    }
}

bool TMainForm::DBGridKeyDown(WPARAM key) {
    switch (key) {
    case VK_RETURN:
        if (::GetKeyState(VK_CONTROL) < 0)
            acWayBackExecute();
        else
            DBGridDblClick();
        return true;
    case VK_DELETE:
        acDeleteExecute();
        return true;
    case VK_INSERT:
        acAddExecute();
        return true;
    case VK_F2:
        acEditExecute();
        return true;
    case VK_APPS:
        return true; // the menu comes when the key is released
    default:
        return false;
    }
}

void TMainForm::DBGridContextMenu(LPARAM screenPoint) {
    POINT point{GET_X_LPARAM(screenPoint), GET_Y_LPARAM(screenPoint)};
    if (screenPoint == -1)
        point = KeyboardMenuPoint(DBGrid);
    const bool noRow = !adoT.Active() || adoT.RowCount() == 0;
    UniqueMenu menu(::CreatePopupMenu());
    for (const TMenuItemDef& item : GridMenu) {
        if (item.Command == 0)
            ::AppendMenuA(menu.get(), MF_SEPARATOR, 0, nullptr);
        else
            ::AppendMenuA(menu.get(), MF_STRING | (item.NeedsRow && noRow ? MF_GRAYED : 0),
                          static_cast<UINT_PTR>(item.Command), item.Caption);
    }
    ::AppendMenuA(menu.get(), MF_SEPARATOR, 0, nullptr);
    AppendMenuItems(menu.get(), {GridOptionsMenu()}, [this](const TTrayMenuItem& item) {
        switch (item.Command) {
        case TTrayCommand::MinimizeToTray:
            return static_cast<UINT>(idMinimizeToTrayOption);
        case TTrayCommand::StartWithWindows:
            return static_cast<UINT>(idStartWithWindowsOption);
        case TTrayCommand::SwitchAutomatically:
            return static_cast<UINT>(ConfigFile ? idSwitchAutomaticallyOption : 0);
        default:
            // Without the settings file there is nowhere to keep the choice.
            return static_cast<UINT>(ConfigFile ? idShowAllAdaptersOption : 0);
        }
    });
    const int command = TrackMenu(menu.get(), point);
    if (command != 0)
        ExecuteCommand(command);
}

// The icon's two options when it is shown, and the adapter list's.
TTrayMenuItem TMainForm::GridOptionsMenu() const {
    TTrayMenuItem options;
    options.Caption = "&Options"; // "p" is Apply's letter here
    if (tray_)
        options.Children = OptionsMenuItems(tray_->Options());
    TTrayMenuItem& showAll = options.Children.emplace_back();
    showAll.Command = TTrayCommand::ShowAllAdapters;
    showAll.Caption = "Show &all network adapters";
    showAll.Checked = showAllAdapters_;
    return options;
}

int TMainForm::TrackMenu(HMENU menu, POINT point) {
    if (trackPopup_)
        return trackPopup_(menu, point);
    return static_cast<int>(::TrackPopupMenu(
        menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON,
        point.x, point.y, 0, Handle(), nullptr));
}

size_t TMainForm::SelectedAdapterPosition() const {
    const int index = SelectedAdapter();
    if (index < 0 || static_cast<size_t>(index) >= AdapterList.size())
        throw TError(NoAdapterPickedMessage);
    return static_cast<size_t>(index);
}

std::optional<std::string> TMainForm::ChooseFile(TFileDialogKind kind, const std::string& name) {
    return chooseFile_ ? chooseFile_(kind, name) : SystemFileDialog(Handle(), kind, name);
}

// The editor opens on a new row holding what the selected adapter has now.
void TMainForm::acAddCurrentExecute() {
    RequireDatabase();
    TCurrentSettings current =
        ReadCurrentSettings(registry_, AdapterList[SelectedAdapterPosition()]);
    // Detection lives in the connection's own record, not in a plain value.
    if (IProxyConnection* connection = netServices_->ProxyConnection())
        current.Extras.Options.ProxyAutoDetect = AutoDetectOn(*connection).value_or(false);
    {
        const TGridUpdate gridUpdate(*this);
        adoT.Insert();
        const std::pair<const char*, const std::string*> fields[] = {
            {"Address", &current.Address}, {"Submask", &current.Submask},
            {"Gateway", &current.Gateway}, {"DNS1", &current.DNS1},
            {"DNS2", &current.DNS2},       {"Proxy", &current.Proxy}};
        for (const auto& [name, value] : fields)
            adoT.SetFieldText(name, *value);
        adoT.SetFieldExtras(current.Extras);
    }
    EditPendingRow();
}

void TMainForm::acExportExecute() {
    const size_t adapter = SelectedAdapterPosition();
    if (ViewIsEmpty())
        return;
    const std::vector<std::string> descriptions = AdapterDescriptions();
    const auto path = ChooseFile(TFileDialogKind::Save, ExportFileName(descriptions.at(adapter)));
    if (!path)
        return;
    ShowMessage(SettingsCount(ExportSettingsFile(adoT, *path)) + " exported");
}

// All or nothing: the file is read and checked whole before one row is stored.
void TMainForm::acImportExecute() {
    RequireDatabase();
    const std::string adapter = AdapterList[SelectedAdapterPosition()];
    const auto path = ChooseFile(TFileDialogKind::Open, "");
    if (!path)
        return;
    const TGridUpdate gridUpdate(*this);
    const TImportCount count = ImportSettingsFile(adoT, adapter, *path);
    std::string report = SettingsCount(count.Imported) + " imported";
    if (count.Skipped > 0) {
        report += "; ";
        report += SettingsCount(count.Skipped);
        report += " already stored for this adapter skipped";
    }
    ShowMessage(report);
}

TNetworkFacts TMainForm::NetworkFactsOf(const std::string& adapterId) {
    TNetworkFacts facts;
    facts.State = liveStateReader_->Read(adapterId);
    INetworkFactsReader* reader = netServices_->NetworkFactsReader();
    if (reader && facts.State.Present)
        facts = reader->Read(adapterId, facts.State);
    return facts;
}

// Read afresh, so that the dialog and the grid's mark show the same moment.
void TMainForm::acDetailsExecute() {
    const size_t adapter = SelectedAdapterPosition();
    ReadLiveState();
    std::vector<TFactRow> rows =
        LiveStateRows(liveState_, AdapterDescriptions().at(adapter), RowTitle(adoT, rowInUse_));
    const std::string adapterId = AdapterList[adapter];
    if (liveState_.Present) {
        // The network in the terms of the conditions, before the setting in use.
        TNetworkFacts facts;
        facts.State = liveState_;
        if (INetworkFactsReader* reader = netServices_->NetworkFactsReader())
            facts = reader->Read(adapterId, liveState_);
        const std::vector<TFactRow> network = NetworkRows(facts, EvaluateAutoSwitch(adoT, facts));
        rows.insert(rows.end() - 1, network.begin(), network.end());
    }
    // The user's proxy parts beside the adapter's: what a setting's apply changes too.
    const TCurrentSettings user = ReadCurrentSettings(registry_, "");
    TUserProxy proxy{user.Proxy, user.Extras.Options.ProxyExceptions,
                     user.Extras.Options.ProxyScript, false};
    if (IProxyConnection* connection = netServices_->ProxyConnection())
        proxy.AutoDetect = AutoDetectOn(*connection).value_or(false);
    for (TFactRow& row : UserProxyRows(proxy))
        rows.push_back(std::move(row));
    // The switch log lives beside the database; the check reads the adapter afresh: what it
    // uses when the user asks.
    TDetailsForm details(rows, AppPath + "netvane.log", Handle(), [this, adapterId] {
        return CheckConnection(liveStateReader_->Read(adapterId), *reachability_).Lines;
    });
    details.ShowModal(Handle());
}
