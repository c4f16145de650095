#pragma once
// A registry in memory with the contract of the real one, for the portable core's tests:
// keys opened with full access or for reading alone (then every write through them fails),
// created with their missing parents on request, names
// compared without regard to case, subkeys enumerated sorted the way Windows sorts them
// (case-insensitive, by the upper-case form), values kept as type and bytes exactly as
// written. On top of that it keeps a journal of every write and can be told to refuse a
// key, full access to a part of the registry, or the writes of a value name.

#include "netcfg/Registry.h"

#include <iosfwd>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

// The type the journal gives a value's removal.
constexpr unsigned RegDeletedValue = 0xFFFFFFFF;

struct TRegistryWrite {
    TRootKey Root = TRootKey::CurrentUser;
    std::string KeyPath; // from the root, parts as first created, no leading or trailing "\"
    std::string Name;
    unsigned Type = 0;
    std::string Bytes;
    bool Done = true; // false when the write was refused (FailWritesOf)

    bool operator==(const TRegistryWrite&) const = default;
};

const char* RootKeyName(TRootKey root);
// A key path as the registry names the key, and as the journal records it: without the
// leading and trailing "\" a caller may give.
std::string WithoutOuterSeparators(std::string path);
// "HKEY_CURRENT_USER\Software\X: Name = type 1, 4 bytes 61 62 63 00" - for failing asserts.
std::string Describe(const TRegistryWrite& write);

// A REG_SZ value's bytes as the registry keeps them: the text and its NUL.
inline std::string RegSzBytes(const std::string& text) {
    return text + '\0';
}
// Lets GoogleTest print journal entries.
void PrintTo(const TRegistryWrite& write, std::ostream* out);

class TMemoryRegistry : public IRegistryBackend {
  public:
    TMemoryRegistry();
    ~TMemoryRegistry() override;
    TMemoryRegistry(const TMemoryRegistry&) = delete;
    TMemoryRegistry& operator=(const TMemoryRegistry&) = delete;

    // Keys handed out point into this registry: it must outlive them.
    std::unique_ptr<IRegistryKey> OpenKey(TRootKey root, const std::string& path,
                                          bool canCreate) override;
    std::unique_ptr<IRegistryKey> OpenKeyReadOnly(TRootKey root, const std::string& path) override;

    // From now on root\path (this key alone, existing or not) can be neither opened nor
    // created, and no subkey can be created beneath it: the way a key denied to the user
    // behaves.
    void MakeUnopenable(TRootKey root, const std::string& path);
    // From now on root\path and every key beneath it (path "": the whole root) opens for
    // reading alone: a full-access open fails, creation included, as the machine's keys
    // behave for a standard user.
    void RefuseFullAccess(TRootKey root, const std::string& path = "");
    // From now on every write of a value of this name (any case, any key) fails.
    void FailWritesOf(const std::string& valueName);

    // Every write so far, refused ones included (Done false), in order.
    const std::vector<TRegistryWrite>& Journal() const { return journal_; }
    void ClearJournal() { journal_.clear(); }

    // Puts an Ethernet adapter under the adapter class key, as discovery finds it, in a
    // subkey of its own; the journal does not show it.
    void AddEthernetAdapter(const std::string& id, const std::string& description = "Ethernet");

    // Inspection for tests, without opening a key and without touching the journal.
    bool KeyExists(TRootKey root, const std::string& path) const;
    std::optional<TRegValue> Value(TRootKey root, const std::string& path,
                                   const std::string& name) const;

  private:
    struct TNode;
    class TKey;
    const TNode* Find(TRootKey root, const std::string& path) const;
    bool IsUnopenable(TRootKey root, const TNode& node) const;
    bool RefusesFullAccess(TRootKey root, const TNode& node) const;
    // Root name, "\" and the upper-case path: how refused keys are kept.
    static std::string KeyName(TRootKey root, const std::string& path);

    std::map<TRootKey, std::unique_ptr<TNode>> roots_;
    std::set<std::string> unopenable_;  // root name + "\" + upper-case path
    std::set<std::string> readOnly_;    // the same, each with the keys beneath it
    std::set<std::string> failedNames_; // upper-case value names
    std::vector<TRegistryWrite> journal_;
};
