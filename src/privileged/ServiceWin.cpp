#include "ServiceWin.h"

#include "privileged/PipeIoWin.h"
#include "privileged/RequestFormat.h"

#include "netcfg/NetServicesWin.h"
#include "netcfg/Registry.h"
#include "netcfg/SwitchCheck.h"
#include "support/AccessWin.h"
#include "support/Error.h"
#include "support/FileSystem.h"
#include "support/Forms.h"
#include "support/Process.h"
#include "support/SwitchLog.h"
#include "support/WinHandles.h"

#include <windows.h>

#include <sddl.h>

#include <cstdio>
#include <memory>

namespace {

// How long install and removal wait for the service to start or stop, and a client for a
// busy pipe or a connected client for its request.
constexpr DWORD ServiceWaitMs = 30 * 1000;
constexpr DWORD RequestWaitMs = 10 * 1000;

// Read and write of data, without FILE_APPEND_DATA, which on a pipe is the right to make
// another instance of it.
constexpr DWORD PipeClientRights = (FILE_GENERIC_READ | FILE_GENERIC_WRITE) & ~FILE_APPEND_DATA;

std::string ErrorText(DWORD code) {
    return SystemErrorText(static_cast<int>(code));
}

std::optional<SERVICE_STATUS_PROCESS> StatusOf(SC_HANDLE service) {
    SERVICE_STATUS_PROCESS status{};
    DWORD needed = 0;
    if (!::QueryServiceStatusEx(service, SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status),
                                sizeof status, &needed))
        return std::nullopt;
    return status;
}

// Waits while the service is in the pending state; its state then.
DWORD WaitWhilePending(SC_HANDLE service, DWORD pending) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        const auto status = StatusOf(service);
        if (!status)
            return 0;
        if (status->dwCurrentState != pending || ::GetTickCount() - start > ServiceWaitMs)
            return status->dwCurrentState;
        ::Sleep(200);
    }
}

// Starts the service; the database is locked for a while as the system starts its own
// services (just after Windows starts), and the start waits for that.
bool StartLocked(SC_HANDLE service) {
    const DWORD start = ::GetTickCount();
    while (!::StartServiceA(service, 0, nullptr)) {
        if (::GetLastError() != ERROR_SERVICE_DATABASE_LOCKED ||
            ::GetTickCount() - start > ServiceWaitMs)
            return false;
        ::Sleep(200);
    }
    return true;
}

// The SID of a local group, in its S-1-... form; empty when there is no such group.
std::string GroupSid(const std::string& name) {
    BYTE sid[SECURITY_MAX_SID_SIZE];
    DWORD sidSize = sizeof sid;
    char domain[256];
    DWORD domainSize = sizeof domain;
    SID_NAME_USE use{};
    if (!::LookupAccountNameA(nullptr, name.c_str(), sid, &sidSize, domain, &domainSize, &use))
        return {};
    if (use != SidTypeAlias && use != SidTypeGroup && use != SidTypeWellKnownGroup)
        return {};
    return SidText(sid);
}

std::string AccountName(PSID sid) {
    char name[256];
    DWORD nameSize = sizeof name;
    char domain[256];
    DWORD domainSize = sizeof domain;
    SID_NAME_USE use{};
    if (!::LookupAccountSidA(nullptr, sid, name, &nameSize, domain, &domainSize, &use))
        return SidText(sid);
    return domainSize ? std::string(domain) + "\\" + name : std::string(name);
}

