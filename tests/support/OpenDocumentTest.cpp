#include "support/Process.h"

#include "support/AccessWin.h"
#include "support/DocumentOpening.h"
#include "support/FileSystem.h"
#include "support/Forms.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

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

// A document is opened once, with the user's rights: directly as the user, through the
// desktop's shell where it runs elevated. Elevated without a desktop shell (Wine, which
// starts every program elevated) it is not opened at all, and the user is told where it
// is. A script stands in for the help, since its default action leaves a trace; its folder
// has a space.
TEST(OpenDocument, OpensTheDocumentOnceWithTheUsersRightsOrSaysWhereItIs) {
    TTempFolder dir;
    const std::string folder = dir / "with space";
    ForceDirectories(folder);
    const std::string marker = folder + "\\opened.txt";
    const std::string script = folder + "\\help.cmd";
    PutFile(script, "@echo opened>>\"" + marker + "\"\r\n@exit\r\n");
    std::vector<std::string> told;
    const TMessageBoxHandler previous =
        SetMessageBoxHandler([&](HWND, const std::string& text, const std::string&, UINT) {
            told.push_back(text);
            return IDOK;
        });
    OpenDocument(script);
    SetMessageBoxHandler(previous);
    if (IsElevated() && !::GetShellWindow()) {
        EXPECT_EQ(std::vector<std::string>{OpenItYourselfMessage(script)}, told);
        ::Sleep(1000); // an opening would have left its line by now
        EXPECT_FALSE(FileExists(marker));
        return;
    }
    EXPECT_TRUE(told.empty());
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
