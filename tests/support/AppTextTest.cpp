#include "support/AppText.h"

#include <gtest/gtest.h>

TEST(AppText, TitleIsTheFileNameUpToItsFirstDotWithTheRestInLowerCase) {
    struct Case {
        std::string path, title;
    } cases[] = {
        {"C:\\Program Files\\Netvane\\Netvane.exe", "Netvane"},
        {"C:\\x\\NETVANE.EXE", "Netvane"},
        {"netvane.exe", "netvane"},
        {"C:\\x\\GUI_Tests.v2.exe", "Gui_tests"},
        {"/opt/NetVane", "Netvane"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.title, TitleFromFileName(c.path)) << c.path;
}

TEST(AppText, ErrorTextGainsAFullStopOnlyAfterCharactersAboveIt) {
    struct Case {
        std::string message, shown;
    } cases[] = {
        {"Cannot open the database", "Cannot open the database."},
        {"Failed to set data for 'NameServer'", "Failed to set data for 'NameServer'"}, // "'" < "."
        {"List index out of bounds (-1)", "List index out of bounds (-1)"}, // ")" is below "."
        {"Already ends.", "Already ends."},
        {"Ends in a comma,", "Ends in a comma,"},
        {"Ends in a digit 7", "Ends in a digit 7."},
        {"", ""},
        {"Ends in \xe9", "Ends in \xe9."},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.shown, ErrorBoxText(c.message)) << c.message;
}