bool WriteAllowedGroup(const std::optional<std::string>& group) {
    HKEY key = nullptr;
    if (::RegCreateKeyExA(HKEY_LOCAL_MACHINE, ServiceParametersKey, 0, nullptr, 0, KEY_SET_VALUE,
                          nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    LONG result = ERROR_SUCCESS;
    if (group)
        result = ::RegSetValueExA(key, AllowedGroupValue, 0, REG_SZ,
                                  reinterpret_cast<const BYTE*>(group->c_str()),
                                  static_cast<DWORD>(group->size() + 1));
    else
        ::RegDeleteValueA(key, AllowedGroupValue);
    ::RegCloseKey(key);
    return result == ERROR_SUCCESS;
}

std::string ReadAllowedGroup() {
    char text[256] = {};
    DWORD size = sizeof text - 1;
    if (::RegGetValueA(HKEY_LOCAL_MACHINE, ServiceParametersKey, AllowedGroupValue, RRF_RT_REG_SZ,
                       nullptr, text, &size) != ERROR_SUCCESS)
        return {};
    return text;
}

} // namespace

// ---- installing and removing -----------------------------------------------------------

TServiceAnswer InstallService(const std::string& exePath, const std::optional<std::string>& group) {
    const std::string notInstalled = "The Netvane service was not installed: ";
    if (const auto refusal = ServiceFolderRefusal(exePath))
        return {false, notInstalled + *refusal};
    if (group && GroupSid(*group).empty())
        return {false, notInstalled + "this computer has no group \"" + *group +
                           "\". Name a local group, or leave /group out."};
    const UniqueServiceHandle manager(
        ::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT | SC_MANAGER_CREATE_SERVICE));
    if (!manager)
        return {false, notInstalled + ErrorText(::GetLastError()) +
                           ". Run Netvane.exe /install-service as administrator."};
    const std::string commandLine = "\"" + exePath + "\" " + ServiceSwitch;
    const UniqueServiceHandle service(
        ::CreateServiceA(manager.get(), ServiceName, ServiceDisplayName, SERVICE_ALL_ACCESS,
                         SERVICE_WIN32_OWN_PROCESS, SERVICE_AUTO_START, SERVICE_ERROR_NORMAL,
                         commandLine.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr));
    if (!service) {
        const DWORD code = ::GetLastError();
        if (code == ERROR_SERVICE_EXISTS)
            return {false, notInstalled + "it is installed already. Remove it first with "
                                          "Netvane.exe /uninstall-service."};
        return {false, notInstalled + ErrorText(code) + "."};
    }
    // From here on a failure takes the registration back.
    const auto undo = [&service](const std::string& why) {
        ::DeleteService(service.get());
        return TServiceAnswer{false, "The Netvane service was not installed: " + why + "."};
    };
    char description[] = "Applies Netvane's network settings for members of Administrators, "
                         "Network Configuration Operators and the group named at install.";
    SERVICE_DESCRIPTIONA describe{description};
    ::ChangeServiceConfig2A(service.get(), SERVICE_CONFIG_DESCRIPTION, &describe);
    // Restarted a minute after a crash, at most three times a day.
    SC_ACTION restarts[3] = {{SC_ACTION_RESTART, 60 * 1000},
                             {SC_ACTION_RESTART, 60 * 1000},
                             {SC_ACTION_RESTART, 60 * 1000}};
    SERVICE_FAILURE_ACTIONSA failure{};
    failure.dwResetPeriod = 24 * 60 * 60;
    failure.cActions = 3;
    failure.lpsaActions = restarts;
    if (!::ChangeServiceConfig2A(service.get(), SERVICE_CONFIG_FAILURE_ACTIONS, &failure))
        return undo("its restart after a failure could not be set (" + ErrorText(::GetLastError()) +
                    ")");
    if (!WriteAllowedGroup(group))
        return undo("the allowed group could not be kept under its registry key");
    if (!StartLocked(service.get()))
        return undo("it did not start (" + ErrorText(::GetLastError()) + ")");
    if (WaitWhilePending(service.get(), SERVICE_START_PENDING) != SERVICE_RUNNING) {
        SERVICE_STATUS status{};
        ::ControlService(service.get(), SERVICE_CONTROL_STOP, &status);
        return undo("it stopped as it started; the Application event log says why");
    }
    std::string who = "members of Administrators and Network Configuration Operators";
    if (group)
        who = "members of Administrators, Network Configuration Operators and \"" + *group + "\"";
    return {true, "The Netvane service is installed and running. Switches go through it "
                  "without a consent prompt, for " +
                      who + "."};
}

