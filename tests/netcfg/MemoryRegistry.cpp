#include "MemoryRegistry.h"

#include "netcfg/Adapters.h"

#include <cstdio>
#include <ostream>

namespace {

// Windows compares key and value names by their upper-case form. Letters beyond ASCII
// depend on the code page; the tests and the engine use ASCII names only.
std::string Upper(const std::string& s) {
    std::string u = s;
    for (char& c : u)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return u;
}

// Splits a key path into its parts; one trailing "\" is allowed, an empty part elsewhere
// (a leading "\" or "\\") makes the path invalid.
std::optional<std::vector<std::string>> SplitPath(const std::string& path) {
    std::vector<std::string> parts;
    if (path.empty())
        return parts;
    std::string rest = path;
    if (rest.back() == '\\')
        rest.pop_back();
    size_t start = 0;
    for (;;) {
        const size_t end = rest.find('\\', start);
        std::string part = rest.substr(start, end == std::string::npos ? end : end - start);
        if (part.empty())
            return std::nullopt;
        parts.push_back(std::move(part));
        if (end == std::string::npos)
            return parts;
        start = end + 1;
    }
}

} // namespace

std::string TMemoryRegistry::KeyName(TRootKey root, const std::string& path) {
    std::string upper;
    for (const std::string& part : SplitPath(path).value_or(std::vector<std::string>{})) {
        if (!upper.empty())
            upper += '\\';
        upper += Upper(part);
    }
    return std::string(RootKeyName(root)) + "\\" + upper;
}

struct TMemoryRegistry::TNode {
    std::string Name;
    std::string Path; // parts from the root, as first created
    std::string UpperPath;
    std::map<std::string, std::unique_ptr<TNode>> Children; // by upper-case name: Windows order
    std::map<std::string, TRegValue> Values;                // by upper-case name
};

class TMemoryRegistry::TKey : public IRegistryKey {
  public:
    TKey(TMemoryRegistry& owner, TRootKey root, TNode& node, bool readOnly)
        : owner_(owner), root_(root), node_(node), readOnly_(readOnly) {}

    std::vector<std::string> SubkeyNames() override {
        std::vector<std::string> names;
        names.reserve(node_.Children.size());
        for (const auto& [upper, child] : node_.Children)
            names.push_back(child->Name);
        return names;
    }

    std::optional<TRegValue> QueryValue(const std::string& name) override {
        const auto found = node_.Values.find(Upper(name));
        if (found == node_.Values.end())
            return std::nullopt;
        return found->second;
    }

    bool SetValue(const std::string& name, unsigned type, const std::string& bytes) override {
        const bool done = !readOnly_ && owner_.failedNames_.count(Upper(name)) == 0;
        owner_.journal_.push_back({root_, node_.Path, name, type, bytes, done});
        if (done)
            node_.Values[Upper(name)] = TRegValue{type, bytes};
        return done;
    }

    bool DeleteValue(const std::string& name) override {
        const bool done = !readOnly_ && owner_.failedNames_.count(Upper(name)) == 0 &&
                          node_.Values.erase(Upper(name)) > 0;
        owner_.journal_.push_back({root_, node_.Path, name, RegDeletedValue, "", done});
        return done;
    }

  private:
    TMemoryRegistry& owner_;
    TRootKey root_;
    TNode& node_;
    bool readOnly_;
};

std::string WithoutOuterSeparators(std::string path) {
    while (!path.empty() && path.front() == '\\')
        path.erase(0, 1);
    while (!path.empty() && path.back() == '\\')
        path.pop_back();
    return path;
}

const char* RootKeyName(TRootKey root) {
    switch (root) {
    case TRootKey::ClassesRoot:
        return "HKEY_CLASSES_ROOT";
    case TRootKey::CurrentUser:
        return "HKEY_CURRENT_USER";
    case TRootKey::LocalMachine:
        return "HKEY_LOCAL_MACHINE";
    case TRootKey::Users:
        return "HKEY_USERS";
    }
    return "HKEY_?";
}

std::string Describe(const TRegistryWrite& write) {
    std::string text = std::string(RootKeyName(write.Root)) +
                       (write.KeyPath.empty() ? "" : "\\" + write.KeyPath) + ": " + write.Name +
                       " = type " + std::to_string(write.Type) + ", " +
                       std::to_string(write.Bytes.size()) + " bytes";
    for (const char c : write.Bytes) {
        char hex[4];
        std::snprintf(hex, sizeof hex, " %02x", static_cast<unsigned char>(c));
        text += hex;
    }
    return write.Done ? text : text + " (refused)";
}

void PrintTo(const TRegistryWrite& write, std::ostream* out) {
    *out << Describe(write);
}

