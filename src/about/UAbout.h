#pragma once
// The about box: product name, the running executable's version, the maker's web page, and
// the folder that holds the settings (beside the program or in the user's application
// data: the user cannot tell otherwise where to look for them).

#include "support/Forms.h"

#include <string>

// The web page the about box links to.
inline constexpr const char* MakerWebAddress = "https://netvane.org";

class TAboutForm : public TForm {
  public:
    // Creates the (hidden) dialog; the version text is read here, once. dataFolder: where
    // the program keeps its files.
    explicit TAboutForm(HWND owner = nullptr, const std::string& dataFolder = {});

    const std::string& VersionText() const { return versionText_; }

    // Control ids, for tests.
    enum : int {
        idTitle = 101,
        idVersionLabel,
        idVersion,
        idLink,
        idFilesLabel,
        idFiles,
        idClose = IDOK
    };

  protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void DpiChanged(int oldDpi) override;

  private:
    void FormCreate(const std::string& dataFolder);
    void PlaceVersion();
    void AlignFolderText();
    void Label6Click();

    std::string versionText_;
    HWND Label6 = nullptr;
};
