#include "MainWindowFixture.h"

#include "editor/UAdvanced.h"

#include <gtest/gtest.h>

#include <map>

namespace {

const std::string AdapterId = "{44444444-2222-3333-4444-555555555501}";

using TRows = std::vector<std::vector<std::string>>;

TRows RowsOf(HWND list) {
    TRows rows;
    const int count = static_cast<int>(::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < count; ++row)
        rows.push_back({ListViewText(list, row, 0), ListViewText(list, row, 1)});
    return rows;
}

void Type(HWND editor, const std::string& text) {
    ::SendMessageA(editor, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void SelectRow(HWND list, int row) {
    LVITEMA item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = item.stateMask;
    ::SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

// Presses button in the Advanced dialog and types the entry into the dialog it opens, then
// OK; a refused entry keeps that dialog open, and Cancel closes it.
void PutEntry(HWND advanced, int button, const std::string& first, const std::string& second,
              bool refused = false) {
    TModalScript entry("TEntryForm", [&](HWND dialog) {
        Type(::GetDlgItem(dialog, TEntryForm::idFirst), first);
        Type(::GetDlgItem(dialog, TEntryForm::idSecond), second);
        SaveShot(dialog, "advanced-entry");
        Click(::GetDlgItem(dialog, IDOK));
        if (refused)
            Click(::GetDlgItem(dialog, IDCANCEL));
    });
    Click(::GetDlgItem(advanced, button));
    EXPECT_TRUE(entry.Ran()) << first;
}

class AdvancedForm : public TMainWindowTest {
  protected:
    AdvancedForm() : TMainWindowTest({{AdapterId, "First Ethernet"}}) {}

    HWND Editor(const char* field) { return program_->EditForm().EditorOfField(field); }

    // Opens the editor with command, runs inEditor in it, presses button.
    void InEditor(int command, const std::function<void(HWND)>& inEditor, int button) {
        TModalScript editor("TEditForm", [&](HWND dialog) {
            inEditor(dialog);
            Click(::GetDlgItem(dialog, button));
        });
        Command(command);
        EXPECT_TRUE(editor.Ran());
    }
    // Presses the editor's Advanced button, runs inAdvanced in the dialog, presses button.
    void InAdvanced(HWND editor, const std::function<void(HWND)>& inAdvanced, int button) {
        TModalScript advanced("TAdvancedForm", [&](HWND dialog) {
            inAdvanced(dialog);
            Click(::GetDlgItem(dialog, button));
        });
        Click(::GetDlgItem(editor, TEditForm::idAdvancedBtn));
        EXPECT_TRUE(advanced.Ran());
    }
    void FillSetting() {
        Type(Editor("Title"), "Machines and office");
        Type(Editor("Address"), "192.168.0.10");
        Type(Editor("Submask"), "255.255.255.0");
        Type(Editor("Gateway"), "192.168.0.1");
    }
};

} // namespace

TEST_F(AdvancedForm, TwoAddressesAndAGatewayWithItsMetricAreStoredWithTheSettingAndComeBack) {
    Start();
    TMessageBoxRecorder boxes;
    InEditor(TMainForm::acAdd, [&](HWND editor) {
        FillSetting();
        InAdvanced(editor, [&](HWND advanced) {
            PutEntry(advanced, TAdvancedForm::idAddAddress, "10.1.0.5", "255.255.0.0");
            PutEntry(advanced, TAdvancedForm::idAddAddress, " 172.016.1.2", "255.255.0.0");
            PutEntry(advanced, TAdvancedForm::idAddGateway, "172.16.0.1", "20");
            Type(::GetDlgItem(advanced, TAdvancedForm::idGatewayMetric), "5");
            SaveShot(advanced, "advanced");
        }, IDOK);
        SaveShot(editor, "editor-with-advanced");
    }, IDOK);
    EXPECT_EQ(std::vector<std::string>{}, boxes.Texts());
    EXPECT_EQ("192.168.0.10 (+2)", ListViewText(Form().DBGrid, 0, 2));

    Restart();
    InEditor(TMainForm::acEdit, [&](HWND editor) {
        InAdvanced(editor, [&](HWND advanced) {
            EXPECT_EQ((TRows{{"10.1.0.5", "255.255.0.0"}, {"172.16.1.2", "255.255.0.0"}}),
                      RowsOf(::GetDlgItem(advanced, TAdvancedForm::idAddresses)));
            EXPECT_EQ((TRows{{"172.16.0.1", "20"}}), RowsOf(::GetDlgItem(advanced, TAdvancedForm::idGateways)));
            EXPECT_EQ("5", TextOf(::GetDlgItem(advanced, TAdvancedForm::idGatewayMetric)));
        }, IDCANCEL);
    }, IDCANCEL);
}

TEST_F(AdvancedForm, RefusalsNameTheEntryKeepItsDialogOpenAndCancelDiscardsEveryChange) {
    Start();
    InEditor(TMainForm::acAdd, [&](HWND editor) {
        FillSetting();
        InAdvanced(editor, [&](HWND advanced) {
            PutEntry(advanced, TAdvancedForm::idAddAddress, "10.1.0.5", "255.255.0.0");
            PutEntry(advanced, TAdvancedForm::idAddGateway, "10.1.0.1", "");
        }, IDOK);
    }, IDOK);

    TMessageBoxRecorder boxes;
    InEditor(TMainForm::acEdit, [&](HWND editor) {
        InAdvanced(editor, [&](HWND advanced) {
            HWND addresses = ::GetDlgItem(advanced, TAdvancedForm::idAddresses);
            PutEntry(advanced, TAdvancedForm::idAddAddress, "10.2.0.5", "255.0.255.0", true);
            // An edited entry, a gateway outside every subnet, a removal: all discarded below.
            SelectRow(addresses, 0);
            PutEntry(advanced, TAdvancedForm::idEditAddress, "10.1.0.6", "255.255.0.0");
            PutEntry(advanced, TAdvancedForm::idAddGateway, "10.9.0.1", "", true);
            SelectRow(::GetDlgItem(advanced, TAdvancedForm::idGateways), 0);
            Click(::GetDlgItem(advanced, TAdvancedForm::idRemoveGateway));
            EXPECT_EQ((TRows{{"10.1.0.6", "255.255.0.0"}}), RowsOf(addresses));
            Type(::GetDlgItem(advanced, TAdvancedForm::idGatewayMetric), "0");
            Click(::GetDlgItem(advanced, IDOK)); // refused: the metric
        }, IDCANCEL);
        // The editor's own address taken by an extra: its OK refuses, naming the entry.
        Type(Editor("Address"), "10.1.0.5");
        Click(::GetDlgItem(editor, IDOK));
        EXPECT_EQ(TViewState::Edit, Form().adoT.State());
    }, IDCANCEL);
    const std::vector<std::string> expected = {
        "[More IP addresses] entry \"10.2.0.5/255.0.255.0\": \"255.0.255.0\" is not a subnet mask",
        "[More gateways] entry \"10.9.0.1\": it lies outside the subnet of every address of the setting",
        "[Gateway] the metric must be Automatic or 1 to 9999",
        "[More IP addresses] entry \"10.1.0.5/255.255.0.0\": the setting has this address already",
    };
    EXPECT_EQ(expected, boxes.Texts());
    const TSettingExtras stored = Form().adoT.Extras(0);
    EXPECT_EQ((std::vector<TAddressEntry>{{"10.1.0.5", "255.255.0.0"}}), stored.MoreAddresses);
    EXPECT_EQ((std::vector<TGatewayEntry>{{"10.1.0.1", 0}}), stored.MoreGateways);
}

TEST_F(AdvancedForm, LaysOutAsDesigned) {
    Start();
    InEditor(TMainForm::acAdd, [&](HWND editor) {
        InAdvanced(editor, [&](HWND advanced) {
            EXPECT_TRUE(IsScaled(360, ClientSize(advanced).cx) && IsScaled(510, ClientSize(advanced).cy));
            HWND addresses = ::GetDlgItem(advanced, TAdvancedForm::idAddresses);
            EXPECT_TRUE(IsScaledRect({8, 26, 352, 122}, ChildBounds(addresses)));
            EXPECT_TRUE(IsScaled(160, static_cast<int>(::SendMessageA(addresses, LVM_GETCOLUMNWIDTH, 1, 0))));
            EXPECT_TRUE(IsScaledRect({132, 362, 352, 383},
                                     ChildBounds(::GetDlgItem(advanced, TAdvancedForm::idDnsSuffix))));
            EXPECT_TRUE(IsScaledRect({277, 476, 352, 501}, ChildBounds(::GetDlgItem(advanced, IDCANCEL))));
            EXPECT_TRUE(ChildrenInsideClientAreas(advanced));
        }, IDCANCEL);
    }, IDCANCEL);
}

// The DNS and proxy part: a refusal names the field and keeps the dialog open, what OK takes
// is stored with the setting and comes back.
TEST_F(AdvancedForm, TheDnsAndProxyPartIsStoredWithTheSettingAndRefusedByItsRules) {
    Start();
    TMessageBoxRecorder boxes;
    const auto item = [](HWND advanced, int id) { return ::GetDlgItem(advanced, id); };
    InEditor(TMainForm::acAdd, [&](HWND editor) {
        FillSetting();
        InAdvanced(editor, [&](HWND advanced) {
            Type(item(advanced, TAdvancedForm::idDnsSuffix), "corp..example");
            Type(item(advanced, TAdvancedForm::idProxyExceptions), " *.corp.example;<local> ");
            Type(item(advanced, TAdvancedForm::idProxyScript), "http://wpad/proxy.pac");
            Click(item(advanced, TAdvancedForm::idProxyAutoDetect));
            Click(item(advanced, IDOK)); // refused: the suffix
            EXPECT_EQ(item(advanced, TAdvancedForm::idDnsSuffix), ::GetFocus());
            Type(item(advanced, TAdvancedForm::idDnsSuffix), "corp.example");
            SaveShot(advanced, "advanced-dns-proxy");
        }, IDOK);
    }, IDOK);
    EXPECT_EQ(std::vector<std::string>{"[DNS suffix] \"corp..example\" has an empty part between dots"},
              boxes.Texts());
    Restart();
    InEditor(TMainForm::acEdit, [&](HWND editor) {
        InAdvanced(editor, [&](HWND advanced) {
            EXPECT_EQ("corp.example", TextOf(item(advanced, TAdvancedForm::idDnsSuffix)));
            EXPECT_EQ("*.corp.example;<local>", TextOf(item(advanced, TAdvancedForm::idProxyExceptions)));
            EXPECT_EQ("http://wpad/proxy.pac", TextOf(item(advanced, TAdvancedForm::idProxyScript)));
            EXPECT_EQ(BST_CHECKED, ::SendMessageA(item(advanced, TAdvancedForm::idProxyAutoDetect),
                                                  BM_GETCHECK, 0, 0));
        }, IDCANCEL);
    }, IDCANCEL);
}