TMemoryRegistry::TMemoryRegistry() {
    for (const TRootKey root :
         {TRootKey::ClassesRoot, TRootKey::CurrentUser, TRootKey::LocalMachine, TRootKey::Users})
        roots_[root] = std::make_unique<TNode>();
}

TMemoryRegistry::~TMemoryRegistry() = default;

bool TMemoryRegistry::IsUnopenable(TRootKey root, const TNode& node) const {
    return unopenable_.count(std::string(RootKeyName(root)) + "\\" + node.UpperPath) != 0;
}

bool TMemoryRegistry::RefusesFullAccess(TRootKey root, const TNode& node) const {
    const std::string name = std::string(RootKeyName(root)) + "\\" + node.UpperPath;
    for (const std::string& refused : readOnly_) {
        // A root's own name ends in its separator; any other key's is followed by one.
        const std::string beneath = refused.back() == '\\' ? refused : refused + "\\";
        if (name == refused || name.rfind(beneath, 0) == 0)
            return true;
    }
    return false;
}

std::unique_ptr<IRegistryKey> TMemoryRegistry::OpenKey(TRootKey root, const std::string& path,
                                                       bool canCreate) {
    const auto parts = SplitPath(path);
    if (!parts)
        return nullptr;
    TNode* node = roots_.at(root).get();
    for (const std::string& part : *parts) {
        const std::string upper = Upper(part);
        auto found = node->Children.find(upper);
        if (found == node->Children.end()) {
            if (!canCreate || IsUnopenable(root, *node) || RefusesFullAccess(root, *node))
                return nullptr;
            auto child = std::make_unique<TNode>();
            child->Name = part;
            child->Path = node->Path.empty() ? part : node->Path + "\\" + part;
            child->UpperPath = Upper(child->Path);
            found = node->Children.emplace(upper, std::move(child)).first;
        }
        node = found->second.get();
    }
    if (IsUnopenable(root, *node) || RefusesFullAccess(root, *node))
        return nullptr;
    return std::make_unique<TKey>(*this, root, *node, false);
}

std::unique_ptr<IRegistryKey> TMemoryRegistry::OpenKeyReadOnly(TRootKey root,
                                                               const std::string& path) {
    // Only the registry's own nodes are found, so the key may change them (and refuses to).
    auto* node = const_cast<TNode*>(Find(root, path));
    if (!node || IsUnopenable(root, *node))
        return nullptr;
    return std::make_unique<TKey>(*this, root, *node, true);
}

void TMemoryRegistry::MakeUnopenable(TRootKey root, const std::string& path) {
    unopenable_.insert(KeyName(root, path));
}

void TMemoryRegistry::RefuseFullAccess(TRootKey root, const std::string& path) {
    readOnly_.insert(KeyName(root, path));
}

void TMemoryRegistry::FailWritesOf(const std::string& valueName) {
    failedNames_.insert(Upper(valueName));
}

const TMemoryRegistry::TNode* TMemoryRegistry::Find(TRootKey root, const std::string& path) const {
    const auto parts = SplitPath(path);
    if (!parts)
        return nullptr;
    const TNode* node = roots_.at(root).get();
    for (const std::string& part : *parts) {
        const auto found = node->Children.find(Upper(part));
        if (found == node->Children.end())
            return nullptr;
        node = found->second.get();
    }
    return node;
}

void TMemoryRegistry::AddEthernetAdapter(const std::string& id, const std::string& description) {
    const std::size_t journalBefore = journal_.size();
    TReg reg(*this);
    reg.SetRootKey(TRootKey::LocalMachine);
    std::vector<std::string> present;
    if (reg.OpenKey(AdapterClassKey, false))
        present = reg.GetKeyNames();
    char name[8];
    std::snprintf(name, sizeof name, "%04zu", present.size());
    const std::string key = AdapterClassKey + std::string(name);
    reg.OpenKey(key + "\\Ndi\\Interfaces", true);
    reg.WriteString("LowerRange", "ethernet");
    reg.OpenKey(key, false);
    reg.WriteString("NetCfgInstanceID", id);
    reg.WriteString("DriverDesc", description);
    reg.CloseKey();
    journal_.resize(journalBefore);
}

bool TMemoryRegistry::KeyExists(TRootKey root, const std::string& path) const {
    return Find(root, path) != nullptr;
}

std::optional<TRegValue> TMemoryRegistry::Value(TRootKey root, const std::string& path,
                                                const std::string& name) const {
    const TNode* node = Find(root, path);
    if (!node)
        return std::nullopt;
    const auto found = node->Values.find(Upper(name));
    if (found == node->Values.end())
        return std::nullopt;
    return found->second;
}
