// The service under Wine, installed by the shipped program into the test prefix's service
// manager from a folder under Program Files, and driven for real: the command line's
// switches go through it, a folder everyone may change is refused at install and at the
// service's own start, and removal leaves no key.

#include "ProgramChild.h"
#include "ReadBack.h"
#include "ServiceFolder.h"
#include "TestAdapters.h"
#include "app/CommandLine.h"
#include "privileged/ServiceRules.h"
#include "support/Files.h"
#include "support/TempFolder.h"
#include "support/WinHandles.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace {

const std::string AdapterId = "{55555555-2222-3333-4444-5555555555c1}";
const std::string ServiceKey = "SYSTEM\\CurrentControlSet\\Services\\Netvane";

class ServiceExe : public testing::Test {
  protected:
    void SetUp() override {
        adapters_.Add(AdapterId, "Service Ethernet");
        ASSERT_TRUE(service_.Copied()) << NETVANE_DIST_EXE;
    }
    TRun Run(const std::string& arguments) { return service_.Run(arguments); }
    std::vector<std::string> Log() { return FileLines(service_.Folder + "\\netvane.log"); }
    static std::vector<std::string> ServiceRecord() {
        char data[MAX_PATH] = {};
        ::ExpandEnvironmentStringsA("%ProgramData%\\Netvane\\", data, MAX_PATH);
        return FileLines(std::string(data) + ServiceLogName);
    }

    TTestAdapters adapters_;
    TServiceFolder service_{"Netvane Service Test"};
};

// Waits while the service is in a pending state; its state then.
DWORD SettledState(SC_HANDLE service) {
    SERVICE_STATUS status{};
    for (int i = 0; i < 150; ++i) {
        if (!::QueryServiceStatus(service, &status))
            return 0;
        if (status.dwCurrentState != SERVICE_START_PENDING &&
            status.dwCurrentState != SERVICE_STOP_PENDING)
            break;
        ::Sleep(200);
    }
    return status.dwCurrentState;
}

} // namespace

TEST_F(ServiceExe, InstalledItTakesTheCommandLinesSwitchesAndRemovalLeavesNoKey) {
    const TRun install = Run("/install-service /group Users");
    ASSERT_EQ(DWORD(ExitDone), install.ExitCode) << install.Err;
    EXPECT_EQ(0u, install.Out.find("The Netvane service is installed and running.")) << install.Out;
    EXPECT_EQ(Sz("Users"),
              ReadValue(HKEY_LOCAL_MACHINE, ServiceKey + "\\Parameters", AllowedGroupValue));
    EXPECT_EQ("\"" + service_.Exe() + "\" /service",
              RegText(HKEY_LOCAL_MACHINE, ServiceKey, "ImagePath"));
    EXPECT_EQ(DWORD(ExitFailed), Run("/install-service").ExitCode) << "installed twice";

    const std::string csv = service_.Folder + "\\plant.csv";
    WriteFileText(csv, "Title,Address,Submask,Gateway\r\nPlant,10.20.0.5,255.255.0.0,10.20.0.1");
    ASSERT_EQ(DWORD(ExitDone), Run("/import \"" + csv + "\" /adapter " + AdapterId).ExitCode);
    ::DeleteFileA(csv.c_str());
    // Wine's IP helper does not have the test's adapter: written, then not verified.
    const TRun apply = Run("/apply Plant /adapter " + AdapterId);
    EXPECT_EQ(DWORD(ExitNotPresent), apply.ExitCode) << apply.Out << apply.Err;
    EXPECT_EQ(MultiSz("10.20.0.5"),
              ReadValue(HKEY_LOCAL_MACHINE, AdapterKey(AdapterId), "IPAddress"));
    const TRun dhcp = Run("/dhcp /adapter " + AdapterId);
    EXPECT_EQ(DWORD(ExitNotPresent), dhcp.ExitCode) << dhcp.Out << dhcp.Err;
    EXPECT_EQ(Dword(1), ReadValue(HKEY_LOCAL_MACHINE, AdapterKey(AdapterId), "EnableDHCP"));
    const std::vector<std::string> log = Log();
    ASSERT_EQ(2u, log.size());
    for (const std::string& line : log)
        EXPECT_TRUE(line.ends_with("  through the service")) << line;
    EXPECT_NE(std::string::npos, log[0].find("Plant")) << log[0];
    // The service's own record: who, which adapter, which setting, how it ended.
    const std::vector<std::string> record = ServiceRecord();
    ASSERT_LE(2u, record.size());
    const std::string& plant = record[record.size() - 2];
    for (const std::string part : {"\\", "Service Ethernet", "  Plant  "})
        EXPECT_NE(std::string::npos, plant.find(part)) << plant;
    EXPECT_NE(std::string::npos, record.back().find("  DHCP  ")) << record.back();

    const TRun remove = Run("/uninstall-service");
    EXPECT_EQ(DWORD(ExitDone), remove.ExitCode) << remove.Err;
    EXPECT_EQ("The Netvane service was stopped and removed.\r\n", remove.Out);
    // The manager drops the key once the service's process has let go of it.
    EXPECT_TRUE(Eventually([] { return !KeyExists(HKEY_LOCAL_MACHINE, ServiceKey); }));
    const TRun again = Run("/uninstall-service");
    EXPECT_EQ(DWORD(ExitFailed), again.ExitCode);
    EXPECT_EQ("The Netvane service was not removed: it is not installed.\r\n", again.Err);
}

