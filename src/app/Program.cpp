#include "Program.h"

TProgram::TProgram(const std::string& appPath, IRegistryBackend& registry)
    : MainForm(appPath, registry),
      EditForm(MainForm.adoT, MainForm.adoQ, MainForm.AdapterDescriptions(), MainForm.Handle()),
      AboutForm(MainForm.Handle()) {
    MainForm.AttachForms(&EditForm, &AboutForm);
}

TProgram::~TProgram() {
    // The dialogs go first: the main window must not reach them meanwhile.
    MainForm.AttachForms(nullptr, nullptr);
}
