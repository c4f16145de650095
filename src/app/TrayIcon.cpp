#include "TrayIcon.h"

#include "support/Strings.h"
#include "support/SystemLibrary.h"

namespace {

constexpr UINT IconId = 1;
constexpr int ProgramIconId = 1;

class TSystemNotifyIconCalls : public INotifyIconCalls {
  public:
    bool Notify(DWORD message, const NOTIFYICONDATAA& data) override {
        // The shell's library is loaded when the icon is first shown.
        static const UniqueLibrary shell(LoadSystemLibrary("shell32.dll"));
        static const auto notify =
            LibraryFunction<decltype(&::Shell_NotifyIconA)>(shell, "Shell_NotifyIconA");
        return notify && notify(message, const_cast<NOTIFYICONDATAA*>(&data));
    }
};

// Copies text into a fixed field, cut to fit with its terminating NUL.
template <size_t N> void CopyField(char (&field)[N], const std::string& text) {
    const std::string cut = CutText(text, N - 1);
    cut.copy(field, N - 1);
    field[cut.size()] = '\0';
}

} // namespace

std::unique_ptr<INotifyIconCalls> SystemNotifyIconCalls() {
    return std::make_unique<TSystemNotifyIconCalls>();
}

TTrayIcon::TTrayIcon(HWND owner, UINT callbackMessage, std::unique_ptr<INotifyIconCalls> calls)
    : owner_(owner), callbackMessage_(callbackMessage), calls_(std::move(calls)) {}

TTrayIcon::~TTrayIcon() {
    Remove();
}

// The program's icon drawn at the size the notification area shows (the small icon's at
// the system's scale), not stretched from another size.
void TTrayIcon::LoadIcon() {
    const int size = ::GetSystemMetrics(SM_CXSMICON);
    icon_ = UniqueIcon(static_cast<HICON>(::LoadImageA(::GetModuleHandleA(nullptr),
                                                       MAKEINTRESOURCEA(ProgramIconId),
                                                       IMAGE_ICON, size, size, 0)));
}

NOTIFYICONDATAA TTrayIcon::Data(UINT flags) const {
    NOTIFYICONDATAA data{};
    data.cbSize = sizeof data;
    data.hWnd = owner_;
    data.uID = IconId;
    data.uFlags = flags;
    data.uCallbackMessage = callbackMessage_;
    data.hIcon = icon_.get();
    CopyField(data.szTip, tip_);
    return data;
}

bool TTrayIcon::Add(const std::string& tip) {
    tip_ = tip;
    LoadIcon();
    // After Explorer restarted, the old icon is gone with it; one that is still there
    // (the message came for another reason) is replaced, never doubled.
    if (shown_)
        calls_->Notify(NIM_DELETE, Data(0));
    shown_ = calls_->Notify(NIM_ADD, Data(NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP));
    if (shown_) {
        NOTIFYICONDATAA version = Data(0);
        version.uVersion = NOTIFYICON_VERSION_4;
        version4_ = calls_->Notify(NIM_SETVERSION, version);
    }
    return shown_;
}

void TTrayIcon::SetTip(const std::string& tip) {
    if (tip == tip_ && shown_)
        return;
    tip_ = tip;
    if (shown_)
        calls_->Notify(NIM_MODIFY, Data(NIF_TIP | NIF_SHOWTIP));
}

void TTrayIcon::Balloon(const std::string& title, const std::string& text, bool warning) {
    if (!shown_)
        return;
    NOTIFYICONDATAA data = Data(NIF_INFO);
    CopyField(data.szInfoTitle, title);
    CopyField(data.szInfo, text);
    data.dwInfoFlags = warning ? NIIF_WARNING : NIIF_INFO;
    calls_->Notify(NIM_MODIFY, data);
}

void TTrayIcon::Remove() {
    if (shown_)
        calls_->Notify(NIM_DELETE, Data(0));
    shown_ = false;
}
