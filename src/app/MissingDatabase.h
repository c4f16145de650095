#pragma once
// What the user is told when the window has no profile database: the start-up could not
// create or open the file "db" in the program's folder. The settings can then be neither
// shown, added nor applied; the rest of the window (the adapters, DHCP, the address) works.

#include <string>

enum class TDatabaseAbsence {
    None,              // the database is open
    FolderNotWritable, // "db" could not be made: the folder takes no new file
    Unusable,          // "db" is there (or could be made) but could not be opened
};

// Added to the start-up's error box: what to do about it.
std::string MissingDatabaseAdvice(TDatabaseAbsence absence);

// What a command that needs the database says instead: that there is none, where it
// should be, and what to do. Empty for TDatabaseAbsence::None. folder: the program's
// folder, with its trailing separator.
std::string MissingDatabaseNotice(TDatabaseAbsence absence, const std::string& folder);
