#pragma once
// The about box: product name, the running executable's version, the maker's web page, and
// the folder that holds the settings (beside the program or in the user's application
// data: the user cannot tell otherwise where to look for them), and whether switches go
// through the Netvane service.

#include "support/Forms.h"

#include <string>

// The web page the about box links to.
inline constexpr const char* MakerWebAddress = "https://netvane.org";

class TAboutForm : public TForm {
  public:
    // Creates the (hidden) dialog; the version text is read here, once. dataFolder: where
    // the program keeps its files; serviceUsed: whether the Netvane service runs and takes
    // the switches.
    explicit TAboutForm(HWND owner = nullptr, const std::string& dataFolder = {},
                        bool serviceUsed = false);

    const std::string& VersionText() const { return versionText_; }

    // Control ids, for tests.
    enum : int {
        idTitle = 101,
        idVersionLabel,
        idVersion,
        idLink,
        idFilesLabel,
        idFiles,
        idService,
        idClose = IDOK
    };

  protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void DpiChanged(int oldDpi) override;

  private:
    void FormCreate(const std::string& dataFolder, bool serviceUsed);
    void PlaceVersion();
    void AlignFolderText();
    void Label6Click();

    std::string versionText_;
    HWND Label6 = nullptr;
};
