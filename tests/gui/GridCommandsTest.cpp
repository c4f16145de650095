// The grid's context menu and keys, a new setting from the adapter's current values, and
// export and import, driven through the real windows; results read back from the registry
// and from the database file.

#include "MainWindowFixture.h"
#include "ReadBack.h"

#include "netcfg/SetIP.h"
#include "netcfg/SwitchCheck.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>

#include <map>
#include <optional>

namespace {

const std::string FirstId = "{44444444-2222-3333-4444-555555555501}";
const std::string SecondId = "{44444444-2222-3333-4444-555555555502}";

void SetValues(HKEY root, const std::string& key,
               const std::vector<std::pair<const char*, std::string>>& texts, DWORD type,
               const std::map<std::string, DWORD>& numbers = {}) {
    HKEY handle = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                               nullptr, &handle, nullptr));
    for (const auto& [name, text] : texts) {
        const std::string bytes = text + std::string(type == REG_MULTI_SZ ? 2 : 1, '\0');
        ::RegSetValueExA(handle, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                         static_cast<DWORD>(bytes.size()));
    }
    for (const auto& [name, number] : numbers)
        ::RegSetValueExA(handle, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                         sizeof number);
    ::RegCloseKey(handle);
}

struct TMenuItem {
    std::string Caption; // "-" for a separator
    bool Grey;
    bool operator==(const TMenuItem&) const = default;
};

void PrintTo(const TMenuItem& item, std::ostream* out) {
    *out << item.Caption << (item.Grey ? " (grey)" : "");
}

class GridCommands : public TMainWindowTest {
  protected:
    GridCommands()
        : TMainWindowTest({{FirstId, "First Ethernet"}, {SecondId, "Second Ethernet"}}) {}

    // The context menu and the file dialogs are answered by the test.
    void Started(TMainForm& form) override {
        form.SetPopupTracker([this](HMENU menu, POINT) { return Track(menu); });
        form.SetFileChooser([this](TMainForm::TFileDialogKind kind, const std::string& name) {
            chooserCalls_.push_back(kind == TMainForm::TFileDialogKind::Save ? "save " + name
                                                                             : "open");
            return file_;
        });
    }
    void Seed() {
        StoreSettings(Db(),
                      {{FirstId, "Office", "10.0.0.5", "255.0.0.0", "10.0.0.1", "10.0.0.2", "",
                        "proxy.lan:8080"},
                       {FirstId, "Lab, \"B\"", "192.168.1.5", "255.255.255.0", "", "", "", ""}});
    }
    // Records the menu and chooses the item whose caption is choice_ (none when empty).
    int Track(HMENU menu) {
        std::vector<TMenuItem>& items = menus_.emplace_back();
        for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
            char caption[128] = {};
            ::GetMenuStringA(menu, static_cast<UINT>(i), caption, sizeof caption, MF_BYPOSITION);
            const UINT state = ::GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION);
            const bool separator = (state & MF_SEPARATOR) != 0;
            items.push_back({separator ? "-" : caption, !separator && (state & MF_GRAYED)});
        }
        return choice_.empty() ? 0 : ItemWithCaption(menu, choice_);
    }
    // The command of the item with the caption, in the menu or one of its submenus.
    static int ItemWithCaption(HMENU menu, const std::string& wanted) {
        for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
            char caption[128] = {};
            ::GetMenuStringA(menu, static_cast<UINT>(i), caption, sizeof caption, MF_BYPOSITION);
            if (wanted == caption)
                return static_cast<int>(::GetMenuItemID(menu, i));
            if (HMENU submenu = ::GetSubMenu(menu, i))
                if (const int found = ItemWithCaption(submenu, wanted))
                    return found;
        }
        return 0;
    }
    void Choose(const std::string& caption) {
        choice_ = caption;
        SendKey(WM_KEYDOWN, VK_APPS);
        SendKey(WM_KEYUP, VK_APPS);
        choice_.clear();
    }
    void SendKey(UINT message, WPARAM key) {
        ::SendMessageA(Form().DBGrid, message, key, 0);
        FlushEvents();
    }
    void PressEnter() {
        // Through the dialog keys, as the message loop hands a key to the grid.
        ::SetFocus(Form().DBGrid);
        MSG enter{Form().DBGrid, WM_KEYDOWN, VK_RETURN, 0, 0, {}};
        if (!::IsDialogMessageA(Form().Handle(), &enter))
            ::DispatchMessageA(&enter);
        FlushEvents();
    }
    std::string Adapter(const std::string& id, const char* name) const {
        return RegText(HKEY_LOCAL_MACHINE, AdapterKey(id), name);
    }

    std::vector<std::vector<TMenuItem>> menus_;
    std::string choice_;
    std::optional<std::string> file_;
    std::vector<std::string> chooserCalls_;
};

