#include "editor/UEdit.h"
#include "support/AddressRules.h"
#include "store/ProfileStore.h"
#include "support/TempFolder.h"

#include "GuiTesting.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>

namespace {

const std::vector<std::string> AdapterDescriptions = {"Intel(R) PRO/1000 MT", "Realtek PCIe GbE"};

using TValues = std::map<std::string, std::string>; // field name -> text

// What a user's typing amounts to: the whole text at once, or key by key at the caret.
void Type(HWND editor, const std::string& text) {
    ::SendMessageA(editor, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}
void TypeKeys(HWND editor, const std::string& keys) {
    for (char key : keys)
        ::SendMessageA(editor, WM_CHAR, static_cast<unsigned char>(key), 1);
}

struct TMenuItem {
    std::string Caption;
    int Command;
};

std::vector<TMenuItem> ItemsOf(HMENU menu) {
    std::vector<TMenuItem> items;
    for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
        char caption[256] = {};
        ::GetMenuStringA(menu, static_cast<UINT>(i), caption, sizeof caption, MF_BYPOSITION);
        items.push_back({caption, static_cast<int>(::GetMenuItemID(menu, i))});
    }
    return items;
}

} // namespace

class EditForm : public testing::Test {
  protected:
    void SetUp() override {
        CreateProfileDatabase(dbPath);
        adoT.Open(dbPath);
        adoQ.SetDatabasePath(dbPath);
        form = std::make_unique<TEditForm>(adoT, adoQ, AdapterDescriptions, nullptr);
        // As the main window does: the dialog follows every change of the table.
        adoT.SetOnChange([this] { form->DataChanged(); });
    }
    void TearDown() override {
        adoT.SetOnChange(nullptr);
        form.reset();
    }

    void Store(const std::string& adapter, const TValues& values) {
        adoT.Insert();
        adoT.SetFieldText("Adapter", adapter);
        for (const auto& [field, text] : values)
            adoT.SetFieldText(field, text);
        adoT.Post();
    }
    HWND Editor(const std::string& field) const { return form->EditorOfField(field); }
    HWND Control(int id) const { return ::GetDlgItem(form->Handle(), id); }
    HWND PickButton(const std::string& field) const {
        return Control(TEditForm::idPickButton + form->RowOfField(field));
    }

    // Shows the dialog modally and runs script inside it once it is active.
    int ShowWith(std::function<void(HWND)> script) {
        TModalScript modal("TEditForm", std::move(script));
        const int result = form->ShowModal(nullptr);
        EXPECT_TRUE(modal.Ran());
        return result;
    }

    TTempFolder folder;
    const std::string dbPath = folder / "db";
    TProfileTable adoT;
    TProfileQuery adoQ;
    std::unique_ptr<TEditForm> form;
};

