#include "support/Config.h"
#include "support/Error.h"
#include "support/FileSystem.h"
#include "support/TempFolder.h"
#include "store/WithoutWriteRights.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

using namespace std::string_literals;

namespace {

const std::string Marker = SideFileMarker;
const std::string Token = LineBreakToken;

struct TConfigFixture {
    TTempFolder dir;
    std::string path = dir / "config.ini";
};

} // namespace

TEST(Config, ReadsTheSettingsOfAFile) {
    struct Case {
        const char* what;
        std::optional<std::string> stored; // nothing: no file at all
        std::string name;
        std::string expected;
    } cases[] = {
        {"missing file", std::nullopt, "Index", ""},
        {"empty file", "", "Index", ""},
        {"plain line", "Index=2\r\n", "Index", "2"},
        {"last line without terminator", "A=1\r\nIndex=7", "Index", "7"},
        {"other letter case", "INDEX=1\r\n", "Index", "1"},
        {"first matching line wins", "a=1\r\nA=2\r\n", "A", "1"},
        {"value holding =", "Url=a=b=c\r\n", "Url", "a=b=c"},
        {"lone LF ends a line", "A=1\nB=2\n", "B", "2"},
        {"lone CR ends a line", "A=1\rB=2", "B", "2"},
        {"LF CR is two line ends", "A=1\n\rB=2", "B", "2"},
        {"line without = is no setting", "A\r\nB=2\r\n", "A", ""},
        {"name is the text before the first =", "A=B=2\r\n", "A=B", ""},
        {"byte 0 ends the content", "A=1\r\nB=2\0\r\nC=3\r\n"s, "C", ""},
        {"line before byte 0 is kept", "A=1\r\nB=2\0ignored"s, "B", "2"},
        {"line-break token", "Notes=x" + Token + "y" + Token + "\r\n", "Notes", "x\r\ny\r\n"},
        {"marker letter case matters", "N=<#$%@kwz*&^>\r\n", "N", "<#$%@kwz*&^>"},
        {"marker without side file", "N=" + Marker + "\r\n", "N", ""},
        {"UTF-8 byte-order mark before the first line", "\xEF\xBB\xBFIndex=3\r\n", "Index", "3"},
    };
    for (const auto& c : cases) {
        TConfigFixture f;
        if (c.stored)
            PutFile(f.path, *c.stored);
        TConfig config(f.path);
        EXPECT_EQ(c.expected, config.ReadValue(c.name)) << c.what;
    }
}

// A text editor may put a UTF-8 byte-order mark before the first line; the next write
// leaves it out, as the file's format has none.
TEST(Config, AByteOrderMarkIsDroppedByTheNextWrite) {
    TConfigFixture f;
    PutFile(f.path, "\xEF\xBB\xBFIndex=3\r\nA=1\r\n");
    TConfig config(f.path);
    config.WriteValue("Index", "4");
    EXPECT_EQ("Index=4\r\nA=1\r\n", GetFile(f.path));
}

TEST(Config, WriteValueRewritesTheWholeFileByteExact) {
    struct Case {
        const char* what;
        std::optional<std::string> stored;
        std::string name;
        std::string value;
        std::string expected;
    } cases[] = {
        {"first setting of a new file", std::nullopt, "Index", "2", "Index=2\r\n"},
        {"replaced in place, caller's spelling", "A=1\r\nINDEX=1\r\nB=2\r\n", "Index", "3",
         "A=1\r\nIndex=3\r\nB=2\r\n"},
        {"new setting appended", "B=2\r\nA=1\r\n", "C", "3", "B=2\r\nA=1\r\nC=3\r\n"},
        {"only the first match replaced", "a=1\r\nA=2\r\n", "A", "3", "A=3\r\nA=2\r\n"},
        {"empty value removes the line", "A=1\r\nB=2\r\n", "A", "", "B=2\r\n"},
        {"last line removed gives 0 bytes", "A=1\r\n", "a", "", ""},
        {"removing a missing setting", "A=1\r\n", "Z", "", "A=1\r\n"},
        {"lines without = stay in place", "; note\r\nA=1\r\n[x]\r\n", "A", "2",
         "; note\r\nA=2\r\n[x]\r\n"},
        {"empty lines stay", "\r\nA=1\r\n\r\n", "A", "2", "\r\nA=2\r\n\r\n"},
        {"line ends become CR LF", "A=1\nB=2\rC=3", "D", "4", "A=1\r\nB=2\r\nC=3\r\nD=4\r\n"},
        {"content after byte 0 dropped", "A=1\r\nB\0junk"s, "C", "3", "A=1\r\nB\r\nC=3\r\n"},
        {"value holding =", "", "Url", "a=b", "Url=a=b\r\n"},
        {"every line of the name removed", "Index=1\r\nA=2\r\nINDEX=5\r\nindex=\r\n", "Index", "",
         "A=2\r\n"},
    };
    for (const auto& c : cases) {
        TConfigFixture f;
        if (c.stored)
            PutFile(f.path, *c.stored);
        TConfig config(f.path);
        config.WriteValue(c.name, c.value);
        EXPECT_EQ(c.expected, GetFile(f.path)) << c.what;
        EXPECT_EQ(c.value, config.ReadValue(c.name)) << c.what;
        EXPECT_EQ(c.value, TConfig(f.path).ReadValue(c.name)) << c.what << " (reopened)";
    }
}