TServiceAnswer UninstallService() {
    const std::string notRemoved = "The Netvane service was not removed: ";
    const UniqueServiceHandle manager(::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
    if (!manager)
        return {false, notRemoved + ErrorText(::GetLastError()) + "."};
    const UniqueServiceHandle service(
        ::OpenServiceA(manager.get(), ServiceName, SERVICE_STOP | SERVICE_QUERY_STATUS | DELETE));
    if (!service) {
        const DWORD code = ::GetLastError();
        if (code == ERROR_SERVICE_DOES_NOT_EXIST)
            return {false, notRemoved + "it is not installed."};
        return {false, notRemoved + ErrorText(code) +
                           (code == ERROR_ACCESS_DENIED
                                ? ". Run Netvane.exe /uninstall-service as administrator."
                                : ".")};
    }
    SERVICE_STATUS status{};
    bool stopped = false;
    if (::ControlService(service.get(), SERVICE_CONTROL_STOP, &status))
        stopped = WaitWhilePending(service.get(), SERVICE_STOP_PENDING) == SERVICE_STOPPED;
    if (!::DeleteService(service.get()))
        return {false, notRemoved + ErrorText(::GetLastError()) + "."};
    return {true, stopped ? "The Netvane service was stopped and removed."
                          : "The Netvane service was removed."};
}

TServiceState QueryServiceState() {
    const UniqueServiceHandle manager(::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
    const UniqueServiceHandle service(
        manager ? ::OpenServiceA(manager.get(), ServiceName, SERVICE_QUERY_STATUS) : nullptr);
    if (!service)
        return TServiceState::NotInstalled;
    const auto status = StatusOf(service.get());
    return status && status->dwCurrentState == SERVICE_RUNNING ? TServiceState::Running
                                                               : TServiceState::Stopped;
}

// ---- the client ------------------------------------------------------------------------

namespace {

// The process id the service control manager gives the running service; 0 when none.
DWORD ServiceProcessId() {
    const UniqueServiceHandle manager(::OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
    const UniqueServiceHandle service(
        manager ? ::OpenServiceA(manager.get(), ServiceName, SERVICE_QUERY_STATUS) : nullptr);
    const auto status = service ? StatusOf(service.get()) : std::nullopt;
    return status && status->dwCurrentState == SERVICE_RUNNING ? status->dwProcessId : 0;
}

UniqueHandle ConnectToService() {
    const DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < ServiceWaitMs) {
        // Identification only: the service learns who asks, and cannot act as them.
        UniqueHandle pipe(::CreateFileA(
            ServicePipeName, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
            FILE_FLAG_OVERLAPPED | SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION, nullptr));
        if (pipe)
            return pipe;
        if (::GetLastError() != ERROR_PIPE_BUSY)
            return {};
        ::WaitNamedPipeA(ServicePipeName, 1000);
    }
    return {};
}

} // namespace

TAdapterReply TServiceSwitch::Apply(const TAdapterRequest& request) {
    const std::string message = EncodeRequest(request);
    const UniqueHandle pipe = ConnectToService();
    if (!pipe)
        throw TError("The Netvane service did not answer. Nothing was changed.");
    // A pipe of that name that the service's own process did not make is not spoken to.
    ULONG serverId = 0;
    const DWORD serviceId = ServiceProcessId();
    DWORD mode = PIPE_READMODE_MESSAGE;
    if (!::GetNamedPipeServerProcessId(pipe.get(), &serverId) || serviceId == 0 ||
        serverId != serviceId || !::SetNamedPipeHandleState(pipe.get(), &mode, nullptr, nullptr))
        throw TError("The pipe of the Netvane service is held by another program. Nothing was "
                     "changed.");
    const UniqueHandle event = NewPipeEvent();
    const TPipeIo io{pipe.get(), event.get(), {}, INFINITE, true};
    if (!event || !io.Write(message))
        throw TError("The Netvane service did not take the request. Nothing was changed.");
    const std::optional<std::string> answer = io.Read();
    const std::optional<TAdapterReply> reply = answer ? DecodeReply(*answer) : std::nullopt;
    if (!reply)
        throw TError("The Netvane service gave no answer that can be read: the adapter's "
                     "settings may have changed. The adapter's details show what Windows uses "
                     "now.");
    return *reply;
}

// ---- the service -----------------------------------------------------------------------

namespace {

SERVICE_STATUS_HANDLE StatusHandle = nullptr;
HANDLE StopEvent = nullptr;

void Report(DWORD state, DWORD exitCode = NO_ERROR) {
    SERVICE_STATUS status{};
    status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    status.dwCurrentState = state;
    status.dwControlsAccepted =
        state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN : 0;
    status.dwWin32ExitCode = exitCode;
    status.dwWaitHint = state == SERVICE_RUNNING || state == SERVICE_STOPPED ? 0 : 5000;
    ::SetServiceStatus(StatusHandle, &status);
}

DWORD WINAPI Control(DWORD control, DWORD, void*, void*) {
    if (control == SERVICE_CONTROL_STOP || control == SERVICE_CONTROL_SHUTDOWN) {
        Report(SERVICE_STOP_PENDING);
        ::SetEvent(StopEvent);
        return NO_ERROR;
    }
    return control == SERVICE_CONTROL_INTERROGATE ? NO_ERROR : ERROR_CALL_NOT_IMPLEMENTED;
}

// %ProgramData%\Netvane, made writable by the system and administrators alone; empty when
// it cannot be had.
std::string LogFolder() {
    // Where Windows keeps it (an expandable string, given expanded); a service's
    // environment need not name it, or not the same (Wine's names the public profile).
    char data[MAX_PATH] = {};
    DWORD size = sizeof data;
    if (::RegGetValueA(HKEY_LOCAL_MACHINE,
                       "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList",
                       "ProgramData", RRF_RT_REG_SZ, nullptr, data, &size) != ERROR_SUCCESS ||
        data[0] == '\0') {
        const DWORD length = ::ExpandEnvironmentStringsA("%ProgramData%", data, MAX_PATH);
        if (length == 0 || length > MAX_PATH || data[0] == '%')
            return {};
    }
    const std::string folder = std::string(data) + "\\Netvane";
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorA(
            "D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;FR;;;BU)", SDDL_REVISION_1, &descriptor,
            nullptr))
        return {};
    const UniqueLocalMemory owner(descriptor);
    SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
    if (!::CreateDirectoryA(folder.c_str(), &attributes) &&
        ::GetLastError() != ERROR_ALREADY_EXISTS)
        return {};
    return folder + "\\";
}

// Into the Application event log, where administrators look first, and into the service's
// own log, which keeps the switches together and outlives a cleared event log.
void Log(const std::string& line, WORD type) {
    if (HANDLE source = ::RegisterEventSourceA(nullptr, ServiceName)) {
        const char* strings[] = {line.c_str()};
        ::ReportEventA(source, type, 0, 1, nullptr, 1, 0, strings, nullptr);
        ::DeregisterEventSource(source);
    }
    if (const std::string folder = LogFolder(); !folder.empty())
        AppendSwitchLog(folder + ServiceLogName, LocalTimeText() + "  " + line);
}

// Who is connected: their account and groups, read from their token while impersonating
// them; nothing when the impersonation or the read failed.
struct TClient {
    std::string Account; // DOMAIN\name
    std::vector<TTokenGroup> Groups;
};

std::optional<TClient> ReadClient(HANDLE pipe) {
    if (!::ImpersonateNamedPipeClient(pipe))
        return std::nullopt;
    std::optional<TClient> client;
    HANDLE token = nullptr;
    if (::OpenThreadToken(::GetCurrentThread(), TOKEN_QUERY, TRUE, &token)) {
        const UniqueHandle owner(token);
        std::uint32_t error = 0;
        const std::vector<char> user = TokenInformation(token, TokenUser, error);
        const std::vector<char> groups = TokenInformation(token, TokenGroups, error);
        if (!user.empty() && !groups.empty()) {
            client.emplace();
            client->Account =
                AccountName(reinterpret_cast<const TOKEN_USER*>(user.data())->User.Sid);
            const auto* list = reinterpret_cast<const TOKEN_GROUPS*>(groups.data());
            for (DWORD i = 0; i < list->GroupCount; ++i) {
                const DWORD attributes = list->Groups[i].Attributes;
                client->Groups.push_back({SidText(list->Groups[i].Sid),
                                          (attributes & SE_GROUP_ENABLED) != 0,
                                          (attributes & SE_GROUP_USE_FOR_DENY_ONLY) != 0});
            }
        }
    }
    // Never go on as the client.
    if (!::RevertToSelf())
        ::ExitProcess(1);
    return client;
}

// One connected client's one request: decided, applied, logged, answered.
void Serve(const TPipeIo& io, TSystemNetServices& services) {
    const std::optional<std::string> message = io.Read();
    if (!message)
        return;
    const std::optional<TClient> client = ReadClient(io.Pipe);
    const std::optional<TAdapterRequest> request = DecodeRequest(*message);
    TAdapterReply reply;
    if (!client)
        reply.Error = "The Netvane service could not tell who asked; nothing was changed";
    else if (!request)
        reply.Error = "The Netvane service could not read the request; nothing was changed";
    else if (const std::string group = ReadAllowedGroup();
             !MaySwitchNetwork(client->Groups, group.empty() ? std::string() : GroupSid(group)))
        reply.Error = NotAllowedMessage;
    else
        reply = RunAdapterRequest(*request, SystemRegistry(), services);
    if (client && request) {
        std::string outcome = reply.Stage == TAdapterStage::Refused
                                  ? "refused: " + reply.Error
                                  : SwitchOutcomeText(reply.Result);
        if (reply.Result.FallbackUsed)
            outcome += "  (after netsh)";
        const std::string title = request->Title.empty() ? "the previous settings" : request->Title;
        Log(client->Account + "  " + LoggedAdapterName(SystemRegistry(), request->Request.Adapter) +
                "  " + title + "  " + outcome,
            reply.Stage == TAdapterStage::Refused ? EVENTLOG_WARNING_TYPE
                                                  : EVENTLOG_INFORMATION_TYPE);
    }
    io.Write(EncodeReply(reply));
}

// The pipe only this process makes: SYSTEM, administrators and interactive users may read
// and write messages on it, no one may add an instance, no other computer may connect.
UniqueHandle MakeServicePipe() {
    const std::string rights = "0x" + [] {
        char hex[16];
        std::snprintf(hex, sizeof hex, "%lx", static_cast<unsigned long>(PipeClientRights));
        return std::string(hex);
    }();
    const std::string sddl =
        "D:P(A;;" + rights + ";;;SY)(A;;" + rights + ";;;BA)(A;;" + rights + ";;;IU)";
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl.c_str(), SDDL_REVISION_1,
                                                                &descriptor, nullptr))
        return {};
    const UniqueLocalMemory owner(descriptor);
    SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
    return UniqueHandle(::CreateNamedPipeA(
        ServicePipeName, PIPE_ACCESS_DUPLEX | FILE_FLAG_FIRST_PIPE_INSTANCE | FILE_FLAG_OVERLAPPED,
        PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1,
        MaxMessageBytes, MaxMessageBytes, 0, &attributes));
}

