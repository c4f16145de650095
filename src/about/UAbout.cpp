#include "UAbout.h"

#include "support/Process.h"
#include "support/Version.h"

#include <algorithm>
#include <cstdlib>

namespace {
constexpr const char* AboutClassName = "TAboutForm";
constexpr int VersionLeft = 168;
constexpr int VersionTop = 24;
constexpr int SpaceWidth = 3;

// The system's hot-light colour, unless a theme makes it all but vanish on the dialog's
// face (as one of Wine's does): then the usual link blue.
COLORREF LinkColour() {
    const auto luminance = [](COLORREF c) {
        return (299 * GetRValue(c) + 587 * GetGValue(c) + 114 * GetBValue(c)) / 1000;
    };
    const COLORREF hot = ::GetSysColor(COLOR_HOTLIGHT);
    const int contrast = std::abs(luminance(hot) - luminance(::GetSysColor(COLOR_BTNFACE)));
    return contrast >= 96 ? hot : RGB(0, 80, 200);
}
} // namespace

TAboutForm::TAboutForm(HWND owner, const std::string& dataFolder, bool serviceUsed) {
    RegisterFormClass(AboutClassName);
    CreateForm(AboutClassName, "Dialog", WS_POPUP | WS_CAPTION | WS_SYSMENU, WS_EX_DLGMODALFRAME,
               240, 168, owner);
    FormCreate(dataFolder, serviceUsed);
}

void TAboutForm::FormCreate(const std::string& dataFolder, bool serviceUsed) {
    versionText_ = FileVersionText(ApplicationFileName());
    const int titleFont = AddFont([](LOGFONTA& f) { f.lfHeight = -20; });
    const int linkFont = AddFont([](LOGFONTA& f) { f.lfUnderline = TRUE; });

    AddLabel("Netvane", 16, 13, titleFont, 0, idTitle);
    AddLabel("Version", 130, 24, 0, 0, idVersionLabel);
    AddLabel(versionText_, VersionLeft, VersionTop, 0, 0, idVersion);
    PlaceVersion();
    AddLabel(serviceUsed ? "Switches go through the Netvane service."
                         : "The Netvane service is not used.",
             17, 56, 0, 0, idService);
    Label6 = AddLabel(MakerWebAddress, 17, 78, linkFont, SS_NOTIFY, idLink);
    AddLabel("Settings are kept in:", 17, 98, 0, 0, idFilesLabel);
    // Read-only text rather than a label: a long path scrolls, and can be copied.
    AddControl("EDIT", dataFolder, WS_VISIBLE | ES_READONLY | ES_AUTOHSCROLL, 17, 112, 206, 14,
               idFiles);
    AlignFolderText();
    AddControl("BUTTON", "&Close", WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 127, 132, 75, 25,
               idClose);
    SetDefaultButton(idClose);
}

// At its designed place, or a space after its caption where the font draws the caption
// wider than designed (Wine's stand-in for MS Sans Serif does): the two never overlap.
void TAboutForm::PlaceVersion() {
    RECT caption{};
    ::GetWindowRect(::GetDlgItem(Handle(), idVersionLabel), &caption);
    ::MapWindowPoints(HWND_DESKTOP, Handle(), reinterpret_cast<POINT*>(&caption), 2);
    // Back in designed units, rounded up.
    const int captionEnd = (caption.right * DesignDpi + Dpi() - 1) / Dpi();
    PlaceControl(::GetDlgItem(Handle(), idVersion), std::max(VersionLeft, captionEnd + SpaceWidth),
                 VersionTop, 0, 0);
}

// The edit's own margin would set the path off from its caption; a new font (each change
// of DPI brings one) gives the margin back.
void TAboutForm::AlignFolderText() {
    ::SendMessageA(::GetDlgItem(Handle(), idFiles), EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN,
                   0);
}

void TAboutForm::DpiChanged(int) {
    PlaceVersion();
    AlignFolderText();
}

void TAboutForm::Label6Click() {
    RunGuarded([this] { OpenDocument(WindowText(Label6), Handle()); });
}

LRESULT TAboutForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        if (LOWORD(wParam) == idClose && HIWORD(wParam) == BN_CLICKED) {
            SetModalResult(mrOk);
            return 0;
        }
        if (LOWORD(wParam) == idLink && HIWORD(wParam) == STN_CLICKED) {
            Label6Click();
            return 0;
        }
        break;
    case WM_CTLCOLORSTATIC:
        if (reinterpret_cast<HWND>(lParam) == Label6) {
            HDC dc = reinterpret_cast<HDC>(wParam);
            ::SetTextColor(dc, LinkColour());
            ::SetBkMode(dc, TRANSPARENT);
            return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
        }
        break;
    case WM_SETCURSOR:
        if (reinterpret_cast<HWND>(wParam) == Label6) {
            ::SetCursor(::LoadCursorA(nullptr, IDC_HAND));
            return TRUE;
        }
        break;
    default:
        break;
    }
    return TForm::HandleMessage(message, wParam, lParam);
}
