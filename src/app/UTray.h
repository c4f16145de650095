#pragma once
// The main window's presence in the notification area: the icon with the selected adapter's
// address and setting in use, its menu (switch any adapter to a stored setting or DHCP
// without opening the window), the balloon that reports such a switch while the window is
// hidden, the options "Minimize to the notification area", "Start with Windows" and "Switch
// automatically", and the automatic switches, which it reports.

#include "StartWithWindowsWin.h"
#include "TrayIcon.h"
#include "TrayMenu.h"

#include "support/WinHandles.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class TMainForm;
class TAddressWatch;
class TAutoSwitchWatch;

// The settings-file value of "Minimize to the notification area".
inline constexpr char MinimizeToTraySetting[] = "MinimizeToTray";

// Appends items to menu, submenus included; each chosen item's command is commandOf(item).
void AppendMenuItems(HMENU menu, const std::vector<TTrayMenuItem>& items,
                     const std::function<UINT(const TTrayMenuItem&)>& commandOf);

class TTray {
  public:
    // Messages the window hands on to HandleMessage.
    static constexpr UINT WM_TRAY_ICON = WM_APP + 20;
    static constexpr UINT WM_ADDRESS_CHANGED = WM_APP + 21;
    // The window's timer that runs from a change until the adapters are judged.
    static constexpr UINT_PTR AutoSwitchTimer = 0x4E56;

    // exePath: the program "Start with Windows" starts; scheduler removes an older
    // version's task.
    TTray(TMainForm& form, std::unique_ptr<INotifyIconCalls> calls,
          std::unique_ptr<ITaskScheduler> scheduler, std::string exePath);
    ~TTray();
    TTray(const TTray&) = delete;
    TTray& operator=(const TTray&) = delete;

    // The icon's mouse and keys, Explorer's restart and the address notices; true when the
    // message was one of them.
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // The tooltip follows the selected adapter's state as the window last read it.
    void StateChanged();
    // The window was minimised: hidden from the taskbar when the option says so.
    void Minimized();

    TTrayOptions Options() const;
    void ToggleMinimizeToTray();
    void ToggleStartWithWindows();
    void ToggleSwitchAutomatically();
    // The user switched the adapter: no automatic switch on it until its link goes down
    // and up again.
    void SwitchedByHand(const std::string& adapterId);
    // Judges the adapters for an automatic switch a short while from now.
    void JudgeSoon();

    // The icon's menu at a point of the screen, built now; what was chosen is done.
    void ShowMenu(POINT screenPoint);
    // A left click: the window to the front, or minimised when it is in front already.
    void IconClicked();
    // Shown, restored and in front, or the dialog it shows in front of it.
    void ShowWindow();
    const TTrayIcon& Icon() const { return icon_; }
    // The tooltip as it reads now.
    std::string Tip() const;
    // The taskbar's message that Explorer started (again).
    UINT TaskbarCreatedMessage() const { return taskbarCreated_; }

  private:
    std::vector<TTrayAdapter> Adapters() const;
    TTrayAdapter AdapterAt(size_t position) const;
    void Execute(const TTrayMenuItem& item);
    void ApplyFromMenu(const TTrayMenuItem& item);
    bool WindowShown() const;
    TConfig& Config() const;

    TMainForm& form_;
    TTrayIcon icon_;
    std::unique_ptr<ITaskScheduler> scheduler_;
    std::string exePath_;
    UINT taskbarCreated_;
    std::unique_ptr<TAddressWatch> addressWatch_;
    class TAutoHost;
    std::unique_ptr<TAutoHost> autoHost_;
    std::unique_ptr<TAutoSwitchWatch> autoWatch_;
};
