#include "support/Version.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

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

// The program as shipped: its version resource carries the version of project() in
// CMakeLists.txt, in the numbers and in the text Explorer shows.
TEST(FileVersion, TheShippedProgramCarriesTheProjectVersion) {
    const std::string exe = NETVANE_DIST_EXE;
    EXPECT_EQ(NETVANE_VERSION, FileVersionText(exe));

    DWORD ignored = 0;
    std::vector<char> info(::GetFileVersionInfoSizeA(exe.c_str(), &ignored));
    ASSERT_FALSE(info.empty()) << exe;
    ASSERT_TRUE(
        ::GetFileVersionInfoA(exe.c_str(), 0, static_cast<DWORD>(info.size()), info.data()));
    for (const char* name : {"FileVersion", "ProductVersion"}) {
        char* text = nullptr;
        UINT length = 0;
        const std::string query = std::string("\\StringFileInfo\\040904E4\\") + name;
        ASSERT_TRUE(
            ::VerQueryValueA(info.data(), query.c_str(), reinterpret_cast<void**>(&text), &length))
            << name;
        EXPECT_EQ(NETVANE_VERSION, std::string(text)) << name;
    }
}
