#pragma once
// The settings of one adapter to and from a CSV file, for the window's Import and Export
// and for the command line alike.

#include <cstddef>
#include <string>

class TProfileTable;

struct TImportCount {
    std::size_t Imported = 0; // stored now
    std::size_t Skipped = 0;  // equal to one stored already, or to one before it in the file
};

// Reads and checks the whole file, then stores its settings for adapterId in one
// transaction: all or nothing. A fault raises TError ending in "; nothing was imported".
TImportCount ImportSettingsFile(TProfileTable& table, const std::string& adapterId,
                                const std::string& path);

// Writes the view's rows (Title onwards, with their extras) to path; how many were written.
std::size_t ExportSettingsFile(const TProfileTable& table, const std::string& path);
