#include "KeepSignalWin.h"

#include "support/AccessWin.h"
#include "support/SystemRandom.h"

#include <windows.h>
#include <sddl.h>

const char* const KeepRecordKey = "SOFTWARE\\Netvane";
const char* const KeepUserRecordKey = "Software\\Netvane";
const char* const KeepRecordValue = "KeepWithin";

namespace {

// Administrators and the system may change the machine's record; anyone may read it, since
// a name read there is of no use to take first: its event exists already, for
// administrators only. The user's record takes the security of the user's own hive.
constexpr char RecordSecurity[] = "D:P(A;OICI;KA;;;BA)(A;OICI;KA;;;SY)(A;OICI;KR;;;BU)";

UniqueKey OpenRecordKey(TKeepScope scope, REGSAM access, bool create) {
    const bool machine = scope == TKeepScope::Machine;
    HKEY root = machine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    const char* path = machine ? KeepRecordKey : KeepUserRecordKey;
    HKEY key = nullptr;
    access |= KEY_WOW64_64KEY;
    if (!create) {
        if (::RegOpenKeyExA(root, path, 0, access, &key) != ERROR_SUCCESS)
            return UniqueKey();
        return UniqueKey(key);
    }
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (machine)
        ::ConvertStringSecurityDescriptorToSecurityDescriptorA(RecordSecurity, SDDL_REVISION_1,
                                                               &descriptor, nullptr);
    const UniqueLocalMemory owned(descriptor);
    SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
    if (::RegCreateKeyExA(root, path, 0, nullptr, 0, access, descriptor ? &attributes : nullptr,
                          &key, nullptr) != ERROR_SUCCESS)
        return UniqueKey();
    return UniqueKey(key);
}

} // namespace

bool TKeepEvents::Random(unsigned char* bytes, std::size_t count) {
    return SystemRandomBytes(bytes, count);
}

bool TKeepEvents::Elevated() {
    return IsElevated();
}

std::string TKeepEvents::ReadRecord(TKeepScope scope) {
    const UniqueKey key = OpenRecordKey(scope, KEY_QUERY_VALUE, false);
    DWORD type = 0;
    char text[4096] = {};
    DWORD size = sizeof text - 1;
    if (!key ||
        ::RegQueryValueExA(key.get(), KeepRecordValue, nullptr, &type,
                           reinterpret_cast<BYTE*>(text), &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return {};
    return std::string(text, ::strnlen(text, size));
}

bool TKeepEvents::WriteRecord(TKeepScope scope, const std::string& text) {
    const UniqueKey key = OpenRecordKey(scope, KEY_SET_VALUE, true);
    return key && ::RegSetValueExA(key.get(), KeepRecordValue, 0, REG_SZ,
                                   reinterpret_cast<const BYTE*>(text.c_str()),
                                   static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
}

bool TKeepEvents::MakeEvent(const std::string& name, TKeepScope scope) {
    TNamedObjectSecurity security(scope == TKeepScope::Machine
                                      ? TNamedObjectSecurity::TFor::Administrators
                                      : TNamedObjectSecurity::TFor::CurrentUser);
    event_.reset(::CreateEventA(security.get(), TRUE, FALSE, name.c_str()));
    // Nobody could have known the name: one that exists is not ours to wait on.
    if (event_ && ::GetLastError() == ERROR_ALREADY_EXISTS)
        event_.reset();
    return static_cast<bool>(event_);
}

bool TKeepEvents::WaitEvent(unsigned seconds) {
    return event_ && ::WaitForSingleObject(event_.get(), seconds * 1000) == WAIT_OBJECT_0;
}

bool TKeepEvents::EventExists(const std::string& name) {
    const UniqueHandle event(::OpenEventA(SYNCHRONIZE, FALSE, name.c_str()));
    return event || ::GetLastError() != ERROR_FILE_NOT_FOUND;
}

bool TKeepEvents::SignalEvent(const std::string& name) {
    const UniqueHandle waiting(::OpenEventA(EVENT_MODIFY_STATE, FALSE, name.c_str()));
    return waiting && ::SetEvent(waiting.get());
}
