#include "support/DocumentOpening.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Records every way tried, in order.
struct TOpeners : IDocumentOpeners {
    bool Elevated = false, DesktopShell = false;
    std::vector<std::string> Tried;
    bool IsElevated() override { return Elevated; }
    bool OpenThroughDesktopShell(const std::string& t) override {
        Tried.push_back("shell " + t);
        return DesktopShell;
    }
    void OpenDirectly(const std::string& t) override { Tried.push_back("directly " + t); }
    void Tell(const std::string& text) override { Tried.push_back("told " + text); }
};

} // namespace

// Never with an administrator's rights: as the user, directly; elevated, through the
// desktop's shell or, with none, not at all, the user told where it is.
TEST(OpenForTheUser, OpensWithTheUsersRightsOrSaysWhereTheDocumentIs) {
    const std::string help = "C:\\Tools\\help.htm", told = OpenItYourselfMessage(help);
    const std::tuple<bool, bool, std::vector<std::string>> cases[] = {
        {false, false, {"directly " + help}},
        {true, true, {"shell " + help}},
        {true, false, {"shell " + help, "told " + told}}};
    for (const auto& [elevated, desktopShell, tried] : cases) {
        TOpeners openers;
        openers.Elevated = elevated;
        openers.DesktopShell = desktopShell;
        OpenForTheUser(help, openers);
        EXPECT_EQ(tried, openers.Tried);
    }
    EXPECT_EQ(told.size() - help.size(), told.rfind("\n" + help) + 1) << told;
}
