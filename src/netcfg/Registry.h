#pragma once
// TReg, the registry wrapper of the network engine, over a backend that does the raw key
// work: advapi32 on Windows (SystemRegistry) or TMemoryRegistry in tests. Every rule about
// reading text and every error text lives in TReg, once, so both backends share them.

#include <memory>
#include <optional>
#include <string>
#include <vector>

enum class TRootKey { ClassesRoot, CurrentUser, LocalMachine, Users };

// Raw value types, numbered as Windows numbers them.
constexpr unsigned RegSz = 1;
constexpr unsigned RegExpandSz = 2;
constexpr unsigned RegBinary = 3;
constexpr unsigned RegDword = 4;
constexpr unsigned RegMultiSz = 7;

// A key to be written is opened for full access (KEY_ALL_ACCESS); one only read is opened
// for reading (KEY_READ), which a standard user is granted on the machine's network keys
// where full access is refused.
constexpr unsigned KeyAllAccess = 0xF003F;
constexpr unsigned KeyRead = 0x20019;

struct TRegValue {
    unsigned Type = 0;
    std::string Bytes;
};

// One open key of a backend; closing is the owner's destruction.
class IRegistryKey {
  public:
    virtual ~IRegistryKey() = default;
    // Names of the subkeys in the order the registry enumerates them (index 0 upward).
    virtual std::vector<std::string> SubkeyNames() = 0;
    // The value's type and bytes, or nothing when the value is missing or cannot be read.
    virtual std::optional<TRegValue> QueryValue(const std::string& name) = 0;
    // Stores the bytes as they stand under the given type; false when the registry refuses.
    virtual bool SetValue(const std::string& name, unsigned type, const std::string& bytes) = 0;
    // Removes the value; false when it is not there or the registry refuses.
    virtual bool DeleteValue(const std::string& name) = 0;
};

class IRegistryBackend {
  public:
    virtual ~IRegistryBackend() = default;
    // Opens root\path with KEY_ALL_ACCESS, creating it and any missing parent when canCreate.
    // path has no leading "\"; its parts are separated by "\"; a trailing "\" is allowed and
    // an empty path is the root itself. Nothing (no error) when the key cannot be opened.
    virtual std::unique_ptr<IRegistryKey> OpenKey(TRootKey root, const std::string& path,
                                                  bool canCreate) = 0;
    // Opens root\path with KEY_READ, never creating: the same paths as OpenKey. Every write
    // and removal through the key fails.
    virtual std::unique_ptr<IRegistryKey> OpenKeyReadOnly(TRootKey root,
                                                          const std::string& path) = 0;
};

class TReg {
  public:
    // The root starts as CurrentUser, as the class library's registry object does.
    explicit TReg(IRegistryBackend& backend);

    // A change of root closes the open key.
    void SetRootKey(TRootKey root);
    TRootKey RootKey() const { return root_; }

    // A path that begins with "\" is taken from the root key; any other path from the open
    // key (or the root when none is open). On success the new key replaces the open one and
    // true comes back; on failure false comes back, no error, and the open key stays open.
    bool OpenKey(const std::string& path, bool canCreate);
    // As OpenKey without creating, for reading alone: the writes through the key fail
    // (WriteString raises its error). Every path that only reads opens its keys this way.
    bool OpenKeyReadOnly(const std::string& path);
    void CloseKey();
    bool HasOpenKey() const { return key_ != nullptr; }
    // Path of the open key from the root, without a leading "\" ("" for the root itself).
    const std::string& CurrentPath() const { return path_; }

    // Subkeys of the open key in enumeration order; empty when no key is open.
    std::vector<std::string> GetKeyNames();
    bool ValueExists(const std::string& name);
    // Missing or zero-size: "". REG_SZ / REG_EXPAND_SZ: up to the first NUL, no expansion.
    // Any other type: TError "Invalid data type for '<name>'".
    std::string ReadString(const std::string& name);
    // As ReadString, but nothing for a value of any other type.
    std::optional<std::string> ReadTextValue(const std::string& name);
    // REG_SZ, the text and its NUL (length + 1 bytes). TError "Failed to set data for
    // '<name>'" when the registry refuses or no key is open.
    void WriteString(const std::string& name, const std::string& value);
    // REG_DWORD, 4 bytes little-endian; the same error text as WriteString.
    void WriteInteger(const std::string& name, int value);
    // A raw write on the open key without any error: false when it fails (or no key is open).
    bool WriteRaw(const std::string& name, unsigned type, const std::string& bytes);
    // Removes a value of the open key without any error: false when it fails.
    bool DeleteValue(const std::string& name);

  private:
    // The backend path a TReg path names: from the root, or from the open key.
    std::string BackendPath(const std::string& path) const;
    bool Take(std::unique_ptr<IRegistryKey> opened, const std::string& request);

    IRegistryBackend& backend_;
    TRootKey root_ = TRootKey::CurrentUser;
    std::unique_ptr<IRegistryKey> key_;
    std::string path_;
};

// The machine's registry through advapi32 (A forms). Only in the Windows build.
IRegistryBackend& SystemRegistry();