TEST(Config, AValueWithLineBreaksGoesToASideFile) {
    TConfigFixture f;
    PutFile(f.path, "Notes=plain\r\nIndex=1\r\n");
    TConfig config(f.path);
    config.WriteValue("Notes", "first\r\nsecond\nthird");

    EXPECT_EQ("Notes=" + Marker + "\r\nIndex=1\r\n", GetFile(f.path));
    EXPECT_EQ("first\r\nsecond\nthird\r\n", GetFile(f.path + ".Notes.cfg"));
    EXPECT_EQ("first\r\nsecond\nthird\r\n", config.ReadValue("notes"));
    EXPECT_EQ("first\r\nsecond\nthird\r\n", TConfig(f.path).ReadValue("Notes"));
}

TEST(Config, WithoutSideFilesLineBreaksAreStoredAsTokens) {
    TConfigFixture f;
    TConfig config(f.path);
    config.SideFiles = false;
    config.WriteValue("Notes", "a\r\nb\rc\nd");

    EXPECT_EQ("Notes=a" + Token + "b" + Token + "c" + Token + "d\r\n", GetFile(f.path));
    EXPECT_FALSE(FileExists(f.path + ".Notes.cfg"));
    EXPECT_EQ("a\r\nb\r\nc\r\nd", config.ReadValue("Notes"));
    EXPECT_EQ("a\r\nb\r\nc\r\nd", TConfig(f.path).ReadValue("Notes"));
}

TEST(Config, LineBreakDetectionAndEscaping) {
    struct Case {
        std::string value;
        bool hasLineBreak;
        std::string escaped;
    } cases[] = {
        {"", false, ""},
        {"plain", false, "plain"},
        {"a\r\nb", true, "a" + Token + "b"},
        {"\r", true, Token},
        {"\n", true, Token},
        {"\n\r", true, Token + Token},
        {"\r\r\n", true, Token + Token},
        {"\r\n\r\n", true, Token + Token},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.hasLineBreak, TConfig::HasLineBreak(c.value))
            << testing::PrintToString(c.value);
        EXPECT_EQ(c.escaped, TConfig::EscapeLineBreaks(c.value)) << testing::PrintToString(c.value);
    }
}

TEST(Config, RefusesWritesThatWouldNotReadBackAndChangesNothing) {
    struct Case {
        const char* what;
        std::string name;
        std::string value;
        bool sideFiles;
    } cases[] = {
        {"name with =", "a=b", "1", true},
        {"name with CR LF", "a\r\nIndex", "9", true},
        {"name with LF", "a\nIndex", "9", false},
        {"name with byte 0", "a\0b"s, "1", true},
        {"name after a byte-order mark", "\xEF\xBB\xBFIndex", "2", true},
        {"file beyond its largest size", "Notes", std::string(MaxConfigFileBytes, 'x'), true},
        {"value equal to the marker", "Notes", Marker, true},
        {"marker without side files", "Notes", Marker, false},
        {"value with byte 0", "Notes", "a\0b"s, true},
        {"one-line value holding the token", "Notes", "a" + Token + "b", true},
        {"token text beside line breaks", "Notes", "a\r\n" + Token, false},
        {"side-file value with byte 26", "Notes",
         "a\r\nb\x1a"
         "c",
         true},
    };
    const std::string before = "Index=1\r\nNotes=old\r\n";
    for (const auto& c : cases) {
        TConfigFixture f;
        PutFile(f.path, before);
        TConfig config(f.path);
        config.SideFiles = c.sideFiles;
        EXPECT_THROW(config.WriteValue(c.name, c.value), TError) << c.what;
        EXPECT_EQ(before, GetFile(f.path)) << c.what;
        EXPECT_EQ("1", config.ReadValue("Index")) << c.what;
        EXPECT_EQ("old", config.ReadValue("Notes")) << c.what;
        EXPECT_FALSE(FileExists(f.path + ".Notes.cfg")) << c.what;
    }
}

