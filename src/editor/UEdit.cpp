#include "UEdit.h"

#include "editor/AddressWarnings.h"
#include "editor/UAdvanced.h"
#include "editor/UUseWhen.h"
#include "store/CsvExchange.h"
#include "support/AddressRules.h"
#include "support/Strings.h"

#include <algorithm>
#include <utility>

namespace {
constexpr const char* EditClassName = "TEditForm";

constexpr int AdapterRow = 1;
constexpr int TitleRow = 2;
constexpr int FirstAddressRow = 3; // Address, Submask, Gateway, DNS1, DNS2
constexpr int SubmaskRow = 4;
constexpr int LastAddressRow = 7;
constexpr int ProxyRow = 8;

constexpr int LabelLeft = 20;
constexpr int EditorLeft = 80;
constexpr int EditorWidth = 200;
constexpr int EditorHeight = 21;
constexpr int PickButtonSize = EditorHeight - 2;
constexpr int ExampleLeft = EditorLeft + EditorWidth + 30;
// The frame's inside edge on the right, which no example may run over, and the least room
// an example keeps to its row's editor or pick button.
constexpr int FrameInsideRight = 8 + 433 - 4;
constexpr int ExampleGap = 4;
// The adapter row sits higher than the others, level with the top of the frame's inside.
constexpr int AdapterRowTop = 27;
constexpr int ComboBoxWidth = 300;
constexpr int ComboBoxDropDownHeight = 200;
constexpr COLORREF AdapterLabelColour = RGB(255, 0, 0);

int EditorTop(int row) {
    return 20 * row + 20;
}

int FieldLabelTop(int row) {
    return 20 * row + 22;
}

bool HasPickButton(int row) {
    return row > 3 && row != 5;
}

const std::string& FieldName(int row) {
    return TProfileTable::Fields().at(static_cast<size_t>(row)).Name;
}

// Menus treat "&" as the mark of an accelerator key; doubled, it shows as itself.
std::string MenuCaption(const std::string& text) {
    std::string caption;
    for (char c : text) {
        caption += c;
        if (c == '&')
            caption += '&';
    }
    return caption;
}

std::string RowMessage(const std::string& rowName, const char* complaint) {
    // Appended piece by piece: GCC 12 misreads "[" + std::string&& as an overlapping copy.
    std::string message = "[";
    message += rowName;
    message += "] ";
    message += complaint;
    return message;
}

const char* ProxyComplaint(TProxyCheck check) {
    switch (check) {
    case TProxyCheck::NoPort:
        return "Need a proxy port,such as 202.111.123.11:8080";
    case TProxyCheck::NoHost:
        return "Need a proxy";
    case TProxyCheck::BadPort:
        return "Proxy prot must be a number";
    case TProxyCheck::PortOutOfRange:
        return "Proxy port must be a number from 1 to 65535";
    case TProxyCheck::Empty:
    case TProxyCheck::Accepted:
        break;
    }
    return nullptr;
}

// Sets a flag for the lifetime of the scope and restores it afterwards.
class TFlagScope {
  public:
    explicit TFlagScope(bool& flag) : flag_(flag), previous_(std::exchange(flag, true)) {}
    ~TFlagScope() { flag_ = previous_; }
    TFlagScope(const TFlagScope&) = delete;
    TFlagScope& operator=(const TFlagScope&) = delete;

  private:
    bool& flag_;
    bool previous_;
};
} // namespace

const std::array<const char*, TEditForm::RowCount + 1> TEditForm::ExampleHints = {
    "",
    "",
    "Network Setting Example",
    "192.168.0.10",
    "255.255.255.0",
    "192.168.0.1",
    "10.0.0.1",
    "21.0.0.2",
    "220.13.2.4:8080",
};

TEditForm::TEditForm(TProfileTable& adoT, TProfileQuery& adoQ,
                     const std::vector<std::string>& adapterDescriptions, HWND owner)
    : adoT(adoT), adoQ(adoQ), Pop(::CreatePopupMenu()) {
    RegisterFormClass(EditClassName);
    CreateForm(EditClassName, "Network Setting", WS_POPUP | WS_CAPTION | WS_SYSMENU,
               WS_EX_DLGMODALFRAME, 455, 282, owner);
    FormCreate(adapterDescriptions);
    DataChanged();
}

