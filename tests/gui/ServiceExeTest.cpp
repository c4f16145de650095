// The service under Wine, driven through the shipped program and the service control
// manager of the test prefix. Wine shows every file of the prefix as owned by, and writable
// for, the signed-in account: a place the service may run from cannot be made here, so what
// is driven is the refusal at install and at the service's own start, the note of a stopped
// service, and the removal.

#include "ProgramRun.h"
#include "ReadBack.h"
#include "TestAdapters.h"
#include "app/CommandLine.h"
#include "privileged/ServiceRules.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace {

const std::string AdapterId = "{55555555-2222-3333-4444-5555555555c1}";
const std::string ServiceKey = "SYSTEM\\CurrentControlSet\\Services\\Netvane";

// A folder under Program Files, as an administrator would install into.
class ServiceExe : public testing::Test {
  protected:
    void SetUp() override {
        adapters_.Add(AdapterId, "Service Ethernet");
        ::CreateDirectoryA(folder_.c_str(), nullptr);
        ASSERT_TRUE(::CopyFileA(NETVANE_DIST_EXE, Exe().c_str(), FALSE)) << NETVANE_DIST_EXE;
    }
    void TearDown() override {
        Run("/uninstall-service");
        for (const char* name : {"Netvane.exe", "netvane.log", "config.ini", "db"})
            ::DeleteFileA((folder_ + "\\" + name).c_str());
        ::RemoveDirectoryA(folder_.c_str());
    }

    std::string Exe() const { return folder_ + "\\Netvane.exe"; }
    TRun Run(const std::string& arguments) { return RunProgram(Exe(), arguments, folder_); }

    const std::string folder_ = "C:\\Program Files\\Netvane Service Test";
    TTestAdapters adapters_;
};

struct TServiceCloser {
    void operator()(SC_HANDLE handle) const { ::CloseServiceHandle(handle); }
};
using UniqueService = std::unique_ptr<std::remove_pointer_t<SC_HANDLE>, TServiceCloser>;

} // namespace

TEST_F(ServiceExe, InstallIsRefusedWhereTheAccountCanChangeTheProgram) {
    const TRun install = Run("/install-service /group Users");
    EXPECT_EQ(DWORD(ExitFailed), install.ExitCode);
    EXPECT_EQ(0u, install.Err.find("The Netvane service was not installed: Accounts other than "
                                   "the system's and administrators' can change the folder \"" +
                                   folder_ + "\""))
        << install.Err;
    EXPECT_NE(std::string::npos, install.Err.find("Move Netvane into a folder only administrators "
                                                  "can change, such as Program Files."));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, ServiceKey));

    const TRun unknown = Run("/install-service /group \"\"");
    EXPECT_EQ(DWORD(ExitUsage), unknown.ExitCode);
    const TRun remove = Run("/uninstall-service");
    EXPECT_EQ(DWORD(ExitFailed), remove.ExitCode);
    EXPECT_EQ("The Netvane service was not removed: it is not installed.\r\n", remove.Err);
}

TEST_F(ServiceExe, AServiceThatRefusesToRunIsSaidOnceAndTheSwitchGoesOnWithoutIt) {
    // Registered past the install's check: the service's own start checks again.
    {
        const UniqueService manager(::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
        ASSERT_TRUE(manager);
        const std::string commandLine = "\"" + Exe() + "\" " + ServiceSwitch;
        const UniqueService service(
            ::CreateServiceA(manager.get(), ServiceName, ServiceDisplayName, SERVICE_ALL_ACCESS,
                             SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL,
                             commandLine.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr));
        ASSERT_TRUE(service) << ::GetLastError();
        // Wine's service manager locks its database while it starts its own services.
        bool started = false;
        for (int i = 0; i < 150 && !started; ++i) {
            started = ::StartServiceA(service.get(), 0, nullptr);
            if (!started && ::GetLastError() != ERROR_SERVICE_DATABASE_LOCKED)
                break;
            if (!started)
                ::Sleep(200);
        }
        EXPECT_TRUE(started) << ::GetLastError();
        SERVICE_STATUS status{};
        for (int i = 0; i < 150; ++i) {
            ASSERT_TRUE(::QueryServiceStatus(service.get(), &status));
            if (status.dwCurrentState == SERVICE_STOPPED)
                break;
            ::Sleep(200);
        }
        EXPECT_EQ(DWORD(SERVICE_STOPPED), status.dwCurrentState);
        EXPECT_EQ(DWORD(ERROR_ACCESS_DENIED), status.dwWin32ExitCode);
    }
    const TRun dhcp = Run("/dhcp /adapter " + AdapterId);
    EXPECT_EQ(DWORD(ExitNotPresent), dhcp.ExitCode) << dhcp.Err;
    const std::string said = std::string(ServiceStoppedMessage) + "\r\n";
    EXPECT_EQ(0u, dhcp.Out.find(said)) << dhcp.Out;
    EXPECT_EQ(std::string::npos, dhcp.Out.find(said, 1)) << dhcp.Out;
    EXPECT_EQ(Dword(1), ReadValue(HKEY_LOCAL_MACHINE, AdapterKey(AdapterId), "EnableDHCP"));

    const TRun remove = Run("/uninstall-service");
    EXPECT_EQ(DWORD(ExitDone), remove.ExitCode) << remove.Err;
    EXPECT_EQ("The Netvane service was removed.\r\n", remove.Out);
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, ServiceKey));
}