TEST_F(EditForm, LaysOutItsRowsAsDesigned) {
    EXPECT_EQ("Network Setting", TextOf(form->Handle()));
    EXPECT_TRUE(IsScaled(455, ClientSize(form->Handle()).cx));
    EXPECT_TRUE(IsScaled(282, ClientSize(form->Handle()).cy));
    EXPECT_FALSE(::GetWindowLongA(form->Handle(), GWL_STYLE) & WS_THICKFRAME);

    struct Fixed {
        int id;
        std::string text;
        RECT bounds;
    } fixed[] = {
        {TEditForm::idBevel, "", {8, 8, 441, 217}},
        {TEditForm::idOKBtn, "&OK", {271, 236, 346, 261}},
        {TEditForm::idCancelBtn, "&Cancel", {367, 236, 442, 261}},
        {TEditForm::idAdvancedBtn, "Ad&vanced...", {8, 236, 83, 261}},
    };
    for (const auto& f : fixed) {
        const RECT bounds = ChildBounds(Control(f.id));
        EXPECT_EQ(f.text, TextOf(Control(f.id)));
        EXPECT_TRUE(IsScaledRect(f.bounds, bounds)) << f.text;
    }
    const RECT combo = ChildBounds(Control(TEditForm::idComboBox));
    EXPECT_TRUE(IsScaled(80, combo.left));
    EXPECT_TRUE(IsScaled(27, combo.top));
    EXPECT_TRUE(IsScaled(300, combo.right - combo.left));

    struct Row {
        std::string name;
        int maxLength;
        bool pick;
        std::string example;
    } rows[] = {
        {"Adapter", 128, false, ""},
        {"Title", 20, false, "Network Setting Example"},
        {"Address", 15, false, "192.168.0.10"},
        {"Submask", 15, true, "255.255.255.0"},
        {"Gateway", 15, false, "192.168.0.1"},
        {"DNS1", 15, true, "10.0.0.1"},
        {"DNS2", 15, true, "21.0.0.2"},
        {"Proxy", 100, true, "220.13.2.4:8080"},
    };
    for (int r = 1; r <= TEditForm::RowCount; ++r) {
        const Row& row = rows[r - 1];
        const int top = 20 * r + 20;
        HWND label = form->FieldLabels()[static_cast<size_t>(r)];
        EXPECT_EQ(row.name, TextOf(label));
        EXPECT_EQ(r, form->RowOfField(row.name));
        EXPECT_TRUE(IsScaled(r == 1 ? 27 : top + 2, ChildBounds(label).top)) << row.name;
        EXPECT_TRUE(IsScaled(20, ChildBounds(label).left)) << row.name;

        HWND editor = form->Editors()[static_cast<size_t>(r)];
        const RECT edit = ChildBounds(editor);
        EXPECT_TRUE(IsScaledRect({80, r == 1 ? 27 : top, 280, (r == 1 ? 27 : top) + 21}, edit))
            << row.name;
        EXPECT_EQ(row.maxLength, ::SendMessageA(editor, EM_GETLIMITTEXT, 0, 0)) << row.name;

        HWND pick = Control(TEditForm::idPickButton + r);
        ASSERT_EQ(row.pick, pick != nullptr) << row.name;
        if (pick) {
            // A square two pixels (designed) shorter than the editor, at its right end.
            const RECT button = ChildBounds(pick);
            EXPECT_TRUE(IsScaledRect({280, top + 2, 299, top + 21}, button)) << row.name;
            EXPECT_EQ("..", TextOf(pick));
        }
        HWND example = Control(TEditForm::idExampleLabel + r);
        EXPECT_EQ(row.example, TextOf(example));
        // Designed at 310; a wider font moves it left, short of its row's editor or button.
        const RECT hint = ChildBounds(example);
        EXPECT_TRUE(IsScaled(310, hint.left) || hint.left > form->Scale(row.pick ? 299 : 280));
        EXPECT_LE(hint.right, ChildBounds(Control(TEditForm::idBevel)).right) << row.name;
        EXPECT_TRUE(IsScaled(top + 3, ChildBounds(example).top)) << row.name;
        LOGFONTA font{};
        ::GetObjectA(reinterpret_cast<HFONT>(::SendMessageA(example, WM_GETFONT, 0, 0)),
                     sizeof font, &font);
        EXPECT_TRUE(font.lfUnderline) << row.name;
    }
    EXPECT_TRUE(ChildrenInsideClientAreas(form->Handle()));
    EXPECT_EQ(form->Editors()[5], form->EditorOfField("GateWay"));
    EXPECT_EQ(nullptr, form->EditorOfField("Field1"));
}

