#include "MainWindowFixture.h"
#include "ReadBack.h"

#include "netcfg/SwitchCheck.h"
#include "support/AddressRules.h"
#include "support/Files.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

const std::string OfficeId = "{22222222-2222-3333-4444-555555555501}";
const std::string LabId = "{22222222-2222-3333-4444-555555555502}";

// The main window on two adapters, with one stored setting each, and a clean proxy.
class ApplyFromWindow : public TMainWindowTest {
  protected:
    ApplyFromWindow() : TMainWindowTest({{OfficeId, "Office Ethernet"}, {LabId, "Lab Ethernet"}}) {}

    void SetUp() override {
        TMainWindowTest::SetUp();
        StoreSettings(Db(),
                      {{OfficeId, "Office", " 10.0.0.5 ", "255.0.0.0", "10.0.0.1", "10.0.0.2",
                        "10.0.0.3", "proxy.office:8080"},
                       {LabId, "Lab", "192.168.1.5", "255.255.255.0", "", "", "192.168.1.1", ""}});
    }

    // A user's double click on a row: press and release, then the second press.
    void DoubleClickRow(int index) {
        RECT row{};
        row.left = LVIR_BOUNDS;
        ::SendMessageA(Form().DBGrid, LVM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&row));
        const LPARAM at = MAKELPARAM(row.left + 40, (row.top + row.bottom) / 2);
        // The grid may follow the button until it is released: the release waits in the queue.
        ::PostMessageA(Form().DBGrid, WM_LBUTTONUP, 0, at);
        ::SendMessageA(Form().DBGrid, WM_LBUTTONDOWN, MK_LBUTTON, at);
        FlushEvents();
        ::PostMessageA(Form().DBGrid, WM_LBUTTONUP, 0, at);
        ::SendMessageA(Form().DBGrid, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
        FlushEvents();
    }
    std::optional<TRawValue> Adapter(const std::string& id, const char* name) const {
        return ReadValue(HKEY_LOCAL_MACHINE, AdapterKey(id), name);
    }
    std::optional<TRawValue> Proxy(const char* name) const {
        return ReadValue(HKEY_CURRENT_USER, ProxyKey, name);
    }
    // Wine's IP helper lists none of the adapters made up here: the user is told that the
    // values wait for the adapter.
    static std::string NotPresentUnderWine(const char* adapter = "Office Ethernet") {
        return NotPresentMessage(adapter);
    }
};

} // namespace

TEST_F(ApplyFromWindow, TheApplyButtonWritesExactlyTheSettingsValues) {
    TMessageBoxRecorder boxes;
    Start();
    Form().SetStatusText("");
    ::SetWindowTextA(Form().ComboBox, "Typed by hand"); // not what the log names
    Command(TMainForm::acChange);
    EXPECT_EQ(std::vector{NotPresentUnderWine()}, boxes.Texts());
    EXPECT_NE(std::string::npos,
              ReadFileText(dir_ / "netvane.log").find("  Office Ethernet  Office"));
    ASSERT_EQ(1u, boxes.Boxes().size());
    EXPECT_EQ(ApplicationTitle(), boxes.Boxes()[0].Caption);
    EXPECT_EQ(static_cast<UINT>(MB_OK), boxes.Boxes()[0].Flags);

    EXPECT_EQ(MultiSz("10.0.0.5"), Adapter(OfficeId, "IPAddress"));
    EXPECT_EQ(MultiSz("10.0.0.1"), Adapter(OfficeId, "DefaultGateway"));
    EXPECT_EQ(MultiSz("255.0.0.0"), Adapter(OfficeId, "SubnetMask"));
    EXPECT_EQ(Sz("10.0.0.2,10.0.0.3"), Adapter(OfficeId, "NameServer"));
    EXPECT_EQ(Dword(0), Adapter(OfficeId, "EnableDHCP"));
    EXPECT_EQ(5u, ValueNames(HKEY_LOCAL_MACHINE, AdapterKey(OfficeId)).size());
    EXPECT_TRUE(ValueNames(HKEY_LOCAL_MACHINE, AdapterKey(LabId)).empty());
    EXPECT_EQ(Dword(1), Proxy("ProxyEnable"));
    EXPECT_EQ(Sz("proxy.office:8080"), Proxy("ProxyServer"));
    ExpectStatusShowsTheAddress();
}

