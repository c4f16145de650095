#include "MissingDatabase.h"

namespace {

constexpr const char* MoveAdvice =
    "Move Netvane to a folder you can write to (one in your Documents, for example) and "
    "start it again";
constexpr const char* RepairAdvice =
    "Close Netvane, move the file \"db\" out of its folder (Netvane then makes a new, empty "
    "one) or put it back as it was, and start Netvane again";

} // namespace

std::string MissingDatabaseAdvice(TDatabaseAbsence absence) {
    std::string advice = "Until then no setting can be added or applied, only DHCP. ";
    switch (absence) {
    case TDatabaseAbsence::FolderNotWritable:
        return advice + MoveAdvice;
    case TDatabaseAbsence::Unusable:
        return advice + RepairAdvice;
    case TDatabaseAbsence::None:
        break;
    }
    return {};
}

// The folder stands on a line of its own, so that a message box never breaks it mid-word
// for want of room after the words before it.
std::string MissingDatabaseNotice(TDatabaseAbsence absence, const std::string& folder) {
    if (absence == TDatabaseAbsence::None)
        return {};
    std::string notice = "There is no settings database, so settings can be neither shown, "
                         "added nor applied. Netvane keeps them in the file \"db\" in its "
                         "folder\n\n";
    notice += folder;
    notice += "\n\n";
    if (absence == TDatabaseAbsence::FolderNotWritable) {
        notice += "which cannot be written. ";
        notice += MoveAdvice;
    } else {
        notice += "where the file could not be opened when Netvane started. ";
        notice += RepairAdvice;
    }
    return notice;
}
