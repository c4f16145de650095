#include "GuiTesting.h"
#include "ReadBack.h"
#include "TestAdapters.h"

#include "app/MissingDatabase.h"
#include "app/Program.h"
#include "store/StorePlatform.h"
#include "support/AddressRules.h"

#include <gtest/gtest.h>

namespace {

// A folder nobody may make a file in, root included: Wine maps Linux's /proc as Z:\proc,
// and permission bits would not stop a test that runs as root.
constexpr const char* UnwritableFolder = "Z:\\proc\\";

int HeaderColumns(HWND grid) {
    HWND header = reinterpret_cast<HWND>(::SendMessageA(grid, LVM_GETHEADER, 0, 0));
    return static_cast<int>(::SendMessageA(header, HDM_GETITEMCOUNT, 0, 0));
}

} // namespace

TEST(MissingDatabase, AFolderThatCannotBeWrittenIsNamedAndEveryCommandSaysWhatToDo) {
    std::string reason;
    if (StoreFiles::FolderIsWritable(UnwritableFolder, reason))
        GTEST_SKIP() << UnwritableFolder << " takes new files here";
    TTestAdapters adapters;
    adapters.Add("{11111111-2222-3333-4444-555555555501}", "Office Ethernet");
    adapters.Add("{11111111-2222-3333-4444-555555555502}", "Lab Ethernet");
    TMessageBoxRecorder boxes;
    {
        TProgram program(UnwritableFolder, SystemRegistry());
        TMainForm& form = program.MainForm;
        FlushEvents();
        SaveShot(form.Handle(), "unwritable-folder");

        // The start names the folder, alone on its line, as the cause, and says what to do.
        ASSERT_EQ(1u, boxes.Boxes().size());
        const std::string& start = boxes.Boxes()[0].Text;
        EXPECT_EQ(0u, start.find("Cannot create the profile database: the folder\n\nZ:\\proc\\\n\n"
                                 "cannot be written ("))
            << start;
        EXPECT_NE(std::string::npos, start.find(MissingDatabaseAdvice(
                                         TDatabaseAbsence::FolderNotWritable)))
            << start;
        EXPECT_EQ(std::string::npos, start.find("unable to open")) << start;

        // The rest of the window is whole.
        EXPECT_EQ((std::vector<std::string>{"Office Ethernet", "Lab Ethernet"}),
                  form.AdapterDescriptions());
        EXPECT_EQ(0, form.SelectedAdapter());
        EXPECT_EQ(8, HeaderColumns(form.DBGrid)); // the indicator and Title .. Proxy
        const std::string status = form.StatusText();
        ASSERT_EQ(0u, status.rfind("Current IP is ", 0)) << status;
        EXPECT_TRUE(IsValidIP(status.substr(14))) << status;

        // Every command that needs the database says the same plain thing, from the
        // toolbar, the grid's menu and the grid's keys alike.
        const std::string notice =
            MissingDatabaseNotice(TDatabaseAbsence::FolderNotWritable, UnwritableFolder) + ".";
        const int commands[] = {TMainForm::acAdd,        TMainForm::acEdit,
                                TMainForm::acDelete,     TMainForm::acChange,
                                TMainForm::idApplyItem,  TMainForm::acAddCurrent,
                                TMainForm::acExport,     TMainForm::acImport,
                                TMainForm::acWayBack};
        for (const int command : commands) {
            const size_t before = boxes.Boxes().size();
            ::SendMessageA(form.Handle(), WM_COMMAND, MAKEWPARAM(command, 0), 0);
            FlushEvents();
            ASSERT_EQ(before + 1, boxes.Boxes().size()) << command;
            EXPECT_EQ(notice, boxes.Boxes().back().Text) << command;
        }
        for (const WPARAM key : {VK_INSERT, VK_F2, VK_DELETE, VK_RETURN}) {
            const size_t before = boxes.Boxes().size();
            ::SendMessageA(form.DBGrid, WM_KEYDOWN, key, 0);
            FlushEvents();
            ASSERT_EQ(before + 1, boxes.Boxes().size()) << key;
            EXPECT_EQ(notice, boxes.Boxes().back().Text) << key;
        }
        EXPECT_FALSE(program.EditFormMade());
    }
}