const std::vector<TMenuItem> FullMenu = {
    {"A&pply\tEnter", false},
    {"Apply with a way &back...\tCtrl+Enter", false},
    {"&Edit...\tF2", false},
    {"De&lete\tDel", false},
    {"-", false},
    {"&Add...\tIns", false},
    {"Add from &current settings...", false},
    {"-", false},
    {"E&xport settings...", false},
    {"&Import settings...", false},
    {"-", false},
    {"Adapter &details...\tCtrl+D", false},
    {"-", false},
    {"&Options", false},
};

} // namespace

TEST_F(GridCommands, RightClickShiftF10AndTheMenuKeyEachOpenTheMenuOnce) {
    Seed();
    TMainForm& form = Start();
    RECT row{};
    row.left = LVIR_BOUNDS;
    ::SendMessageA(form.DBGrid, LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&row));
    const LPARAM onSecondRow = MAKELPARAM(row.left + 40, (row.top + row.bottom) / 2);
    struct Case {
        const char* what;
        std::function<void()> press;
    } cases[] = {
        {"right click",
         [&] {
             // The grid waits for the button's release once it is pressed: it is queued first.
             ::PostMessageA(form.DBGrid, WM_RBUTTONUP, 0, onSecondRow);
             ::SendMessageA(form.DBGrid, WM_RBUTTONDOWN, MK_RBUTTON, onSecondRow);
         }},
        {"Shift+F10",
         [&] {
             BYTE keys[256] = {};
             ::GetKeyboardState(keys);
             keys[VK_SHIFT] = 0x80;
             ::SetKeyboardState(keys);
             ::SendMessageA(form.DBGrid, WM_SYSKEYDOWN, VK_F10, 0);
             ::SendMessageA(form.DBGrid, WM_SYSKEYUP, VK_F10, 0);
             keys[VK_SHIFT] = 0;
             ::SetKeyboardState(keys);
         }},
        {"menu key",
         [&] {
             ::SendMessageA(form.DBGrid, WM_KEYDOWN, VK_APPS, 0);
             ::SendMessageA(form.DBGrid, WM_KEYUP, VK_APPS, 0);
         }},
    };
    for (const Case& c : cases) {
        menus_.clear();
        c.press();
        FlushEvents();
        ASSERT_EQ(1u, menus_.size()) << c.what;
        EXPECT_EQ(FullMenu, menus_[0]) << c.what;
    }
    EXPECT_EQ(1, form.adoT.CurrentRow()); // the right click picked the row under it
}

// A key pressed in the menu runs the item it is read on, never one that shares its letter.
TEST_F(GridCommands, EveryItemHasALetterOfItsOwn) {
    Seed();
    Start();
    Choose("");
    ASSERT_EQ(1u, menus_.size());
    std::string letters;
    for (const TMenuItem& item : menus_[0]) {
        const size_t mark = item.Caption.find('&');
        if (item.Caption == "-")
            continue;
        ASSERT_NE(std::string::npos, mark) << item.Caption;
        const char letter = static_cast<char>(std::tolower(item.Caption[mark + 1]));
        EXPECT_EQ(std::string::npos, letters.find(letter)) << item.Caption;
        letters += letter;
    }
    EXPECT_EQ(10u, letters.size());
}

TEST_F(GridCommands, ItemsThatNeedARowAreGreyOnAnEmptyView) {
    Start();
    Choose("");
    ASSERT_EQ(1u, menus_.size());
    std::vector<TMenuItem> expected = FullMenu;
    for (size_t needsRow : {0u, 1u, 2u, 3u, 8u})
        expected[needsRow].Grey = true;
    EXPECT_EQ(expected, menus_[0]);
}

