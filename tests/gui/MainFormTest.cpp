#include "MainWindowFixture.h"

#include "support/Config.h"
#include "support/FileSystem.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

using namespace std::string_literals;

namespace {

const std::string OfficeId = "{11111111-2222-3333-4444-555555555501}";
const std::string LabId = "{11111111-2222-3333-4444-555555555502}";

// The program's window on a folder of the test's own, with two adapters in the registry;
// message boxes shown meanwhile are recorded.
class MainForm : public TMainWindowTest {
  protected:
    MainForm() : TMainWindowTest({{OfficeId, "Office Ethernet"}, {LabId, "Lab Ethernet = fast"}}) {}

    void SeedTwoAdapters() {
        StoreSettings(Db(), {{OfficeId, "Office", "10.0.0.5", "255.0.0.0", "10.0.0.1", "", "", ""},
                             {LabId, "Lab", "192.168.1.5", "255.255.255.0", "", "", "", ""},
                             {OfficeId, "Office 2", "10.0.0.6", "255.0.0.0", "", "", "", ""}});
    }

    std::string GridText(int row, int column) const {
        return ListViewText(Form().DBGrid, row, column);
    }
    std::vector<std::string> GridTitles() const {
        std::vector<std::string> titles;
        for (int column = 0;; ++column) {
            char text[64] = {};
            LVCOLUMNA info{};
            info.mask = LVCF_TEXT;
            info.pszText = text;
            info.cchTextMax = sizeof text;
            if (!::SendMessageA(Form().DBGrid, LVM_GETCOLUMNA, column,
                                reinterpret_cast<LPARAM>(&info)))
                return titles;
            titles.push_back(text);
        }
    }
    // The texts of the grid's column titled title (the Adapter column comes and goes).
    std::vector<std::string> ColumnTexts(const std::string& title) const {
        const std::vector<std::string> titles = GridTitles();
        const auto column = std::find(titles.begin(), titles.end(), title) - titles.begin();
        std::vector<std::string> texts;
        for (int row = 0; row < GridRows() && column < std::ssize(titles); ++row)
            texts.push_back(GridText(row, static_cast<int>(column)));
        return texts;
    }
    std::vector<std::string> VisibleTitles() const { return ColumnTexts("Title"); }
    int SelectedGridRow() const {
        return static_cast<int>(
            ::SendMessageA(Form().DBGrid, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    }
    int SelectedGridRows() const {
        return static_cast<int>(::SendMessageA(Form().DBGrid, LVM_GETSELECTEDCOUNT, 0, 0));
    }
    // A press and release of the left button at a point of the grid, with keys held.
    void ClickGrid(POINT at, WPARAM keys) {
        // The grid may follow the button until it is released: the release waits in the queue.
        ::PostMessageA(Form().DBGrid, WM_LBUTTONUP, keys, MAKELPARAM(at.x, at.y));
        ::SendMessageA(Form().DBGrid, WM_LBUTTONDOWN, keys | MK_LBUTTON, MAKELPARAM(at.x, at.y));
        FlushEvents();
    }
    POINT GridRowPoint(int row) const {
        RECT bounds{};
        bounds.left = LVIR_BOUNDS;
        ::SendMessageA(Form().DBGrid, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&bounds));
        return {bounds.left + 60, (bounds.top + bounds.bottom) / 2};
    }

    TMessageBoxRecorder boxes_;
};

} // namespace

TEST_F(MainForm, FirstStartCreatesTheDatabaseAndSelectsTheFirstAdapter) {
    TMainForm& form = Start();
    EXPECT_TRUE(boxes_.Boxes().empty());
    EXPECT_TRUE(FileExists(Db()));
    EXPECT_EQ(0, GridRows());
    EXPECT_EQ(2, ::SendMessageA(form.ComboBox, CB_GETCOUNT, 0, 0));
    EXPECT_EQ(0, form.SelectedAdapter());
    EXPECT_EQ((std::vector<std::string>{OfficeId, LabId}), form.AdapterList);
    ExpectStatusShowsTheAddress();
}

TEST_F(MainForm, TheSelectorsEntriesAreTheDescriptionsWholeAfterTheFirstEquals) {
    TMainForm& form = Start();
    char text[128] = {};
    ::SendMessageA(form.ComboBox, CB_GETLBTEXT, 1, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ("Lab Ethernet = fast", text);
}

TEST_F(MainForm, StoredIndexDecidesTheSelection) {
    SeedTwoAdapters();
    struct Case {
        std::string stored;
        int selected;
        std::vector<std::string> rows;
    } cases[] = {
        {"Index=1\r\n", 1, {"Lab"}},
        {"index=0\r\n", 0, {"Office", "Office 2"}},
        {"Index=2\r\n", -1, {"Office", "Lab", "Office 2"}}, // past the end: nothing, all rows
        {"Index=-1\r\n", 0, {"Office", "Office 2"}},        // no stored choice: the first
        {"Index=abc\r\n", 0, {"Office", "Office 2"}},
    };
    for (const auto& c : cases) {
        PutFile(dir_ / "config.ini", c.stored);
        TMainForm& form = Start();
        EXPECT_EQ(c.selected, form.SelectedAdapter()) << c.stored;
        EXPECT_EQ(c.rows, VisibleTitles()) << c.stored;
        EXPECT_TRUE(boxes_.Boxes().empty()) << c.stored;
        EXPECT_EQ(0u, form.StatusText().rfind("Current IP is ", 0)) << c.stored;
        program_.reset(); // not closed: the settings file stays as the case wrote it
    }
}

TEST_F(MainForm, PickingAnAdapterRestrictsTheGrid) {
    SeedTwoAdapters();
    Start();
    EXPECT_EQ((std::vector<std::string>{"Office", "Office 2"}), VisibleTitles());
    PickAdapter(1);
    EXPECT_EQ((std::vector<std::string>{"Lab"}), VisibleTitles());
    EXPECT_EQ("192.168.1.5", GridText(0, 2));
    PickAdapter(0);
    EXPECT_EQ((std::vector<std::string>{"Office", "Office 2"}), VisibleTitles());
}

TEST_F(MainForm, TypedTextThatNamesNoAdapterShowsEverySettingWithoutAnError) {
    SeedTwoAdapters();
    TMainForm& form = Start();
    // As typed: the text reaches the selector's edit field, which tells the selector.
    HWND edit = ::FindWindowExA(form.ComboBox, nullptr, "Edit", nullptr);
    ASSERT_NE(nullptr, edit);
    ::SendMessageA(edit, EM_SETSEL, 0, -1);
    for (char c : std::string("nothing like it"))
        ::SendMessageA(edit, WM_CHAR, static_cast<WPARAM>(c), 1);
    FlushEvents();
    EXPECT_EQ(-1, form.SelectedAdapter());
    EXPECT_EQ((std::vector<std::string>{"Office", "Lab", "Office 2"}), VisibleTitles());
    EXPECT_TRUE(boxes_.Boxes().empty());
}

TEST_F(MainForm, EverySettingShowsWithItsAdapterAndWhatAnotherProgramStoredMeanwhile) {
    StoreSettings(Db(), {{"{gone}", "Old", "", "", "", "", "", ""}});
    TMainForm& form = Start();
    const auto enabled = [&](int command) {
        return ::SendMessageA(form.ToolBar1, TB_ISBUTTONENABLED, command, 0) != 0;
    };
    EXPECT_FALSE(enabled(TMainForm::acEdit) || enabled(TMainForm::acDelete)); // nothing in it
    SeedTwoAdapters(); // by another copy, seen when the user comes back to the window
    ::SendMessageA(form.Handle(), WM_ACTIVATEAPP, TRUE, 0);
    EXPECT_TRUE(enabled(TMainForm::acEdit) && enabled(TMainForm::acDelete));
    for (const int pick : {-1, 1, -1}) { // -1: nothing picked
        ::SendMessageA(form.ComboBox, CB_SETCURSEL, static_cast<WPARAM>(pick), 0);
        ::SendMessageA(form.Handle(), WM_COMMAND, MAKEWPARAM(TMainForm::idComboBox, CBN_SELCHANGE),
                       reinterpret_cast<LPARAM>(form.ComboBox));
        const std::vector<std::string> every = {"{gone}", "Office Ethernet", "Lab Ethernet = fast",
                                                "Office Ethernet"};
        EXPECT_EQ(pick == -1 ? every : std::vector<std::string>(), ColumnTexts("Adapter"));
        EXPECT_EQ(pick == -1 ? 4u : 1u, VisibleTitles().size());
    }
    EXPECT_TRUE(boxes_.Boxes().empty());
    Close(); // widths as designed: the Adapter column is not among those kept
    EXPECT_EQ(std::string::npos, GetFile(dir_ / "config.ini").find("ColumnWidths"));
}

TEST_F(MainForm, ClosingSavesTheSelectedPosition) {
    Start();
    PickAdapter(1);
    Close();
    // The position as always, and the adapter's identifier beside it for the command line.
    EXPECT_EQ("Index=1\r\nAdapterId=" + LabId + "\r\n", GetFile(dir_ / "config.ini"));
    TMainForm& again = Start();
    EXPECT_EQ(1, again.SelectedAdapter());
}

TEST_F(MainForm, ShowsOnlyTheSettingColumnsAfterTheRowIndicator) {
    Start();
    EXPECT_EQ((std::vector<std::string>{"", "Title", "Address", "Submask", "Gateway", "DNS1",
                                        "DNS2", "Proxy"}),
              GridTitles());
}

TEST_F(MainForm, AGarbageDatabaseIsReportedAndLeftAsItWas) {
    const std::string garbage = "this is not a database at all\r\n";
    PutFile(Db(), garbage);
    TMainForm& form = Start();
    ASSERT_EQ(1u, boxes_.Boxes().size());
    EXPECT_EQ(MB_OK | MB_ICONERROR, boxes_.Boxes()[0].Flags);
    EXPECT_EQ(ApplicationTitle(), boxes_.Boxes()[0].Caption);
    EXPECT_FALSE(boxes_.Boxes()[0].Text.empty());
    EXPECT_TRUE(::IsWindow(form.Handle()));
    // Only what needs the file is skipped: the adapters and the address are there, and a
    // command that needs the file says there is none and what to do.
    EXPECT_EQ(2, ::SendMessageA(form.ComboBox, CB_GETCOUNT, 0, 0));
    ExpectStatusShowsTheAddress();
    Command(TMainForm::acAdd);
    ASSERT_EQ(2u, boxes_.Boxes().size());
    EXPECT_EQ(MissingDatabaseNotice(TDatabaseAbsence::Unusable, dir_.Path()) + ".",
              boxes_.Boxes()[1].Text);
    Close();
    EXPECT_EQ(garbage, GetFile(Db()));
}

// Closing writes nothing over a settings file that could not be read.
TEST_F(MainForm, ASettingsFileTooLargeToReadIsReportedAndKeptThroughClosing) {
    SeedTwoAdapters();
    const std::string stored = "Index=1\r\n" + std::string(MaxConfigFileBytes, ';');
    PutFile(dir_ / "config.ini", stored);
    TMainForm& form = Start();
    ASSERT_EQ(1u, boxes_.Boxes().size());
    EXPECT_NE(std::string::npos, boxes_.Boxes()[0].Text.find("is larger than 64 KB"))
        << boxes_.Boxes()[0].Text;
    EXPECT_EQ(2, ::SendMessageA(form.ComboBox, CB_GETCOUNT, 0, 0));
    PickAdapter(0);
    Close();
    EXPECT_EQ(stored, GetFile(dir_ / "config.ini"));
}

TEST_F(MainForm, WindowLayout) {
    TMainForm& form = Start();
    const LONG style = ::GetWindowLongA(form.Handle(), GWL_STYLE);
    // Designed as 676 x 480 with the frame at 96 DPI; the inside is what scales.
    const SIZE frame = DesignedFrameSize(static_cast<DWORD>(style), 0);
    EXPECT_TRUE(IsScaled(676 - frame.cx, ClientSize(form.Handle()).cx));
    EXPECT_TRUE(IsScaled(480 - frame.cy, ClientSize(form.Handle()).cy));
    if (TestDpi() == DesignDpi) {
        RECT outer{};
        ::GetWindowRect(form.Handle(), &outer);
        EXPECT_EQ(676, outer.right - outer.left);
        EXPECT_EQ(480, outer.bottom - outer.top);
    }
    EXPECT_EQ("Netvane", TextOf(form.Handle()));
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_TRUE(style & WS_THICKFRAME);

    EXPECT_TRUE(IsScaled(58, ChildBounds(form.CoolBar1).bottom - ChildBounds(form.CoolBar1).top));
    EXPECT_TRUE(IsScaledRect(
        {0, 58, 0, 99}, {0, ChildBounds(form.Panel1).top, 0, ChildBounds(form.Panel1).bottom}));
    EXPECT_TRUE(IsScaled(99, ChildBounds(form.DBGrid).top));
    EXPECT_EQ("Adapter", TextOf(form.Label1));
    EXPECT_TRUE(IsScaledRect({16, 12, 66, 26}, ChildBounds(form.Label1)));
    const RECT combo = ChildBounds(form.ComboBox);
    EXPECT_TRUE(IsScaled(72, combo.left));
    EXPECT_TRUE(IsScaled(12, combo.top));
    EXPECT_TRUE(IsScaled(385, combo.right - combo.left));
    // The grid's columns after the row indicator: a title, five addresses, the proxy.
    const int columnWidths[] = {14, 84, 120, 88, 88, 88, 88, 90};
    const auto width = [&](int column) {
        return static_cast<int>(::SendMessageA(form.DBGrid, LVM_GETCOLUMNWIDTH, column, 0));
    };
    for (int column = 0; column < 8; ++column)
        EXPECT_TRUE(IsScaled(columnWidths[column], width(column)) || column == 2) << column;
    // The widest address and count of further addresses fit, whatever the font.
    const int widest = static_cast<int>(::SendMessageA(
        form.DBGrid, LVM_GETSTRINGWIDTHA, 0, reinterpret_cast<LPARAM>("255.255.255.255 (+15)")));
    EXPECT_GE(width(2), std::max(widest + form.Scale(12), form.Scale(120) - 1));
    EXPECT_TRUE(ChildrenInsideClientAreas(form.Handle()));
    EXPECT_FALSE(::GetWindowLongA(form.ComboBox, GWL_STYLE) & CBS_SORT);
    const LONG gridStyle = ::GetWindowLongA(form.DBGrid, GWL_STYLE);
    EXPECT_TRUE(gridStyle & LVS_OWNERDATA);
    EXPECT_TRUE(::SendMessageA(form.DBGrid, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) &
                LVS_EX_FULLROWSELECT);
}

TEST_F(MainForm, ToolbarButtonsCarryTheirCaptionsHintsAndSize) {
    TMainForm& form = Start();
    struct Case {
        int command;
        std::string caption, hint;
    } cases[] = {
        {TMainForm::acAdd, "&ADD", "Add a new network setting"},
        {TMainForm::acEdit, "&EDIT", "Edit current network setting"},
        {TMainForm::acDelete, "&DELETE", "Delete current network setting"},
        {TMainForm::idHelpButton, "&HELP", "Netvane help"},
        {TMainForm::idAboutButton, "&ABOUT", "about Netvane"},
        {TMainForm::acAuto, "DHCP", "Obtain an IP address automatically"},
        {TMainForm::acChange, "&NETVANE", "Change to selected network Setting"},
    };
    for (const auto& c : cases) {
        char caption[64] = {};
        ::SendMessageA(form.ToolBar1, TB_GETBUTTONTEXTA, c.command,
                       reinterpret_cast<LPARAM>(caption));
        EXPECT_EQ(c.caption, caption);

        NMTTDISPINFOA info{};
        info.hdr.hwndFrom =
            reinterpret_cast<HWND>(::SendMessageA(form.ToolBar1, TB_GETTOOLTIPS, 0, 0));
        info.hdr.idFrom = static_cast<UINT_PTR>(c.command);
        info.hdr.code = TTN_GETDISPINFOA;
        ::SendMessageA(form.Handle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&info));
        EXPECT_EQ(c.hint, info.lpszText ? info.lpszText : "") << c.caption;

        RECT button{};
        const int index =
            static_cast<int>(::SendMessageA(form.ToolBar1, TB_COMMANDTOINDEX, c.command, 0));
        ::SendMessageA(form.ToolBar1, TB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&button));
        EXPECT_TRUE(IsScaled(71, button.right - button.left)) << c.caption;
        EXPECT_TRUE(IsScaled(52, button.bottom - button.top)) << c.caption;
    }
    // Left to right: three commands, a separator, help and about, a separator, DHCP, apply.
    const int order[] = {TMainForm::acAdd,
                         TMainForm::acEdit,
                         TMainForm::acDelete,
                         0,
                         TMainForm::idHelpButton,
                         TMainForm::idAboutButton,
                         0,
                         TMainForm::acAuto,
                         TMainForm::acChange};
    ASSERT_EQ(9, ::SendMessageA(form.ToolBar1, TB_BUTTONCOUNT, 0, 0));
    for (int i = 0; i < 9; ++i) {
        TBBUTTON button{};
        ::SendMessageA(form.ToolBar1, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button));
        EXPECT_EQ(order[i], button.idCommand) << i;
        if (order[i] == 0) {
            EXPECT_TRUE(button.fsStyle & BTNS_SEP) << i;
        }
    }
}

