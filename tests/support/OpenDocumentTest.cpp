#include "support/Process.h"

#include "support/FileSystem.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace {

// The file's bytes once they read as expected, or what it held when timeoutMs had passed:
// another process writes it.
std::string EventuallyReads(const std::string& path, const std::string& expected,
                            DWORD timeoutMs = 10000) {
    const DWORD start = ::GetTickCount();
    for (;;) {
        const std::string bytes = FileExists(path) ? GetFile(path) : "";
        if (bytes == expected || ::GetTickCount() - start > timeoutMs)
            return bytes;
        ::Sleep(50);
    }
}

} // namespace

// A document is opened once, by the desktop's shell where it offers to (Windows) or by the
// program's own call where not (Wine): never by both, and never not at all. A script stands
// in for the help, since its default action leaves a trace; its folder has a space.
TEST(OpenDocument, OpensTheDocumentExactlyOnceByWhicheverShellThereIs) {
    TTempFolder dir;
    const std::string folder = dir / "with space";
    ForceDirectories(folder);
    const std::string marker = folder + "\\opened.txt";
    const std::string script = folder + "\\help.cmd";
    PutFile(script, "@echo opened>>\"" + marker + "\"\r\n@exit\r\n");
    OpenDocument(script);
    EXPECT_EQ("opened\r\n", EventuallyReads(marker, "opened\r\n"));
    ::Sleep(1000); // a second opening would add its line by now
    EXPECT_EQ("opened\r\n", GetFile(marker));
}

TEST(OpenDocument, AMissingDocumentIsReportedWithItsNameAndNothingIsStarted) {
    TTempFolder dir;
    const std::string missing = dir / "help.htm";
    try {
        OpenDocument(missing);
        ADD_FAILURE() << "no error";
    } catch (const std::exception& error) {
        EXPECT_EQ("Cannot open \"" + missing + "\": " + SystemErrorText(ERROR_FILE_NOT_FOUND),
                  error.what());
    }
}
