#include "MainWindowFixture.h"
#include "ReadBack.h"

#include "netcfg/SwitchCheck.h"
#include "support/FileSystem.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

namespace {

const std::string FirstId = "{33333333-2222-3333-4444-555555555501}";
const std::string SecondId = "{33333333-2222-3333-4444-555555555502}";

class Commands : public TMainWindowTest {
  protected:
    Commands() : TMainWindowTest({{FirstId, "First Ethernet"}, {SecondId, "Second Ethernet"}}) {}

    // What a user does in the editor: pick the adapter, type into the fields, press a button.
    std::function<void(HWND)> FillIn(int adapter, std::map<std::string, std::string> values,
                                     int button = IDOK) {
        return [this, adapter, values, button](HWND dialog) {
            TEditForm& edit = program_->EditForm();
            if (adapter >= -1) {
                HWND combo = ::GetDlgItem(dialog, TEditForm::idComboBox);
                ::SendMessageA(combo, CB_SETCURSEL, adapter, 0);
                ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(TEditForm::idComboBox, CBN_SELCHANGE),
                               reinterpret_cast<LPARAM>(combo));
            }
            for (const auto& [field, text] : values)
                ::SendMessageA(edit.EditorOfField(field), WM_SETTEXT, 0,
                               reinterpret_cast<LPARAM>(text.c_str()));
            Click(::GetDlgItem(dialog, button));
        };
    }
    std::string EditorText(const char* field) const {
        return TextOf(program_->EditForm().EditorOfField(field));
    }
};

constexpr int KeepAdapter = -2;

} // namespace

TEST_F(Commands, AddStoresTheSettingForTheAdapterPickedInTheDialog) {
    Start(); // the first adapter is selected
    TMessageBoxRecorder boxes;
    {
        TModalScript editor("TEditForm", FillIn(1, {{"Title", "Lab"},
                                                    {"Address", "192.168.7.20"},
                                                    {"Submask", "255.255.255.0"},
                                                    {"Gateway", "192.168.7.1"},
                                                    {"DNS1", "192.168.7.1"},
                                                    {"Proxy", "lab-proxy:3128"}}));
        Command(TMainForm::acAdd);
        EXPECT_TRUE(editor.Ran());
    }
    EXPECT_TRUE(boxes.Boxes().empty());
    const std::vector<TStoredSetting> rows = RowsInFile(Db());
    ASSERT_EQ(1u, rows.size());
    EXPECT_EQ(SecondId, rows[0].Adapter);
    EXPECT_EQ("Lab", rows[0].Title);
    EXPECT_EQ("192.168.7.20", rows[0].Address);
    EXPECT_EQ("192.168.7.1", rows[0].Gateway);
    EXPECT_EQ("lab-proxy:3128", rows[0].Proxy);
    // The grid still shows the first adapter's settings: none.
    EXPECT_EQ(0, GridRows());
}

TEST_F(Commands, EditChangesTheStoredRowAndCancelChangesNothing) {
    StoreSettings(Db(),
                  {{SecondId, "Lab", "192.168.7.20", "255.255.255.0", "192.168.7.1", "", "", ""}});
    Start();
    PickAdapter(1);
    {
        TModalScript editor("TEditForm", [this](HWND dialog) {
            // The dialog shows the row and the main window's adapter.
            EXPECT_EQ("Lab", EditorText("Title"));
            EXPECT_EQ(1, program_->EditForm().AdapterIndex());
            FillIn(KeepAdapter, {{"Title", "Lab 2"}, {"Gateway", "192.168.7.254"}})(dialog);
        });
        Command(TMainForm::acEdit);
    }
    std::vector<TStoredSetting> rows = RowsInFile(Db());
    ASSERT_EQ(1u, rows.size());
    EXPECT_EQ("Lab 2", rows[0].Title);
    EXPECT_EQ("192.168.7.254", rows[0].Gateway);
    EXPECT_EQ(SecondId, rows[0].Adapter);

    for (int command : {TMainForm::acEdit, TMainForm::acAdd}) {
        TModalScript editor("TEditForm", FillIn(0, {{"Title", "Discarded"}}, IDCANCEL));
        Command(command);
        EXPECT_TRUE(editor.Ran());
    }
    EXPECT_EQ(rows, RowsInFile(Db()));
    EXPECT_EQ(TViewState::Browse, Form().adoT.State());
}

TEST_F(Commands, DeleteAsksAndRemovesTheRowFromTheFileOnlyOnYes) {
    StoreSettings(Db(), {{FirstId, "Home", "10.0.0.5", "255.0.0.0", "", "", "", ""},
                         {FirstId, "Office", "10.0.1.5", "255.0.0.0", "", "", "", ""}});
    Start();
    {
        TMessageBoxRecorder boxes({IDNO});
        Command(TMainForm::acDelete);
        ASSERT_EQ(1u, boxes.Boxes().size());
        EXPECT_EQ("Delete now?", boxes.Boxes()[0].Text);
        EXPECT_EQ("Confirm", boxes.Boxes()[0].Caption);
        EXPECT_EQ(2u, RowsInFile(Db()).size());
    }
    {
        TMessageBoxRecorder boxes({IDYES});
        Command(TMainForm::acDelete);
        const std::vector<TStoredSetting> rows = RowsInFile(Db());
        ASSERT_EQ(1u, rows.size());
        EXPECT_EQ("Office", rows[0].Title);
    }
}