TEST_F(ApplyFromWindow, DhcpSwitchesTheSelectorsAdapterAndKeepsTheLastProxy) {
    TMessageBoxRecorder boxes;
    Start();
    Command(TMainForm::acChange); // the office setting, with its proxy
    // The lab adapter in the selector; the grid's current row stays irrelevant.
    ::SendMessageA(Form().ComboBox, CB_SETCURSEL, 1, 0);
    Form().SetStatusText("");
    Command(TMainForm::acAuto);
    EXPECT_EQ((std::vector{NotPresentUnderWine(), NotPresentUnderWine("Lab Ethernet")}),
              boxes.Texts());

    EXPECT_EQ(MultiSz(""), Adapter(LabId, "DefaultGateway"));
    EXPECT_EQ(Sz(""), Adapter(LabId, "NameServer"));
    EXPECT_EQ(Dword(1), Adapter(LabId, "EnableDHCP"));
    EXPECT_EQ(3u, ValueNames(HKEY_LOCAL_MACHINE, AdapterKey(LabId)).size());
    EXPECT_EQ(Dword(0), Adapter(OfficeId, "EnableDHCP")); // the row's adapter is untouched
    EXPECT_EQ(Dword(1), Proxy("ProxyEnable"));
    EXPECT_EQ(Sz("proxy.office:8080"), Proxy("ProxyServer"));
    ExpectStatusShowsTheAddress();

    // DHCP on the office adapter keeps its last static address and mask.
    ::SendMessageA(Form().ComboBox, CB_SETCURSEL, 0, 0);
    Command(TMainForm::acAuto);
    EXPECT_EQ(MultiSz("10.0.0.5"), Adapter(OfficeId, "IPAddress"));
    EXPECT_EQ(MultiSz("255.0.0.0"), Adapter(OfficeId, "SubnetMask"));
    EXPECT_EQ(MultiSz(""), Adapter(OfficeId, "DefaultGateway"));
    EXPECT_EQ(Dword(1), Adapter(OfficeId, "EnableDHCP"));
}

TEST_F(ApplyFromWindow, DoubleClickAsksFirstAndAppliesOnlyOnYes) {
    Start();
    {
        TMessageBoxRecorder boxes({IDNO});
        DoubleClickRow(0);
        ASSERT_EQ(1u, boxes.Boxes().size());
        EXPECT_EQ("Netvane now?", boxes.Boxes()[0].Text);
        EXPECT_EQ("Confirm", boxes.Boxes()[0].Caption);
        EXPECT_EQ(static_cast<UINT>(MB_YESNO | MB_ICONQUESTION),
                  boxes.Boxes()[0].Flags & (MB_TYPEMASK | MB_ICONMASK));
        EXPECT_TRUE(ValueNames(HKEY_LOCAL_MACHINE, AdapterKey(OfficeId)).empty());
        EXPECT_EQ(std::nullopt, Proxy("ProxyEnable"));
    }
    {
        TMessageBoxRecorder boxes({IDYES});
        DoubleClickRow(0);
        EXPECT_EQ((std::vector<std::string>{"Netvane now?", NotPresentUnderWine()}),
                  boxes.Texts());
        EXPECT_EQ(MultiSz("10.0.0.5"), Adapter(OfficeId, "IPAddress"));
        EXPECT_EQ(Dword(1), Proxy("ProxyEnable"));
    }
}

TEST_F(ApplyFromWindow, AnEmptyViewAppliesNothingAndSaysSo) {
    adapters_.Add("{22222222-2222-3333-4444-555555555503}", "Spare Ethernet");
    Start();
    PickAdapter(2);
    TMessageBoxRecorder boxes({IDOK, IDYES, IDOK});
    Command(TMainForm::acChange);
    DoubleClickRow(0);
    EXPECT_EQ((std::vector<std::string>{"No item!", "Netvane now?", "No item!"}), boxes.Texts());
    EXPECT_EQ(ApplicationTitle(), boxes.Boxes()[0].Caption);
    EXPECT_EQ(static_cast<UINT>(MB_OK), boxes.Boxes()[0].Flags);
    EXPECT_EQ(std::nullopt, Proxy("ProxyEnable"));
}

