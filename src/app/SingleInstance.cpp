#include "SingleInstance.h"

#include "HandOver.h"
#include "ShowRequest.h"

#include "support/AccessWin.h"
#include "support/Forms.h"

#include <cstdint>
#include <cstdio>

namespace {

// The long name in capitals: every way of writing one file or folder gives one text.
std::string CanonicalPath(const std::string& path) {
    char full[MAX_PATH] = {};
    const DWORD fullLength = ::GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
    std::string text = fullLength > 0 && fullLength < MAX_PATH ? full : path;
    char longName[MAX_PATH] = {};
    const DWORD longLength = ::GetLongPathNameA(text.c_str(), longName, MAX_PATH);
    if (longLength > 0 && longLength < MAX_PATH)
        text = longName;
    ::CharUpperBuffA(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

// FNV-1a: a path can be longer than an object name may be, and holds backslashes, which
// object names reserve for their namespace.
std::uint64_t Fnv1a(const std::string& text) {
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    return hash;
}

// The file the process that made window runs; empty when it cannot be told.
std::string ExecutableOfWindow(HWND window) {
    DWORD processId = 0;
    ::GetWindowThreadProcessId(window, &processId);
    const UniqueHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    char path[MAX_PATH] = {};
    DWORD length = MAX_PATH;
    if (!process || !::QueryFullProcessImageNameA(process.get(), 0, path, &length))
        return "";
    return std::string(path, length);
}

// A window is handed over to only when this same program, from this same file, made it:
// anything else may have written the record.
bool IsOfThisProgram(HWND window) {
    const std::string own = ApplicationFileName();
    const std::string other = ExecutableOfWindow(window);
    return !own.empty() && !other.empty() && CanonicalPath(own) == CanonicalPath(other);
}

// Whether the window's process runs as this one does: the same user, the same integrity
// level. An elevated window, or another account's, is not handed what a start of the
// user's was asked for.
bool IsOfThisAccount(HWND window) {
    DWORD processId = 0;
    ::GetWindowThreadProcessId(window, &processId);
    const UniqueHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    return process && SameIdentity(ReadProcessIdentity(), ReadProcessIdentity(process.get()));
}

// A mapped view of a named record, unmapped on every path out.
class TRecordView {
  public:
    TRecordView(HANDLE mapping, DWORD access)
        : view_(mapping ? ::MapViewOfFile(mapping, access, 0, 0, sizeof(std::uint64_t)) : nullptr) {
    }
    ~TRecordView() {
        if (view_)
            ::UnmapViewOfFile(view_);
    }
    TRecordView(const TRecordView&) = delete;
    TRecordView& operator=(const TRecordView&) = delete;
    volatile std::uint64_t* get() const { return static_cast<volatile std::uint64_t*>(view_); }

  private:
    void* view_;
};

HWND PublishedWindow(const std::string& instanceName) {
    const UniqueHandle record(
        ::OpenFileMappingA(FILE_MAP_READ, FALSE, WindowRecordName(instanceName).c_str()));
    const TRecordView view(record.get(), FILE_MAP_READ);
    if (!view.get())
        return nullptr;
    return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(*view.get()));
}

} // namespace

std::string InstanceName(const std::string& appPath) {
    char hash[17] = {};
    std::snprintf(hash, sizeof hash, "%016llx",
                  static_cast<unsigned long long>(Fnv1a(CanonicalPath(appPath) + "DB")));
    // Per session, as windows are: a window of another session could not be brought forward.
    return std::string("Local\\Netvane.") + hash;
}

std::string WindowRecordName(const std::string& instanceName) {
    return instanceName + ".Window";
}

TSingleInstance::TSingleInstance(const std::string& appPath) : name_(InstanceName(appPath)) {
    TNamedObjectSecurity security(TNamedObjectSecurity::TFor::CurrentUser);
    mutex_.reset(::CreateMutexA(security.get(), FALSE, name_.c_str()));
    const DWORD error = ::GetLastError();
    // A mutex that someone else holds, or made so that we may not open it, is someone else's
    // start; who that is, the published window tells. One that cannot be made at all guards
    // nothing; the program still runs.
    first_ = mutex_ ? error != ERROR_ALREADY_EXISTS : error != ERROR_ACCESS_DENIED;
}

void TSingleInstance::Publish(HWND window) {
    TNamedObjectSecurity security(TNamedObjectSecurity::TFor::CurrentUser);
    windowRecord_.reset(::CreateFileMappingA(INVALID_HANDLE_VALUE, security.get(), PAGE_READWRITE,
                                             0, sizeof(std::uint64_t),
                                             WindowRecordName(name_).c_str()));
    const TRecordView view(windowRecord_.get(), FILE_MAP_WRITE);
    if (view.get())
        *view.get() = reinterpret_cast<std::uintptr_t>(window);
}

bool TSingleInstance::ActivateFirst(DWORD timeoutMs) const {
    const DWORD start = ::GetTickCount();
    for (;;) {
        const HWND window = PublishedWindow(name_);
        TPublishedWindow published;
        published.Exists = window && ::IsWindow(window);
        published.OfThisProgram = published.Exists && IsOfThisProgram(window);
        published.OfThisAccount = published.OfThisProgram && IsOfThisAccount(window);
        switch (ChooseHandOver(published, ::GetTickCount() - start >= timeoutMs)) {
        case THandOver::ToFirst:
            // A window whose process takes no request is on its way out: its start no
            // longer holds the database.
            return RequestShow(window);
        case THandOver::StartNormally:
            return false;
        case THandOver::Wait:
            ::Sleep(50);
            break;
        }
    }
}
