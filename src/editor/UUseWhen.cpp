#include "UUseWhen.h"

#include "editor/UAdvanced.h"

#include <commctrl.h>

namespace {
constexpr const char* UseWhenClassName = "TUseWhenForm";

constexpr int Margin = 8;
constexpr int ListWidth = 344;
constexpr int KindColumnWidth = 100;
constexpr int ValueColumnWidth = 220; // both and a vertical scroll bar fit the list
constexpr int ButtonWidth = 70;
constexpr int ButtonGap = 6;
constexpr int NewEntry = -1;

int SelectedRow(HWND list) {
    return static_cast<int>(
        ::SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void AddRow(HWND list, const TCondition& condition) {
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    std::string kind = ConditionKindName(condition.Kind);
    item.pszText = kind.data();
    const auto row = ::SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    item.iSubItem = 1;
    std::string value = condition.Value;
    item.pszText = value.data();
    ::SendMessageA(list, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
}
} // namespace

TUseWhenForm::TUseWhenForm(const std::string& conditions, TNetworkSource network, HWND owner)
    : original_(conditions), conditions_(ParseConditions(conditions).Conditions),
      network_(std::move(network)) {
    RegisterFormClass(UseWhenClassName);
    CreateForm(UseWhenClassName, "Use Automatically When", WS_POPUP | WS_CAPTION | WS_SYSMENU,
               WS_EX_DLGMODALFRAME, 360, 292, owner);
    // Creation order is tab order: the list, its buttons, OK and Cancel.
    AddControl("STATIC",
               "Netvane applies this setting by itself when the adapter's network meets all of "
               "these conditions:",
               WS_VISIBLE | SS_LEFT, Margin, 8, ListWidth, 28, -1);
    list_ = AddControl(WC_LISTVIEWA, "",
                       WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS |
                           LVS_NOSORTHEADER,
                       Margin, 40, ListWidth, 130, idList, WS_EX_CLIENTEDGE);
    ::SendMessageA(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT);
    for (const char* caption : {"Condition", "Value"}) {
        LVCOLUMNA column{};
        column.mask = LVCF_TEXT;
        column.pszText = const_cast<char*>(caption);
        const int index = caption[0] == 'C' ? 0 : 1;
        ::SendMessageA(list_, LVM_INSERTCOLUMNA, index, reinterpret_cast<LPARAM>(&column));
    }
    HWND fromNetwork =
        AddControl("BUTTON", "&From this network", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, Margin,
                   176, 116, 23, idFromNetwork);
    ::EnableWindow(fromNetwork, network_ != nullptr);
    int left = Margin + ListWidth - 3 * ButtonWidth - 2 * ButtonGap;
    int id = idAdd;
    for (const char* caption : {"&Add...", "&Edit...", "&Remove"}) {
        AddControl("BUTTON", caption, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, left, 176,
                   ButtonWidth, 23, id++);
        left += ButtonWidth + ButtonGap;
    }
    AddControl("STATIC",
               "Kinds: gateway, gatewaymac, dhcpserver, dnssuffix, subnet (10.1.0.0/16), ssid, "
               "adapter (up). Each is read from what Windows reports; nothing is sent.",
               WS_VISIBLE | SS_LEFT, Margin, 208, ListWidth, 42, -1);
    const int okLeft = Margin + ListWidth - 2 * 75 - ButtonGap;
    AddControl("BUTTON", "&OK", WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, okLeft, 258, 75, 25,
               idOKBtn);
    SetDefaultButton(idOKBtn);
    AddControl("BUTTON", "&Cancel", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON,
               okLeft + 75 + ButtonGap, 258, 75, 25, idCancelBtn);
    SizeColumns();
    FillList(conditions_.empty() ? -1 : 0);
    // Written by hand or by another program: said once, and kept unless the list changes.
    if (const std::string error = ParseConditions(conditions).Error; !error.empty())
        ShowMessage("The stored conditions cannot be read, so they never match: " + error);
}

void TUseWhenForm::FillList(int selected) {
    ::SendMessageA(list_, LVM_DELETEALLITEMS, 0, 0);
    for (const TCondition& condition : conditions_)
        AddRow(list_, condition);
    if (selected < 0 || selected >= static_cast<int>(conditions_.size()))
        return;
    LVITEMA item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = item.stateMask;
    ::SendMessageA(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(selected),
                   reinterpret_cast<LPARAM>(&item));
    ::SendMessageA(list_, LVM_ENSUREVISIBLE, static_cast<WPARAM>(selected), FALSE);
}

void TUseWhenForm::SizeColumns() {
    ::SendMessageA(list_, LVM_SETCOLUMNWIDTH, 0, Scale(KindColumnWidth));
    ::SendMessageA(list_, LVM_SETCOLUMNWIDTH, 1, Scale(ValueColumnWidth));
}

void TUseWhenForm::DpiChanged(int) {
    if (list_)
        SizeColumns();
}

// Add (NewEntry) or Edit one condition in the entry dialog, which stays until the reader
// accepts it or the user cancels.
void TUseWhenForm::EntryClick(int index) {
    if (index == NewEntry && conditions_.size() >= MaxConditions) {
        ShowMessage("A setting has at most " + std::to_string(MaxConditions) + " conditions");
        return;
    }
    TCondition shown{TConditionKind::Gateway, ""};
    if (index != NewEntry)
        shown = conditions_.at(static_cast<size_t>(index));
    TCondition accepted;
    TEntryForm entry(
        "Condition", "Kind:", "Value:", ConditionKindName(shown.Kind), shown.Value,
        [&accepted](const std::string& kind, const std::string& value) {
            const TConditionsParse parse = ParseConditions(kind + "=" + value);
            if (!parse.Error.empty())
                return parse.Error;
            if (parse.Conditions.size() != 1)
                return std::string("Give one condition: a kind and its value");
            accepted = parse.Conditions[0];
            return std::string();
        },
        Handle());
    // A DNS suffix may be long; the entry's own limit is for addresses.
    ::SendMessageA(::GetDlgItem(entry.Handle(), TEntryForm::idSecond), EM_LIMITTEXT, 255, 0);
    if (entry.ShowModal(Handle()) != mrOk)
        return;
    changed_ = true;
    if (index == NewEntry) {
        conditions_.push_back(accepted);
        index = static_cast<int>(conditions_.size()) - 1;
    } else {
        conditions_[static_cast<size_t>(index)] = accepted;
    }
    FillList(index);
}

void TUseWhenForm::RemoveClick() {
    const int row = SelectedRow(list_);
    if (row < 0) {
        ShowMessage("Select a condition first");
        ::SetFocus(list_);
        return;
    }
    changed_ = true;
    conditions_.erase(conditions_.begin() + row);
    FillList(row < static_cast<int>(conditions_.size()) ? row : row - 1);
    ::SetFocus(list_);
}

void TUseWhenForm::FromNetworkClick() {
    const std::vector<TCondition> found = ConditionsOfNetwork(network_());
    if (found.empty()) {
        ShowMessage("The adapter is not connected: there is no network to take conditions from");
        return;
    }
    changed_ = true;
    conditions_ = found;
    FillList(0);
    ::SetFocus(list_);
}

LRESULT TUseWhenForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NOTIFY) {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        // A double click on a condition edits it, as in Windows' own lists.
        if (header->hwndFrom == list_ && header->code == NM_DBLCLK && SelectedRow(list_) >= 0) {
            EntryClick(SelectedRow(list_));
            return 0;
        }
    }
    if (message != WM_COMMAND || HIWORD(wParam) != BN_CLICKED)
        return TForm::HandleMessage(message, wParam, lParam);
    switch (LOWORD(wParam)) {
    case idOKBtn:
        SetModalResult(mrOk);
        return 0;
    case idAdd:
        EntryClick(NewEntry);
        return 0;
    case idEdit:
        if (SelectedRow(list_) >= 0)
            EntryClick(SelectedRow(list_));
        else
            ShowMessage("Select a condition first");
        return 0;
    case idRemove:
        RemoveClick();
        return 0;
    case idFromNetwork:
        if (network_)
            FromNetworkClick();
        return 0;
    default:
        return TForm::HandleMessage(message, wParam, lParam);
    }
}
