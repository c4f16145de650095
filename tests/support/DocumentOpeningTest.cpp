#include "support/DocumentOpening.h"

#include "support/Error.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Records every way tried, in order.
class TOpeners : public IDocumentOpeners {
  public:
    TOpeners(bool elevated, bool desktopShell) : elevated_(elevated), shell_(desktopShell) {}
    bool IsElevated() override { return elevated_; }
    bool OpenThroughDesktopShell(const std::string& target) override {
        Tried.push_back("desktop shell " + target);
        return shell_;
    }
    void OpenDirectly(const std::string& target) override {
        Tried.push_back("directly " + target);
        if (!DirectFailure.empty())
            throw TError(DirectFailure);
    }
    void Tell(const std::string& text) override { Tried.push_back("told " + text); }

    std::vector<std::string> Tried;
    std::string DirectFailure;

  private:
    bool elevated_, shell_;
};

} // namespace

// Never with an administrator's rights: as the user, directly; elevated, through the
// desktop's shell or, with none, not at all.
TEST(OpenForTheUser, OpensWithTheUsersRightsOrSaysWhereTheDocumentIs) {
    const std::string help = "C:\\Tools\\help.htm";
    struct Case {
        bool elevated, desktopShell;
        std::vector<std::string> tried;
    } cases[] = {
        {false, true, {"directly " + help}},
        {false, false, {"directly " + help}},
        {true, true, {"desktop shell " + help}},
        {true, false, {"desktop shell " + help, "told " + OpenItYourselfMessage(help)}},
    };
    for (const Case& c : cases) {
        TOpeners openers(c.elevated, c.desktopShell);
        OpenForTheUser(help, openers);
        EXPECT_EQ(c.tried, openers.Tried) << c.elevated << c.desktopShell;
    }
    const std::string message = OpenItYourselfMessage(help);
    EXPECT_EQ(message.size() - help.size(), message.rfind("\n" + help) + 1) << message;

    // A failure to open it directly reaches the caller, and nothing else is tried.
    TOpeners failing(false, true);
    failing.DirectFailure = "Cannot open \"" + help + "\": no program is set to open it";
    EXPECT_THROW(OpenForTheUser(help, failing), TError);
    EXPECT_EQ(std::vector<std::string>{"directly " + help}, failing.Tried);
}
