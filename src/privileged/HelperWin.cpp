#include "HelperWin.h"

#include "privileged/PipeIoWin.h"
#include "privileged/RequestFormat.h"

#include "netcfg/NetServicesWin.h"
#include "netcfg/Registry.h"
#include "support/AccessWin.h"
#include "support/FileSystem.h"
#include "support/Forms.h"
#include "support/Process.h"
#include "support/SystemLibrary.h"
#include "support/SystemRandom.h"

#include <sddl.h>
#include <shellapi.h>

#include <optional>
#include <utility>

namespace {

// The helper ends after this long without a request; the next one starts it again.
constexpr DWORD IdleMs = 10 * 60 * 1000;
// How long the client waits for the pipe of a helper that was just allowed to start.
constexpr DWORD HelperStartMs = 30 * 1000;

std::string& HelperProgramSet() {
    static std::string path;
    return path;
}

std::string HelperProgram() {
    return HelperProgramSet().empty() ? ApplicationFileName() : HelperProgramSet();
}

// ---- the client ------------------------------------------------------------------------

bool ServerIsProcess(HANDLE pipe, HANDLE process) {
    ULONG serverId = 0;
    return ::GetNamedPipeServerProcessId(pipe, &serverId) && serverId == ::GetProcessId(process);
}

} // namespace

IHelperSystem::TLaunch TSystemHelper::Launch(const std::string& pipeName, std::string& error) {
    static const UniqueLibrary shell(LoadSystemLibrary("shell32.dll"));
    const auto execute = LibraryFunction<decltype(&::ShellExecuteExA)>(shell, "ShellExecuteExA");
    if (!execute) {
        error = "shell32.dll is missing";
        return TLaunch::Failed;
    }
    const std::string exePath = HelperProgram();
    const std::string parameters =
        std::string(HelperSwitch) + " " + pipeName + " " + std::to_string(::GetCurrentProcessId());
    SHELLEXECUTEINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
    info.hwnd = ::GetActiveWindow();
    info.lpVerb = "runas";
    info.lpFile = exePath.c_str();
    info.lpParameters = parameters.c_str();
    info.nShow = SW_HIDE;
    if (!execute(&info)) {
        const DWORD code = ::GetLastError();
        if (code == ERROR_CANCELLED)
            return TLaunch::Refused;
        error = SystemErrorText(static_cast<int>(code));
        return TLaunch::Failed;
    }
    helper_.reset(info.hProcess);
    if (!helper_) {
        error = "Windows gave no handle of the started helper";
        return TLaunch::Failed;
    }
    return TLaunch::Started;
}

bool TSystemHelper::Connect(const std::string& pipeName) {
    event_ = NewPipeEvent();
    const DWORD start = ::GetTickCount();
    while (helper_ && event_ && ::GetTickCount() - start < HelperStartMs) {
        // Identification only: the helper learns who we are, and cannot act as us.
        pipe_.reset(::CreateFileA(pipeName.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                  OPEN_EXISTING,
                                  FILE_FLAG_OVERLAPPED | SECURITY_SQOS_PRESENT |
                                      SECURITY_IDENTIFICATION,
                                  nullptr));
        if (pipe_) {
            DWORD mode = PIPE_READMODE_MESSAGE;
            // A pipe of that name that the helper did not make is not spoken to.
            if (ServerIsProcess(pipe_.get(), helper_.get()) &&
                ::SetNamedPipeHandleState(pipe_.get(), &mode, nullptr, nullptr))
                return true;
            pipe_.reset();
            return false;
        }
        if (::GetLastError() == ERROR_PIPE_BUSY)
            ::WaitNamedPipeA(pipeName.c_str(), 1000);
        else if (WaitRepaintingForAny({helper_.get()}, 50))
            return false; // it ended without making its pipe
    }
    return false;
}

