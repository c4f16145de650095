#pragma once
// The program's three windows in start-up order: the main window (whose creation opens the
// database and lists the adapters), then the editor dialog, which copies the adapter list
// and works on the main window's table, then the about box. The two dialogs are made when
// first shown rather than at start: the adapter list and the table they take from the main
// window are the same then, so nobody can tell, and the window comes up sooner.

#include "UMain.h"

#include "about/UAbout.h"
#include "editor/UEdit.h"

#include <memory>
#include <string>

class TProgram : private IMainFormDialogs {
  public:
    TProgram(const std::string& appPath, IRegistryBackend& registry);
    ~TProgram() override;
    TProgram(const TProgram&) = delete;
    TProgram& operator=(const TProgram&) = delete;

    TMainForm MainForm;
    // The dialogs, made on the first call.
    TEditForm& EditForm() { return Editor(); }
    TAboutForm& AboutForm() { return About(); }
    bool EditFormMade() const { return editForm_ != nullptr; }
    bool AboutFormMade() const { return aboutForm_ != nullptr; }

  private:
    TEditForm& Editor() override;
    TEditForm* EditorIfMade() override { return editForm_.get(); }
    TAboutForm& About() override;

    std::unique_ptr<TEditForm> editForm_;
    std::unique_ptr<TAboutForm> aboutForm_;
};
