#include "MainWindowFixture.h"
#include "ReadBack.h"

#include "UWayBack.h"
#include "support/Config.h"

#include <gtest/gtest.h>

namespace {

const std::string LanId = "{33333333-2222-3333-4444-555555555501}";

// The main window on one adapter that is on DHCP, with one stored static setting.
class WayBackBox : public TMainWindowTest {
  protected:
    WayBackBox() : TMainWindowTest({{LanId, "Lan Ethernet"}}) {}

    void SetUp() override {
        TMainWindowTest::SetUp();
        StoreSettings(Db(), {{LanId, "Office", "10.0.0.5", "255.0.0.0", "10.0.0.1", "10.0.0.2",
                              "", ""}});
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExA(HKEY_LOCAL_MACHINE, AdapterKey(LanId).c_str(),
                                                   0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                                                   nullptr));
        const DWORD one = 1;
        ::RegSetValueExA(key, "EnableDHCP", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), 4);
        ::RegCloseKey(key);
    }

    // Applies with a way back by Ctrl+Enter on the grid while script answers the box; the
    // box's countdown text as it came up, and how long the box stayed.
    struct TRun {
        std::string Countdown;
        std::string Results;
        DWORD Ms = 0;
    };
    TRun ApplyWithWayBack(std::function<void(HWND)> script) {
        TRun run;
        TModalScript modal("TWayBackForm", [&](HWND box) {
            run.Countdown = TextOf(::GetDlgItem(box, TWayBackForm::idCountdown));
            run.Results = TextOf(::GetDlgItem(box, TWayBackForm::idResults));
            if (script)
                script(box);
        });
        const DWORD start = ::GetTickCount();
        BYTE keys[256] = {};
        ::GetKeyboardState(keys);
        keys[VK_CONTROL] = 0x80;
        ::SetKeyboardState(keys);
        ::SendMessageA(Form().DBGrid, WM_KEYDOWN, VK_RETURN, 0);
        keys[VK_CONTROL] = 0;
        ::SetKeyboardState(keys);
        run.Ms = ::GetTickCount() - start;
        EXPECT_TRUE(modal.Ran());
        return run;
    }
    // The proxy's switch, then the adapter's values, each after its name.
    std::vector<std::optional<TRawValue>> RegistryState() const {
        std::vector<std::optional<TRawValue>> state{
            ReadValue(HKEY_CURRENT_USER, ProxyKey, "ProxyEnable")};
        for (const std::string& name : ValueNames(HKEY_LOCAL_MACHINE, AdapterKey(LanId)))
            state.insert(state.end(), {Sz(name), Adapter(name.c_str())});
        return state;
    }
    std::optional<TRawValue> Adapter(const char* name) const {
        return ReadValue(HKEY_LOCAL_MACHINE, AdapterKey(LanId), name);
    }
};

} // namespace

TEST_F(WayBackBox, GoBackAndEscRestoreTheOldSettingsAndKeepLeavesTheNewOnes) {
    TMessageBoxRecorder boxes;
    Start();
    for (const bool byEsc : {false, true}) {
        SCOPED_TRACE(byEsc ? "Esc" : "Go back now");
        const TRun run = ApplyWithWayBack([byEsc](HWND box) {
            if (byEsc)
                ::SendMessageA(box, WM_COMMAND, IDCANCEL, 0);
            else
                ::SendMessageA(::GetDlgItem(box, TWayBackForm::idGoBack), BM_CLICK, 0, 0);
        });
        EXPECT_EQ("Going back to the previous settings in 30 s", run.Countdown);
        // Wine's IP helper lists none of the adapters made up here.
        EXPECT_NE(std::string::npos, run.Results.find("the adapter is not present in Windows now"))
            << run.Results;
        EXPECT_LT(run.Ms, 10000u);
        EXPECT_EQ(Dword(1), Adapter("EnableDHCP"));
        EXPECT_EQ(std::nullopt, Adapter("IPAddress"));
        EXPECT_NE(std::string::npos, boxes.Texts().back().find("Went back to the previous settings"))
            << boxes.Texts().back();
    }
    ApplyWithWayBack(
        [](HWND box) { ::SendMessageA(::GetDlgItem(box, TWayBackForm::idKeep), BM_CLICK, 0, 0); });
    EXPECT_EQ(Dword(0), Adapter("EnableDHCP"));
    EXPECT_EQ(MultiSz("10.0.0.5"), Adapter("IPAddress"));
    EXPECT_EQ(Sz("10.0.0.2"), Adapter("NameServer"));
}

TEST_F(WayBackBox, TheCountdownEndsAtRevertSecondsAndGoesBackToDhcp) {
    TMessageBoxRecorder boxes;
    TConfig(dir_ / "config.ini").WriteValue("RevertSeconds", "10");
    Start();
    const TRun run = ApplyWithWayBack({});
    EXPECT_EQ("Going back to the previous settings in 10 s", run.Countdown);
    EXPECT_GE(run.Ms, 9500u);
    EXPECT_LT(run.Ms, 14000u);
    EXPECT_EQ(Dword(1), Adapter("EnableDHCP"));
    EXPECT_EQ(std::nullopt, Adapter("IPAddress")) << "none was there before the apply";
    EXPECT_EQ(std::nullopt, Adapter("NameServer"));
    EXPECT_EQ(0u, boxes.Texts().back().find(
                      "Went back to the previous settings (DHCP); Windows does not use them: "))
        << boxes.Texts().back();
}

TEST_F(WayBackBox, NothingAnsweredTheAbsentAdaptersSettingsGoBackWithOneMessageAfterTheBox) {
    TMessageBoxRecorder boxes;
    TConfig(dir_ / "config.ini").WriteValue("RevertSeconds", "10");
    Start();
    const auto before = RegistryState();
    std::uint64_t ahead = 0;
    TWayBackForm::SetClock([&ahead] { return ::GetTickCount64() + ahead; });
    size_t boxesBeforeIt = 0;
    const TRun run = ApplyWithWayBack([&](HWND box) {
        boxesBeforeIt = boxes.Boxes().size();
        SaveShot(box, "keep-box");
        ahead += 10000; // the countdown's time passes; nobody answers
    });
    TWayBackForm::SetClock(nullptr);
    EXPECT_EQ(0u, boxesBeforeIt) << "no box stands before the Keep box";
    EXPECT_EQ(0u, run.Results.find("The new settings are saved, but the adapter")) << run.Results;
    EXPECT_LT(run.Ms, 8000u) << "the box's clock ended it, not the real one";
    EXPECT_EQ(before, RegistryState());
    ASSERT_EQ(1u, boxes.Texts().size()) << testing::PrintToString(boxes.Texts());
    EXPECT_EQ("Went back to the previous settings (DHCP); Windows does not use them: the adapter "
              "is not present in Windows now",
              boxes.Texts()[0]);
}