TEST_F(ServiceExe, AFolderEveryoneMayChangeIsRefusedAtInstallAndAtTheServicesStart) {
    ASSERT_EQ(DWORD(ExitDone), Run("/install-service").ExitCode);
    {
        const UniqueServiceHandle manager(::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
        const UniqueServiceHandle service(::OpenServiceA(
            manager.get(), ServiceName, SERVICE_START | SERVICE_STOP | SERVICE_QUERY_STATUS));
        ASSERT_TRUE(service) << ::GetLastError();
        SERVICE_STATUS status{};
        ASSERT_TRUE(::ControlService(service.get(), SERVICE_CONTROL_STOP, &status));
        ASSERT_EQ(DWORD(SERVICE_STOPPED), SettledState(service.get()));
        // The folder opened to everyone since it was installed (under Wine: mode 777).
        ASSERT_EQ(0u, OpenToEveryone(service_.Folder));
        ASSERT_TRUE(::StartServiceA(service.get(), 0, nullptr)) << ::GetLastError();
        EXPECT_EQ(DWORD(SERVICE_STOPPED), SettledState(service.get()));
        ASSERT_TRUE(::QueryServiceStatus(service.get(), &status));
        EXPECT_EQ(DWORD(ERROR_ACCESS_DENIED), status.dwWin32ExitCode);
    }
    const std::vector<std::string> record = ServiceRecord();
    ASSERT_FALSE(record.empty());
    EXPECT_NE(std::string::npos, record.back().find("The service did not start: Accounts other "
                                                    "than the system's and administrators'"))
        << record.back();
    // Installed but stopped: said once, and the switch goes on without it.
    const TRun dhcp = Run("/dhcp /adapter " + AdapterId);
    EXPECT_EQ(DWORD(ExitNotPresent), dhcp.ExitCode) << dhcp.Err;
    const std::string said = std::string(ServiceStoppedMessage) + "\r\n";
    EXPECT_EQ(0u, dhcp.Out.find(said)) << dhcp.Out;
    EXPECT_EQ(std::string::npos, dhcp.Out.find(said, 1)) << dhcp.Out;
    EXPECT_EQ(Dword(1), ReadValue(HKEY_LOCAL_MACHINE, AdapterKey(AdapterId), "EnableDHCP"));
    ASSERT_EQ(DWORD(ExitDone), Run("/uninstall-service").ExitCode);

    const TRun install = Run("/install-service");
    EXPECT_EQ(DWORD(ExitFailed), install.ExitCode);
    EXPECT_EQ(0u, install.Err.find("The Netvane service was not installed: Accounts other than "
                                   "the system's and administrators' can change the folder \"" +
                                   service_.Folder + "\""))
        << install.Err;
    EXPECT_NE(std::string::npos, install.Err.find("Move Netvane into a folder only administrators "
                                                  "can change, such as Program Files."));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, ServiceKey));
    EXPECT_EQ(DWORD(ExitUsage), Run("/install-service /group \"\"").ExitCode);
}
