// Opening the profile database on arbitrary bytes, with or without a rollback journal or a
// write-ahead log beside it: Open either takes the file or refuses it with an error, and a
// file it refuses is left exactly as it was, side files included.

#include "FuzzInput.h"

#include "store/ProfileStore.h"
#include "support/Error.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <system_error>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

class TScratchFolder {
  public:
    TScratchFolder() {
        path_ = fs::temp_directory_path() / ("netvane-fuzz-store-" + std::to_string(::getpid()));
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~TScratchFolder() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    std::string File(const std::string& name) const { return (path_ / name).string(); }

  private:
    fs::path path_;
};

// A file's bytes, or nothing when it does not exist.
std::optional<std::string> Contents(const std::string& path) {
    if (!fs::exists(path))
        return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Put(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TFuzzInput in(data, size);
    const TScratchFolder folder;
    const std::string db = folder.File("db");
    const std::string side[] = {db + "-journal", db + "-wal"};
    const std::size_t sideFile = in.Below(3); // none, a journal or a log
    const std::string sideBytes = sideFile ? in.LongText() : std::string();
    Put(db, in.Rest());
    if (sideFile)
        Put(side[sideFile - 1], sideBytes);
    const auto dbBefore = Contents(db);
    const auto journalBefore = Contents(side[0]);
    const auto logBefore = Contents(side[1]);
    try {
        TProfileTable table;
        table.Open(db);
    } catch (const TError&) {
        FUZZ_EXPECT(Contents(db) == dbBefore, "a refused file was changed");
        FUZZ_EXPECT(Contents(side[0]) == journalBefore,
                    "the journal of a refused file was changed");
        FUZZ_EXPECT(Contents(side[1]) == logBefore, "the log of a refused file was changed");
    }
    return 0;
}
