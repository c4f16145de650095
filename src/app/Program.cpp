#include "Program.h"

#include "privileged/SwitchRoute.h"

TProgram::TProgram(const std::string& appPath, IRegistryBackend& registry)
    : MainForm(appPath, registry) {
    MainForm.AttachDialogs(this);
}

TProgram::~TProgram() {
    // The dialogs go first: the main window must not reach them meanwhile.
    MainForm.AttachDialogs(nullptr);
}

TEditForm& TProgram::Editor() {
    if (!editForm_) {
        editForm_ = std::make_unique<TEditForm>(MainForm.adoT, MainForm.adoQ,
                                                MainForm.AdapterDescriptions(), MainForm.Handle());
        editForm_->SetNetworkFactsSource([this](int adapter) {
            return MainForm.NetworkFactsOf(MainForm.AdapterList.at(adapter));
        });
    }
    return *editForm_;
}

TAboutForm& TProgram::About() {
    if (!aboutForm_)
        aboutForm_ =
            std::make_unique<TAboutForm>(MainForm.Handle(), MainForm.AppPath, ServiceIsUsed());
    return *aboutForm_;
}
