#include "support/Error.h"
#include "support/FileSystem.h"
#include "support/Files.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

TEST(Files, FileSizeOfMeasuresTheFirstMatchingEntry) {
    TTempFolder dir;
    PutFile(dir / "five.txt", "12345");
    PutFile(dir / "empty.txt", "");
    EXPECT_EQ(5, FileSizeOf(dir / "five.txt"));
    EXPECT_EQ(0, FileSizeOf(dir / "empty.txt"));
    EXPECT_EQ(0, FileSizeOf(dir / "missing.txt"));
    EXPECT_EQ(5, FileSizeOf(dir / "fi*.txt"));
}

TEST(Files, ReadFileTextReturnsTheBytesUpToTheEndOfText) {
    struct Case {
        const char* name;
        std::string stored;
        std::string expected;
    } cases[] = {
        {"line ends unchanged", "a\r\nb\nc\r", "a\r\nb\nc\r"},
        {"byte 26 ends the text",
         std::string("abc\x1a"
                     "def",
                     7),
         "abc"},
        {"byte 26 first",
         std::string("\x1a"
                     "abc",
                     4),
         ""},
        {"a NUL is content", std::string("a\0b", 3), std::string("a\0b", 3)},
        {"empty file", "", ""},
    };
    TTempFolder dir;
    for (const auto& c : cases) {
        PutFile(dir / "f.txt", c.stored);
        EXPECT_EQ(c.expected, ReadFileText(dir / "f.txt")) << c.name;
    }
}

TEST(Files, ReadFileTextOfAMissingFileIsEmpty) {
    TTempFolder dir;
    EXPECT_EQ("", ReadFileText(dir / "missing.txt"));
}

TEST(Files, WriteFileTextAppendsCrLfAndReadsBack) {
    TTempFolder dir;
    WriteFileText(dir / "empty.txt", "");
    EXPECT_EQ("\r\n", GetFile(dir / "empty.txt"));
    EXPECT_EQ("\r\n", ReadFileText(dir / "empty.txt"));

    WriteFileText(dir / "text.txt", "first\r\nsecond");
    WriteFileText(dir / "text.txt", "short");
    EXPECT_EQ("short\r\n", GetFile(dir / "text.txt"));
}

TEST(Files, WriteFileTextCreatesMissingFolders) {
    TTempFolder dir;
    const std::string path = dir / "a/b/c/file.cfg";
    WriteFileText(path, "x");
    EXPECT_EQ("x\r\n", GetFile(path));
}

TEST(Files, AFailedWriteLeavesThePreviousFileWhole) {
    TTempFolder dir;
    const std::string path = dir / "keep.txt";
    PutFile(path, "previous content\r\n");
    // The temporary file's place is taken by a folder, so the new content cannot be written.
    std::filesystem::create_directory(path + ".~tmp");
    EXPECT_THROW(WriteFileText(path, "new"), TError);
    EXPECT_EQ("previous content\r\n", GetFile(path));
}

TEST(Files, ExtractFilePathKeepsTheTrailingSeparator) {
    EXPECT_EQ("C:\\dir\\", ExtractFilePath("C:\\dir\\config.ini"));
    EXPECT_EQ("/tmp/", ExtractFilePath("/tmp/config.ini"));
    EXPECT_EQ("C:", ExtractFilePath("C:config.ini"));
    EXPECT_EQ("", ExtractFilePath("config.ini"));
}

TEST(Files, ForceDirectoriesRefusesAnEmptyName) {
    EXPECT_THROW(ForceDirectories(""), TError);
}