TEST_F(MainForm, WithoutAdaptersEverySettingShowsAndClosingWritesMinusOne) {
    SeedTwoAdapters();
    adapters_.RemoveAll();
    TMainForm& form = Start();
    EXPECT_EQ(0, ::SendMessageA(form.ComboBox, CB_GETCOUNT, 0, 0));
    EXPECT_EQ(3, GridRows());
    EXPECT_TRUE(boxes_.Boxes().empty());
    Close();
    EXPECT_EQ("Index=-1\r\n", GetFile(dir_ / "config.ini"));
}

TEST_F(MainForm, TheCurrentRowStaysSelectedWhateverTakesTheHighlightAway) {
    SeedTwoAdapters();
    Start();
    ASSERT_EQ(2, GridRows());
    ClickGrid(GridRowPoint(1), 0); // the user picks the second row
    ASSERT_EQ(1, Form().adoT.CurrentRow());
    ASSERT_EQ(1, SelectedGridRow());
    struct Case {
        const char* action;
        std::function<void()> act;
    } cases[] = {
        {"click on empty space",
         [&] {
             ClickGrid({60, ClientSize(Form().DBGrid).cy - 5}, 0);
         }},
        {"Ctrl+click on the selected row", [&] { ClickGrid(GridRowPoint(1), MK_CONTROL); }},
        // How the grid itself takes the highlight off a row (Windows' Ctrl+click does this).
        {"the row's highlight switched off",
         [&] {
             LVITEMA off{};
             off.stateMask = LVIS_SELECTED;
             ::SendMessageA(Form().DBGrid, LVM_SETITEMSTATE, 1, reinterpret_cast<LPARAM>(&off));
             FlushEvents();
         }},
        {"every row's highlight switched off",
         [&] {
             LVITEMA off{};
             off.stateMask = LVIS_SELECTED;
             ::SendMessageA(Form().DBGrid, LVM_SETITEMSTATE, static_cast<WPARAM>(-1),
                            reinterpret_cast<LPARAM>(&off));
             FlushEvents();
         }},
    };
    for (const auto& c : cases) {
        c.act();
        EXPECT_EQ(1, Form().adoT.CurrentRow()) << c.action;
        EXPECT_EQ(1, SelectedGridRows()) << c.action;
        EXPECT_EQ(1, SelectedGridRow()) << c.action;
    }
    // A click on the other row still moves both.
    ClickGrid(GridRowPoint(0), 0);
    EXPECT_EQ(0, Form().adoT.CurrentRow());
    EXPECT_EQ(1, SelectedGridRows());
    EXPECT_EQ(0, SelectedGridRow());
}

