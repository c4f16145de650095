#include "Registry.h"

#include "support/Error.h"

namespace {

std::string WithoutOuterSeparators(const std::string& path) {
    size_t first = 0;
    while (first < path.size() && path[first] == '\\')
        ++first;
    size_t last = path.size();
    while (last > first && path[last - 1] == '\\')
        --last;
    return path.substr(first, last - first);
}

TError SetDataError(const std::string& name) {
    return TError("Failed to set data for '" + name + "'");
}

} // namespace

TReg::TReg(IRegistryBackend& backend) : backend_(backend) {}

void TReg::SetRootKey(TRootKey root) {
    if (root == root_)
        return;
    root_ = root;
    CloseKey();
}

std::string TReg::BackendPath(const std::string& path) const {
    const bool relative = path.empty() || path[0] != '\\';
    std::string request = relative ? path : path.substr(1);
    if (relative && key_ && !path_.empty())
        request = path_ + "\\" + request;
    return request;
}

bool TReg::Take(std::unique_ptr<IRegistryKey> opened, const std::string& request) {
    if (!opened)
        return false;
    key_ = std::move(opened);
    path_ = WithoutOuterSeparators(request);
    return true;
}

bool TReg::OpenKey(const std::string& path, bool canCreate) {
    const std::string request = BackendPath(path);
    return Take(backend_.OpenKey(root_, request, canCreate), request);
}

bool TReg::OpenKeyReadOnly(const std::string& path) {
    const std::string request = BackendPath(path);
    return Take(backend_.OpenKeyReadOnly(root_, request), request);
}

void TReg::CloseKey() {
    key_.reset();
    path_.clear();
}

std::vector<std::string> TReg::GetKeyNames() {
    if (!key_)
        return {};
    return key_->SubkeyNames();
}

bool TReg::ValueExists(const std::string& name) {
    return key_ && key_->QueryValue(name);
}

std::string TReg::ReadString(const std::string& name) {
    if (!key_)
        return {};
    const auto value = key_->QueryValue(name);
    if (!value || value->Bytes.empty())
        return {};
    if (value->Type != RegSz && value->Type != RegExpandSz)
        throw TError("Invalid data type for '" + name + "'");
    const size_t nul = value->Bytes.find('\0');
    return nul == std::string::npos ? value->Bytes : value->Bytes.substr(0, nul);
}

std::optional<std::string> TReg::ReadTextValue(const std::string& name) {
    try {
        return ReadString(name);
    } catch (const TError&) {
        return std::nullopt;
    }
}

void TReg::WriteString(const std::string& name, const std::string& value) {
    if (!WriteRaw(name, RegSz, std::string(value.c_str(), value.size() + 1)))
        throw SetDataError(name);
}

void TReg::WriteInteger(const std::string& name, int value) {
    const auto v = static_cast<unsigned>(value);
    const char bytes[4] = {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF),
                           static_cast<char>((v >> 16) & 0xFF), static_cast<char>(v >> 24)};
    if (!WriteRaw(name, RegDword, std::string(bytes, 4)))
        throw SetDataError(name);
}

bool TReg::WriteRaw(const std::string& name, unsigned type, const std::string& bytes) {
    return key_ && key_->SetValue(name, type, bytes);
}

bool TReg::DeleteValue(const std::string& name) {
    return key_ && key_->DeleteValue(name);
}
