// The adapter details dialog and the grid's mark of the setting in use, over a scripted
// present state of the adapters.

#include "MainWindowFixture.h"

#include "app/UDetails.h"
#include "netcfg/ReachabilityWin.h"

#include <gtest/gtest.h>

#include <map>

namespace {

const std::string FirstId = "{55555555-2222-3333-4444-555555555501}";
const std::string SecondId = "{55555555-2222-3333-4444-555555555502}";

// What Windows would report; an adapter not named is absent. Counts its reads.
struct TScriptedReader : ILiveStateReader {
    TLiveState Read(const std::string& adapterId) override {
        ++reads;
        return states.count(adapterId) ? states[adapterId] : TLiveState{};
    }
    std::map<std::string, TLiveState> states;
    int reads = 0;
};

TLiveState StaticState(const char* address, int prefix, const char* gateway, const char* dns) {
    TLiveState state;
    state.Present = state.Up = true;
    state.Addresses = {TLiveAddress{address, prefix, true, false}};
    state.Gateways = {gateway};
    state.DnsServers = {dns};
    return state;
}
const TLiveState Office = StaticState("10.0.0.5", 8, "10.0.0.1", "10.0.0.2");
const TLiveState Lab = StaticState("192.168.1.5", 24, "192.168.1.1", "192.168.1.2");

// What the clipboard holds, taken off it.
std::string TakeClipboardText() {
    std::string text = "(none)";
    ::OpenClipboard(nullptr);
    if (HANDLE data = ::GetClipboardData(CF_TEXT)) {
        text = static_cast<const char*>(::GlobalLock(data));
        ::GlobalUnlock(data);
    }
    ::EmptyClipboard();
    ::CloseClipboard();
    return text;
}

class AdapterDetails : public TMainWindowTest {
  protected:
    AdapterDetails()
        : TMainWindowTest({{FirstId, "First Ethernet"}, {SecondId, "Second Ethernet"}}) {}

    void Started(TMainForm& form) override {
        auto reader = std::make_unique<TScriptedReader>();
        reader_ = reader.get();
        reader_->states[FirstId] = Office;
        form.SetLiveStateReader(std::move(reader));
    }
    void Seed() {
        StoreSettings(
            Db(), {{FirstId, "Office", "10.0.0.5", "255.0.0.0", "10.0.0.1", "10.0.0.2", "", ""},
                   {FirstId, "Lab", "192.168.001.005", "255.255.255.0", "192.168.1.1",
                    "192.168.1.2", "", ""},
                   {SecondId, "Office", "10.0.0.5", "255.0.0.0", "10.0.0.1", "10.0.0.2", "", ""}});
    }

    TScriptedReader* reader_ = nullptr;
};

} // namespace

// Opened by Ctrl+D or the menu's command, the dialog lists the facts read as it opens, the
// setting in use among them; Copy puts them on the clipboard; a missing log is a plain
// message; Esc and Close both close it.
TEST_F(AdapterDetails, ShowsTheAdaptersFactsCopiesThemAndClosesWithEsc) {
    Seed();
    Start();
    std::vector<TFactRow> expected = LiveStateRows(Office, "First Ethernet", "Office");
    // The network in the conditions' terms, before the setting in use.
    expected.insert(expected.end() - 1, {{"Network", "gateway=10.0.0.1"},
                                         {"Used automatically", "no setting has conditions"}});
    for (const bool byKeys : {true, false}) {
        TMessageBoxRecorder boxes;
        std::vector<TFactRow> shown;
        TModalScript script("TDetailsForm", [&](HWND dialog) {
            HWND list = ::GetDlgItem(dialog, TDetailsForm::idList);
            for (int row = 0; row < ::SendMessageA(list, LVM_GETITEMCOUNT, 0, 0); ++row)
                shown.push_back({ListViewText(list, row, 0), ListViewText(list, row, 1)});
            Click(::GetDlgItem(dialog, TDetailsForm::idCopy));
            Click(::GetDlgItem(dialog, TDetailsForm::idOpenLog));
            EXPECT_TRUE(IsScaled(360, ClientSize(dialog).cx));
            EXPECT_TRUE(ChildrenInsideClientAreas(dialog));
            if (byKeys)
                ::PostMessageA(list, WM_KEYDOWN, VK_ESCAPE, 0);
            else
                Click(::GetDlgItem(dialog, TDetailsForm::idClose));
        });
        const int reads = reader_->reads;
        if (byKeys) {
            BYTE keys[256] = {};
            ::GetKeyboardState(keys);
            keys[VK_CONTROL] = 0x80;
            ::SetKeyboardState(keys);
            EXPECT_TRUE(Form().TranslateAccelerator({Form().DBGrid, WM_KEYDOWN, 'D', 0, 0, {}}));
            keys[VK_CONTROL] = 0;
            ::SetKeyboardState(keys);
        } else {
            Command(TMainForm::acDetails); // as the menu's item sends it
        }
        FlushEvents();
        ASSERT_TRUE(script.Ran()) << byKeys;
        // The adapter's facts, then the user's proxy as the bench has it now.
        ASSERT_LT(expected.size(), shown.size()) << byKeys;
        EXPECT_EQ(expected, std::vector(shown.begin(), shown.begin() + expected.size())) << byKeys;
        EXPECT_EQ("Proxy", shown[expected.size()].Name) << byKeys;
        std::string copied;
        for (const TFactRow& row : shown)
            copied += row.Name + ": " + row.Value + "\r\n";
        EXPECT_EQ(copied, TakeClipboardText()) << byKeys;
        ASSERT_EQ(1u, boxes.Boxes().size()) << byKeys;
        EXPECT_NE(std::string::npos, boxes.Texts()[0].find("netvane.log")) << byKeys;
        EXPECT_EQ(UINT(MB_OK), boxes.Boxes()[0].Flags) << byKeys;
        EXPECT_EQ(reads + 1, reader_->reads) << byKeys; // read afresh, once
    }
}

