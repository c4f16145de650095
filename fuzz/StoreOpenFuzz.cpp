// Opening the profile database on arbitrary bytes, with or without a rollback journal or a
// write-ahead log beside it: Open either takes the file or refuses it with an error, and a
// file it refuses is left exactly as it was, side files included. The same holds for the
// open that reads one adapter's rows along (as the start does), its rows then shown.

#include "FuzzFiles.h"
#include "FuzzInput.h"

#include "store/ProfileStore.h"
#include "support/Error.h"

#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TFuzzInput in(data, size);
    const TScratchFolder folder("store");
    const std::string db = folder.File("db");
    const std::string side[] = {db + "-journal", db + "-wal"};
    const std::size_t sideFile = in.Below(3); // none, a journal or a log
    const std::string sideBytes = sideFile ? in.LongText() : std::string();
    PutFileBytes(db, in.Rest());
    if (sideFile)
        PutFileBytes(side[sideFile - 1], sideBytes);
    // An open that refuses the file leaves it, and what lies beside it, as it found it.
    const auto refusedUntouched = [&](const auto& open) {
        const auto dbBefore = FileBytes(db);
        const auto journalBefore = FileBytes(side[0]);
        const auto logBefore = FileBytes(side[1]);
        try {
            open();
        } catch (const TError&) {
            FUZZ_EXPECT(FileBytes(db) == dbBefore, "a refused file was changed");
            FUZZ_EXPECT(FileBytes(side[0]) == journalBefore,
                        "the journal of a refused file was changed");
            FUZZ_EXPECT(FileBytes(side[1]) == logBefore, "the log of a refused file was changed");
        }
    };
    refusedUntouched([&] {
        TProfileTable table;
        table.Open(db);
    });
    refusedUntouched([&] {
        TProfileTable table;
        table.Show(TOpenedProfileFile::OpenWithRowsOf(db, "{A}"));
        table.SetAdapterFilter("{a}");
    });
    return 0;
}