// Typed text that names no adapter: the commands that work on the selected adapter say
// what is missing, and open no dialog.
TEST_F(GridCommands, CommandsOnTheAdapterAskForOneWhenNoneIsPicked) {
    Seed();
    TMainForm& form = Start();
    ::SendMessageA(form.ComboBox, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    ::SetWindowTextA(form.ComboBox, "no such adapter");
    for (int command : {TMainForm::acAddCurrent, TMainForm::acExport, TMainForm::acImport,
                        TMainForm::acDetails}) {
        TMessageBoxRecorder boxes;
        Command(command);
        EXPECT_EQ(std::vector<std::string>{std::string(NoAdapterPickedMessage) + "."},
                  boxes.Texts())
            << command;
    }
    EXPECT_TRUE(chooserCalls_.empty());
}

TEST_F(GridCommands, MenuItemsAndKeysTakeTheCommandsPaths) {
    Seed();
    TMainForm& form = Start();
    {
        TMessageBoxRecorder boxes({IDNO, IDYES});
        Choose("A&pply\tEnter"); // No: nothing applied
        EXPECT_EQ("(none)", Adapter(FirstId, "IPAddress"));
        PressEnter(); // Yes
        // Wine's IP helper does not have the adapter, and the user is told.
        EXPECT_EQ((std::vector<std::string>{"Netvane now?", "Netvane now?",
                                            NotPresentMessage("First Ethernet")}),
                  boxes.Texts());
        EXPECT_EQ("10.0.0.5", Adapter(FirstId, "IPAddress"));
        EXPECT_EQ("proxy.lan:8080", RegText(HKEY_CURRENT_USER, ProxyKey, "ProxyServer"));
    }
    {
        // F2 and "Edit..." open the editor on the current row; Cancel keeps it.
        int shown = 0;
        for (const auto& open : std::vector<std::function<void()>>{
                 [&] { SendKey(WM_KEYDOWN, VK_F2); }, [&] { Choose("&Edit...\tF2"); }}) {
            TModalScript editor("TEditForm", [&](HWND dialog) {
                EXPECT_EQ("Office", TextOf(program_->EditForm().EditorOfField("Title")));
                ++shown;
                Click(::GetDlgItem(dialog, IDCANCEL));
            });
            open();
        }
        EXPECT_EQ(2, shown);
    }
    {
        // Insert and "Add..." open it on a new row.
        TModalScript editor("TEditForm", [&](HWND dialog) {
            ::SendMessageA(program_->EditForm().EditorOfField("Title"), WM_SETTEXT, 0,
                           reinterpret_cast<LPARAM>("Inserted"));
            Click(::GetDlgItem(dialog, IDOK));
        });
        SendKey(WM_KEYDOWN, VK_INSERT);
        EXPECT_TRUE(editor.Ran());
    }
    ASSERT_EQ(3u, RowsInFile(Db()).size());
    EXPECT_EQ("Inserted", RowsInFile(Db())[2].Title);
    {
        TMessageBoxRecorder boxes({IDYES, IDYES});
        SendKey(WM_KEYDOWN, VK_DELETE); // the inserted row is current
        Choose("De&lete\tDel");
        EXPECT_EQ((std::vector<std::string>{"Delete now?", "Delete now?"}), boxes.Texts());
    }
    ASSERT_EQ(1u, RowsInFile(Db()).size());
    EXPECT_EQ("Office", RowsInFile(Db())[0].Title);
    EXPECT_EQ(1, form.adoT.RowCount());
}

TEST_F(GridCommands, AddFromCurrentSettingsFillsTheEditorFromTheAdapterAsItIsNow) {
    SetValues(HKEY_LOCAL_MACHINE, AdapterKey(FirstId),
              {{"IPAddress", std::string("10.9.8.7") + '\0' + "10.9.9.9"},
               {"SubnetMask", std::string("255.255.0.0") + '\0' + "255.255.0.0"},
               {"DefaultGateway", "10.9.0.1"}},
              REG_MULTI_SZ, {{"EnableDHCP", 0}});
    SetValues(HKEY_LOCAL_MACHINE, AdapterKey(FirstId), {{"NameServer", "10.9.0.2 10.9.0.3"}},
              REG_SZ);
    SetValues(HKEY_LOCAL_MACHINE, AdapterKey(SecondId),
              {{"IPAddress", "0.0.0.0"},
               {"DhcpIPAddress", "172.16.4.20"},
               {"DhcpSubnetMask", "255.255.240.0"},
               {"DhcpNameServer", "172.16.0.53"}},
              REG_SZ, {{"EnableDHCP", 1}});
    SetValues(HKEY_LOCAL_MACHINE, AdapterKey(SecondId), {{"DhcpDefaultGateway", "172.16.0.1"}},
              REG_MULTI_SZ);
    SetValues(HKEY_CURRENT_USER, ProxyKey, {{"ProxyServer", "cache.lan:3128"}}, REG_SZ,
              {{"ProxyEnable", 1}});
    Start();
    struct Case {
        int adapter;
        std::string title;
        std::vector<std::string> editor; // Address .. Proxy as the editor shows them
        std::vector<TAddressEntry> more; // what its Advanced dialog shows
    } cases[] = {
        {0,
         "Static now",
         {"10.9.8.7", "255.255.0.0", "10.9.0.1", "10.9.0.2", "10.9.0.3", "cache.lan:3128"},
         {{"10.9.9.9", "255.255.0.0"}}},
        {1,
         "DHCP now",
         {"172.16.4.20", "255.255.240.0", "172.16.0.1", "172.16.0.53", "", "cache.lan:3128"},
         {}},
    };
    const char* const fields[] = {"Address", "Submask", "Gateway", "DNS1", "DNS2", "Proxy"};
    for (const Case& c : cases) {
        PickAdapter(c.adapter);
        std::vector<std::string> shown;
        TModalScript editor("TEditForm", [&](HWND dialog) {
            for (const char* field : fields)
                shown.push_back(TextOf(program_->EditForm().EditorOfField(field)));
            EXPECT_EQ(c.adapter, program_->EditForm().AdapterIndex());
            EXPECT_EQ(c.more, Form().adoT.FieldExtras().MoreAddresses) << c.title;
            ::SendMessageA(program_->EditForm().EditorOfField("Title"), WM_SETTEXT, 0,
                           reinterpret_cast<LPARAM>(c.title.c_str()));
            Click(::GetDlgItem(dialog, IDOK));
        });
        TMessageBoxRecorder boxes;
        Choose("Add from &current settings...");
        EXPECT_TRUE(boxes.Boxes().empty()) << c.title;
        EXPECT_EQ(c.editor, shown) << c.title;
        const std::vector<std::string>& e = c.editor;
        const TStoredSetting stored{
            c.adapter == 0 ? FirstId : SecondId, c.title, e[0], e[1], e[2], e[3], e[4], e[5]};
        ASSERT_FALSE(RowsInFile(Db()).empty());
        EXPECT_EQ(stored, RowsInFile(Db()).back()) << c.title;
    }
}

TEST_F(GridCommands, ExportThenImportCopiesTheSettingsToAnotherAdapter) {
    Seed();
    Start();
    file_ = dir_ / "first.csv";
    TMessageBoxRecorder boxes;
    Choose("E&xport settings...");
    EXPECT_EQ(std::vector<std::string>{"save Netvane First Ethernet.csv"}, chooserCalls_);
    EXPECT_EQ("\xEF\xBB\xBF"
              "Title,Address,Submask,Gateway,DNS1,DNS2,Proxy,MoreAddresses,MoreGateways\r\n"
              "Office,10.0.0.5,255.0.0.0,10.0.0.1,10.0.0.2,,proxy.lan:8080,,\r\n"
              "\"Lab, \"\"B\"\"\",192.168.1.5,255.255.255.0,,,,,,\r\n",
              GetFile(*file_));

    PickAdapter(1);
    Choose("&Import settings...");
    Choose("&Import settings..."); // again: everything is there already
    EXPECT_EQ((std::vector<std::string>{"2 settings exported", "2 settings imported",
                                        "0 settings imported; 2 settings already stored for this "
                                        "adapter skipped"}),
              boxes.Texts());
    const std::vector<TStoredSetting> rows = RowsInFile(Db());
    ASSERT_EQ(4u, rows.size());
    for (size_t i = 0; i < 2; ++i) {
        TStoredSetting copy = rows[i];
        copy.Adapter = SecondId;
        EXPECT_EQ(copy, rows[i + 2]);
    }
    EXPECT_EQ(2, Form().adoT.RowCount()); // the grid shows them at once
}

TEST_F(GridCommands, AnImportWithABadLineStoresNothingAndNamesTheLine) {
    Seed();
    Start();
    file_ = dir_ / "bad.csv";
    PutFile(*file_, "Title,DNS1,Address\r\nOne,10.0.0.2,10.0.0.5\r\nTwo,,\r\n"
                    "Three,10.0.0.256,10.0.0.7\r\n");
    TMessageBoxRecorder boxes;
    Choose("&Import settings...");
    ASSERT_EQ(1u, boxes.Boxes().size());
    EXPECT_EQ("Line 4: DNS1 is not a valid address; nothing was imported.", boxes.Texts()[0]);
    EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONERROR), boxes.Boxes()[0].Flags);
    EXPECT_EQ(2u, RowsInFile(Db()).size());

    file_.reset(); // the user cancels the dialog
    Choose("&Import settings...");
    EXPECT_EQ(1u, boxes.Boxes().size());
}