// The mark: the row whose values the adapter uses (an address typed with leading zeros
// included), moved by a switch and by the choice of adapter, and gone where none matches.
TEST_F(AdapterDetails, TheGridMarksTheSettingInUseAndFollowsSwitchesAndAdapters) {
    Seed();
    TMainForm& form = Start();
    EXPECT_EQ(0, form.SettingInUseRow());
    form.adoT.MoveTo(1);
    TMessageBoxRecorder boxes; // whatever the apply says under Wine
    TLiveState dhcp = StaticState("192.168.1.77", 24, "192.168.1.1", "192.168.1.2");
    dhcp.Dhcp = true;
    const TLiveState absent;
    struct Step {
        const char* what;
        const TLiveState &first, &second;
        int command; // else the adapter is picked
        int adapter, marked;
    } steps[] = {
        {"switch to Lab", Lab, absent, TMainForm::acChange, 0, 1},
        {"other adapter, absent", Lab, absent, 0, 1, -1},
        {"other adapter, present", Lab, Office, 0, 1, 0},
        {"back to the first", Lab, Office, 0, 0, 1},
        {"switch to DHCP", dhcp, Office, TMainForm::acAuto, 0, -1},
    };
    for (const Step& step : steps) {
        reader_->states = {{FirstId, step.first}, {SecondId, step.second}};
        const int reads = reader_->reads;
        step.command ? Command(step.command) : PickAdapter(step.adapter);
        EXPECT_EQ(step.marked, form.SettingInUseRow()) << step.what;
        // Once for each change of adapter, never for a paint; a switch's check may read more.
        EXPECT_TRUE(step.command ? reader_->reads > reads : reader_->reads == reads + 1)
            << step.what;
    }
}

namespace {
// The system's packets, to loopback alone: any other address fails the test unsent. The
// echo waits until released (5 s at most), as a gateway that is slow to answer would.
struct TLoopbackOnly : IReachability {
    std::optional<unsigned> Echo(const std::string& address, unsigned timeoutMs) override {
        if (address.rfind("127.", 0) != 0)
            return ADD_FAILURE() << "echo to " << address, std::nullopt;
        ::WaitForSingleObject(release.get(), 5000);
        return system.Echo(address, timeoutMs);
    }
    bool DnsAnswers(const std::string& address, std::uint16_t port, unsigned timeoutMs) override {
        if (address.rfind("127.", 0) != 0)
            return ADD_FAILURE() << "DNS query to " << address, false;
        return system.DnsAnswers(address, port, timeoutMs);
    }
    TSystemReachability system;
    UniqueHandle release{::CreateEventA(nullptr, TRUE, FALSE, nullptr)};
};
} // namespace

// The check runs beside the window: the click returns at once, the button waits greyed, and
// the lines come in a box once the answers are in.
TEST_F(AdapterDetails, TestTheConnectionChecksTheGatewayAndDnsWindowsUsesNow) {
    Start();
    reader_->states[FirstId] = StaticState("127.0.0.5", 8, "127.0.0.1", "127.0.0.1");
    auto network = std::make_unique<TLoopbackOnly>();
    const HANDLE release = network->release.get();
    Form().SetReachability(std::move(network));
    TMessageBoxRecorder boxes;
    TModalScript script("TDetailsForm", [&](HWND dialog) {
        const HWND test = ::GetDlgItem(dialog, TDetailsForm::idTest);
        const DWORD start = ::GetTickCount();
        Click(test);
        FlushEvents();
        EXPECT_LT(::GetTickCount() - start, 2500u);
        EXPECT_FALSE(::IsWindowEnabled(test));
        EXPECT_TRUE(boxes.Texts().empty());
        SaveShot(dialog, "details-testing");
        ::SetEvent(release);
        for (const DWORD wait = ::GetTickCount();
             boxes.Texts().empty() && ::GetTickCount() - wait < 10000;)
            FlushEvents();
        EXPECT_TRUE(::IsWindowEnabled(test));
        SaveShot(dialog, "details");
        Click(::GetDlgItem(dialog, TDetailsForm::idClose));
    });
    Form().acDetailsExecute();
    ASSERT_EQ(1u, boxes.Texts().size());
    EXPECT_EQ(0u, boxes.Texts()[0].find("Gateway 127.0.0.1 answers (")) << boxes.Texts()[0];
    EXPECT_NE(std::string::npos, boxes.Texts()[0].find("\r\nDNS 127.0.0.1 ")) << boxes.Texts()[0];
}
