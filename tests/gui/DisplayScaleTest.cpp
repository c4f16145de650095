#include "about/UAbout.h"
#include "app/UMain.h"
#include "editor/UAdvanced.h"
#include "editor/UEdit.h"

#include "GuiTesting.h"
#include "TestAdapters.h"
#include "netcfg/Registry.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

namespace {

// The forms with their relayout opened up, as a change of monitor would call it.
class TMainAtDpi : public TMainForm {
  public:
    using TForm::ApplyDpi;
    using TMainForm::TMainForm;
};
class TEditAtDpi : public TEditForm {
  public:
    using TEditForm::TEditForm;
    using TForm::ApplyDpi;
};
class TAboutAtDpi : public TAboutForm {
  public:
    using TAboutForm::TAboutForm;
    using TForm::ApplyDpi;
};
class TAdvancedAtDpi : public TAdvancedForm {
  public:
    using TAdvancedForm::TAdvancedForm;
    using TForm::ApplyDpi;
};

int FontHeight(HWND control) {
    LOGFONTA font{};
    ::GetObjectA(reinterpret_cast<HFONT>(::SendMessageA(control, WM_GETFONT, 0, 0)), sizeof font,
                 &font);
    return std::abs(font.lfHeight);
}

SIZE IconSize(HICON icon) {
    ICONINFO info{};
    if (!::GetIconInfo(icon, &info))
        return {0, 0};
    BITMAP colour{};
    ::GetObjectA(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof colour, &colour);
    if (info.hbmColor)
        ::DeleteObject(info.hbmColor);
    ::DeleteObject(info.hbmMask);
    return {colour.bmWidth, colour.bmHeight};
}

SIZE ToolbarIconSize(const TMainForm& form) {
    SIZE size{};
    auto images =
        reinterpret_cast<HIMAGELIST>(::SendMessageA(form.ToolBar1, TB_GETIMAGELIST, 0, 0));
    ::ImageList_GetIconSize(images, reinterpret_cast<int*>(&size.cx),
                            reinterpret_cast<int*>(&size.cy));
    return size;
}

std::vector<RECT> ChildPlaces(HWND window) {
    std::vector<RECT> places;
    for (HWND child = ::GetWindow(window, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        places.push_back(ChildBounds(child));
    return places;
}

class DisplayScale : public testing::Test {
  protected:
    void SetUp() override { adapters_.Add("{11111111-2222-3333-4444-555555555501}", "Office"); }

    TMainAtDpi& Main() {
        if (!main_)
            main_ = std::make_unique<TMainAtDpi>(dir_.Path(), SystemRegistry());
        FlushEvents();
        return *main_;
    }

    TTempFolder dir_;
    TTestAdapters adapters_;
    TMessageBoxRecorder boxes_;
    std::unique_ptr<TMainAtDpi> main_;
};

} // namespace

TEST_F(DisplayScale, TheWindowsAreLaidOutAtTheDpiTheBenchAsksFor) {
    if (const char* asked = std::getenv("NETVANE_TEST_DPI")) {
        ASSERT_EQ(std::atoi(asked), TestDpi());
    }
    TAboutForm about(Main().Handle());
    EXPECT_EQ(TestDpi(), Main().Dpi());
    EXPECT_EQ(TestDpi(), about.Dpi());
    EXPECT_EQ(TestDpi(), WindowDpi(Main().Handle()));
}

TEST_F(DisplayScale, FontsAndIconsAreMadeForTheDpiNotStretched) {
    TMainForm& form = Main();
    const SIZE toolbarIcon = ToolbarIconSize(form);
    EXPECT_TRUE(IsScaled(32, toolbarIcon.cx));
    EXPECT_TRUE(IsScaled(32, toolbarIcon.cy));
    const auto big =
        reinterpret_cast<HICON>(::SendMessageA(form.Handle(), WM_GETICON, ICON_BIG, 0));
    const auto small =
        reinterpret_cast<HICON>(::SendMessageA(form.Handle(), WM_GETICON, ICON_SMALL, 0));
    EXPECT_TRUE(IsScaled(32, IconSize(big).cx));
    EXPECT_TRUE(IsScaled(16, IconSize(small).cx));
    for (HWND control : {form.ComboBox, form.Label1, form.DBGrid, form.StatusBar1, form.ToolBar1})
        EXPECT_TRUE(IsScaled(11, FontHeight(control))) << ::GetDlgCtrlID(control);
}

// A move to a monitor of another scale: every form is laid out again there, and again as
// it was on the way back.
TEST_F(DisplayScale, AnotherDpiLaysEachFormOutAgainAndBack) {
    TMainAtDpi& main = Main();
    TEditAtDpi editor(main.adoT, main.adoQ, main.AdapterDescriptions(), main.Handle());
    TAboutAtDpi about(main.Handle());
    TAdvancedAtDpi advanced({}, {}, main.Handle());
    struct Case {
        const char* name;
        TForm& form;
        std::function<void(int)> applyDpi;
        HWND measured; // a control whose font is the application's
    } cases[] = {
        {"main", main, [&](int dpi) { main.ApplyDpi(dpi); }, main.ComboBox},
        {"editor", editor, [&](int dpi) { editor.ApplyDpi(dpi); }, editor.Editors()[2]},
        {"about", about, [&](int dpi) { about.ApplyDpi(dpi); },
         ::GetDlgItem(about.Handle(), TAboutForm::idClose)},
        {"advanced", advanced, [&](int dpi) { advanced.ApplyDpi(dpi); },
         ::GetDlgItem(advanced.Handle(), IDOK)},
    };
    const int other = TestDpi() * 2;
    for (const Case& c : cases) {
        const SIZE client = ClientSize(c.form.Handle());
        const std::vector<RECT> places = ChildPlaces(c.form.Handle());
        c.applyDpi(other);
        FlushEvents();
        EXPECT_EQ(other, c.form.Dpi()) << c.name;
        const SIZE doubled = ClientSize(c.form.Handle());
        EXPECT_NEAR(2 * client.cx, doubled.cx, 2) << c.name;
        EXPECT_NEAR(2 * client.cy, doubled.cy, 2) << c.name;
        EXPECT_EQ(ScaleToDpi(11, other), FontHeight(c.measured)) << c.name;
        EXPECT_TRUE(ChildrenInsideClientAreas(c.form.Handle())) << c.name;

        c.applyDpi(TestDpi());
        FlushEvents();
        EXPECT_EQ(client.cx, ClientSize(c.form.Handle()).cx) << c.name;
        EXPECT_EQ(client.cy, ClientSize(c.form.Handle()).cy) << c.name;
        const std::vector<RECT> back = ChildPlaces(c.form.Handle());
        ASSERT_EQ(places.size(), back.size()) << c.name;
        for (size_t i = 0; i < places.size(); ++i)
            EXPECT_TRUE(::EqualRect(&places[i], &back[i])) << c.name << " child " << i;
    }
    // The main window's own parts: the toolbar's buttons and icons at twice the scale.
    main.ApplyDpi(other);
    FlushEvents();
    RECT button{};
    ::SendMessageA(main.ToolBar1, TB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&button));
    EXPECT_EQ(ScaleToDpi(71, other), button.right - button.left);
    EXPECT_EQ(ScaleToDpi(52, other), button.bottom - button.top);
    EXPECT_EQ(ScaleToDpi(32, other), ToolbarIconSize(main).cx);
    EXPECT_EQ(ScaleToDpi(99, other), ChildBounds(main.DBGrid).top);
    main.ApplyDpi(TestDpi());
}

// Where Windows keeps a DPI per monitor, the window takes the rectangle Windows suggests
// and lays itself out for the new DPI; below Windows 10 1703 (and under Wine 8.0, which
// refuses per-monitor version 2) it stays laid out for the system's DPI.
TEST_F(DisplayScale, AChangeOfMonitorDpiIsFollowedOnlyWithPerMonitorAwareness) {
    TMainForm& form = Main();
    RECT before{};
    ::GetWindowRect(form.Handle(), &before);
    const int other = TestDpi() * 2;
    RECT suggested{before.left, before.top, before.left + 2 * (before.right - before.left),
                   before.top + 2 * (before.bottom - before.top)};
    ::SendMessageA(form.Handle(), WM_DPICHANGED, MAKEWPARAM(other, other),
                   reinterpret_cast<LPARAM>(&suggested));
    FlushEvents();
    RECT after{};
    ::GetWindowRect(form.Handle(), &after);
    if (PerMonitorDpiAvailable()) {
        EXPECT_EQ(other, form.Dpi());
        EXPECT_TRUE(::EqualRect(&suggested, &after));
    } else {
        EXPECT_EQ(SystemDpi(), form.Dpi());
        EXPECT_TRUE(::EqualRect(&before, &after));
    }
}
