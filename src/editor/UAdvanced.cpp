#include "UAdvanced.h"

#include <commctrl.h>

#include <array>
#include <utility>

namespace {
constexpr const char* AdvancedClassName = "TAdvancedForm";
constexpr const char* EntryClassName = "TEntryForm";

constexpr int Margin = 8;
constexpr int ListWidth = 344;
constexpr int ColumnWidth = 160; // two of them and a vertical scroll bar fit the list
constexpr int ButtonWidth = 75;
constexpr int ButtonGap = 6;
constexpr int ListButtonHeight = 23;
constexpr int FieldLeft = 132; // the DNS and proxy part's fields, right of their captions
constexpr int OptionsTop = 340;

void InsertColumn(HWND list, int column, const char* caption) {
    LVCOLUMNA header{};
    header.mask = LVCF_TEXT;
    header.pszText = const_cast<char*>(caption);
    ::SendMessageA(list, LVM_INSERTCOLUMNA, column, reinterpret_cast<LPARAM>(&header));
}

void AddRow(HWND list, const std::string& first, const std::string& second) {
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    item.pszText = const_cast<char*>(first.c_str());
    const auto row = ::SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    item.iSubItem = 1;
    item.pszText = const_cast<char*>(second.c_str());
    ::SendMessageA(list, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
}

int SelectedRow(HWND list) {
    return static_cast<int>(::SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void SelectRow(HWND list, int row) {
    LVITEMA item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = item.stateMask;
    ::SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    ::SendMessageA(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
}

// The row an Edit or a Remove works on; none selected says so.
bool HasSelection(HWND list) {
    if (SelectedRow(list) >= 0)
        return true;
    ShowMessage("Select an entry first");
    ::SetFocus(list);
    return false;
}
} // namespace

// ---- one entry --------------------------------------------------------------------------

TEntryForm::TEntryForm(const std::string& caption, const std::string& firstLabel,
                       const std::string& secondLabel, const std::string& first,
                       const std::string& second, TCheck check, HWND owner)
    : check_(std::move(check)) {
    RegisterFormClass(EntryClassName);
    CreateForm(EntryClassName, caption, WS_POPUP | WS_CAPTION | WS_SYSMENU, WS_EX_DLGMODALFRAME,
               280, 112, owner);
    // Creation order is tab order: the fields, then OK and Cancel.
    AddLabel(firstLabel, 12, 15);
    first_ = AddControl("EDIT", first, WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, 110, 12, 158, 21,
                        idFirst, WS_EX_CLIENTEDGE);
    AddLabel(secondLabel, 12, 45);
    second_ = AddControl("EDIT", second, WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, 110, 42, 158, 21,
                         idSecond, WS_EX_CLIENTEDGE);
    // An entry is a dotted quad and a mask or a metric: far shorter than this.
    ::SendMessageA(first_, EM_LIMITTEXT, 40, 0);
    ::SendMessageA(second_, EM_LIMITTEXT, 40, 0);
    AddControl("BUTTON", "&OK", WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 112, 77, ButtonWidth, 25,
               idOKBtn);
    SetDefaultButton(idOKBtn);
    AddControl("BUTTON", "&Cancel", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 193, 77, ButtonWidth,
               25, idCancelBtn);
}

void TEntryForm::OKBtnClick() {
    const std::string complaint = check_(WindowText(first_), WindowText(second_));
    if (complaint.empty()) {
        SetModalResult(mrOk);
        return;
    }
    ShowMessage(complaint);
    ::SetFocus(first_);
}

LRESULT TEntryForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && LOWORD(wParam) == idOKBtn && HIWORD(wParam) == BN_CLICKED) {
        OKBtnClick();
        return 0;
    }
    return TForm::HandleMessage(message, wParam, lParam);
}

// ---- the lists --------------------------------------------------------------------------

TAdvancedForm::TAdvancedForm(const TOwnAddress& own, const TSettingExtras& extras, HWND owner)
    : editing_(own, extras) {
    RegisterFormClass(AdvancedClassName);
    CreateForm(AdvancedClassName, "Advanced Network Setting", WS_POPUP | WS_CAPTION | WS_SYSMENU,
               WS_EX_DLGMODALFRAME, 360, 510, owner);
    FormCreate();
    FillLists();
}

HWND TAdvancedForm::AddList(int top, int height, int id, const char* first, const char* second) {
    HWND list = AddControl(WC_LISTVIEWA, "",
                           WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL |
                               LVS_SHOWSELALWAYS | LVS_NOSORTHEADER,
                           Margin, top, ListWidth, height, id, WS_EX_CLIENTEDGE);
    ::SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT);
    InsertColumn(list, 0, first);
    InsertColumn(list, 1, second);
    return list;
}

// Add..., Edit... and Remove under a list, flush with its right edge, as Windows has them;
// each list's buttons have letters of their own.
void TAdvancedForm::AddButtons(int top, int firstId, const std::array<const char*, 3>& captions) {
    int left = Margin + ListWidth - 3 * ButtonWidth - 2 * ButtonGap;
    int id = firstId;
    for (const char* caption : captions) {
        AddControl("BUTTON", caption, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, left, top,
                   ButtonWidth, ListButtonHeight, id++);
        left += ButtonWidth + ButtonGap;
    }
}

void TAdvancedForm::FormCreate() {
    // Creation order is tab order: each list with its buttons, the metric, the DNS and proxy
    // part, OK and Cancel.
    AddLabel("More IP addresses:", Margin, 8);
    addresses_ = AddList(26, 96, idAddresses, "IP address", "Subnet mask");
    AddButtons(128, idAddAddress, {"&Add...", "&Edit...", "&Remove"});
    AddLabel("More gateways:", Margin, 164);
    gateways_ = AddList(182, 78, idGateways, "Gateway", "Metric");
    AddButtons(266, idAddGateway, {"A&dd...", "Edi&t...", "Remo&ve"});
    // The metric of the editor's own Gateway field, named as that field is.
    AddLabel("Gateway metric:", Margin, 305);
    metric_ = AddControl("EDIT", MetricText(Extras().GatewayMetric),
                         WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, 110, 302, 80, 21,
                         idGatewayMetric, WS_EX_CLIENTEDGE);
    ::SendMessageA(metric_, EM_LIMITTEXT, 10, 0);
    AddLabel("Automatic or 1 to 9999", 198, 305);
    // What else the network hands out: the adapter's DNS suffix and the user's proxy parts.
    AddLabel("DNS and proxy:", Margin, OptionsTop);
    const TNetOptions& options = Extras().Options;
    suffix_ = AddField("DNS &suffix:", OptionsTop + 22, idDnsSuffix, options.DnsSuffix,
                       MaxDnsSuffixLength);
    exceptions_ = AddField("Proxy &exceptions:", OptionsTop + 50, idProxyExceptions,
                           options.ProxyExceptions, MaxProxyExceptionsLength);
    script_ = AddField("&Configuration script:", OptionsTop + 78, idProxyScript,
                       options.ProxyScript, MaxProxyScriptLength);
    autoDetect_ = AddControl("BUTTON", "Automatically &detect settings",
                             WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, FieldLeft, OptionsTop + 104,
                             ListWidth + Margin - FieldLeft, 20, idProxyAutoDetect);
    ::SendMessageA(autoDetect_, BM_SETCHECK, options.ProxyAutoDetect ? BST_CHECKED : BST_UNCHECKED,
                   0);
    const int buttonsTop = OptionsTop + 136;
    const int okLeft = Margin + ListWidth - 2 * ButtonWidth - ButtonGap;
    AddControl("BUTTON", "&OK", WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, okLeft, buttonsTop,
               ButtonWidth, 25, idOKBtn);
    SetDefaultButton(idOKBtn);
    AddControl("BUTTON", "&Cancel", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON,
               okLeft + ButtonWidth + ButtonGap, buttonsTop, ButtonWidth, 25, idCancelBtn);
    SizeColumns();
}

// A caption whose letter moves to the field beside it, then the field.
HWND TAdvancedForm::AddField(const char* caption, int top, int id, const std::string& text,
                             std::size_t limit) {
    AddControl("STATIC", caption, WS_VISIBLE | SS_LEFT, Margin, top + 3, FieldLeft - Margin - 4, 17,
               -1);
    HWND field = AddControl("EDIT", text, WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, FieldLeft, top,
                            ListWidth + Margin - FieldLeft, 21, id, WS_EX_CLIENTEDGE);
    ::SendMessageA(field, EM_LIMITTEXT, limit, 0);
    return field;
}

void TAdvancedForm::FillLists() {
    ::SendMessageA(addresses_, LVM_DELETEALLITEMS, 0, 0);
    for (const TAddressEntry& entry : Extras().MoreAddresses)
        AddRow(addresses_, entry.Address, entry.Submask);
    ::SendMessageA(gateways_, LVM_DELETEALLITEMS, 0, 0);
    for (const TGatewayEntry& entry : Extras().MoreGateways)
        AddRow(gateways_, entry.Gateway, MetricText(entry.Metric));
}

void TAdvancedForm::SizeColumns() {
    for (HWND list : {addresses_, gateways_})
        for (int column = 0; column < 2; ++column)
            ::SendMessageA(list, LVM_SETCOLUMNWIDTH, column, Scale(ColumnWidth));
}

void TAdvancedForm::DpiChanged(int) {
    if (addresses_)
        SizeColumns();
}

// Add (index NewEntry) or Edit an address in the entry dialog, which stays until the entry
// is accepted or cancelled.
void TAdvancedForm::AddressClick(int index) {
    if (index == TExtrasEditing::NewEntry)
        if (const std::string full = editing_.AddressesFull(); !full.empty()) {
            ShowMessage(full);
            return;
        }
    TAddressEntry shown;
    if (index != TExtrasEditing::NewEntry)
        shown = Extras().MoreAddresses.at(static_cast<size_t>(index));
    TEntryForm entry(
        "TCP/IP Address", "IP address:", "Subnet mask:", shown.Address, shown.Submask,
        [this, index](const std::string& address, const std::string& submask) {
            return editing_.PutAddress(index, address, submask);
        },
        Handle());
    if (entry.ShowModal(Handle()) != mrOk)
        return;
    FillLists();
    SelectRow(addresses_, index == TExtrasEditing::NewEntry
                              ? static_cast<int>(Extras().MoreAddresses.size()) - 1
                              : index);
}

void TAdvancedForm::GatewayClick(int index) {
    if (index == TExtrasEditing::NewEntry)
        if (const std::string full = editing_.GatewaysFull(); !full.empty()) {
            ShowMessage(full);
            return;
        }
    TGatewayEntry shown;
    if (index != TExtrasEditing::NewEntry)
        shown = Extras().MoreGateways.at(static_cast<size_t>(index));
    TEntryForm entry(
        "TCP/IP Gateway Address", "Gateway:", "Metric:", shown.Gateway, MetricText(shown.Metric),
        [this, index](const std::string& gateway, const std::string& metric) {
            return editing_.PutGateway(index, gateway, metric);
        },
        Handle());
    if (entry.ShowModal(Handle()) != mrOk)
        return;
    FillLists();
    SelectRow(gateways_, index == TExtrasEditing::NewEntry
                             ? static_cast<int>(Extras().MoreGateways.size()) - 1
                             : index);
}

void TAdvancedForm::RemoveClick(HWND list, const std::function<void(int)>& remove) {
    if (!HasSelection(list))
        return;
    const int row = SelectedRow(list);
    remove(row);
    FillLists();
    const int left = static_cast<int>(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    if (left > 0)
        SelectRow(list, row < left ? row : left - 1);
    ::SetFocus(list);
}

void TAdvancedForm::OKBtnClick() {
    const TNetOptionsFault fault =
        editing_.SetOptions({WindowText(suffix_), WindowText(exceptions_), WindowText(script_),
                             ::SendMessageA(autoDetect_, BM_GETCHECK, 0, 0) == BST_CHECKED});
    if (fault.Field != TNetOptionsField::None) {
        ShowMessage(fault.Text);
        ::SetFocus(fault.Field == TNetOptionsField::DnsSuffix         ? suffix_
                   : fault.Field == TNetOptionsField::ProxyExceptions ? exceptions_
                                                                      : script_);
        return;
    }
    std::string complaint = editing_.SetGatewayMetric(WindowText(metric_));
    if (complaint.empty())
        complaint = editing_.Complaint();
    if (complaint.empty()) {
        SetModalResult(mrOk);
        return;
    }
    ShowMessage(complaint);
    ::SetFocus(complaint.starts_with("[Gateway]") ? metric_ : addresses_);
}

LRESULT TAdvancedForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NOTIFY) {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        // A double click on an entry edits it, as in Windows' own lists.
        if (header->code == NM_DBLCLK && SelectedRow(header->hwndFrom) >= 0) {
            if (header->hwndFrom == addresses_)
                AddressClick(SelectedRow(addresses_));
            else if (header->hwndFrom == gateways_)
                GatewayClick(SelectedRow(gateways_));
            return 0;
        }
    }
    if (message != WM_COMMAND || HIWORD(wParam) != BN_CLICKED)
        return TForm::HandleMessage(message, wParam, lParam);
    switch (LOWORD(wParam)) {
    case idOKBtn:
        OKBtnClick();
        return 0;
    case idAddAddress:
        AddressClick(TExtrasEditing::NewEntry);
        return 0;
    case idEditAddress:
        if (HasSelection(addresses_))
            AddressClick(SelectedRow(addresses_));
        return 0;
    case idRemoveAddress:
        RemoveClick(addresses_, [this](int row) { editing_.RemoveAddress(row); });
        return 0;
    case idAddGateway:
        GatewayClick(TExtrasEditing::NewEntry);
        return 0;
    case idEditGateway:
        if (HasSelection(gateways_))
            GatewayClick(SelectedRow(gateways_));
        return 0;
    case idRemoveGateway:
        RemoveClick(gateways_, [this](int row) { editing_.RemoveGateway(row); });
        return 0;
    default:
        return TForm::HandleMessage(message, wParam, lParam);
    }
}
