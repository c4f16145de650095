// The conditions dialog of the editor: filled from the adapter's network, an entry added and
// one refused, one removed; what OK keeps is stored with the setting. Its layout at the
// prefix's DPI.

#include "MainWindowFixture.h"

#include "editor/UAdvanced.h"
#include "editor/UUseWhen.h"

#include <gtest/gtest.h>

namespace {

const std::string AdapterId = "{44444444-2222-3333-4444-555555555511}";

std::vector<std::string> ConditionRows(HWND dialog) {
    HWND list = ::GetDlgItem(dialog, TUseWhenForm::idList);
    std::vector<std::string> rows;
    for (int row = 0; row < ::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0); ++row)
        rows.push_back(ListViewText(list, row, 0) + "=" + ListViewText(list, row, 1));
    return rows;
}

class UseWhenForm : public TMainWindowTest {
  protected:
    UseWhenForm() : TMainWindowTest({{AdapterId, "Plant Ethernet"}}) {}

    // Opens the editor with command and the conditions dialog from it; inDialog runs there.
    void InConditions(int command, const std::function<void(HWND)>& inDialog, int button) {
        TModalScript editor("TEditForm", [&](HWND edit) {
            if (command == TMainForm::acAdd)
                for (const auto& [field, text] : {std::pair{"Title", "Plant floor"},
                                                  {"Address", "10.1.4.20"},
                                                  {"Submask", "255.255.0.0"},
                                                  {"Gateway", "10.1.0.1"}})
                    ::SendMessageA(program_->EditForm().EditorOfField(field), WM_SETTEXT, 0,
                                   reinterpret_cast<LPARAM>(text));
            TModalScript conditions("TUseWhenForm", [&](HWND dialog) {
                inDialog(dialog);
                Click(::GetDlgItem(dialog, button));
            });
            Click(::GetDlgItem(edit, TEditForm::idUseWhenBtn));
            EXPECT_TRUE(conditions.Ran());
            SaveShot(edit, "h-editor");
            Click(::GetDlgItem(edit, IDOK));
        });
        Command(command);
        EXPECT_TRUE(editor.Ran());
    }
};

} // namespace

TEST_F(UseWhenForm, TakesTheNetworkAddsAndRemovesConditionsAndStoresThemWithTheSetting) {
    Start();
    TNetworkFacts plant;
    plant.State.Present = plant.State.Up = true;
    plant.State.Gateways = {"10.1.0.1"};
    plant.State.DnsSuffix = "plant.example";
    plant.GatewayMacs = {"00-1A-2B-3C-4D-5E"};
    int asked = -1;
    program_->EditForm().SetNetworkFactsSource([&](int adapter) {
        asked = adapter;
        return plant;
    });
    TMessageBoxRecorder boxes;
    InConditions(
        TMainForm::acAdd,
        [&](HWND dialog) {
            Click(::GetDlgItem(dialog, TUseWhenForm::idFromNetwork));
            EXPECT_EQ((std::vector<std::string>{"gateway=10.1.0.1", "gatewaymac=00-1A-2B-3C-4D-5E",
                                                "dnssuffix=plant.example"}),
                      ConditionRows(dialog));
            for (const auto& [kind, value] :
                 {std::pair{"Subnet", "10.1.0.0/16"}, {"gatway", "1"}}) {
                TModalScript entry("TEntryForm", [&](HWND box) {
                    ::SendMessageA(::GetDlgItem(box, TEntryForm::idFirst), WM_SETTEXT, 0,
                                   reinterpret_cast<LPARAM>(kind));
                    ::SendMessageA(::GetDlgItem(box, TEntryForm::idSecond), WM_SETTEXT, 0,
                                   reinterpret_cast<LPARAM>(value));
                    Click(::GetDlgItem(box, IDOK));
                    if (kind[0] == 'g') // refused: the entry stays open
                        Click(::GetDlgItem(box, IDCANCEL));
                });
                Click(::GetDlgItem(dialog, TUseWhenForm::idAdd));
                EXPECT_TRUE(entry.Ran()) << kind;
            }
            // The selection follows the added entry; the hardware address goes.
            ListView_SetItemState(::GetDlgItem(dialog, TUseWhenForm::idList), 1,
                                  LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
            Click(::GetDlgItem(dialog, TUseWhenForm::idRemove));
            SaveShot(dialog, "h-conditions");
        },
        IDOK);
    EXPECT_EQ(0, asked); // the editor's adapter
    EXPECT_EQ((std::vector<std::string>{"Condition 1 \"gatway=1\": \"gatway\" is no kind of "
                                        "condition (one of gateway, gatewaymac, dhcpserver, "
                                        "dnssuffix, subnet, ssid, adapter)"}),
              boxes.Texts());
    ASSERT_EQ(1, Form().adoT.RowCount());
    EXPECT_EQ("gateway=10.1.0.1;dnssuffix=plant.example;subnet=10.1.0.0/16",
              Form().adoT.Extras(0).UseWhen);
    SaveShot(Form().Handle(), "h-grid-mark");

    // Cancel keeps what was stored.
    InConditions(
        TMainForm::acEdit,
        [&](HWND dialog) {
            EXPECT_EQ(3u, ConditionRows(dialog).size());
            Click(::GetDlgItem(dialog, TUseWhenForm::idRemove));
        },
        IDCANCEL);
    EXPECT_EQ("gateway=10.1.0.1;dnssuffix=plant.example;subnet=10.1.0.0/16",
              Form().adoT.Extras(0).UseWhen);

    // A text the reader refuses (another program's) is said once and kept through OK.
    TSettingExtras unreadable;
    unreadable.UseWhen = "gatway=10.1.0.1";
    Form().adoT.Edit();
    Form().adoT.SetFieldExtras(unreadable);
    Form().adoT.Post();
    TMessageBoxRecorder said;
    InConditions(
        TMainForm::acEdit, [&](HWND dialog) { EXPECT_TRUE(ConditionRows(dialog).empty()); }, IDOK);
    ASSERT_EQ(1u, said.Texts().size());
    EXPECT_EQ(0u,
              said.Texts()[0].find("The stored conditions cannot be read, so they never match"));
    EXPECT_EQ("gatway=10.1.0.1", Form().adoT.Extras(0).UseWhen);
}

TEST_F(UseWhenForm, LaysOutAsDesigned) {
    Start();
    InConditions(
        TMainForm::acAdd,
        [&](HWND dialog) {
            EXPECT_TRUE(IsScaled(360, ClientSize(dialog).cx) &&
                        IsScaled(292, ClientSize(dialog).cy));
            EXPECT_TRUE(IsScaledRect({8, 40, 352, 170},
                                     ChildBounds(::GetDlgItem(dialog, TUseWhenForm::idList))));
            EXPECT_TRUE(
                IsScaledRect({277, 258, 352, 283}, ChildBounds(::GetDlgItem(dialog, IDCANCEL))));
            EXPECT_TRUE(ChildrenInsideClientAreas(dialog));
        },
        IDCANCEL);
}
