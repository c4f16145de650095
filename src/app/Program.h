#pragma once
// The program's three windows, made in start-up order: the main window (whose creation
// opens the database and lists the adapters), then the editor dialog, which copies the
// adapter list and works on the main window's table, then the about box.

#include "UMain.h"

#include "about/UAbout.h"
#include "editor/UEdit.h"

#include <string>

class TProgram {
  public:
    TProgram(const std::string& appPath, IRegistryBackend& registry);
    ~TProgram();
    TProgram(const TProgram&) = delete;
    TProgram& operator=(const TProgram&) = delete;

    TMainForm MainForm;
    TEditForm EditForm;
    TAboutForm AboutForm;
};
