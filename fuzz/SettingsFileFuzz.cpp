// The settings file over arbitrary contents and writes: what is written reads back
// identically from the file (a value kept in a side file with the CR LF the side file ends
// with), or the write is refused and the file stays as it was.

#include "FuzzInput.h"

#include "support/Config.h"
#include "support/Error.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <unistd.h>

namespace {

// A folder of its own for each input, gone afterwards.
class TScratchFolder {
  public:
    TScratchFolder() {
        path_ = std::filesystem::temp_directory_path() /
                ("netvane-fuzz-config-" + std::to_string(::getpid()));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    std::string File(const std::string& name) const { return (path_ / name).string(); }

  private:
    std::filesystem::path path_;
};

std::string Contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Put(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TFuzzInput in(data, size);
    const TScratchFolder folder;
    const std::string file = folder.File("config.ini");
    if (in.Flag())
        Put(file, in.Text(200));
    const std::size_t writes = 1 + in.Below(4);
    for (std::size_t i = 0; i < writes && !in.Empty(); ++i) {
        const std::string name = in.Flag() ? "Index" : in.Text(16);
        const std::string value = in.Text(120);
        const std::string before = Contents(file);
        try {
            TConfig config(file);
            config.WriteValue(name, value);
        } catch (const TError&) {
            FUZZ_EXPECT(Contents(file) == before, "a refused write changed the file");
            continue;
        }
        const TConfig reread(file);
        const std::string expected = TConfig::HasLineBreak(value) ? value + "\r\n" : value;
        FUZZ_EXPECT(reread.ReadValue(name) == expected,
                    "written value does not read back: [" + name + "]=[" + value + "]");
    }
    return 0;
}