TEST_F(Commands, OnAnEmptyViewNoDialogAndNoConfirmationOnlyNoItem) {
    Start();
    TMessageBoxRecorder boxes({IDYES, IDYES, IDYES});
    TModalScript editor(
        "TEditForm", [](HWND dialog) { ::PostMessageA(dialog, WM_CLOSE, 0, 0); }, 3000);
    for (int command : {TMainForm::acEdit, TMainForm::acDelete, TMainForm::acChange})
        Command(command);
    EXPECT_FALSE(editor.Ran());
    EXPECT_EQ((std::vector<std::string>{"No item!", "No item!", "No item!"}), boxes.Texts());
    for (const auto& box : boxes.Boxes()) {
        EXPECT_EQ(ApplicationTitle(), box.Caption);
        EXPECT_EQ(static_cast<UINT>(MB_OK), box.Flags);
    }
}

TEST_F(Commands, AFailedStoreIsReportedAndTheDialogComesBackWithWhatWasTyped) {
    StoreSettings(Db(), {{FirstId, "Home", "10.0.0.5", "255.0.0.0", "", "", "", ""}});
    Start();
    const std::vector<TStoredSetting> before = RowsInFile(Db());
    // Longer than the column takes (the editor's own limit stops typing, not a paste).
    const std::string tooLong = "A title far longer than twenty characters";
    struct Case {
        int command;
        TViewState pending;
        int secondButton; // what the user does when the dialog is back
    } cases[] = {
        {TMainForm::acAdd, TViewState::Insert, IDOK},
        {TMainForm::acAdd, TViewState::Insert, IDCANCEL},
        {TMainForm::acEdit, TViewState::Edit, IDCANCEL},
        {TMainForm::acEdit, TViewState::Edit, IDOK}, // last: the row moves to the other adapter
    };
    for (const auto& c : cases) {
        const std::string what =
            std::to_string(c.command) + (c.secondButton == IDOK ? " corrected" : " cancelled");
        const std::vector<TStoredSetting> start = RowsInFile(Db());
        TMessageBoxRecorder boxes;
        // The later script takes the second showing.
        TModalScript second("TEditForm", [&](HWND dialog) {
            ASSERT_EQ(1u, boxes.Boxes().size()) << what;
            EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONERROR), boxes.Boxes()[0].Flags);
            EXPECT_NE(std::string::npos, boxes.Boxes()[0].Text.find("Title"))
                << boxes.Boxes()[0].Text;
            // Everything as typed, still pending, and the file untouched.
            EXPECT_EQ(tooLong, EditorText("Title")) << what;
            EXPECT_EQ("172.16.0.9", EditorText("Address")) << what;
            EXPECT_EQ(1, program_->EditForm().AdapterIndex()) << what;
            EXPECT_EQ(c.pending, Form().adoT.State()) << what;
            EXPECT_EQ(start, RowsInFile(Db())) << what;
            FillIn(KeepAdapter, {{"Title", "Fixed"}}, c.secondButton)(dialog);
        });
        TModalScript first(
            "TEditForm",
            FillIn(1, {{"Title", tooLong}, {"Address", "172.16.0.9"}, {"Gateway", "172.16.0.1"}}));
        Command(c.command);
        EXPECT_TRUE(second.Ran()) << what;
        EXPECT_EQ(1u, boxes.Boxes().size()) << what;
        EXPECT_EQ(TViewState::Browse, Form().adoT.State()) << what;
        const std::vector<TStoredSetting> rows = RowsInFile(Db());
        if (c.secondButton == IDCANCEL) {
            EXPECT_EQ(start, rows) << what;
            continue;
        }
        const TStoredSetting& stored = c.command == TMainForm::acAdd ? rows.back() : rows.front();
        EXPECT_EQ(c.command == TMainForm::acAdd ? start.size() + 1 : start.size(), rows.size());
        EXPECT_EQ("Fixed", stored.Title) << what;
        EXPECT_EQ("172.16.0.9", stored.Address) << what;
        EXPECT_EQ(SecondId, stored.Adapter) << what;
    }
    EXPECT_NE(before, RowsInFile(Db()));
}

TEST_F(Commands, WithoutAdaptersTheDialogWillNotStoreASettingForNone) {
    adapters_.RemoveAll();
    Start();
    TMessageBoxRecorder boxes;
    TModalScript editor("TEditForm", [this](HWND dialog) {
        FillIn(KeepAdapter, {{"Title", "Orphan"}})(dialog); // OK, with no adapter to pick
        FlushEvents();
        EXPECT_TRUE(::IsWindowVisible(dialog));
        Click(::GetDlgItem(dialog, IDCANCEL));
    });
    Command(TMainForm::acAdd);
    EXPECT_EQ((std::vector<std::string>{TEditForm::NoAdapterMessage}), boxes.Texts());
    EXPECT_TRUE(RowsInFile(Db()).empty());
}

