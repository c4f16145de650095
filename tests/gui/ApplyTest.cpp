#include "app/UMain.h"

#include "GuiTesting.h"
#include "TestAdapters.h"
#include "support/TempFolder.h"

#include "support/AddressRules.h"
#include "netcfg/Registry.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>

namespace {

const std::string OfficeId = "{22222222-2222-3333-4444-555555555501}";
const std::string LabId = "{22222222-2222-3333-4444-555555555502}";
const std::string InterfaceKey =
    "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\";
const char* const ProxyKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";

struct TRawValue {
    DWORD Type = 0;
    std::string Bytes;
    bool operator==(const TRawValue&) const = default;
};

void PrintTo(const TRawValue& value, std::ostream* out) {
    *out << "type " << value.Type << ", " << value.Bytes.size() << " bytes:";
    for (unsigned char c : value.Bytes)
        *out << ' ' << static_cast<int>(c);
}

std::optional<TRawValue> ReadValue(HKEY root, const std::string& key, const char* name) {
    HKEY handle = nullptr;
    if (::RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
        return std::nullopt;
    TRawValue value;
    DWORD size = 0;
    LONG rc = ::RegQueryValueExA(handle, name, nullptr, &value.Type, nullptr, &size);
    if (rc == ERROR_SUCCESS) {
        value.Bytes.resize(size);
        rc = ::RegQueryValueExA(handle, name, nullptr, &value.Type,
                                reinterpret_cast<BYTE*>(value.Bytes.data()), &size);
    }
    ::RegCloseKey(handle);
    if (rc != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

std::vector<std::string> ValueNames(HKEY root, const std::string& key) {
    std::vector<std::string> names;
    HKEY handle = nullptr;
    if (::RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
        return names;
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD length = sizeof name;
        if (::RegEnumValueA(handle, i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        names.emplace_back(name, length);
    }
    ::RegCloseKey(handle);
    return names;
}

TRawValue Sz(const std::string& text) {
    return {REG_SZ, text + std::string(1, '\0')};
}
TRawValue MultiSz(const std::string& text) {
    return {REG_MULTI_SZ, text + std::string(2, '\0')};
}
TRawValue Dword(char value) {
    return {REG_DWORD, std::string{value, 0, 0, 0}};
}

// The main window on two adapters, with one stored setting each, and a clean proxy.
class ApplyFromWindow : public testing::Test {
  protected:
    void SetUp() override {
        adapters_.Add(OfficeId, "Office Ethernet");
        adapters_.Add(LabId, "Lab Ethernet");
        StoreSettings(dir_ / "db",
                      {{OfficeId, "Office", " 10.0.0.5 ", "255.0.0.0", "10.0.0.1", "10.0.0.2",
                        "10.0.0.3", "proxy.office:8080"},
                       {LabId, "Lab", "192.168.1.5", "255.255.255.0", "", "", "192.168.1.1", ""}});
        ::RegDeleteKeyValueA(HKEY_CURRENT_USER, ProxyKey, "ProxyServer");
        ::RegDeleteKeyValueA(HKEY_CURRENT_USER, ProxyKey, "ProxyEnable");
    }

    TMainForm& Start() {
        form_ = std::make_unique<TMainForm>(dir_.Path(), SystemRegistry());
        FlushEvents();
        return *form_;
    }
    void Command(int id) {
        ::SendMessageA(form_->Handle(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                       reinterpret_cast<LPARAM>(form_->ToolBar1));
        FlushEvents();
    }
    void DoubleClickFirstRow() {
        RECT row{};
        row.left = LVIR_BOUNDS;
        ::SendMessageA(form_->DBGrid, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row));
        ::SendMessageA(form_->DBGrid, WM_LBUTTONDBLCLK, MK_LBUTTON,
                       MAKELPARAM(row.left + 40, (row.top + row.bottom) / 2 + 20));
        FlushEvents();
    }
    std::optional<TRawValue> Adapter(const std::string& id, const char* name) const {
        return ReadValue(HKEY_LOCAL_MACHINE, InterfaceKey + id, name);
    }
    std::optional<TRawValue> Proxy(const char* name) const {
        return ReadValue(HKEY_CURRENT_USER, ProxyKey, name);
    }
    // Wine has no DHCP client service: its library is a stub that is never called, and
    // the user is told that the values wait for the adapter's restart.
    static std::vector<std::string> NotAppliedUnderWine() {
        return {NotAppliedMessage(ERROR_CALL_NOT_IMPLEMENTED)};
    }
    void ExpectStatusRefreshed() const {
        const std::string status = form_->StatusText();
        ASSERT_EQ(0u, status.rfind("Current IP is ", 0)) << status;
        EXPECT_TRUE(IsValidIP(status.substr(14))) << status;
    }

    TTempFolder dir_;
    TTestAdapters adapters_;
    std::unique_ptr<TMainForm> form_;
};

} // namespace

TEST_F(ApplyFromWindow, TheApplyButtonWritesExactlyTheSettingsValues) {
    TMessageBoxRecorder boxes;
    Start();
    form_->SetStatusText("");
    Command(TMainForm::acChange);
    EXPECT_EQ(NotAppliedUnderWine(), boxes.Texts());
    ASSERT_EQ(1u, boxes.Boxes().size());
    EXPECT_EQ(ApplicationTitle(), boxes.Boxes()[0].Caption);
    EXPECT_EQ(static_cast<UINT>(MB_OK), boxes.Boxes()[0].Flags);

    EXPECT_EQ(MultiSz("10.0.0.5"), Adapter(OfficeId, "IPAddress"));
    EXPECT_EQ(MultiSz("10.0.0.1"), Adapter(OfficeId, "DefaultGateway"));
    EXPECT_EQ(MultiSz("255.0.0.0"), Adapter(OfficeId, "SubnetMask"));
    EXPECT_EQ(Sz("10.0.0.2,10.0.0.3"), Adapter(OfficeId, "NameServer"));
    EXPECT_EQ(Dword(0), Adapter(OfficeId, "EnableDHCP"));
    EXPECT_EQ(5u, ValueNames(HKEY_LOCAL_MACHINE, InterfaceKey + OfficeId).size());
    EXPECT_TRUE(ValueNames(HKEY_LOCAL_MACHINE, InterfaceKey + LabId).empty());
    EXPECT_EQ(Dword(1), Proxy("ProxyEnable"));
    EXPECT_EQ(Sz("proxy.office:8080"), Proxy("ProxyServer"));
    ExpectStatusRefreshed();
}

TEST_F(ApplyFromWindow, DhcpSwitchesTheSelectorsAdapterAndKeepsTheLastProxy) {
    TMessageBoxRecorder boxes;
    Start();
    Command(TMainForm::acChange); // the office setting, with its proxy
    // The lab adapter in the selector; the grid's current row stays irrelevant.
    ::SendMessageA(form_->ComboBox, CB_SETCURSEL, 1, 0);
    form_->SetStatusText("");
    Command(TMainForm::acAuto);
    EXPECT_EQ(NotAppliedUnderWine(), boxes.Texts()); // from the static apply alone

    EXPECT_EQ(MultiSz(""), Adapter(LabId, "DefaultGateway"));
    EXPECT_EQ(Sz(""), Adapter(LabId, "NameServer"));
    EXPECT_EQ(Dword(1), Adapter(LabId, "EnableDHCP"));
    EXPECT_EQ(3u, ValueNames(HKEY_LOCAL_MACHINE, InterfaceKey + LabId).size());
    EXPECT_EQ(Dword(0), Adapter(OfficeId, "EnableDHCP")); // the row's adapter is untouched
    EXPECT_EQ(Dword(1), Proxy("ProxyEnable"));
    EXPECT_EQ(Sz("proxy.office:8080"), Proxy("ProxyServer"));
    ExpectStatusRefreshed();

    // DHCP on the office adapter keeps its last static address and mask.
    ::SendMessageA(form_->ComboBox, CB_SETCURSEL, 0, 0);
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
        DoubleClickFirstRow();
        ASSERT_EQ(1u, boxes.Boxes().size());
        EXPECT_EQ("Netvane now?", boxes.Boxes()[0].Text);
        EXPECT_EQ("Confirm", boxes.Boxes()[0].Caption);
        EXPECT_EQ(static_cast<UINT>(MB_YESNO | MB_ICONQUESTION),
                  boxes.Boxes()[0].Flags & (MB_TYPEMASK | MB_ICONMASK));
        EXPECT_TRUE(ValueNames(HKEY_LOCAL_MACHINE, InterfaceKey + OfficeId).empty());
        EXPECT_EQ(std::nullopt, Proxy("ProxyEnable"));
    }
    {
        TMessageBoxRecorder boxes({IDYES});
        DoubleClickFirstRow();
        EXPECT_EQ((std::vector<std::string>{"Netvane now?", NotAppliedUnderWine()[0]}),
                  boxes.Texts());
        EXPECT_EQ(MultiSz("10.0.0.5"), Adapter(OfficeId, "IPAddress"));
        EXPECT_EQ(Dword(1), Proxy("ProxyEnable"));
    }
}

TEST_F(ApplyFromWindow, AnEmptyViewAppliesNothingAndSaysSo) {
    adapters_.Add("{22222222-2222-3333-4444-555555555503}", "Spare Ethernet");
    Start();
    ::SendMessageA(form_->ComboBox, CB_SETCURSEL, 2, 0);
    ::SendMessageA(form_->Handle(), WM_COMMAND, MAKEWPARAM(TMainForm::idComboBox, CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(form_->ComboBox));
    FlushEvents();
    TMessageBoxRecorder boxes({IDOK, IDYES, IDOK});
    Command(TMainForm::acChange);
    DoubleClickFirstRow();
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
    StoreSettings(dir_ / "db", {{OfficeId, "Office upstairs", "10.0.9.5", "255.255.0.0", "10.0.0.1",
                                 "", "", ""}});
    Start();
    ASSERT_EQ(2, ::SendMessageA(form_->DBGrid, LVM_GETITEMCOUNT, 0, 0));
    // The user picks the second row.
    LVITEMA pick{};
    pick.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    pick.state = LVIS_SELECTED | LVIS_FOCUSED;
    ::SendMessageA(form_->DBGrid, LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&pick));
    FlushEvents();
    EXPECT_EQ(1, form_->adoT.CurrentRow());
    TMessageBoxRecorder boxes; // Wine's answer: the values wait for the adapter's restart
    Command(TMainForm::acChange);
    EXPECT_EQ(std::vector<std::string>{NotAppliedMessage(ERROR_CALL_NOT_IMPLEMENTED)},
              boxes.Texts());
    EXPECT_EQ(MultiSz("10.0.9.5"), Adapter(OfficeId, "IPAddress"));
    EXPECT_EQ(MultiSz("255.255.0.0"), Adapter(OfficeId, "SubnetMask"));
}

TEST_F(ApplyFromWindow, ASettingWithoutAValidAddressAndMaskIsRefusedAndWritesNothing) {
    const std::string spareId = "{22222222-2222-3333-4444-555555555503}";
    adapters_.Add(spareId, "Spare Ethernet");
    StoreSettings(dir_ / "db",
                  {{spareId, "Half done", "", "255.255.255.0", "10.0.0.1", "", "", "p:8080"}});
    Start();
    ::SendMessageA(form_->ComboBox, CB_SETCURSEL, 2, 0);
    ::SendMessageA(form_->Handle(), WM_COMMAND, MAKEWPARAM(TMainForm::idComboBox, CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(form_->ComboBox));
    FlushEvents();
    form_->SetStatusText("");
    TMessageBoxRecorder boxes;
    Command(TMainForm::acChange);
    ASSERT_EQ(1u, boxes.Boxes().size());
    EXPECT_EQ("This setting has no valid address and subnet mask; nothing was changed.",
              boxes.Boxes()[0].Text);
    EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONERROR), boxes.Boxes()[0].Flags);
    EXPECT_TRUE(ValueNames(HKEY_LOCAL_MACHINE, InterfaceKey + spareId).empty());
    EXPECT_EQ(std::nullopt, Proxy("ProxyEnable"));
    EXPECT_EQ("", form_->StatusText());
}

TEST_F(ApplyFromWindow, DhcpOnANamedConnectionStillRunsTheRealAddressToolToItsEnd) {
    adapters_.SetConnectionName(LabId, "Lab \"B\" LAN 2");
    Start();
    ::SendMessageA(form_->ComboBox, CB_SETCURSEL, 1, 0);
    form_->SetStatusText("");
    TMessageBoxRecorder boxes;
    Command(TMainForm::acAuto);
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ(Dword(1), Adapter(LabId, "EnableDHCP"));
    // The status line comes only after both commands have ended.
    ExpectStatusRefreshed();
}
