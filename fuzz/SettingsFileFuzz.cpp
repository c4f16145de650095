// The settings file over arbitrary contents and writes: what is written reads back
// identically from the file (a value kept in a side file with the CR LF the side file ends
// with), or the write is refused and the file stays as it was.

#include "FuzzFiles.h"
#include "FuzzInput.h"

#include "support/Config.h"
#include "support/Error.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TFuzzInput in(data, size);
    const TScratchFolder folder("config");
    const std::string file = folder.File("config.ini");
    if (in.Flag())
        PutFileBytes(file, in.Text(200));
    const std::size_t writes = 1 + in.Below(4);
    for (std::size_t i = 0; i < writes && !in.Empty(); ++i) {
        const std::string name = in.Flag() ? "Index" : in.Text(16);
        const std::string value = in.Text(120);
        const auto before = FileBytes(file);
        try {
            TConfig config(file);
            config.WriteValue(name, value);
        } catch (const TError&) {
            FUZZ_EXPECT(FileBytes(file) == before, "a refused write changed the file");
            continue;
        }
        const TConfig reread(file);
        const std::string expected = TConfig::HasLineBreak(value) ? value + "\r\n" : value;
        FUZZ_EXPECT(reread.ReadValue(name) == expected,
                    "written value does not read back: [" + name + "]=[" + value + "]");
    }
    return 0;
}
