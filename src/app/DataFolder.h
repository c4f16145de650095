#pragma once
// Where db, config.ini and netvane.log lie. Beside the program when the user can write its
// folder (a copy carried on a stick, or unpacked into the user's own folder); otherwise in
// a folder of the program's own in the user's application data, since a program running as
// the user cannot write where an administrator put it. Decided once at start, for the
// window and the command line alike. Portable: the system's part is IDataFolderSystem.

#include <string>

class IDataFolderSystem {
  public:
    virtual ~IDataFolderSystem() = default;
    // Whether a new file can be made in the folder now.
    virtual bool CanWrite(const std::string& folder) = 0;
    // The user's application data folder, with or without a trailing separator; "" when
    // it cannot be told.
    virtual std::string AppDataFolder() = 0;
    // Makes the folder (and its parents) when missing; false when it is not there after.
    virtual bool MakeFolder(const std::string& folder) = 0;
    // Copies the file to a path where none is; false when from is missing, to exists or
    // the copy fails.
    virtual bool CopyIfMissing(const std::string& from, const std::string& to) = 0;
};

// The folder inside the application data.
inline constexpr const char* DataFolderName = "Netvane";

// The folder for the files, with its trailing separator. exeFolder: the program's folder,
// with its trailing separator. Falls back to exeFolder when the application data cannot
// be told or its folder not made: the store then says it cannot write there. Files a
// former start left beside the program (one that ran as administrator) are copied over
// the first time, so that moving costs no setting.
std::string ChooseDataFolder(const std::string& exeFolder, IDataFolderSystem& system);