void WINAPI ServiceMain(DWORD, LPSTR*) {
    StatusHandle = ::RegisterServiceCtrlHandlerExA(ServiceName, Control, nullptr);
    if (!StatusHandle)
        return;
    Report(SERVICE_START_PENDING);
    const UniqueHandle stop(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    StopEvent = stop.get();
    // The exe may have become writable by others since it was installed.
    if (const auto refusal = ServiceFolderRefusal(ApplicationFileName())) {
        Log("The service did not start: " + *refusal, EVENTLOG_ERROR_TYPE);
        Report(SERVICE_STOPPED, ERROR_ACCESS_DENIED);
        return;
    }
    const UniqueHandle pipe = MakeServicePipe();
    const UniqueHandle event = NewPipeEvent();
    if (!pipe || !event || !stop) {
        Log("The service did not start: its pipe could not be made (" +
                ErrorText(::GetLastError()) + ")",
            EVENTLOG_ERROR_TYPE);
        Report(SERVICE_STOPPED, ERROR_PIPE_BUSY);
        return;
    }
    TSystemNetServices services([](const std::string&) {}, [](const std::string&) {});
    Report(SERVICE_RUNNING);
    const TPipeIo waiting{pipe.get(), event.get(), {stop.get()}, INFINITE, false};
    const TPipeIo talking{pipe.get(), event.get(), {stop.get()}, RequestWaitMs, false};
    while (waiting.AwaitClient()) {
        Serve(talking, services);
        // Disconnecting drops what the client has not read: wait for it to close its end.
        talking.Read();
        ::DisconnectNamedPipe(pipe.get());
    }
    Report(SERVICE_STOPPED);
}

} // namespace

int RunService() {
    char name[] = "Netvane";
    SERVICE_TABLE_ENTRYA table[] = {{name, ServiceMain}, {nullptr, nullptr}};
    return ::StartServiceCtrlDispatcherA(table) ? 0 : 1;
}
