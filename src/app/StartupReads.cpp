#include "StartupReads.h"

#include "support/Config.h"

#include <utility>

std::optional<TConfig> GuessFromSettingsFile(const std::string& configPath,
                                             TStartupQuestions& questions) {
    try {
        TConfig config(configPath);
        questions.Scope = AdapterScopeOf(ReadSwitch(config, ShowAllAdaptersSetting));
        questions.Position = SavedAdapterIndex(config);
        return config;
    } catch (const std::exception&) {
        questions.Scope = TAdapterScope::Ethernet;
        questions.Position = 0;
        return std::nullopt;
    }
}

TStartupReads::TStartupReads(TStartupQuestions questions, std::optional<TConfig> settings)
    : questions_(std::move(questions)), settings_(std::move(settings)),
      worker_([this] { ReadAll(); }) {}

// Each answer is kept only once it is whole, so a failure part way leaves the question
// to the window.
void TStartupReads::ReadAll() {
    // In the order the window needs them: the adapters, the file with the rows of the
    // adapter it will select, then the address.
    const std::optional<std::string> selected = ReadAdapters();
    try {
        if (!questions_.DatabasePath.empty())
            database_ = selected
                            ? TOpenedProfileFile::OpenWithRowsOf(questions_.DatabasePath, *selected)
                            : TOpenedProfileFile::Open(questions_.DatabasePath);
    } catch (const std::exception&) {
    }
    try {
        std::string address;
        if (questions_.LocalAddress)
            questions_.LocalAddress(address);
        localAddress_ = std::move(address);
    } catch (const std::exception&) {
    }
}

std::optional<std::string> TStartupReads::ReadAdapters() {
    std::optional<std::string> selected;
    try {
        std::vector<TDiscoveredAdapter> adapters =
            DiscoverAdapters(questions_.Registry, questions_.Scope);
        const size_t position = static_cast<size_t>(questions_.Position);
        adapters_ = std::move(adapters);
        if (questions_.Position >= 0 && position < adapters_->size()) {
            selected = (*adapters_)[position].Id;
            liveState_ = questions_.LiveState.Read(*selected);
            liveStateId_ = selected;
        }
    } catch (const std::exception&) {
    }
    return selected;
}

std::optional<std::vector<TDiscoveredAdapter>> TStartupReads::TakeAdapters(TAdapterScope scope) {
    Finish();
    if (scope != questions_.Scope)
        adapters_.reset();
    return std::exchange(adapters_, std::nullopt);
}

std::optional<TLiveState> TStartupReads::TakeLiveState(const std::string& adapterId) {
    Finish();
    if (liveStateId_ != adapterId)
        liveState_.reset();
    liveStateId_.reset();
    return std::exchange(liveState_, std::nullopt);
}

std::optional<std::string> TStartupReads::TakeLocalAddress() {
    Finish();
    return std::exchange(localAddress_, std::nullopt);
}

std::optional<TOpenedProfileFile> TStartupReads::TakeDatabase(const std::string& path) {
    Finish();
    if (!database_ || database_->Path() != path)
        database_.reset();
    return std::exchange(database_, std::nullopt);
}

std::optional<TConfig> TStartupReads::TakeSettingsFile(const std::string& path) {
    if (!settings_ || settings_->FileName != path)
        settings_.reset();
    return std::exchange(settings_, std::nullopt);
}
