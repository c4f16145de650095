#pragma once
// One running program per settings database. The first start owns a named mutex made
// from the database's folder and publishes its main window; a later start from the same
// folder finds the mutex taken, brings that window to the front and ends, so that two
// windows never edit one file.

#include "support/WinHandles.h"

#include <windows.h>

#include <string>

// The name of the objects that stand for the database in appPath (the folder with its
// trailing separator): the same for every spelling of that folder (letter case, short
// names), different for any other folder.
std::string InstanceName(const std::string& appPath);

class TSingleInstance {
  public:
    explicit TSingleInstance(const std::string& appPath);

    // True for the start that owns the database.
    bool IsFirst() const { return first_; }

    // The first start: its main window, for later starts to bring forward.
    void Publish(HWND window);

    // A later start: restores the first start's window (or the dialog it shows) and brings
    // it to the front. Waits up to timeoutMs for a window still being made; false when
    // none appeared.
    bool ActivateFirst(DWORD timeoutMs = 5000) const;

  private:
    std::string name_;
    UniqueHandle mutex_;
    UniqueHandle windowRecord_; // the first start's: holds its main window's handle
    bool first_ = false;
};
