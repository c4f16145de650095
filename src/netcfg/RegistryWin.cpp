// The machine's registry through advapi32 (A forms): the backend of TReg in Netvane.exe.
#include "netcfg/Registry.h"
#include "support/WinHandles.h"

#include <windows.h>

namespace {

constexpr size_t FirstValueBufferSize = 512;

HKEY RootHandle(TRootKey root) {
    switch (root) {
    case TRootKey::ClassesRoot:
        return HKEY_CLASSES_ROOT;
    case TRootKey::CurrentUser:
        return HKEY_CURRENT_USER;
    case TRootKey::LocalMachine:
        return HKEY_LOCAL_MACHINE;
    case TRootKey::Users:
        return HKEY_USERS;
    }
    return HKEY_CURRENT_USER;
}

// One open HKEY, closed with the object.
class TWinKey : public IRegistryKey {
  public:
    explicit TWinKey(HKEY key) : key_(key) {}

    std::vector<std::string> SubkeyNames() override {
        std::vector<std::string> names;
        std::string buffer(256, '\0'); // a key name has at most 255 characters
        for (DWORD index = 0;; ++index) {
            DWORD length = static_cast<DWORD>(buffer.size());
            const LONG rc = ::RegEnumKeyExA(key_.get(), index, buffer.data(), &length, nullptr,
                                            nullptr, nullptr, nullptr);
            if (rc == ERROR_MORE_DATA) {
                buffer.resize(buffer.size() * 2);
                --index;
                continue;
            }
            if (rc != ERROR_SUCCESS)
                break; // ERROR_NO_MORE_ITEMS ends the list; any other error ends it as well
            names.emplace_back(buffer.data(), length);
        }
        return names;
    }

    std::optional<TRegValue> QueryValue(const std::string& name) override {
        // Most values fit the first buffer: one call to the registry, not one for the size
        // and one for the data. A larger one is asked for again at the size it reports,
        // a few times, as it may grow between the calls.
        std::string bytes(FirstValueBufferSize, '\0');
        for (int attempt = 0; attempt < 8; ++attempt) {
            DWORD type = 0;
            DWORD got = static_cast<DWORD>(bytes.size());
            const LONG rc = ::RegQueryValueExA(key_.get(), name.c_str(), nullptr, &type,
                                               reinterpret_cast<BYTE*>(bytes.data()), &got);
            if (rc == ERROR_SUCCESS) {
                bytes.resize(got);
                return TRegValue{type, bytes};
            }
            if (rc != ERROR_MORE_DATA)
                break;
            bytes.assign(got > bytes.size() ? got : bytes.size() * 2, '\0');
        }
        return std::nullopt;
    }

    bool SetValue(const std::string& name, unsigned type, const std::string& bytes) override {
        return ::RegSetValueExA(key_.get(), name.c_str(), 0, type,
                                reinterpret_cast<const BYTE*>(bytes.data()),
                                static_cast<DWORD>(bytes.size())) == ERROR_SUCCESS;
    }

    bool DeleteValue(const std::string& name) override {
        return ::RegDeleteValueA(key_.get(), name.c_str()) == ERROR_SUCCESS;
    }

  private:
    UniqueKey key_;
};

class TWinRegistry : public IRegistryBackend {
  public:
    std::unique_ptr<IRegistryKey> OpenKey(TRootKey root, const std::string& path,
                                          bool canCreate) override {
        HKEY key = nullptr;
        const LONG rc =
            canCreate
                ? ::RegCreateKeyExA(RootHandle(root), path.c_str(), 0, nullptr,
                                    REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr)
                : ::RegOpenKeyExA(RootHandle(root), path.c_str(), 0, KEY_ALL_ACCESS, &key);
        if (rc != ERROR_SUCCESS)
            return nullptr;
        return std::make_unique<TWinKey>(key);
    }

    std::unique_ptr<IRegistryKey> OpenKeyReadOnly(TRootKey root, const std::string& path) override {
        HKEY key = nullptr;
        if (::RegOpenKeyExA(RootHandle(root), path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
            return nullptr;
        return std::make_unique<TWinKey>(key);
    }
};

static_assert(KEY_ALL_ACCESS == KeyAllAccess);
static_assert(KEY_READ == KeyRead);

} // namespace

IRegistryBackend& SystemRegistry() {
    static TWinRegistry registry;
    return registry;
}
