#pragma once
// The data folder's system part on Windows: a probe file made and removed for "can the
// user write here", the application data folder from the shell (its APPDATA value when the
// shell cannot say).

#include "DataFolder.h"

// Names a folder to be taken as unwritable, whatever its rights: lets a test under Wine,
// where the user can write everywhere, start a copy as from a folder it may not write.
inline constexpr const char* UnwritableFolderVariable = "NETVANE_UNWRITABLE_FOLDER";

class TSystemDataFolder : public IDataFolderSystem {
  public:
    bool CanWrite(const std::string& folder) override;
    std::string AppDataFolder() override;
    bool MakeFolder(const std::string& folder) override;
    bool CopyIfMissing(const std::string& from, const std::string& to) override;
};

// ChooseDataFolder on the system, for the program in exeFolder.
std::string SystemDataFolder(const std::string& exeFolder);
