// The shipped program started from a folder the user may not write, as from one an
// administrator installed it in: its files go to the user's application data, for the
// window and the command line alike, and the single-instance guard goes with them.

#include "ProgramChild.h"
#include "ProgramRun.h"
#include "ReadBack.h"
#include "app/DataFolderWin.h"
#include "app/SingleInstance.h"
#include "support/Files.h"
#include "support/TempFolder.h"
#include "support/WinHandles.h"

#include <gtest/gtest.h>

#include <shlobj.h>

namespace {

const std::string AdapterId = "{55555555-2222-3333-4444-555555555521}";

// dir_ marked unwritable for the programs started meanwhile, which inherit the mark.
class DataFolderExe : public testing::Test {
  protected:
    void SetUp() override {
        char folder[MAX_PATH] = {};
        ASSERT_EQ(S_OK, ::SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, 0, folder));
        appData_ = std::string(folder) + "\\Netvane\\";
        RemoveDataFiles();
        adapters_.Add(AdapterId, "Office Ethernet");
        ::SetEnvironmentVariableA(UnwritableFolderVariable, dir_.Path().c_str());
    }
    void TearDown() override {
        ::SetEnvironmentVariableA(UnwritableFolderVariable, nullptr);
        RemoveDataFiles();
    }
    void RemoveDataFiles() const {
        for (const char* name : {"db", "config.ini", "netvane.log"})
            ::DeleteFileA((appData_ + name).c_str());
    }

    std::string appData_;
    TTestAdapters adapters_;
    TTempFolder dir_;
};

} // namespace

TEST_F(DataFolderExe, KeepsTheFilesInTheUsersApplicationDataAndCarriesOverThoseLeftBeside) {
    const std::string exe = dir_ / "Netvane.exe";
    ASSERT_TRUE(::CopyFileA(NETVANE_DIST_EXE, exe.c_str(), FALSE));
    // What a start with administrator rights left beside the program.
    StoreSettings(dir_ / "db", {{AdapterId, "Office", "10.0.0.5", "255.0.0.0", "", "", "", ""}});

    const TRun list = RunProgram(exe, "/list", dir_.Path());
    EXPECT_EQ("Office Ethernet  " + AdapterId + "\r\n    ID 1: Office\r\n", list.Out) << list.Err;
    WriteFileText(dir_ / "more.csv", "Title,Address,Submask\r\nLab,192.168.1.5,255.255.255.0\r\n");
    const TRun imported = RunProgram(exe, "/import \"" + dir_ / "more.csv" + "\"", dir_.Path());
    EXPECT_EQ(0u, imported.ExitCode) << imported.Err;
    EXPECT_EQ(2u, RowsInFile(appData_ + "db").size());
    EXPECT_EQ(1u, RowsInFile(dir_ / "db").size()) << "written beside the program";

    // The window: the adapter picked is remembered in the application data.
    TChild window(dir_.Path());
    ASSERT_TRUE(Eventually([&] { return window.Window() != nullptr; }, 20000)) << "no window";
    ::PostMessageA(window.Window(), WM_CLOSE, 0, 0);
    DWORD exitCode = 99;
    ASSERT_TRUE(window.EndsWithin(15000, exitCode));
    EXPECT_NE(std::string::npos, GetFile(appData_ + "config.ini").find(AdapterId));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA((dir_ / "config.ini").c_str()));
}

TEST_F(DataFolderExe, TheGuardIsTheApplicationDataFoldersAndASecondStartHandsOver) {
    TChild first(dir_.Path());
    ASSERT_TRUE(Eventually([&] { return first.Window() != nullptr; }, 20000)) << "no window";
    EXPECT_TRUE(UniqueHandle(::OpenMutexA(SYNCHRONIZE, FALSE, InstanceName(appData_).c_str())));
    EXPECT_FALSE(UniqueHandle(::OpenMutexA(SYNCHRONIZE, FALSE, InstanceName(dir_.Path()).c_str())));

    TChild second(dir_.Path());
    DWORD exitCode = 99;
    ASSERT_TRUE(second.EndsWithin(15000, exitCode)) << "the second start kept running";
    EXPECT_EQ(0u, exitCode);
    EXPECT_TRUE(first.Running());
}