TEST_F(ApplyFromWindow, DhcpWithoutAnAdapterReportsTheListErrorAndChangesNothing) {
    adapters_.RemoveAll();
    Start();
    TMessageBoxRecorder boxes;
    Command(TMainForm::acAuto);
    ASSERT_EQ(1u, boxes.Boxes().size());
    EXPECT_EQ("List index out of bounds (-1)", boxes.Boxes()[0].Text);
    EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONERROR), boxes.Boxes()[0].Flags);
    EXPECT_EQ(std::nullopt, Proxy("ProxyEnable"));
}

TEST_F(ApplyFromWindow, TheRowPickedInTheGridIsTheOneApplied) {
    StoreSettings(
        Db(), {{OfficeId, "Office upstairs", "10.0.9.5", "255.255.0.0", "10.0.0.1", "", "", ""}});
    Start();
    ASSERT_EQ(2, GridRows());
    // The user picks the second row.
    LVITEMA pick{};
    pick.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    pick.state = LVIS_SELECTED | LVIS_FOCUSED;
    ::SendMessageA(Form().DBGrid, LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&pick));
    FlushEvents();
    EXPECT_EQ(1, Form().adoT.CurrentRow());
    TMessageBoxRecorder boxes; // Wine's answer: the values wait for the adapter
    Command(TMainForm::acChange);
    EXPECT_EQ(std::vector{NotPresentUnderWine()}, boxes.Texts());
    EXPECT_EQ(MultiSz("10.0.9.5"), Adapter(OfficeId, "IPAddress"));
    EXPECT_EQ(MultiSz("255.255.0.0"), Adapter(OfficeId, "SubnetMask"));
}

TEST_F(ApplyFromWindow, ADoubleClickedRowIsTheOneApplied) {
    StoreSettings(
        Db(), {{OfficeId, "Office upstairs", "10.0.9.5", "255.255.0.0", "10.0.0.1", "", "", ""}});
    Start();
    ASSERT_EQ(2, GridRows());
    for (const auto& [row, address] : {std::pair{1, "10.0.9.5"}, std::pair{0, "10.0.0.5"}}) {
        TMessageBoxRecorder boxes({IDYES});
        DoubleClickRow(row);
        EXPECT_EQ(row, Form().adoT.CurrentRow());
        EXPECT_EQ("Netvane now?", boxes.Texts().at(0));
        EXPECT_EQ(MultiSz(address), Adapter(OfficeId, "IPAddress")) << "row " << row;
    }
}

TEST_F(ApplyFromWindow, ASettingWithoutAValidAddressAndMaskIsRefusedAndWritesNothing) {
    const std::string spareId = "{22222222-2222-3333-4444-555555555503}";
    adapters_.Add(spareId, "Spare Ethernet");
    StoreSettings(Db(),
                  {{spareId, "Half done", "", "255.255.255.0", "10.0.0.1", "", "", "p:8080"}});
    Start();
    PickAdapter(2);
    Form().SetStatusText("");
    TMessageBoxRecorder boxes;
    Command(TMainForm::acChange);
    ASSERT_EQ(1u, boxes.Boxes().size());
    EXPECT_EQ("This setting has no valid address and subnet mask; nothing was changed.",
              boxes.Boxes()[0].Text);
    EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONERROR), boxes.Boxes()[0].Flags);
    EXPECT_TRUE(ValueNames(HKEY_LOCAL_MACHINE, AdapterKey(spareId)).empty());
    EXPECT_EQ(std::nullopt, Proxy("ProxyEnable"));
    EXPECT_EQ("", Form().StatusText());
}

TEST_F(ApplyFromWindow, DhcpOnANamedConnectionStillRunsTheRealAddressToolToItsEnd) {
    adapters_.SetConnectionName(LabId, "Lab \"B\" LAN 2");
    Start();
    ::SendMessageA(Form().ComboBox, CB_SETCURSEL, 1, 0);
    Form().SetStatusText("");
    TMessageBoxRecorder boxes;
    Command(TMainForm::acAuto);
    EXPECT_EQ(std::vector{NotPresentUnderWine("Lab Ethernet")}, boxes.Texts());
    EXPECT_EQ(Dword(1), Adapter(LabId, "EnableDHCP"));
    // The status line comes only after both commands have ended.
    ExpectStatusShowsTheAddress();
}