// Log-off and shut-down end the program without closing its window.
TEST_F(MainForm, TheSessionEndingSavesTheSelectedPositionUnlessItIsCalledOff) {
    struct Case {
        const char* how;
        WPARAM ending;
        const char* written; // nullptr: no file
    } cases[] = {
        {"the session ends", TRUE,
         "Index=1\r\nAdapterId={11111111-2222-3333-4444-555555555502}\r\n"},
        {"the shut-down is called off", FALSE, nullptr},
    };
    const std::string config = dir_ / "config.ini";
    for (const auto& c : cases) {
        ::DeleteFileA(config.c_str());
        TMainForm& form = Start();
        PickAdapter(1);
        ::SendMessageA(form.Handle(), WM_ENDSESSION, c.ending, ENDSESSION_LOGOFF);
        FlushEvents();
        if (c.written)
            EXPECT_EQ(c.written, FileExists(config) ? GetFile(config) : "(none)") << c.how;
        else
            EXPECT_FALSE(FileExists(config)) << c.how;
        program_.reset(); // not closed: the program simply ends
    }
    EXPECT_TRUE(boxes_.Boxes().empty());
}

// The keys go on reaching the control they reached before a dialog or a message box.
TEST_F(MainForm, TheFocusReturnsToItsControlWhenADialogOrAMessageBoxCloses) {
    SeedTwoAdapters();
    TMainForm& form = Start();
    ::ShowWindow(form.Handle(), SW_SHOW);
    ::SetForegroundWindow(form.Handle());
    FlushEvents();
    const TRealMessageBoxes realBoxes;
    struct Case {
        const char* what;
        HWND focus;
        int command;
        const char* windowClass;
        int button;
    } cases[] = {
        {"the editor", form.DBGrid, TMainForm::acEdit, "TEditForm", IDCANCEL},
        {"the about box", form.ComboBox, TMainForm::idAboutButton, "TAboutForm", IDOK},
        {"a confirmation", form.DBGrid, TMainForm::acDelete, "#32770", IDNO},
    };
    for (const auto& c : cases) {
        ::SetFocus(c.focus);
        FlushEvents();
        // The selector's edit field, for the selector.
        const HWND focused = ::GetFocus();
        ASSERT_TRUE(focused == c.focus || ::IsChild(c.focus, focused)) << c.what;
        {
            TModalScript dialog(c.windowClass, [&c](HWND window) {
                ::PostMessageA(window, WM_COMMAND, static_cast<WPARAM>(c.button), 0);
            });
            Command(c.command);
            EXPECT_TRUE(dialog.Ran()) << c.what;
        }
        FlushEvents();
        EXPECT_EQ(focused, ::GetFocus()) << c.what;
    }
    EXPECT_EQ(2, GridRows()); // nothing was deleted
}

