#include "MainWindowFixture.h"

#include "ReadBack.h"

#include "support/AddressRules.h"
#include "netcfg/Registry.h"

TMainWindowTest::TMainWindowTest(std::vector<std::pair<std::string, std::string>> adapters)
    : startAdapters_(std::move(adapters)) {}

void TMainWindowTest::SetUp() {
    for (const auto& [id, description] : startAdapters_)
        adapters_.Add(id, description);
    ::RegDeleteKeyValueA(HKEY_CURRENT_USER, ProxyKey, "ProxyServer");
    ::RegDeleteKeyValueA(HKEY_CURRENT_USER, ProxyKey, "ProxyEnable");
}

void TMainWindowTest::TearDown() {
    // The window goes first, while what a fixture of its own holds (a message box recorder,
    // the answers to menus and file dialogs) still stands.
    program_.reset();
}

TMainForm& TMainWindowTest::Start() {
    program_ = std::make_unique<TProgram>(dir_.Path(), SystemRegistry());
    Started(Form());
    FlushEvents();
    return Form();
}

void TMainWindowTest::Close() {
    ::SendMessageA(Form().Handle(), WM_CLOSE, 0, 0);
    FlushEvents();
    program_.reset();
}

TMainForm& TMainWindowTest::Restart() {
    Close();
    return Start();
}

void TMainWindowTest::Command(int id) {
    ::SendMessageA(Form().Handle(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                   reinterpret_cast<LPARAM>(Form().ToolBar1));
    FlushEvents();
}

void TMainWindowTest::PickAdapter(int index) {
    ::SendMessageA(Form().ComboBox, CB_SETCURSEL, index, 0);
    ::SendMessageA(Form().Handle(), WM_COMMAND, MAKEWPARAM(TMainForm::idComboBox, CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(Form().ComboBox));
    FlushEvents();
}

int TMainWindowTest::GridRows() const {
    return static_cast<int>(::SendMessageA(Form().DBGrid, LVM_GETITEMCOUNT, 0, 0));
}

void TMainWindowTest::ExpectStatusShowsTheAddress() const {
    const std::string status = Form().StatusText();
    ASSERT_EQ(0u, status.rfind("Current IP is ", 0)) << status;
    EXPECT_TRUE(IsValidIP(status.substr(14))) << status;
}