IHelperSystem::TTransact TSystemHelper::Transact(const std::string& message, std::string& answer) {
    if (!pipe_)
        return TTransact::NotSent;
    const TPipeIo io{pipe_.get(), event_.get(), {helper_.get()}, INFINITE, true};
    if (!io.Write(message))
        return TTransact::NotSent;
    const std::optional<std::string> read = io.Read();
    if (!read)
        return TTransact::NoAnswer;
    answer = *read;
    return TTransact::Answered;
}

void TSystemHelper::Disconnect() {
    pipe_.reset();
    helper_.reset();
}

bool TSystemHelper::Random(unsigned char (&bytes)[16]) {
    return SystemRandomBytes(bytes, sizeof bytes);
}

std::string TSystemHelper::FolderRefusal() {
    return HelperFolderRefusal(HelperProgram()).value_or(std::string());
}

void SetHelperProgram(std::string exePath) {
    HelperProgramSet() = std::move(exePath);
}

// ---- the helper ----------------------------------------------------------------------

namespace {

std::optional<DWORD> ProcessIdOf(const std::string& text) {
    if (text.empty() || text.size() > 10 || text.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    const unsigned long long id = std::stoull(text);
    if (id == 0 || id > 0xFFFFFFFFull)
        return std::nullopt;
    return static_cast<DWORD>(id);
}

// The pipe for the client's account and the system alone: read and write, nothing more.
UniqueLocalMemory PipeSecurity(const std::string& clientSid) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const std::string sddl = "D:P(A;;GRGW;;;" + clientSid + ")(A;;GA;;;SY)";
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl.c_str(), SDDL_REVISION_1,
                                                                &descriptor, nullptr))
        return {};
    return UniqueLocalMemory(descriptor);
}

bool IsClient(HANDLE pipe, DWORD clientId) {
    ULONG connectedId = 0;
    return ::GetNamedPipeClientProcessId(pipe, &connectedId) && connectedId == clientId;
}

// Serves the connected client's requests one at a time until it goes, its process ends or it
// is idle too long.
void ServeClient(const TPipeIo& io, TSystemNetServices& services) {
    while (const std::optional<std::string> message = io.Read()) {
        const std::optional<TAdapterRequest> request = DecodeRequest(*message);
        TAdapterReply reply;
        if (request)
            reply = RunAdapterRequest(*request, SystemRegistry(), services);
        else
            reply.Error = "Netvane's helper could not read the request; nothing was changed";
        if (!io.Write(EncodeReply(reply)))
            return;
    }
}

} // namespace

int RunHelper(const std::string& pipeName, const std::string& clientProcessId) {
    const std::optional<DWORD> clientId = ProcessIdOf(clientProcessId);
    if (!IsHelperPipeName(pipeName) || !clientId)
        return 1;
    const UniqueHandle client(::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION,
                                            FALSE, *clientId));
    const std::string clientSid = client ? ProcessUserSid(client.get()) : std::string();
    const UniqueLocalMemory security = PipeSecurity(clientSid);
    if (clientSid.empty() || !security)
        return 1;
    SECURITY_ATTRIBUTES attributes{sizeof attributes, security.get(), FALSE};
    // The first and only instance: a pipe of this name made before ours means someone else
    // holds it, and nothing is served.
    const UniqueHandle pipe(::CreateNamedPipeA(
        pipeName.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_FIRST_PIPE_INSTANCE | FILE_FLAG_OVERLAPPED,
        PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1,
        MaxMessageBytes, MaxMessageBytes, 0, &attributes));
    const UniqueHandle event = NewPipeEvent();
    if (!pipe || !event)
        return 1;
    TSystemNetServices services([](const std::string&) {}, [](const std::string&) {});
    const TPipeIo io{pipe.get(), event.get(), {client.get()}, IdleMs, false};
    // One connection of that process is served; any other is turned away. The client keeps
    // its connection for as long as it may switch, and starts a new helper once this one ends.
    while (io.AwaitClient()) {
        const bool served = IsClient(pipe.get(), *clientId);
        if (served)
            ServeClient(io, services);
        ::DisconnectNamedPipe(pipe.get());
        if (served)
            break;
    }
    return 0;
}