TEST_F(EditForm, OffersTheAdaptersInARedRowAndTabsFromOkThroughTheRows) {
    HWND combo = Control(TEditForm::idComboBox);
    ASSERT_EQ(2, ::SendMessageA(combo, CB_GETCOUNT, 0, 0));
    char item[64] = {};
    ::SendMessageA(combo, CB_GETLBTEXT, 1, reinterpret_cast<LPARAM>(item));
    EXPECT_EQ(AdapterDescriptions[1], item);
    EXPECT_EQ(CBS_DROPDOWNLIST, ::GetWindowLongA(combo, GWL_STYLE) & 3);
    form->SetAdapterIndex(1);
    EXPECT_EQ(1, form->AdapterIndex());
    form->SetAdapterIndex(-1);
    EXPECT_EQ(-1, form->AdapterIndex());

    HWND adapterLabel = form->FieldLabels()[1];
    HDC dc = ::GetDC(adapterLabel);
    ::SendMessageA(form->Handle(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                   reinterpret_cast<LPARAM>(adapterLabel));
    EXPECT_EQ(RGB(255, 0, 0), ::GetTextColor(dc));
    ::ReleaseDC(adapterLabel, dc);

    const std::vector<HWND> expected = {
        Control(IDOK),         Control(IDCANCEL),   combo,
        Editor("Title"),       Editor("Address"),   Editor("Submask"),
        PickButton("Submask"), Editor("Gateway"),   Editor("DNS1"),
        PickButton("DNS1"),    Editor("DNS2"),      PickButton("DNS2"),
        Editor("Proxy"),       PickButton("Proxy"), Control(TEditForm::idAdvancedBtn),
        Control(TEditForm::idUseWhenBtn),
    };
    ::ShowWindow(form->Handle(), SW_SHOWNA);
    std::vector<HWND> order = {expected.front()};
    for (HWND next = ::GetNextDlgTabItem(form->Handle(), order.back(), FALSE);
         next != order.front() && order.size() < 20;
         next = ::GetNextDlgTabItem(form->Handle(), order.back(), FALSE))
        order.push_back(next);
    ::ShowWindow(form->Handle(), SW_HIDE);
    EXPECT_EQ(expected, order);
}

TEST_F(EditForm, OkChecksTheAddressesThenTheProxyAndClosesOnlyWhenAllPass) {
    const std::string noPort = "Need a proxy port,such as 202.111.123.11:8080";
    const std::string badPort = "Proxy prot must be a number";
    struct Case {
        TValues typed;
        std::string message; // empty: the dialog closes with OK
        int adapter = 0;
    } cases[] = {
        {{}, ""},
        {{{"Title", "Office"},
          {"Address", "10.0.0.1  "},
          {"Submask", "255.255.255.0"},
          {"Gateway", "10.0.0.254"},
          {"DNS1", "8.8.8.8"},
          {"DNS2", " 8.8.4.4"},
          {"Proxy", "proxy:8080"}},
         ""},
        {{{"Address", "1.2.3"}, {"Proxy", "x"}}, "[Address] is not a valid IP"},
        {{{"Address", "192.168.0.1"}, {"Submask", "255.255.255"}, {"DNS1", "bad"}},
         "[Submask] is not a valid IP"},
        {{{"Gateway", "10.1.2."}}, "[Gateway] is not a valid IP"},
        {{{"DNS1", "256.0.0.1"}}, "[DNS1] is not a valid IP"},
        {{{"DNS2", "1.2.3.4.5"}}, "[DNS2] is not a valid IP"},
        {{{"Submask", "255.0.255.0"}}, "[Submask] is not a valid subnet mask"},
        {{{"Submask", "255.255.255.253"}, {"Gateway", "x"}},
         "[Submask] is not a valid subnet mask"},
        {{{"Address", "1.2.3"}, {"Submask", "0.255.0.0"}}, "[Address] is not a valid IP"},
        {{{"Submask", "0.0.0.0"}}, ""},
        {{{"Submask", " /24"}}, ""},
        {{{"Submask", "255.255.255.255"}}, ""},
        {{{"Submask", " 255.255.252.0 "}}, ""},
        {{{"Proxy", "1.2.3.4"}}, noPort},
        {{{"Proxy", ":8080"}}, "Need a proxy"},
        {{{"Proxy", "1.2.3.4:"}}, badPort},
        {{{"Proxy", "1.2.3.4:0"}}, badPort},
        {{{"Proxy", "1.2.3.4:-1"}}, badPort},
        {{{"Proxy", "1.2.3.4:abc"}}, badPort},
        {{{"Proxy", "1.2.3.4:8080 "}}, badPort},
        {{{"Proxy", "  :8080"}}, ""},
        {{{"Proxy", "1.2.3.4:$1F"}}, ""},
        {{{"Proxy", "1.2.3.4:65535"}}, ""},
        {{{"Proxy", "proxy.example.com:99999"}}, "Proxy port must be a number from 1 to 65535"},
        {{{"Proxy", "   "}}, ""},
        {{{"Address", "10.0.0.1"}}, TEditForm::NoAdapterMessage, -1},
    };
    for (const auto& c : cases) {
        std::string what = "adapter " + std::to_string(c.adapter);
        for (const auto& [field, text] : c.typed)
            what += ", " + field + "='" + text + "'";
        adoT.Insert();
        form->SetAdapterIndex(c.adapter);
        TMessageBoxRecorder boxes;
        const int result = ShowWith([&](HWND w) {
            for (const auto& [field, text] : c.typed)
                Type(Editor(field), text);
            Click(::GetDlgItem(w, IDOK));
            if (form->ModalResult() != mrNone)
                return;
            for (const auto& [field, text] : c.typed)
                EXPECT_EQ(text, TextOf(Editor(field))) << what;
            Click(::GetDlgItem(w, IDCANCEL));
        });
        EXPECT_EQ(c.message.empty() ? mrOk : mrCancel, result) << what;
        if (c.message.empty()) {
            EXPECT_TRUE(boxes.Boxes().empty()) << what;
        } else {
            ASSERT_EQ(1u, boxes.Boxes().size()) << what;
            EXPECT_EQ(c.message, boxes.Boxes()[0].Text) << what;
            EXPECT_EQ(ApplicationTitle(), boxes.Boxes()[0].Caption);
            EXPECT_EQ(static_cast<UINT>(MB_OK), boxes.Boxes()[0].Flags);
        }
        adoT.Cancel();
    }
}

TEST_F(EditForm, ComesUpWithTitleFocusedAndClosesByOkEnterCancelEscapeAndCloseBox) {
    struct Case {
        const char* how;
        std::function<void(HWND)> act;
        int expected;
    } cases[] = {
        {"OK", [](HWND w) { Click(::GetDlgItem(w, IDOK)); }, mrOk},
        {"Enter", [](HWND) { ::PostMessageA(::GetFocus(), WM_KEYDOWN, VK_RETURN, 0); }, mrOk},
        {"Cancel", [](HWND w) { Click(::GetDlgItem(w, IDCANCEL)); }, mrCancel},
        {"Escape", [](HWND) { ::PostMessageA(::GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0); }, mrCancel},
        {"close box", [](HWND w) { ::PostMessageA(w, WM_CLOSE, 0, 0); }, mrCancel},
    };
    for (const auto& c : cases) {
        adoT.Insert();
        form->SetAdapterIndex(0);
        const int result = ShowWith([&](HWND w) {
            EXPECT_EQ(Editor("Title"), ::GetFocus()) << c.how;
            c.act(w);
        });
        EXPECT_EQ(c.expected, result) << c.how;
        EXPECT_FALSE(::IsWindowVisible(form->Handle())) << c.how;
        adoT.Cancel();
    }
}

TEST_F(EditForm, WhenACheckMessageIsClosedTheFocusIsOnTitleOrOnAMaskThatIsNoMask) {
    struct Case {
        std::string field, typed, focused;
    } cases[] = {
        {"Address", "1.2.3", "Title"},
        {"Submask", "255.255.255", "Title"},
        {"Submask", "255.0.255.0", "Submask"},
    };
    const TRealMessageBoxes realBoxes; // what a real box leaves the focus on is the point
    for (const auto& c : cases) {
        adoT.Insert();
        form->SetAdapterIndex(0);
        ShowWith([&](HWND w) {
            Type(Editor(c.field), c.typed);
            ::SetFocus(Editor("DNS2"));
            // The real message box, answered by a second script once it comes up.
            TModalScript answer("#32770",
                                [](HWND box) { ::PostMessageA(box, WM_COMMAND, IDOK, 0); });
            Click(::GetDlgItem(w, IDOK));
            FlushEvents();
            EXPECT_TRUE(answer.Ran()) << c.typed;
            EXPECT_EQ(Editor(c.focused), ::GetFocus()) << c.typed;
            Click(::GetDlgItem(w, IDCANCEL));
        });
        adoT.Cancel();
    }
    // Shown again, the dialog starts at the Title as always.
    adoT.Insert();
    ShowWith([&](HWND w) {
        EXPECT_EQ(Editor("Title"), ::GetFocus());
        Click(::GetDlgItem(w, IDCANCEL));
    });
    adoT.Cancel();
}

TEST_F(EditForm, WhatIsTypedPickedOrPrefilledReachesThePendingRecordUntilTheCallerCancels) {
    Store("{A}", {{"Title", "Office"}, {"Address", "10.0.0.5"}, {"Gateway", "10.0.0.1"}});
    form->SetPopupTracker([](HMENU menu, POINT) { return ItemsOf(menu).at(8).Command; });
    adoT.Edit();
    form->SetAdapterIndex(0);
    ShowWith([&](HWND w) {
        HWND title = Editor("Title");
        ::SendMessageA(title, EM_SETSEL, 6, 6); // the End key
        TypeKeys(title, " 2");
        Type(Editor("Address"), "192.168.1.20 ");
        Click(PickButton("Submask"));
        Click(::GetDlgItem(w, IDCANCEL));
    });
    const TValues pending = {{"Title", "Office 2"},
                             {"Address", "192.168.1.20 "},
                             {"Gateway", "10.0.0.1"}, // stored: no pre-fill over it
                             {"Submask", "255.255.0.0"}};
    for (const auto& [field, text] : pending) {
        EXPECT_EQ(text, adoT.FieldText(field)) << field;
        EXPECT_EQ(text, TextOf(Editor(field))) << field;
    }
    adoT.Cancel();
    const TValues stored = {
        {"Title", "Office"}, {"Address", "10.0.0.5"}, {"Gateway", "10.0.0.1"}, {"Submask", ""}};
    for (const auto& [field, text] : stored) {
        EXPECT_EQ(text, adoT.FieldText(field)) << field;
        EXPECT_EQ(text, TextOf(Editor(field))) << field;
    }
}

TEST_F(EditForm, ShowingTrimsTheProxyOfTheRecord) {
    Store("{A}", {{"Proxy", " \t10.0.0.1:80  "}});
    adoT.Edit();
    form->SetAdapterIndex(0);
    ShowWith([&](HWND w) {
        EXPECT_EQ("10.0.0.1:80", TextOf(Editor("Proxy")));
        Click(::GetDlgItem(w, IDCANCEL));
    });
    EXPECT_EQ("10.0.0.1:80", adoT.FieldText("Proxy"));
    adoT.Cancel();
    EXPECT_EQ(" \t10.0.0.1:80  ", adoT.FieldText("Proxy"));
}

TEST_F(EditForm, TypingTheAddressKeyByKeyPrefillsTheGatewayUpToItsLastDotWhichOkStoresEmpty) {
    const std::string address = "10.1.2.3";
    const char* gatewayAfterKey[] = {"", "", "10.", "10.", "10.1.", "10.1.", "10.1.2.", "10.1.2."};
    adoT.Insert();
    form->SetAdapterIndex(0);
    TMessageBoxRecorder boxes;
    ShowWith([&](HWND w) {
        for (size_t i = 0; i < address.size(); ++i) {
            TypeKeys(Editor("Address"), address.substr(i, 1));
            EXPECT_EQ(gatewayAfterKey[i], TextOf(Editor("Gateway"))) << address.substr(0, i + 1);
            EXPECT_EQ(gatewayAfterKey[i], adoT.FieldText("Gateway")) << address.substr(0, i + 1);
        }
        EXPECT_EQ(address, TextOf(Editor("Address")));
        Click(::GetDlgItem(w, IDOK));
        if (form->ModalResult() == mrNone)
            Click(::GetDlgItem(w, IDCANCEL));
    });
    EXPECT_EQ(std::vector<std::string>{}, boxes.Texts());
    EXPECT_EQ("", adoT.FieldText("Gateway"));
    adoT.Cancel();
}

TEST_F(EditForm, ThePrefillNeverOverwritesAGatewayTypedOrStored) {
    struct Case {
        const char* how;
        std::string stored;  // the record's Gateway, "" for a new record
        std::string typed;   // typed into the Gateway after the address, "" for nothing
        std::string gateway; // after the address changes from .20 to .21
    } cases[] = {
        {"new, untouched", "", "", "192.168.50."},
        {"new, typed", "", "192.168.0.1", "192.168.0.1"},
        {"new, a blank typed", "", " ", " "},
        {"stored", "10.0.0.1", "", "10.0.0.1"},
    };
    for (const Case& c : cases) {
        if (c.stored.empty()) {
            adoT.Insert();
        } else {
            Store("{A}", {{"Title", "Home"}, {"Gateway", c.stored}});
            adoT.Edit();
        }
        form->SetAdapterIndex(0);
        ShowWith([&](HWND w) {
            Type(Editor("Address"), "192.168.50.20");
            if (!c.typed.empty())
                Type(Editor("Gateway"), c.typed);
            Type(Editor("Address"), "192.168.50.21");
            EXPECT_EQ(c.gateway, TextOf(Editor("Gateway"))) << c.how;
            EXPECT_EQ(c.gateway, adoT.FieldText("Gateway")) << c.how;
            Click(::GetDlgItem(w, IDCANCEL));
        });
        adoT.Cancel();
    }
}

TEST_F(EditForm, TextTheCodePageLacksIsRefusedWithTheImportsMessageAndItsFieldFocused) {
    struct Case {
        const char* field;
        const wchar_t* typed;
    } cases[] = {
        {"Title", L"\x6771\x4EAC \x03A9"}, // Tokyo and an Omega, which would read "??O"
        {"Proxy", L"\x03A9.example:80"},
    };
    const TRealMessageBoxes realBoxes; // the focus the real box leaves is the point
    for (const Case& c : cases) {
        adoT.Insert();
        form->SetAdapterIndex(0);
        std::string said;
        const int result = ShowWith([&](HWND w) {
            ::SetWindowTextW(Editor(c.field), c.typed);
            TModalScript answer("#32770", [&](HWND box) {
                said = TextOf(::GetDlgItem(box, 0xFFFF));
                ::PostMessageA(box, WM_COMMAND, IDOK, 0);
            });
            Click(::GetDlgItem(w, IDOK));
            FlushEvents();
            EXPECT_TRUE(answer.Ran()) << c.field;
            EXPECT_EQ(Editor(c.field), ::GetFocus()) << c.field;
            Click(::GetDlgItem(w, IDCANCEL));
        });
        EXPECT_EQ(mrCancel, result) << c.field;
        EXPECT_EQ(std::string(c.field) + " holds characters this system's code page lacks", said);
        adoT.Cancel();
    }
}

TEST_F(EditForm, TypedCharactersTheCodePageLacksAreRefusedWithThePastesMessage) {
    const std::wstring typed = L"\x041E\x0444\x0438\x0441 \x6771\x4EAC"; // an office in Tokyo
    adoT.Insert();
    form->SetAdapterIndex(0);
    TMessageBoxRecorder boxes;
    ShowWith([&](HWND w) {
        // As the keyboard hands them to the dialog's loop, one unit after the other.
        for (wchar_t unit : typed)
            ::PostMessageW(Editor("Title"), WM_CHAR, unit, 1);
        ::PostMessageA(w, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(std::vector<std::string>(2, "Title holds characters this system's code page lacks"),
              boxes.Texts())
        << "once per run of them";
    EXPECT_EQ(" ", adoT.FieldText("Title")) << "no \"?\" in their place";
    adoT.Cancel();
}

TEST_F(EditForm, AddressesWindowsRefusesAreStoredOnlyWhenTheUserSaysYes) {
    const TValues typed = {{"Title", "Lab"},
                           {"Address", "192.168.50.255"},
                           {"Submask", "255.255.255.0"},
                           {"Gateway", "192.168.0.1"}};
    for (const int answer : {IDNO, IDYES}) {
        adoT.Insert();
        form->SetAdapterIndex(0);
        TMessageBoxRecorder boxes({answer});
        const int result = ShowWith([&](HWND w) {
            for (const auto& [field, text] : typed)
                Type(Editor(field), text);
            Click(::GetDlgItem(w, IDOK));
            if (form->ModalResult() == mrNone)
                Click(::GetDlgItem(w, IDCANCEL));
        });
        EXPECT_EQ(answer == IDYES ? mrOk : mrCancel, result);
        ASSERT_EQ(1u, boxes.Boxes().size());
        EXPECT_EQ("Windows refuses this setting:\r\n"
                  "[Address] 192.168.50.255 is the broadcast address of its subnet, which no "
                  "computer can have.\r\n"
                  "[Gateway] 192.168.0.1 is not in the subnet of the address and mask, so the "
                  "adapter cannot reach it.\r\n\r\nStore it anyway?",
                  boxes.Boxes()[0].Text);
        EXPECT_EQ(static_cast<UINT>(MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2),
                  boxes.Boxes()[0].Flags);
        adoT.Cancel();
    }
}

TEST_F(EditForm, WhileBrowsingTheEditorsFollowTheCurrentRowAndNothingIsPrefilled) {
    Store("{A}", {{"Title", "Home"}, {"Address", "10.0.0.5"}, {"Gateway", "10.0.0.1"}});
    Store("{B}", {{"Title", "Lab"}, {"Address", "172.16.0.9"}, {"Gateway", "172.16.0.254"}});
    for (int row : {0, 1, 0}) {
        adoT.MoveTo(row);
        for (const char* field : {"Adapter", "Title", "Address", "Gateway", "Proxy"})
            EXPECT_EQ(adoT.Text(row, form->RowOfField(field)), TextOf(Editor(field)))
                << field << " of row " << row;
    }
    Type(Editor("Address"), "192.168.7.7");
    EXPECT_EQ("10.0.0.1", TextOf(Editor("Gateway")));
    EXPECT_EQ("10.0.0.5", adoT.FieldText("Address"));
    EXPECT_EQ(TViewState::Browse, adoT.State());
}

TEST_F(EditForm, PickListsOfferPresetsOrTheStoredValuesOfAllAdaptersBelowTheButton) {
    Store("{A}", {{"DNS1", "8.8.8.8"}, {"Proxy", "cache&co:3128"}});
    Store("{B}", {{"DNS1", "8.8.8.8"}});
    Store("{B}", {{"DNS1", "1.1.1.1"}, {"DNS2", ""}});
    adoT.SetAdapterFilter("{A}");
    std::vector<std::string> captions;
    POINT shownAt{};
    form->SetPopupTracker([&](HMENU menu, POINT at) {
        captions.clear();
        for (const TMenuItem& item : ItemsOf(menu))
            captions.push_back(item.Caption);
        shownAt = at;
        return 0;
    });
    struct Case {
        std::string field;
        std::vector<std::string> captions; // a menu shows "&&" as "&"
        bool inOrder;
    };
    std::vector<std::string> masks; // every prefix from /8 to /32, its length beside it
    for (int length = 8; length <= 32; ++length)
        masks.push_back(MaskOfPrefix(length) + "\t/" + std::to_string(length));
    const Case cases[] = {
        {"Submask", masks, true},
        {"DNS1", {"1.1.1.1", "8.8.8.8"}, false},
        {"DNS2", {"0.0.0.0"}, true},
        {"Proxy", {"cache&&co:3128"}, true},
    };
    adoT.Insert();
    form->SetAdapterIndex(0);
    ShowWith([&](HWND w) {
        for (const auto& c : cases) {
            for (int press = 1; press <= 2; ++press) {
                captions.clear();
                Click(PickButton(c.field));
                if (!c.inOrder)
                    std::sort(captions.begin(), captions.end());
                EXPECT_EQ(c.captions, captions) << c.field << " press " << press;
            }
            RECT button = ChildBounds(PickButton(c.field));
            POINT bottomLeft{button.left, button.bottom};
            ::ClientToScreen(w, &bottomLeft);
            EXPECT_EQ(bottomLeft.x, shownAt.x) << c.field;
            EXPECT_EQ(bottomLeft.y, shownAt.y) << c.field;
        }
        Click(::GetDlgItem(w, IDCANCEL));
    });
    adoT.Cancel();
}

TEST_F(EditForm, AChosenPickItemIsWrittenIntoItsRowAsItStands) {
    Store("{A}", {{"Proxy", "cache&co:3128"}, {"DNS2", "9.9.9.9"}});
    struct Case {
        std::string field;
        int item;
        std::string written;
    } cases[] = {
        {"Submask", 8, "255.255.0.0"}, {"DNS2", 0, "9.9.9.9"}, {"Proxy", 0, "cache&co:3128"}};
    adoT.Insert();
    form->SetAdapterIndex(0);
    ShowWith([&](HWND w) {
        for (const auto& c : cases) {
            form->SetPopupTracker([&](HMENU menu, POINT) {
                return ItemsOf(menu).at(static_cast<size_t>(c.item)).Command;
            });
            Click(PickButton(c.field));
            EXPECT_EQ(c.written, TextOf(Editor(c.field)));
            EXPECT_EQ(c.written, adoT.FieldText(c.field));
        }
        Click(::GetDlgItem(w, IDCANCEL));
    });
    adoT.Cancel();
}

TEST_F(EditForm, AFailingPickListQueryReachesTheErrorBoxAndShowsNoMenu) {
    adoQ.SetDatabasePath(folder / "missing\\db");
    bool menuShown = false;
    form->SetPopupTracker([&](HMENU, POINT) { return menuShown = true, 0; });
    TMessageBoxRecorder boxes;
    adoT.Insert();
    form->SetAdapterIndex(0);
    ShowWith([&](HWND w) {
        Click(PickButton("DNS1"));
        Click(::GetDlgItem(w, IDCANCEL));
    });
    adoT.Cancel();
    EXPECT_FALSE(menuShown);
    ASSERT_EQ(1u, boxes.Boxes().size());
    EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONERROR), boxes.Boxes()[0].Flags);
}
