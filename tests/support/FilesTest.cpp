#include "support/Error.h"
#include "support/FileSystem.h"
#include "support/Files.h"
#include "support/TempFolder.h"
#include "store/WithoutWriteRights.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <thread>
#include <vector>

TEST(Files, FileSizeOfMeasuresTheFirstMatchingEntry) {
    TTempFolder dir;
    PutFile(dir / "five.txt", "12345");
    PutFile(dir / "empty.txt", "");
    EXPECT_EQ(5, FileSizeOf(dir / "five.txt"));
    EXPECT_EQ(0, FileSizeOf(dir / "empty.txt"));
    EXPECT_EQ(0, FileSizeOf(dir / "missing.txt"));
#ifdef _WIN32
    EXPECT_EQ(5, FileSizeOf(dir / "fi*.txt"));
#endif
}

TEST(Files, NamesHoldingPatternCharactersAreReadAsTheyAreSpelt) {
    TTempFolder dir;
    std::filesystem::create_directory(dir / "Netvane [x86]");
    PutFile(dir / "a.txt", "the file a pattern [ab] would find");
    std::vector<std::string> names = {"Netvane [x86]/config.ini.Notes.cfg", "[ab].txt",
                                      "{a,b}.txt"};
#ifndef _WIN32
    // Characters no Windows file name can hold.
    for (const char* name : {"a\\b.txt", "[!a].txt", "star*.txt", "what?.txt"})
        names.push_back(name);
#endif
    for (const std::string& name : names) {
        const std::string content = "content of " + name;
        PutFile(dir / name, content);
        EXPECT_EQ(static_cast<int>(content.size()), FileSizeOf(dir / name)) << name;
        EXPECT_EQ(content, ReadFileText(dir / name)) << name;
    }
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

TEST(Files, ReadFileBytesReadsAtMostTheCapAndTellsALargerFile) {
    struct Case {
        size_t size;
        std::uint64_t cap;
        bool truncated;
    } cases[] = {
        {0, 0, false},
        {1, 0, true},
        {5, 5, false},
        {6, 5, true},
        {200000, 70000, true},
        {200000, 200000, false},
        {200000, UINT64_MAX, false},
    };
    TTempFolder dir;
    std::string pattern; // varied bytes: a chunk read twice or out of place shows
    for (size_t i = 0; i < 200000; ++i)
        pattern += static_cast<char>('a' + i % 251 % 26);
    for (const auto& c : cases) {
        const std::string stored = pattern.substr(0, c.size);
        PutFile(dir / "f.bin", stored);
        const TFileBytes read = ReadFileBytes(dir / "f.bin", c.cap);
        const std::string what = std::to_string(c.size) + " bytes, cap " + std::to_string(c.cap);
        EXPECT_EQ(c.truncated, read.Truncated) << what;
        EXPECT_EQ(stored.substr(0, static_cast<size_t>(std::min<std::uint64_t>(c.size, c.cap))),
                  read.Bytes)
            << what;
    }
    EXPECT_THROW(ReadFileBytes(dir / "missing.bin", 10), TError);
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

TEST(Files, AFailedWriteLeavesThePreviousFileWholeAndNoTemporaryFile) {
    TTempFolder dir;
    const std::string path = dir / "keep.txt";
    PutFile(path, "previous content\r\n");
    SetReadOnly(dir.Path(), true);
    const auto outcome = RunWithoutWriteRights([&] { return !CanCreateFileIn(dir.Path()); },
                                               [&] {
                                                   try {
                                                       WriteFileText(path, "new");
                                                       return std::string("no error");
                                                   } catch (const TError& e) {
                                                       return std::string(e.what());
                                                   }
                                               });
    SetReadOnly(dir.Path(), false);
    if (!outcome)
        GTEST_SKIP() << "permission bits do not stop this user's writes";
    EXPECT_NE(std::string::npos, outcome->find("Cannot create file \"" + path + "\"")) << *outcome;
    EXPECT_EQ("previous content\r\n", GetFile(path));
    EXPECT_EQ(std::vector<std::string>{"keep.txt"}, FolderEntries(dir.Path()));
}

TEST(Files, AFailedReplaceRemovesItsTemporaryFile) {
    TTempFolder dir;
    // A folder in the file's place cannot be replaced by a file.
    std::filesystem::create_directory(dir / "taken");
    try {
        WriteFileText(dir / "taken", "new");
        FAIL() << "no error";
    } catch (const TError& e) {
        EXPECT_NE(std::string::npos, std::string(e.what()).find(dir / "taken")) << e.what();
    }
    EXPECT_EQ(std::vector<std::string>{"taken"}, FolderEntries(dir.Path()));
}

TEST(Files, ALeftoverTemporaryFileOfAnotherWriteIsLeftAlone) {
    TTempFolder dir;
    const std::string path = dir / "file.txt";
    // What a writer that used one fixed temporary name would have left, or be writing now.
    std::filesystem::create_directory(path + ".~tmp");
    PutFile(path + ".~1.1.tmp", "another writer's bytes");
    WriteFileText(path, "new");
    EXPECT_EQ("new\r\n", GetFile(path));
    EXPECT_EQ("another writer's bytes", GetFile(path + ".~1.1.tmp"));
}

TEST(Files, TwoWritersAtOnceEachReplaceTheWholeFile) {
    TTempFolder dir;
    const std::string path = dir / "shared.txt";
    const std::string contents[] = {std::string(3000, 'a'), std::string(10, 'b')};
    std::atomic<int> failures{0};
    const auto writer = [&](const std::string& content) {
        for (int i = 0; i < 100; ++i)
            try {
                WriteFileText(path, content);
            } catch (const TError& e) {
                if (++failures == 1)
                    ADD_FAILURE() << e.what();
            }
    };
    std::thread first(writer, contents[0]), second(writer, contents[1]);
    first.join();
    second.join();
    EXPECT_EQ(0, failures.load());
    const std::string last = GetFile(path);
    EXPECT_TRUE(last == contents[0] + "\r\n" || last == contents[1] + "\r\n")
        << last.size() << " bytes";
    EXPECT_EQ(std::vector<std::string>{"shared.txt"}, FolderEntries(dir.Path()));
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

// Every missing parent is made, with or without a separator at the end, and a folder
// that is there already is no error.
TEST(Files, ForceDirectoriesMakesEveryMissingParent) {
    TTempFolder dir;
    const std::string separator = dir.Path().substr(dir.Path().size() - 1);
    const struct {
        std::string Folder;
        std::string Expected;
    } cases[] = {
        {dir / "one", dir / "one"},
        {dir / ("a" + separator + "b" + separator + "c" + separator), dir / "a/b/c"},
        {dir / ("a" + separator + "b" + separator + separator), dir / "a/b"},
        {dir / "a/b/c", dir / "a/b/c"},
    };
    for (const auto& c : cases) {
        EXPECT_NO_THROW(ForceDirectories(c.Folder)) << c.Folder;
        EXPECT_TRUE(DirectoryExists(c.Expected)) << c.Folder;
    }
}

// A file where a folder should be fails with the folder's name and the system's reason,
// and leaves the file as it was.
TEST(Files, ForceDirectoriesThroughAFileFailsAndNamesTheFolder) {
    TTempFolder dir;
    PutFile(dir / "plain", "not a folder");
    for (const std::string& folder : {dir / "plain", dir / "plain/below"}) {
        try {
            ForceDirectories(folder);
            ADD_FAILURE() << folder << " was not refused";
        } catch (const TError& error) {
            EXPECT_NE(std::string(error.what()).find("Cannot create folder"), std::string::npos)
                << error.what();
        }
    }
    EXPECT_EQ("not a folder", GetFile(dir / "plain"));
}
