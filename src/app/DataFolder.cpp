#include "DataFolder.h"

std::string ChooseDataFolder(const std::string& exeFolder, IDataFolderSystem& system) {
    if (system.CanWrite(exeFolder))
        return exeFolder;
    std::string appData = system.AppDataFolder();
    if (appData.empty())
        return exeFolder;
    if (appData.back() != '\\' && appData.back() != '/')
        appData += '\\';
    const std::string folder = appData + DataFolderName + '\\';
    if (!system.MakeFolder(folder))
        return exeFolder;
    // The settings and the adapter picked last; the log stays behind as the record of
    // what that program did.
    for (const char* name : {"db", "config.ini"})
        system.CopyIfMissing(exeFolder + name, folder + name);
    return folder;
}
