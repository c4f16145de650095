#include "support/Version.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace {
std::string OwnPath() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return path;
}
} // namespace

TEST(FileVersion, ReadsTheFourNumbersOfTheVersionResource) {
    // This test binary carries the file version 4.3.2.1 (TestVersion.rc).
    TFileVersion version;
    ASSERT_TRUE(ReadFileVersion(OwnPath(), version));
    EXPECT_EQ(4, version.Major);
    EXPECT_EQ(3, version.Minor);
    EXPECT_EQ(2, version.Release);
    EXPECT_EQ(1, version.Build);
    EXPECT_EQ("4.3.2.1", FileVersionText(OwnPath()));
}

TEST(FileVersion, AFileWithoutVersionInformationGivesZeros) {
    TTempFolder dir;
    PutFile(dir / "plain.txt", "no resources here");
    TFileVersion version;
    EXPECT_FALSE(ReadFileVersion(dir / "plain.txt", version));
    EXPECT_EQ("0.0.0.0", FileVersionText(dir / "plain.txt"));
    EXPECT_EQ("0.0.0.0", FileVersionText(dir / "missing.exe"));
}
