#pragma once
// The profile editor: the modal "Network Setting" dialog in which the user types or picks
// the values of one network setting. It edits the main window's pending record directly;
// the caller begins the record before showing it and posts or cancels it afterwards.

#include "editor/ExtrasEditing.h"
#include "editor/GatewayPrefill.h"
#include "netcfg/UseWhen.h"
#include "store/ProfileStore.h"
#include "support/Forms.h"
#include "support/WinHandles.h"

#include <array>
#include <functional>
#include <string>
#include <vector>

class TEditForm : public TForm {
  public:
    // One row per field of the profile table after its key: Adapter .. Proxy.
    static constexpr int RowCount = 8;
    // Indexed by row; entry 0 belongs to no row.
    using TRowControls = std::array<HWND, RowCount + 1>;
    static const std::array<const char*, RowCount + 1> ExampleHints;

    // Creates the hidden dialog over the main window's table and query, with a copy of
    // the main window's adapter descriptions, position for position.
    TEditForm(TProfileTable& adoT, TProfileQuery& adoQ,
              const std::vector<std::string>& adapterDescriptions, HWND owner);

    // The dialog's adapter selection (-1: none).
    int AdapterIndex() const;
    void SetAdapterIndex(int index);

    // The main window calls this whenever the table's current record or state changes:
    // the editors show the record again.
    void DataChanged();

    const TRowControls& Editors() const { return editors_; }
    const TRowControls& FieldLabels() const { return fieldLabels_; }
    // The row whose field label reads name (any case), or -1.
    int RowOfField(const std::string& name) const;
    // That row's editor, or nullptr.
    HWND EditorOfField(const std::string& name) const;

    // How the pick menu is shown: returns the chosen item's command, 0 for none.
    // Production tracks the menu at the point; a test reads the items and chooses.
    using TPopupTracker = std::function<int(HMENU menu, POINT screenPoint)>;
    void SetPopupTracker(TPopupTracker tracker) { trackPopup_ = std::move(tracker); }

    // Control ids, for tests; a row's controls are the base id + row.
    enum : int {
        idOKBtn = IDOK,
        idCancelBtn = IDCANCEL,
        idComboBox = 100,
        idBevel,
        idFieldLabel = 110,
        idEditor = 120,
        idPickButton = 130,
        idExampleLabel = 140,
        idAdvancedBtn = 150,
        idUseWhenBtn,
    };

    // Shown when OK is pressed with no adapter selected in the dialog.
    static constexpr const char* NoAdapterMessage = "Select an adapter first";
    // Follows "[Submask] " when the mask's ones and zeros are mixed (255.0.255.0).
    static constexpr const char* NotAMaskComplaint = "is not a valid subnet mask";

    // Event handlers.
    void FormShow();
    void FormActivate();
    void FormPaint();
    void OKBtnClick();
    // The setting's further addresses and gateways, in their own dialog; what its OK keeps
    // goes to the pending record.
    void AdvancedBtnClick();
    // The conditions under which the setting is used by itself, in their own dialog; what its
    // OK keeps goes to the pending record.
    void UseWhenBtnClick();
    // What an adapter's network looks like now (by its position in the adapter box), for
    // "From this network"; without it the button is off.
    using TNetworkFactsSource = std::function<TNetworkFacts(int adapterIndex)>;
    void SetNetworkFactsSource(TNetworkFactsSource source) { networkFacts_ = std::move(source); }
    void PickButtonClick(HWND button);
    void PresetClick(int command);
    void AddressChange();
    void AddPreset(const std::string& text, int row);

  protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    // Said as OK says it of a pasted text.
    bool RefuseTypedCharacter(HWND control) override;

  private:
    struct TPreset {
        std::string Text;
        int Row;
    };

    void FormCreate(const std::vector<std::string>& adapterDescriptions);
    void CreateRow(int row);
    void FitInFrame(HWND example, int row);
    void PlaceComboBox(const std::vector<std::string>& adapterDescriptions);
    void EditorChange(int row);
    std::vector<std::string> PresetsFor(const std::string& name);
    void ClearPresets();
    // Puts text into a row's editor as if typed: it reaches the record from there.
    void SetEditorText(int row, const std::string& text);
    std::string EditorText(int row) const;
    bool Editing() const;
    // Shows a check's message; the focus then goes to the row's editor.
    void Complain(const std::string& message, int row);
    int TrackPopup(HMENU menu, POINT screenPoint) const;
    // The checks of OK beyond the original's: each says why and returns false to stay.
    void TakePrefixAsMask();
    bool TextsFitCodePage();
    bool StoreAnywayWhenWindowsRefuses();
    bool ExtrasFitTheAddress();
    TOwnAddress OwnAddress() const;

    TProfileTable& adoT;
    TProfileQuery& adoQ;
    HWND ComboBox = nullptr;
    TRowControls editors_{};
    TRowControls fieldLabels_{};
    UniqueMenu Pop;
    std::vector<TPreset> presets_;
    TPopupTracker trackPopup_;
    TNetworkFactsSource networkFacts_;
    int exampleFont_ = 0;
    // The row whose editor takes the focus whenever the dialog becomes active.
    int focusOnActivate_ = 2; // the Title row
    // Set while the editors are refilled from the record, so that nothing is written back.
    bool loading_ = false;
    // Set while the dialog writes a field, so that the change it causes reloads nothing.
    bool writing_ = false;
    // What the Gateway pre-fill put there for this record.
    TGatewayPrefill gatewayPrefill_;
};
