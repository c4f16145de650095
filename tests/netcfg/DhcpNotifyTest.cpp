#include "netcfg/NetServicesWin.h"

#include "netcfg/MemoryRegistry.h"
#include "support/Forms.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace {
// The recording dhcpcsvc.dll, built beside this binary and named by its full path.
std::string RecordingLibrary() {
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    const std::string binary = path;
    return binary.substr(0, binary.find_last_of('\\') + 1) + "dhcpcsvc.dll";
}
} // namespace

// Runs with the recording dhcpcsvc.dll, loaded instead of Wine's own.
class DhcpNotification : public testing::Test {
  protected:
    void SetUp() override {
        record_ = dir_ / "calls.txt";
        _putenv_s("NETVANE_DHCP_RECORD", record_.c_str());
        services_.UseDhcpLibraryAt(RecordingLibrary());
    }
    void Answer(const char* result) { _putenv_s("NETVANE_DHCP_RESULT", result); }
    std::string Calls() const {
        try {
            return GetFile(record_);
        } catch (const std::exception&) {
            return "";
        }
    }

    TTempFolder dir_;
    std::string record_;
    TSystemNetServices services_{nullptr};
};

TEST_F(DhcpNotification, PassesTheSevenArgumentsOfANewStaticAddress) {
    Answer("0");
    TIP request;
    request.Adapter = "{6B1F1C40-3D4A-4F7E-9C51-2A7D0E5B8A01}";
    request.Address = "192.168.0.5";
    request.Submask = "255.255.255.0";
    EXPECT_EQ(0u, services_.NotifyDhcpClient(request));
    // Address and mask in network byte order, read as a little-endian number.
    EXPECT_EQ("null|{6B1F1C40-3D4A-4F7E-9C51-2A7D0E5B8A01}|-1|0|0500a8c0|00ffffff|0\n", Calls());
}

TEST_F(DhcpNotification, GivesBackTheServicesAnswer) {
    TIP request;
    request.Adapter = "{X}";
    request.Address = "10.0.0.1";
    request.Submask = "255.0.0.0";
    Answer("5");
    EXPECT_EQ(5u, services_.NotifyDhcpClient(request));
    Answer("0");
    EXPECT_EQ(0u, services_.NotifyDhcpClient(request));
}

// The real notification and message box seam. The address query and the cursor play no
// part here, and in this console binary each can wait seconds (a name lookup, the display).
class TServicesWithKnownAddress : public TSystemNetServices {
  public:
    TServicesWithKnownAddress() : TSystemNetServices(nullptr) {
        UseDhcpLibraryAt(RecordingLibrary());
    }
    bool GetLocalIP(std::string& text) override {
        text = "10.0.0.1";
        return true;
    }
    void SetWaitCursor(bool) override {}
    // Judged by the notification's answer alone: this adapter is none Windows has.
    ILiveStateReader* LiveStateReader() override { return nullptr; }
};

TEST_F(DhcpNotification, AnApplyTellsTheUserOnlyWhenTheServiceRefuses) {
    TServicesWithKnownAddress services;
    const std::string adapter = "{6B1F1C40-3D4A-4F7E-9C51-2A7D0E5B8A02}";
    TMemoryRegistry registry;
    registry.AddEthernetAdapter(adapter);
    registry.OpenKey(TRootKey::LocalMachine, std::string(InterfacesKey).substr(1) + adapter, true);
    std::vector<std::string> messages;
    const TMessageBoxHandler previous =
        SetMessageBoxHandler([&](HWND, const std::string& text, const std::string&, UINT) {
            messages.push_back(text);
            return IDOK;
        });
    TIP request;
    request.Adapter = adapter;
    request.Address = "10.0.0.1";
    request.Submask = "255.0.0.0";
    struct Case {
        const char* answer;
        bool applied;
        std::vector<std::string> messages;
    } cases[] = {
        {"0", true, {}},
        {"1231", false, {NotAppliedMessage(1231)}},
    };
    for (const auto& c : cases) {
        Answer(c.answer);
        messages.clear();
        EXPECT_EQ(c.applied, SetIP(request, registry, services)) << c.answer;
        EXPECT_EQ(c.messages, messages) << c.answer;
    }
    SetMessageBoxHandler(previous);
}

TEST_F(DhcpNotification, AnOverlongAdapterNameIsCutNotLeftUnterminated) {
    Answer("0");
    TIP request;
    request.Adapter = std::string(200, 'A');
    request.Address = "10.0.0.1";
    request.Submask = "255.0.0.0";
    services_.NotifyDhcpClient(request);
    const std::string calls = Calls();
    ASSERT_FALSE(calls.empty());
    const std::string adapter = calls.substr(5, calls.find('|', 5) - 5);
    EXPECT_EQ(std::string(79, 'A'), adapter);
}
