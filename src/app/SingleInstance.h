#pragma once
// One running program per settings database. The first start owns a named mutex made
// from the database's folder (the one DataFolder chose) and publishes its main window; a
// later start with the same folder finds the mutex taken, asks that window to come up and
// ends, so that two windows never edit one file. Both objects are for the user who runs
// the program and the system alone, and a later start hands over only to a window of a
// process that runs this same file as the same user at the same integrity level: anything
// else that holds the name is ignored and the program runs.

#include "support/WinHandles.h"

#include <windows.h>

#include <string>

// The name of the objects that stand for the database in appPath (the folder with its
// trailing separator): the same for every spelling of that folder (letter case, short
// names), different for any other folder.
std::string InstanceName(const std::string& appPath);

// The name of the record in which the first start publishes its main window.
std::string WindowRecordName(const std::string& instanceName);

class TSingleInstance {
  public:
    explicit TSingleInstance(const std::string& appPath);

    // True for the start that owns the database.
    bool IsFirst() const { return first_; }

    // The first start: its main window, for later starts to bring forward.
    void Publish(HWND window);

    // A later start: asks the first start's window to come up, restored and in front (or
    // the dialog it shows), when a process of this same executable made it. Waits up to
    // timeoutMs for a window still being made; false, and nothing asked, when none appeared,
    // the published one is another program's, or it could not be asked: the start then runs
    // normally.
    bool ActivateFirst(DWORD timeoutMs = 5000) const;

  private:
    std::string name_;
    UniqueHandle mutex_;
    UniqueHandle windowRecord_; // the first start's: holds its main window's handle
    bool first_ = false;
};