namespace {

// The process's current folder is folder while it lives.
class TCurrentFolder {
  public:
    explicit TCurrentFolder(const std::string& folder) {
        char previous[MAX_PATH] = {};
        ::GetCurrentDirectoryA(MAX_PATH, previous);
        previous_ = previous;
        ::SetCurrentDirectoryA(folder.c_str());
    }
    ~TCurrentFolder() { ::SetCurrentDirectoryA(previous_.c_str()); }
    TCurrentFolder(const TCurrentFolder&) = delete;
    TCurrentFolder& operator=(const TCurrentFolder&) = delete;

  private:
    std::string previous_;
};

} // namespace

// Started from another folder (or elevated, in the system's), the program opens the help
// beside itself and no other: a help.htm planted in the current folder, or in the folder of
// the settings, is not opened even when the program's own is missing, which is reported
// with the file's full name.
TEST_F(MainForm, OnlyTheHelpBesideTheProgramIsOpenedAndAFailureToOpenItIsReported) {
    TTempFolder elsewhere;
    const TCurrentFolder current(elsewhere.Path());
    PutFile(elsewhere / "help.htm", "<p>planted in the current folder</p>");
    PutFile(dir_ / "help.htm", "<p>beside the settings, not the program</p>");
    Start();
    EXPECT_EQ(dir_ / "help.htm", HelpDocument(dir_.Path()));
    const std::string own = HelpDocument(ExtractFilePath(ApplicationFileName()));
    ASSERT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesA(own.c_str())) << own;

    TMessageBoxRecorder boxes;
    Command(TMainForm::idHelpButton);
    ASSERT_EQ(1u, boxes.Boxes().size());
    EXPECT_EQ(0u, boxes.Texts()[0].rfind("Cannot open \"" + own + "\": ", 0))
        << boxes.Texts()[0];
    EXPECT_EQ(static_cast<UINT>(MB_ICONERROR), boxes.Boxes()[0].Flags & MB_ICONMASK);

    // F1 takes the same road, from the grid as from anywhere in the window.
    MSG f1{};
    f1.hwnd = Form().DBGrid;
    f1.message = WM_KEYDOWN;
    f1.wParam = VK_F1;
    EXPECT_TRUE(Form().TranslateAccelerator(f1));
    ASSERT_EQ(2u, boxes.Boxes().size());
    EXPECT_EQ(boxes.Texts()[0], boxes.Texts()[1]);
    ::DeleteFileA((elsewhere / "help.htm").c_str());
    ::DeleteFileA((dir_ / "help.htm").c_str());
}