TEST_F(GridCommands, AFileThatCannotBeWrittenOrReadIsReportedAndNothingChanges) {
    Seed();
    Start();
    const std::string missing = dir_ / "no such folder\\settings.csv";
    struct Case {
        const char* item;
        const char* error; // how the error box begins
    } cases[] = {
        {"E&xport settings...", "Cannot create file"},
        {"&Import settings...", "Cannot import"},
    };
    for (const auto& c : cases) {
        file_ = missing;
        TMessageBoxRecorder boxes;
        Choose(c.item);
        ASSERT_EQ(1u, boxes.Boxes().size()) << c.item; // no report of success after it
        EXPECT_EQ(0u, boxes.Texts()[0].rfind(c.error, 0)) << boxes.Texts()[0];
        EXPECT_NE(std::string::npos, boxes.Texts()[0].find("no such folder")) << c.item;
        EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONERROR), boxes.Boxes()[0].Flags) << c.item;
    }
    EXPECT_EQ(2u, RowsInFile(Db()).size());
}

// The option lists the Wi-Fi adapter too, with connection names; the chosen adapter stays
// chosen while it stays listed, and the choice outlasts a restart.
TEST_F(GridCommands, ShowAllNetworkAdaptersListsTheWiFiAdapterWithConnectionNames) {
    const std::string wifiId = "{44444444-2222-3333-4444-555555555503}";
    adapters_.Add(wifiId, "Demo Wi-Fi 6 Adapter", "wlan,ethernet,vwifi");
    adapters_.SetConnectionName(wifiId, "Wi-Fi");
    adapters_.SetConnectionName(FirstId, "Ethernet");
    Start();
    const std::vector<std::string> ethernetOnly = {"First Ethernet", "Second Ethernet"};
    EXPECT_EQ(ethernetOnly, Form().AdapterDescriptions());
    PickAdapter(1);

    Choose("Show &all network adapters");
    const std::vector<std::string> all = {"First Ethernet (Ethernet)", "Second Ethernet",
                                          "Demo Wi-Fi 6 Adapter (Wi-Fi)"};
    EXPECT_EQ(all, Form().AdapterDescriptions());
    EXPECT_EQ(1, Form().SelectedAdapter());
    EXPECT_TRUE(ReadSwitchFromFile(dir_ / "config.ini", ShowAllAdaptersSetting));
    if (std::getenv("NETVANE_SHOT_DIR")) {
        ::ShowWindow(Form().Handle(), SW_SHOWNOACTIVATE);
        ::SendMessageA(Form().ComboBox, CB_SHOWDROPDOWN, TRUE, 0);
        SaveShot(Form().Handle(), "all-adapters");
        ::SendMessageA(Form().ComboBox, CB_SHOWDROPDOWN, FALSE, 0);
        ::ShowWindow(Form().Handle(), SW_HIDE);
    }

    Restart();
    EXPECT_EQ(all, Form().AdapterDescriptions());
    PickAdapter(2);
    Choose("Show &all network adapters");
    EXPECT_EQ(ethernetOnly, Form().AdapterDescriptions());
    EXPECT_EQ(0, Form().SelectedAdapter()) << "the Wi-Fi adapter is no longer listed";
}