void TEditForm::FormCreate(const std::vector<std::string>& adapterDescriptions) {
    exampleFont_ = AddFont([](LOGFONTA& f) { f.lfUnderline = TRUE; });

    // Creation order is tab order: OK, Cancel, the adapter selector, then row by row.
    HWND bevel = AddControl("STATIC", "", WS_VISIBLE | WS_CLIPSIBLINGS | SS_ETCHEDFRAME, 8, 8, 433,
                            209, idBevel);
    // The frame stays beneath the rows it surrounds.
    ::SetWindowPos(bevel, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    AddControl("BUTTON", "&OK", WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 271, 236, 75, 25,
               idOKBtn);
    SetDefaultButton(idOKBtn);
    AddControl("BUTTON", "&Cancel", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 367, 236, 75, 25,
               idCancelBtn);
    ComboBox = AddControl("COMBOBOX", "", WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST,
                          88, 68, 169, ComboBoxDropDownHeight, idComboBox);

    for (int row = 1; row <= RowCount; ++row)
        CreateRow(row);
    // Left of OK and Cancel, below the frame: the one free place that moves nothing.
    AddControl("BUTTON", "Ad&vanced...", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 8, 236, 75, 25,
               idAdvancedBtn);
    AddControl("BUTTON", "Use &automatically when...", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON,
               89, 236, 160, 25, idUseWhenBtn);

    PlaceControl(fieldLabels_[AdapterRow], LabelLeft, AdapterRowTop, 0, 0);
    PlaceControl(editors_[AdapterRow], EditorLeft, AdapterRowTop, EditorWidth, EditorHeight);
    PlaceComboBox(adapterDescriptions);
}

void TEditForm::CreateRow(int row) {
    const TFieldDef& field = TProfileTable::Fields().at(static_cast<size_t>(row));
    const int top = EditorTop(row);
    fieldLabels_[row] =
        AddLabel(field.Name, LabelLeft, FieldLabelTop(row), 0, 0, idFieldLabel + row);

    // The adapter's editor only holds the record's Adapter text: the adapter selector
    // covers it, so it is neither shown nor reachable with Tab.
    const DWORD shown = row == AdapterRow ? 0 : WS_VISIBLE | WS_TABSTOP;
    editors_[row] = AddControl("EDIT", "", shown | ES_AUTOHSCROLL, EditorLeft, top, EditorWidth,
                               EditorHeight, idEditor + row, WS_EX_CLIENTEDGE);
    ::SendMessageA(editors_[row], EM_LIMITTEXT, static_cast<WPARAM>(field.Size), 0);

    if (HasPickButton(row))
        AddControl("BUTTON", "..", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON,
                   EditorLeft + EditorWidth, top + 2, PickButtonSize, PickButtonSize,
                   idPickButton + row);

    HWND example =
        AddLabel(ExampleHints[row], ExampleLeft, top + 3, exampleFont_, 0, idExampleLabel + row);
    FitInFrame(example, row);
}

// An example wider than designed (a font wider than the designed one) moves left as far
// as its row leaves room, rather than run over the frame.
void TEditForm::FitInFrame(HWND example, int row) {
    RECT bounds{};
    ::GetWindowRect(example, &bounds);
    const int width = ::MulDiv(bounds.right - bounds.left, DesignDpi, Dpi());
    if (ExampleLeft + width <= FrameInsideRight)
        return;
    const int rowEnd = EditorLeft + EditorWidth + (HasPickButton(row) ? PickButtonSize : 0);
    PlaceControl(example, std::max(rowEnd + ExampleGap, FrameInsideRight - width),
                 EditorTop(row) + 3, 0, 0);
}

void TEditForm::PlaceComboBox(const std::vector<std::string>& adapterDescriptions) {
    // Over the adapter's editor, which it stands in for.
    PlaceControl(ComboBox, EditorLeft, AdapterRowTop, ComboBoxWidth, ComboBoxDropDownHeight);
    for (const std::string& description : adapterDescriptions)
        ::SendMessageA(ComboBox, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(description.c_str()));
}

int TEditForm::AdapterIndex() const {
    return static_cast<int>(::SendMessageA(ComboBox, CB_GETCURSEL, 0, 0));
}

void TEditForm::SetAdapterIndex(int index) {
    ::SendMessageA(ComboBox, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

int TEditForm::RowOfField(const std::string& name) const {
    for (int row = 1; row <= RowCount; ++row)
        if (SameText(name, WindowText(fieldLabels_[row])))
            return row;
    return -1;
}

HWND TEditForm::EditorOfField(const std::string& name) const {
    const int row = RowOfField(name);
    return row < 0 ? nullptr : editors_[row];
}

bool TEditForm::Editing() const {
    return adoT.State() != TViewState::Browse;
}

std::string TEditForm::EditorText(int row) const {
    return WindowText(editors_[row]);
}

void TEditForm::SetEditorText(int row, const std::string& text) {
    ::SetWindowTextA(editors_[row], text.c_str());
}

// ---- binding ----------------------------------------------------------------------------

void TEditForm::DataChanged() {
    // A field the dialog writes itself already shows in its editor; reloading now would
    // only move the caret under the user's fingers.
    if (writing_)
        return;
    TFlagScope loading(loading_);
    gatewayPrefill_.Forget(); // another record: whatever its Gateway holds is its own
    for (int row = 1; row <= RowCount; ++row) {
        // A table that failed to open at start-up leaves the dialog empty, not broken.
        const std::string text = adoT.Active() ? adoT.FieldText(FieldName(row)) : std::string();
        if (EditorText(row) != text)
            SetEditorText(row, text);
    }
}

void TEditForm::EditorChange(int row) {
    if (loading_)
        return;
    if (Editing()) {
        TFlagScope writing(writing_);
        adoT.SetFieldText(FieldName(row), EditorText(row));
    }
    if (editors_[row] == EditorOfField("Address"))
        AddressChange();
}

// ---- handlers ---------------------------------------------------------------------------

void TEditForm::FormShow() {
    focusOnActivate_ = TitleRow;
    const std::string proxy = EditorText(ProxyRow);
    const std::string trimmed = Trim(proxy);
    if (trimmed != proxy)
        SetEditorText(ProxyRow, trimmed);
}

void TEditForm::FormActivate() {
    ::SetFocus(editors_[focusOnActivate_]);
}

void TEditForm::Complain(const std::string& message, int row) {
    focusOnActivate_ = row;
    ShowMessage(message);
    // The dialog may or may not be activated again when the box closes.
    FormActivate();
}

void TEditForm::FormPaint() {
    // Nothing to draw: the frame and the rows are controls that paint themselves.
}

void TEditForm::AddressChange() {
    // While browsing, the address changes only because the record shown changed.
    if (!Editing())
        return;
    const int gatewayRow = RowOfField("GateWay");
    if (const auto filled = gatewayPrefill_.AfterAddressChange(WindowText(EditorOfField("Address")),
                                                               EditorText(gatewayRow)))
        SetEditorText(gatewayRow, *filled);
}

// "/24" typed as the mask becomes the mask it stands for, 255.255.255.0.
void TEditForm::TakePrefixAsMask() {
    if (const std::string mask = MaskOfPrefixText(EditorText(SubmaskRow)); !mask.empty())
        SetEditorText(SubmaskRow, mask);
}

bool TEditForm::TextsFitCodePage() {
    for (int row = TitleRow; row <= RowCount; ++row)
        if (TextLeavesCodePage(editors_[row])) {
            Complain(LacksCodePageComplaint(WindowText(fieldLabels_[row])), row);
            return false;
        }
    return true;
}

bool TEditForm::RefuseTypedCharacter(HWND control) {
    for (int row = TitleRow; row <= RowCount; ++row)
        if (editors_[row] == control) {
            Complain(LacksCodePageComplaint(WindowText(fieldLabels_[row])), row);
            return true;
        }
    return false;
}

// The checks pass; values Windows itself would refuse are stored only when the user says so.
bool TEditForm::StoreAnywayWhenWindowsRefuses() {
    const auto text = [this](const char* name) { return WindowText(EditorOfField(name)); };
    const std::vector<std::string> warnings = AddressWarnings(
        {text("Address"), text("Submask"), text("GateWay"), text("DNS1"), text("DNS2")});
    if (warnings.empty())
        return true;
    const bool store = ShowMessageBox(Handle(), StoreAnywayQuestion(warnings), ApplicationTitle(),
                                      MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES;
    if (!store)
        FormActivate();
    return store;
}

void TEditForm::OKBtnClick() {
    // The caller stores the adapter at the selected position; without one there is none.
    if (AdapterIndex() < 0) {
        Complain(NoAdapterMessage, TitleRow);
        return;
    }
    if (!TextsFitCodePage())
        return;
    TakePrefixAsMask();
    // A gateway left as the editor filled it in was never given: it is stored empty.
    const int gatewayRow = RowOfField("GateWay");
    if (const std::string given = gatewayPrefill_.Given(EditorText(gatewayRow));
        given != EditorText(gatewayRow))
        SetEditorText(gatewayRow, given);
    for (int row = FirstAddressRow; row <= LastAddressRow; ++row) {
        const std::string address = Trim(EditorText(row));
        if (address.empty())
            continue;
        if (!IsValidIP(address)) {
            Complain(RowMessage(WindowText(fieldLabels_[row]), "is not a valid IP"), TitleRow);
            return;
        }
        // The one message that sends the user to its own field: the others keep the Title.
        if (row == SubmaskRow && !IsSubnetMask(address)) {
            Complain(RowMessage(WindowText(fieldLabels_[row]), NotAMaskComplaint), row);
            return;
        }
    }
    if (const char* complaint = ProxyComplaint(CheckProxy(EditorText(ProxyRow)))) {
        Complain(complaint, TitleRow);
        return;
    }
    if (!ExtrasFitTheAddress())
        return;
    if (!StoreAnywayWhenWindowsRefuses())
        return;
    SetModalResult(mrOk);
}

TOwnAddress TEditForm::OwnAddress() const {
    const auto text = [this](const char* name) { return WindowText(EditorOfField(name)); };
    return {text("Address"), text("Submask"), text("GateWay")};
}

// The address or gateway may have changed since the extras were accepted beside them.
bool TEditForm::ExtrasFitTheAddress() {
    if (!adoT.Active())
        return true;
    const std::string complaint =
        TExtrasEditing(OwnAddress(), adoT.FieldExtras()).Complaint();
    if (complaint.empty())
        return true;
    Complain(complaint, TitleRow);
    return false;
}

void TEditForm::AdvancedBtnClick() {
    const TSettingExtras extras = adoT.Active() ? adoT.FieldExtras() : TSettingExtras{};
    TAdvancedForm dialog(OwnAddress(), extras, Handle());
    // While browsing there is no pending record to keep them in: the dialog only shows them.
    if (dialog.ShowModal(Handle()) == mrOk && Editing())
        adoT.SetFieldExtras(dialog.Extras());
}

void TEditForm::UseWhenBtnClick() {
    TSettingExtras extras = adoT.Active() ? adoT.FieldExtras() : TSettingExtras{};
    const int adapter = AdapterIndex();
    TUseWhenForm::TNetworkSource network;
    if (networkFacts_ && adapter >= 0)
        network = [this, adapter] { return networkFacts_(adapter); };
    TUseWhenForm dialog(extras.UseWhen, network, Handle());
    // While browsing there is no pending record to keep them in: the dialog only shows them.
    if (dialog.ShowModal(Handle()) == mrOk && Editing()) {
        extras.UseWhen = dialog.Conditions();
        adoT.SetFieldExtras(extras);
    }
}

// ---- pick lists -------------------------------------------------------------------------

std::vector<std::string> TEditForm::PresetsFor(const std::string& name) {
    if (SameText(name, "Submask")) {
        // Every prefix a network of more than one computer has, the shortest first.
        std::vector<std::string> masks;
        for (int length = 8; length <= 32; ++length)
            masks.push_back(MaskOfPrefix(length));
        return masks;
    }
    if (!SameText(name, "DNS1") && !SameText(name, "DNS2") && !SameText(name, "Proxy"))
        return {};
    // The query leaves empty values out.
    std::vector<std::string> used = adoQ.DistinctValues(name);
    if (used.empty())
        used.push_back("0.0.0.0");
    return used;
}

void TEditForm::ClearPresets() {
    while (::GetMenuItemCount(Pop.get()) > 0)
        ::DeleteMenu(Pop.get(), 0, MF_BYPOSITION);
    presets_.clear();
}

void TEditForm::AddPreset(const std::string& text, int row) {
    presets_.push_back({text, row});
    std::string caption = MenuCaption(text);
    // A mask shows its prefix length beside it, as a menu shows a key.
    if (row == SubmaskRow) {
        caption += "\t/";
        caption += std::to_string(PrefixLengthOf(text));
    }
    // Commands count from 1: the menu answers 0 when nothing was chosen.
    ::AppendMenuA(Pop.get(), MF_STRING, presets_.size(), caption.c_str());
}

void TEditForm::PickButtonClick(HWND button) {
    const int row = ::GetDlgCtrlID(button) - idPickButton;
    RECT bounds{};
    ::GetWindowRect(button, &bounds);
    const POINT bottomLeft{bounds.left, bounds.bottom};

    // Rebuilt at each press: the stored values may have changed since the last one.
    ClearPresets();
    for (const std::string& text : PresetsFor(WindowText(fieldLabels_[row])))
        AddPreset(text, row);
    if (presets_.empty())
        return;
    if (const int command = TrackPopup(Pop.get(), bottomLeft))
        PresetClick(command);
}

void TEditForm::PresetClick(int command) {
    if (command < 1 || command > static_cast<int>(presets_.size()))
        return;
    const TPreset chosen = presets_[static_cast<size_t>(command - 1)];
    SetEditorText(chosen.Row, chosen.Text);
}

int TEditForm::TrackPopup(HMENU menu, POINT screenPoint) const {
    if (trackPopup_)
        return trackPopup_(menu, screenPoint);
    return static_cast<int>(::TrackPopupMenu(
        menu, TPM_RETURNCMD | TPM_NONOTIFY | TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON,
        screenPoint.x, screenPoint.y, 0, Handle(), nullptr));
}

// ---- messages ---------------------------------------------------------------------------

LRESULT TEditForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        const int code = HIWORD(wParam);
        if (id == idOKBtn && code == BN_CLICKED) {
            OKBtnClick();
            return 0;
        }
        if (id == idAdvancedBtn && code == BN_CLICKED) {
            AdvancedBtnClick();
            return 0;
        }
        if (id == idUseWhenBtn && code == BN_CLICKED) {
            UseWhenBtnClick();
            return 0;
        }
        if (id == idEditor + SubmaskRow && code == EN_KILLFOCUS) {
            TakePrefixAsMask();
            return 0;
        }
        if (id > idEditor && id <= idEditor + RowCount && code == EN_CHANGE) {
            EditorChange(id - idEditor);
            return 0;
        }
        if (id > idPickButton && id <= idPickButton + RowCount && code == BN_CLICKED) {
            PickButtonClick(reinterpret_cast<HWND>(lParam));
            return 0;
        }
        break;
    }
    case WM_SHOWWINDOW:
        if (wParam)
            FormShow();
        break;
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE) {
            FormActivate();
            return 0;
        }
        break;
    case WM_PAINT:
        FormPaint();
        break;
    case WM_CTLCOLORSTATIC:
        if (reinterpret_cast<HWND>(lParam) == fieldLabels_[AdapterRow]) {
            HDC dc = reinterpret_cast<HDC>(wParam);
            ::SetTextColor(dc, AdapterLabelColour);
            ::SetBkMode(dc, TRANSPARENT);
            return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
        }
        break;
    default:
        break;
    }
    return TForm::HandleMessage(message, wParam, lParam);
}