TEST(Config, ValuesHoldingTheSpecialTextsInAllowedPlacesReadBack) {
    struct Case {
        const char* what;
        std::string value;
        bool sideFiles;
    } cases[] = {
        {"token text in a side file", "a\r\n" + Token, true},
        {"byte 26 on one line",
         "a\x1a"
         "b",
         true},
        {"byte 26 among tokens", "a\r\n\x1a", false},
    };
    for (const auto& c : cases) {
        TConfigFixture f;
        TConfig config(f.path);
        config.SideFiles = c.sideFiles;
        config.WriteValue("Notes", c.value);
        const std::string expected =
            c.sideFiles && TConfig::HasLineBreak(c.value) ? c.value + "\r\n" : c.value;
        EXPECT_EQ(expected, TConfig(f.path).ReadValue("Notes")) << c.what;
    }
}

TEST(Config, AFileLargerThanItsLargestSizeIsRefusedAndLeftAsItIs) {
    TConfigFixture f;
    const std::string line = "Index=1\r\n";
    const std::string largest = line + std::string(MaxConfigFileBytes - line.size(), ';');
    PutFile(f.path, largest);
    EXPECT_EQ("1", TConfig(f.path).ReadValue("Index"));
    PutFile(f.path, largest + ';');
    try {
        TConfig config(f.path);
        ADD_FAILURE() << "no error";
    } catch (const TError& e) {
        EXPECT_EQ("The settings file \"" + f.path + "\" is larger than 64 KB",
                  std::string(e.what()).substr(0, f.path.size() + 41))
            << e.what();
    }
    EXPECT_EQ(largest + ';', GetFile(f.path));
}

TEST(Config, CreatesTheMissingFolders) {
    TTempFolder dir;
    const std::string path = dir / "one/two/config.ini";
    TConfig config(path);
    EXPECT_TRUE(DirectoryExists(dir / "one/two"));
    EXPECT_EQ(dir / "one/two/", config.Folder);
    EXPECT_EQ(path, config.FileName);
    EXPECT_TRUE(config.SideFiles);
    EXPECT_TRUE(config.Lines.empty());
    EXPECT_FALSE(FileExists(path)) << "the first write creates the file";
}

TEST(Config, APathWithoutAFolderIsAnError) {
    try {
        TConfig config("config.ini");
        FAIL() << "no error";
    } catch (const TError& e) {
        EXPECT_NE(std::string::npos, std::string(e.what()).find("no folder part")) << e.what();
    }
}

TEST(Config, AFailedWriteLeavesFileAndStoreAsTheyWere) {
    TConfigFixture f;
    PutFile(f.path, "Index=1\nA=2");
    SetReadOnly(f.dir.Path(), true);
    // The store is made and used by the identity whose writes are stopped.
    const auto outcome = RunWithoutWriteRights([&] { return !CanCreateFileIn(f.dir.Path()); },
                                               [&] {
                                                   TConfig config(f.path);
                                                   std::string error = "no error";
                                                   try {
                                                       config.WriteValue("Index", "5");
                                                   } catch (const TError& e) {
                                                       error = e.what();
                                                   }
                                                   return error + "|" + config.ReadValue("Index");
                                               });
    SetReadOnly(f.dir.Path(), false);
    if (!outcome)
        GTEST_SKIP() << "permission bits do not stop this user's writes";
    EXPECT_EQ("Cannot create file \"" + f.path + "\"", outcome->substr(0, f.path.size() + 21));
    EXPECT_EQ("|1", outcome->substr(outcome->size() - 2)) << *outcome;
    EXPECT_EQ("Index=1\nA=2", GetFile(f.path));
    EXPECT_EQ(std::vector<std::string>{"config.ini"}, FolderEntries(f.dir.Path()));
}

TEST(Config, AFailedStoreKeepsTheLinesForTheNextWrite) {
    TConfigFixture f;
    PutFile(f.path, "Index=1\nA=2");
    TConfig config(f.path);
    // A folder in the settings file's place: the new content cannot take it.
    std::filesystem::remove(f.path);
    std::filesystem::create_directory(f.path);
    EXPECT_THROW(config.WriteValue("Index", "5"), TError);
    EXPECT_EQ("1", config.ReadValue("Index"));
    std::filesystem::remove(f.path);
    config.WriteValue("B", "3");
    EXPECT_EQ("Index=1\r\nA=2\r\nB=3\r\n", GetFile(f.path));
}

TEST(Config, AFailedSideFileWriteKeepsTheOldValue) {
    TConfigFixture f;
    PutFile(f.path, "Notes=old\r\n");
    TConfig config(f.path);
    // A folder in the side file's place: the side file cannot be written.
    std::filesystem::create_directory(f.path + ".Notes.cfg");
    EXPECT_THROW(config.WriteValue("Notes", "new\r\nvalue"), TError);
    EXPECT_EQ("Notes=old\r\n", GetFile(f.path));
    EXPECT_EQ("old", config.ReadValue("Notes"));
    EXPECT_EQ("old", TConfig(f.path).ReadValue("Notes"));
    EXPECT_EQ((std::vector<std::string>{"config.ini", "config.ini.Notes.cfg"}),
              FolderEntries(f.dir.Path()));
}
