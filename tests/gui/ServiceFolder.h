#pragma once
// The shipped program in a folder of its own under the prefix's Program Files, as an
// administrator installs it for the service; the service is removed and the folder emptied
// when the test ends.

#include "ProgramRun.h"

#include <windows.h>

#include <string>

class TServiceFolder {
  public:
    explicit TServiceFolder(const std::string& name)
        : Folder("C:\\Program Files\\" + name), copied_(Copy(Folder)) {}
    ~TServiceFolder() {
        Run("/uninstall-service");
        for (const char* file : {"Netvane.exe", "netvane.log", "config.ini", "db"})
            ::DeleteFileA((Folder + "\\" + file).c_str());
        ::RemoveDirectoryA(Folder.c_str());
    }
    TServiceFolder(const TServiceFolder&) = delete;
    TServiceFolder& operator=(const TServiceFolder&) = delete;

    bool Copied() const { return copied_; }
    std::string Exe() const { return Folder + "\\Netvane.exe"; }
    TRun Run(const std::string& arguments) const { return RunProgram(Exe(), arguments, Folder); }

    const std::string Folder;

  private:
    static bool Copy(const std::string& folder) {
        ::CreateDirectoryA(folder.c_str(), nullptr);
        return ::CopyFileA(NETVANE_DIST_EXE, (folder + "\\Netvane.exe").c_str(), FALSE);
    }
    const bool copied_;
};
