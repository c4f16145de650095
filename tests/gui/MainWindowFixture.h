#pragma once
// The program's main window on a folder of the test's own, with two made-up adapters in the
// registry and no proxy set: started, closed and started again, and driven the way its
// toolbar and adapter selector are.

#include "app/Program.h"

#include "GuiTesting.h"
#include "TestAdapters.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

class TMainWindowTest : public testing::Test {
  protected:
    // The adapters every test starts with, as id and description, in selector order.
    explicit TMainWindowTest(std::vector<std::pair<std::string, std::string>> adapters);

    void SetUp() override;
    void TearDown() override;

    // Starts the program on the test folder (a window already started is left to the caller).
    TMainForm& Start();
    // Closes the window as its close box does, and lets it go.
    void Close();
    TMainForm& Restart();
    TMainForm& Form() const { return program_->MainForm; }

    // A toolbar command, as its button sends it.
    void Command(int id);
    // Picks the adapter at index in the selector, as a user does.
    void PickAdapter(int index);
    int GridRows() const;
    // The status line names an address, as it does after start and after every change.
    void ExpectStatusShowsTheAddress() const;
    std::string Db() const { return dir_ / "db"; }

    // Called by Start once the window is made, before its queued messages are handled:
    // where a fixture answers the window's seams (menus, file dialogs).
    virtual void Started(TMainForm&) {}

    TTempFolder dir_;
    TTestAdapters adapters_;
    std::unique_ptr<TProgram> program_;

  private:
    std::vector<std::pair<std::string, std::string>> startAdapters_;
};
