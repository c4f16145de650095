#pragma once
// The start's slow questions to the system (which adapters there are, what the one used
// last uses now, the machine's address), asked on a worker thread while the window is made:
// each costs the start milliseconds of library loading and system calls that need nothing
// of the window. The window takes each answer once, by asking the same question again; a
// different question, or one whose answer failed, the window asks itself and so meets its
// own error, as it would have without the reads ahead.

#include "netcfg/Adapters.h"
#include "netcfg/LiveState.h"
#include "netcfg/Registry.h"
#include "store/ProfileStore.h"
#include "support/Config.h"
#include "support/WorkerThread.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

// What the reads ahead ask, and from where. Until the reads are finished, the sources are
// theirs alone.
struct TStartupQuestions {
    IRegistryBackend& Registry;
    ILiveStateReader& LiveState;
    std::function<bool(std::string&)> LocalAddress; // as GetLocalIP: the text, or false
    TAdapterScope Scope = TAdapterScope::Ethernet;
    // The adapter, by its position in the scope's list, whose live state is read.
    int Position = 0;
    // The database file the window shows; none when empty.
    std::string DatabasePath;
};

// The scope and position the settings file at configPath names, read ahead of the window's
// own opening of it: a guess, so a file that cannot be read gives the defaults. Returns the
// file as read, for the window to take rather than read it again; none when it could not be.
std::optional<TConfig> GuessFromSettingsFile(const std::string& configPath,
                                             TStartupQuestions& questions);

class TStartupReads {
  public:
    // settings: the settings file the guess read, if any, handed over as it is.
    explicit TStartupReads(TStartupQuestions questions,
                           std::optional<TConfig> settings = std::nullopt);

    // Each waits for the reads, then hands over its answer once: nothing when the question
    // differs, the answer failed, or it was taken before.
    std::optional<std::vector<TDiscoveredAdapter>> TakeAdapters(TAdapterScope scope);
    std::optional<TLiveState> TakeLiveState(const std::string& adapterId);
    // The address as the status line shows it: empty when there is none.
    std::optional<std::string> TakeLocalAddress();
    // The file opened as TOpenedProfileFile::Open opens it, when it is the one asked for,
    // with the rows of the adapter at the position read too.
    std::optional<TOpenedProfileFile> TakeDatabase(const std::string& path);
    // The settings file, when it is the one at path; once. The worker never touches it, so
    // this does not wait.
    std::optional<TConfig> TakeSettingsFile(const std::string& path);

    // Waits for the reads; from then on the sources are the caller's again.
    void Finish() { worker_.Wait(); }

  private:
    void ReadAll();
    // The adapters and the live state; the id of the adapter at the position, if any.
    std::optional<std::string> ReadAdapters();

    TStartupQuestions questions_;
    std::optional<std::vector<TDiscoveredAdapter>> adapters_;
    std::optional<std::string> liveStateId_;
    std::optional<TLiveState> liveState_;
    std::optional<std::string> localAddress_;
    std::optional<TOpenedProfileFile> database_;
    std::optional<TConfig> settings_;
    TWorkerThread worker_; // last: made once the rest is, and gone before it
};