TEST_F(Commands, TheWholeCycleSurvivesARestart) {
    Start();
    PickAdapter(1);
    {
        TModalScript editor("TEditForm", FillIn(KeepAdapter, {{"Title", "Customer"},
                                                              {"Address", "172.16.4.9"},
                                                              {"Gateway", "172.16.0.1"},
                                                              {"Submask", "255.255.0.0"}}));
        Command(TMainForm::acAdd);
    }
    TMessageBoxRecorder boxes;
    Command(TMainForm::acChange);
    // Wine's IP helper does not have the adapter: the values wait for it.
    EXPECT_EQ((std::vector<std::string>{NotPresentMessage("Second Ethernet")}),
              boxes.Texts());
    EXPECT_EQ(1, Restart().SelectedAdapter());
    EXPECT_EQ(1, GridRows());
    EXPECT_EQ("Index=1\r\nAdapterId=" + SecondId + "\r\n", GetFile(dir_ / "config.ini"));
    ASSERT_EQ(1u, RowsInFile(Db()).size());
    EXPECT_EQ(SecondId, RowsInFile(Db())[0].Adapter);
}

TEST_F(Commands, ToolbarAcceleratorsRunTheirCommands) {
    Start();
    TModalScript editor("TEditForm", [](HWND dialog) { Click(::GetDlgItem(dialog, IDCANCEL)); });
    MSG altA{};
    altA.hwnd = Form().DBGrid;
    altA.message = WM_SYSCHAR;
    altA.wParam = 'a';
    altA.lParam = 1 << 29; // Alt held
    EXPECT_TRUE(Form().TranslateAccelerator(altA));
    FlushEvents();
    EXPECT_TRUE(editor.Ran());
    EXPECT_EQ(TViewState::Browse, Form().adoT.State());
}

// The dialogs are made when first shown, not at start; what the editor takes from the main
// window then (the adapters in their positions, the current row, the stored values of its
// pick lists, the focus) is what it would have held had it been made at start.
TEST_F(Commands, TheDialogsAreMadeWhenFirstShownHoldingWhatTheyWouldHaveTakenAtStart) {
    StoreSettings(Db(), {{SecondId, "Lab", "192.168.7.20", "255.255.255.0", "", "9.9.9.9", "", ""},
                         {SecondId, "Lab 2", "192.168.8.20", "255.255.255.0", "", "", "", ""}});
    Start();
    EXPECT_FALSE(program_->EditFormMade());
    EXPECT_FALSE(program_->AboutFormMade());
    EXPECT_EQ(nullptr, ::FindWindowA("TEditForm", nullptr));

    PickAdapter(1);
    ListView_SetItemState(Form().DBGrid, 1, LVIS_SELECTED | LVIS_FOCUSED,
                          LVIS_SELECTED | LVIS_FOCUSED);
    FlushEvents();
    std::vector<std::string> dnsPicks;
    {
        TModalScript editor("TEditForm", [&](HWND dialog) {
            TEditForm& edit = program_->EditForm();
            HWND combo = ::GetDlgItem(dialog, TEditForm::idComboBox);
            EXPECT_EQ(Form().AdapterDescriptions(),
                      std::vector<std::string>({"First Ethernet", "Second Ethernet"}));
            ASSERT_EQ(2, ::SendMessageA(combo, CB_GETCOUNT, 0, 0));
            EXPECT_EQ("Second Ethernet", TextOf(combo));
            EXPECT_EQ(1, edit.AdapterIndex());
            EXPECT_EQ("Lab 2", EditorText("Title"));
            EXPECT_EQ("192.168.8.20", EditorText("Address"));
            EXPECT_EQ(edit.EditorOfField("Title"), ::GetFocus());
            edit.SetPopupTracker([&](HMENU menu, POINT) {
                for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
                    char text[64] = {};
                    ::GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
                    dnsPicks.push_back(text);
                }
                return 0;
            });
            Click(::GetDlgItem(dialog, TEditForm::idPickButton + edit.RowOfField("DNS1")));
            Click(::GetDlgItem(dialog, IDCANCEL));
        });
        Command(TMainForm::acEdit);
        EXPECT_TRUE(editor.Ran());
    }
    EXPECT_TRUE(program_->EditFormMade());
    EXPECT_NE(dnsPicks.end(), std::find(dnsPicks.begin(), dnsPicks.end(), "9.9.9.9"));

    {
        TModalScript about("TAboutForm", [](HWND dialog) { Click(::GetDlgItem(dialog, IDOK)); });
        Command(TMainForm::idAboutButton);
        EXPECT_TRUE(about.Ran());
    }
    EXPECT_TRUE(program_->AboutFormMade());
}