// Keys work from the start: the selector, first in the tab order, has the focus, and Tab
// goes from it to the grid and back, the way the program's message loop moves it.
TEST_F(MainForm, TheSelectorHasTheFocusAtStartAndTabGoesBetweenItAndTheGrid) {
    Start();
    ::SetActiveWindow(Form().Handle());
    FlushEvents();
    const auto inSelector = [this](HWND window) {
        return window == Form().ComboBox || ::IsChild(Form().ComboBox, window);
    };
    EXPECT_TRUE(inSelector(::GetFocus()));
    const HWND afterSelector = ::GetNextDlgTabItem(Form().Handle(), ::GetFocus(), FALSE);
    EXPECT_EQ(Form().DBGrid, afterSelector);
    EXPECT_TRUE(inSelector(::GetNextDlgTabItem(Form().Handle(), Form().DBGrid, FALSE)));
    EXPECT_TRUE(inSelector(::GetNextDlgTabItem(Form().Handle(), Form().DBGrid, TRUE)));
}

namespace {

RECT WindowRect(HWND window) {
    RECT rect{};
    ::GetWindowRect(window, &rect);
    return rect;
}

int ColumnWidth(HWND grid, int column) {
    return static_cast<int>(::SendMessageA(grid, LVM_GETCOLUMNWIDTH, column, 0));
}

void SizeWindow(HWND window, int left, int top, int width, int height) {
    ::SetWindowPos(window, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    FlushEvents();
}

} // namespace

TEST_F(MainForm, AtItsLeastSizeEveryToolbarButtonAndTheSelectorsArrowStayWhole) {
    TMainForm& form = Start();
    SizeWindow(form.Handle(), 0, 0, 100, 100);
    const RECT least = WindowRect(form.Handle());
    const SIZE expected = form.MinimumWindowSize();
    EXPECT_EQ(expected.cx, least.right - least.left);
    EXPECT_EQ(expected.cy, least.bottom - least.top);
    SaveShot(form.Handle(), "minimum-size");
    RECT client{};
    ::GetClientRect(form.Handle(), &client);
    const int buttons = static_cast<int>(::SendMessageA(form.ToolBar1, TB_BUTTONCOUNT, 0, 0));
    RECT last{}, bar{};
    ::SendMessageA(form.ToolBar1, TB_GETITEMRECT, buttons - 1, reinterpret_cast<LPARAM>(&last));
    ::GetClientRect(form.ToolBar1, &bar);
    EXPECT_LE(last.right, bar.right) << "the toolbar cuts its last button";
    ::MapWindowPoints(form.ToolBar1, form.Handle(), reinterpret_cast<POINT*>(&last), 2);
    EXPECT_LE(last.right, client.right);
    RECT selector = WindowRect(form.ComboBox);
    ::MapWindowPoints(nullptr, form.Handle(), reinterpret_cast<POINT*>(&selector), 2);
    EXPECT_LE(selector.right, client.right);
    EXPECT_GT(ChildBounds(form.DBGrid).bottom - ChildBounds(form.DBGrid).top, form.Scale(60));
}

TEST_F(MainForm, SizedTheLastColumnTakesTheWidthThatIsLeft) {
    TMainForm& form = Start();
    const RECT start = WindowRect(form.Handle());
    for (const int wider : {240, 40, -100}) {
        SizeWindow(form.Handle(), start.left, start.top, start.right - start.left + wider,
                   start.bottom - start.top);
        int others = 0;
        for (int column = 0; column < 7; ++column)
            others += ColumnWidth(form.DBGrid, column);
        RECT grid{};
        ::GetClientRect(form.DBGrid, &grid);
        EXPECT_EQ(std::max(static_cast<int>(grid.right) - others, form.Scale(90)),
                  ColumnWidth(form.DBGrid, 7))
            << wider;
    }
}

TEST_F(MainForm, SizePlaceAndColumnWidthsComeBackOnlyWhereTheyFit) {
    TMainForm& form = Start();
    const RECT designed = WindowRect(form.Handle());
    const int width = designed.right - designed.left + 120, height = designed.bottom - designed.top;
    SizeWindow(form.Handle(), 10, 20, width, height + 50);
    const int wide = form.Scale(150);
    ::SendMessageA(form.DBGrid, LVM_SETCOLUMNWIDTH, 1, wide);
    const RECT moved = WindowRect(form.Handle());
    Close();
    const TConfig saved(dir_ / "config.ini");
    EXPECT_EQ("0", saved.ReadValue("Index")); // the keys of old, exactly as they were
    EXPECT_EQ(OfficeId, saved.ReadValue(AdapterIdSetting));
    TMainForm& again = Start();
    const RECT restored = WindowRect(again.Handle());
    EXPECT_TRUE(::EqualRect(&moved, &restored));
    EXPECT_EQ(wide, ColumnWidth(again.DBGrid, 1));
    Close();

    const std::string dpi = std::to_string(TestDpi());
    const std::string kept = "Index=1\r\nAdapterId=" + LabId + "\r\n";
    for (const std::string& placement :
         {"30000,100,30700,600," + dpi, "10,10,300,200," + dpi, "-5000,10,-4300,510," + dpi,
          "10,20," + std::to_string(10 + width) + ",520," + std::to_string(TestDpi() * 2),
          "10,20,abc"s, "10,20,30"s}) {
        PutFile(dir_ / "config.ini",
                kept + "WindowPlacement=" + placement + "\r\nColumnWidths=150,0,88\r\n");
        TMainForm& bad = Start();
        const RECT placed = WindowRect(bad.Handle());
        EXPECT_TRUE(::EqualRect(&designed, &placed)) << placement;
        EXPECT_EQ(bad.Scale(84), ColumnWidth(bad.DBGrid, 1)) << placement;
        EXPECT_EQ(1, bad.SelectedAdapter()) << placement;
        Close();
        EXPECT_EQ(kept, GetFile(dir_ / "config.ini")) << placement;
    }
}
