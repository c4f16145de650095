// The window with its own reader of what Windows uses, on an adapter Wine really has (the
// host's, given a class-key entry): the stored setting equal to its present values is marked
// in use, and the details dialog lists those values. Reading them sends nothing.

#include "HostAdapters.h"
#include "MainWindowFixture.h"

#include "app/UDetails.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

const std::optional<THostAdapter>& Host() {
    static const std::optional<THostAdapter> host = HostAdapter(true);
    return host;
}

std::vector<std::pair<std::string, std::string>> HostAdapterList() {
    if (!Host())
        return {{"{55555555-2222-3333-4444-555555555501}", "No Host Ethernet"}};
    return {{Host()->Id, "Host Ethernet"}};
}

class HostDetails : public TMainWindowTest {
  protected:
    HostDetails() : TMainWindowTest(HostAdapterList()) {}
};

} // namespace

TEST_F(HostDetails, MarksTheSettingTheHostAdapterUsesAndListsItsValues) {
    if (!Host() || Host()->DnsServers.size() > 2)
        GTEST_SKIP() << "no host interface up with an address, a gateway and two DNS servers at most";
    const THostAdapter& host = *Host();
    const auto dns = [&](size_t i) { return i < host.DnsServers.size() ? host.DnsServers[i] : ""; };
    StoreSettings(Db(), {{host.Id, "Elsewhere", "10.9.9.9", "255.255.255.0", "", "", "", ""},
                         {host.Id, "Here", host.Address, host.Mask, host.Gateway, dns(0), dns(1), ""}});
    TMainForm& form = Start();
    ASSERT_LE(0, form.SettingInUseRow());
    form.adoT.MoveTo(form.SettingInUseRow());
    EXPECT_EQ("Here", form.adoT.Text(form.SettingInUseRow(), 2));
    SaveShot(form.Handle(), "grid-host");

    std::vector<TFactRow> shown;
    TModalScript script("TDetailsForm", [&](HWND dialog) {
        HWND list = ::GetDlgItem(dialog, TDetailsForm::idList);
        for (int row = 0; row < ::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0); ++row)
            shown.push_back({ListViewText(list, row, 0), ListViewText(list, row, 1)});
        SaveShot(dialog, "details-host");
        Click(::GetDlgItem(dialog, TDetailsForm::idClose));
    });
    Command(TMainForm::acDetails);
    FlushEvents();
    ASSERT_TRUE(script.Ran());
    const auto has = [&](const std::string& name, const std::string& value) {
        return std::find(shown.begin(), shown.end(), TFactRow{name, value}) != shown.end();
    };
    EXPECT_TRUE(has("Description", "Host Ethernet"));
    EXPECT_TRUE(has("Connected", "yes"));
    EXPECT_TRUE(has("Address", host.Address + "/" + host.Mask));
    EXPECT_TRUE(has("Gateway", host.Gateway));
    for (const std::string& server : host.DnsServers)
        EXPECT_TRUE(has("DNS server", server)) << server;
    EXPECT_TRUE(has("Setting in use", "Here"));
}
