// The shipped program started from a folder the user may not write, as from one an
// administrator installed it in: its files go to the user's application data, for the
// window and the command line alike, and a second start there hands over to the first.

#include "ProgramChild.h"
#include "ProgramRun.h"
#include "ReadBack.h"
#include "TestAdapters.h"

#include "app/DataFolderWin.h"
#include "app/SingleInstance.h"
#include "support/Files.h"
#include "support/TempFolder.h"
#include "support/WinHandles.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <shlobj.h>

namespace {

const std::string AdapterId = "{55555555-2222-3333-4444-555555555521}";

// The folder the program is to choose, found the test's own way.
std::string AppDataNetvane() {
    char folder[MAX_PATH] = {};
    if (::SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder) != S_OK)
        throw std::runtime_error("no application data folder");
    return std::string(folder) + "\\Netvane\\";
}

void RemoveDataFiles(const std::string& folder) {
    for (const char* name : {"db", "config.ini", "netvane.log"})
        ::DeleteFileA((folder + name).c_str());
    ::RemoveDirectoryA(folder.c_str());
}

// Marks a folder unwritable for the programs started while it lives (they inherit it).
class TUnwritable {
  public:
    explicit TUnwritable(const std::string& folder) { Mark(folder); }
    ~TUnwritable() { ::SetEnvironmentVariableA(UnwritableFolderVariable, nullptr); }
    TUnwritable(const TUnwritable&) = delete;
    TUnwritable& operator=(const TUnwritable&) = delete;

  private:
    static void Mark(const std::string& folder) {
        ::SetEnvironmentVariableA(UnwritableFolderVariable, folder.c_str());
    }
};

class DataFolderExe : public testing::Test {
  protected:
    void SetUp() override {
        adapters_.Add(AdapterId, "Office Ethernet");
        RemoveDataFiles(appData_);
    }
    void TearDown() override { RemoveDataFiles(appData_); }

    std::string Install(const TTempFolder& folder) const {
        const std::string exe = folder / "Netvane.exe";
        if (!::CopyFileA(NETVANE_DIST_EXE, exe.c_str(), FALSE))
            throw std::runtime_error("cannot copy " NETVANE_DIST_EXE);
        return exe;
    }

    const std::string appData_ = AppDataNetvane();
    TTestAdapters adapters_;
    TTempFolder dir_;
};

} // namespace

TEST_F(DataFolderExe, KeepsTheFilesInTheUsersApplicationDataAndCarriesOverThoseLeftBeside) {
    const std::string exe = Install(dir_);
    // What a start with administrator rights left beside the program.
    StoreSettings(dir_ / "db", {{AdapterId, "Office", "10.0.0.5", "255.0.0.0", "", "", "", ""}});
    const TUnwritable unwritable(dir_.Path());

    const TRun list = RunProgram(exe, "/list", dir_.Path());
    EXPECT_EQ(0u, list.ExitCode) << list.Err;
    EXPECT_EQ("Office Ethernet  " + AdapterId + "\r\n    ID 1: Office\r\n", list.Out);

    const std::string csv = dir_ / "more.csv";
    WriteFileText(csv, "Title,Address,Submask\r\nLab,192.168.1.5,255.255.255.0\r\n");
    const TRun imported = RunProgram(exe, "/import \"" + csv + "\"", dir_.Path());
    EXPECT_EQ(0u, imported.ExitCode) << imported.Err;
    const auto titles = [](const std::vector<TStoredSetting>& rows) {
        std::vector<std::string> texts;
        for (const TStoredSetting& row : rows)
            texts.push_back(row.Title);
        return texts;
    };
    EXPECT_EQ(std::vector<std::string>({"Office", "Lab"}), titles(RowsInFile(appData_ + "db")));
    EXPECT_EQ(std::vector<std::string>({"Office"}), titles(RowsInFile(dir_ / "db")))
        << "written beside the program";

    // The window: the adapter picked is remembered in the application data.
    TChild window(dir_.Path());
    ASSERT_TRUE(Eventually([&] { return window.Window() != nullptr; }, 20000)) << "no window";
    ::PostMessageA(window.Window(), WM_CLOSE, 0, 0);
    DWORD exitCode = 99;
    ASSERT_TRUE(window.EndsWithin(15000, exitCode));
    EXPECT_NE(std::string::npos, GetFile(appData_ + "config.ini").find(AdapterId));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA((dir_ / "config.ini").c_str()));
}

// The single-instance guard stands for the folder of the files, not the program's.
TEST_F(DataFolderExe, TheGuardIsTheApplicationDataFoldersAndASecondStartHandsOver) {
    const TUnwritable unwritable(dir_.Path());
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
