#include "SingleInstance.h"

#include <cstdint>
#include <cstdio>

namespace {

// The folder's long name in capitals: every way of writing one folder gives one text.
std::string CanonicalFolder(const std::string& folder) {
    char full[MAX_PATH] = {};
    const DWORD fullLength = ::GetFullPathNameA(folder.c_str(), MAX_PATH, full, nullptr);
    std::string text = fullLength > 0 && fullLength < MAX_PATH ? full : folder;
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

std::string WindowRecordName(const std::string& instanceName) {
    return instanceName + ".Window";
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

void BringToFront(HWND window) {
    if (::IsIconic(window))
        ::ShowWindow(window, SW_RESTORE);
    // An open dialog of that window is what the user has to answer first.
    HWND popup = ::GetLastActivePopup(window);
    ::SetForegroundWindow(popup ? popup : window);
}

} // namespace

std::string InstanceName(const std::string& appPath) {
    char hash[17] = {};
    std::snprintf(hash, sizeof hash, "%016llx",
                  static_cast<unsigned long long>(Fnv1a(CanonicalFolder(appPath) + "DB")));
    // Per session, as windows are: a window of another session could not be brought forward.
    return std::string("Local\\Netvane.") + hash;
}

TSingleInstance::TSingleInstance(const std::string& appPath) : name_(InstanceName(appPath)) {
    mutex_.reset(::CreateMutexA(nullptr, FALSE, name_.c_str()));
    // A mutex that cannot be made at all guards nothing; the program still runs.
    first_ = !mutex_ || ::GetLastError() != ERROR_ALREADY_EXISTS;
}

void TSingleInstance::Publish(HWND window) {
    windowRecord_.reset(::CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                             sizeof(std::uint64_t),
                                             WindowRecordName(name_).c_str()));
    const TRecordView view(windowRecord_.get(), FILE_MAP_WRITE);
    if (view.get())
        *view.get() = reinterpret_cast<std::uintptr_t>(window);
}

bool TSingleInstance::ActivateFirst(DWORD timeoutMs) const {
    const DWORD start = ::GetTickCount();
    for (;;) {
        HWND window = PublishedWindow(name_);
        if (window && ::IsWindow(window)) {
            BringToFront(window);
            return true;
        }
        if (::GetTickCount() - start >= timeoutMs)
            return false;
        ::Sleep(50);
    }
}
