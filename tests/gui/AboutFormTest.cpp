#include "about/UAbout.h"
#include "support/Version.h"

#include "GuiTesting.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

std::string OwnPath() {
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    return path;
}

HWND Item(const TAboutForm& form, int id) {
    return ::GetDlgItem(form.Handle(), id);
}

} // namespace

TEST(AboutForm, ShowsNameVersionAndLinkWhereTheyBelong) {
    TAboutForm form;
    EXPECT_EQ("Dialog", TextOf(form.Handle()));
    const SIZE client = ClientSize(form.Handle());
    EXPECT_TRUE(IsScaled(240, client.cx));
    EXPECT_TRUE(IsScaled(168, client.cy));

    struct Expected {
        int id;
        std::string text;
        int left, top;
    } controls[] = {
        {TAboutForm::idTitle, "Netvane", 16, 13},
        {TAboutForm::idVersionLabel, "Version", 130, 24},
        {TAboutForm::idService, "The Netvane service is not used.", 17, 56},
        {TAboutForm::idLink, MakerWebAddress, 17, 78},
        {TAboutForm::idClose, "&Close", 127, 132},
    };
    for (const auto& c : controls) {
        HWND control = Item(form, c.id);
        ASSERT_NE(nullptr, control) << c.text;
        EXPECT_EQ(c.text, TextOf(control));
        const RECT bounds = ChildBounds(control);
        EXPECT_TRUE(IsScaled(c.left, bounds.left)) << c.text;
        EXPECT_TRUE(IsScaled(c.top, bounds.top)) << c.text;
    }
    // The version number: at its designed place, or after its caption if the font makes
    // that wider than designed; never over it.
    HWND version = Item(form, TAboutForm::idVersion);
    EXPECT_EQ(NETVANE_VERSION, TextOf(version));
    EXPECT_TRUE(IsScaled(24, ChildBounds(version).top));
    const LONG captionEnd = ChildBounds(Item(form, TAboutForm::idVersionLabel)).right;
    EXPECT_GE(ChildBounds(version).left, std::max<LONG>(ScaleToDpi(168, TestDpi()), captionEnd));
    if (captionEnd < ScaleToDpi(165, TestDpi())) {
        EXPECT_TRUE(IsScaled(168, ChildBounds(version).left));
    }
    const RECT close = ChildBounds(Item(form, TAboutForm::idClose));
    EXPECT_TRUE(IsScaledRect({127, 132, 202, 157}, close));
    EXPECT_TRUE(ChildrenInsideClientAreas(form.Handle()));
}

TEST(AboutForm, VersionTextIsTheRunningBinarysVersionResource) {
    TAboutForm form;
    EXPECT_EQ(FileVersionText(OwnPath()), form.VersionText());
    EXPECT_EQ(form.VersionText(), TextOf(Item(form, TAboutForm::idVersion)));
}

TEST(AboutForm, TitleIsTwentyPixelsHighAndTheLinkUnderlined) {
    TAboutForm form;
    LOGFONTA title{}, link{};
    ::GetObjectA(
        reinterpret_cast<HFONT>(::SendMessageA(Item(form, TAboutForm::idTitle), WM_GETFONT, 0, 0)),
        sizeof title, &title);
    ::GetObjectA(
        reinterpret_cast<HFONT>(::SendMessageA(Item(form, TAboutForm::idLink), WM_GETFONT, 0, 0)),
        sizeof link, &link);
    EXPECT_TRUE(IsScaled(20, std::abs(title.lfHeight)));
    EXPECT_TRUE(link.lfUnderline);
}

TEST(AboutForm, ClosesWithOkByItsButtonAndByEnterAndCancelsByEscape) {
    TAboutForm form;
    struct Case {
        const char* how;
        std::function<void(HWND)> act;
        int expected;
    } cases[] = {
        {"button", [](HWND w) { Click(::GetDlgItem(w, TAboutForm::idClose)); }, mrOk},
        {"Enter", [](HWND w) { ::PostMessageA(w, WM_KEYDOWN, VK_RETURN, 0); }, mrOk},
        {"Escape", [](HWND w) { ::PostMessageA(w, WM_KEYDOWN, VK_ESCAPE, 0); }, mrCancel},
        {"close box", [](HWND w) { ::PostMessageA(w, WM_CLOSE, 0, 0); }, mrCancel},
    };
    const std::string version = form.VersionText();
    for (const auto& c : cases) {
        TModalScript script("TAboutForm", c.act);
        EXPECT_EQ(c.expected, form.ShowModal(nullptr)) << c.how;
        EXPECT_TRUE(script.Ran()) << c.how;
        EXPECT_FALSE(::IsWindowVisible(form.Handle())) << c.how;
        EXPECT_EQ(version, TextOf(Item(form, TAboutForm::idVersion))) << c.how;
    }
}

// Where the settings are is said in full, however long the path: the text scrolls.
TEST(AboutForm, SaysWhichFolderHoldsTheSettings) {
    const std::string folder = "C:\\Users\\Somebody With A Long Name\\AppData\\Roaming\\Netvane\\";
    TAboutForm form(nullptr, folder);
    SaveShot(form.Handle(), "about-data-folder");
    EXPECT_EQ("Settings are kept in:", TextOf(Item(form, TAboutForm::idFilesLabel)));
    HWND files = Item(form, TAboutForm::idFiles);
    EXPECT_EQ(folder, TextOf(files));
    EXPECT_TRUE(::GetWindowLongA(files, GWL_STYLE) & ES_READONLY);
    EXPECT_LT(ChildBounds(files).bottom, ChildBounds(Item(form, TAboutForm::idClose)).top);
    EXPECT_TRUE(ChildrenInsideClientAreas(form.Handle()));
}
