#pragma once
// The program's icon in the notification area (Shell_NotifyIconA, version 4): added, given
// its tooltip, a balloon, added again when Explorer restarts, removed at the end. The calls
// to the shell go through a small interface, so that tests can record them.

#include "support/WinHandles.h"

#include <windows.h>

#include <shellapi.h>

#include <memory>
#include <string>

class INotifyIconCalls {
  public:
    virtual ~INotifyIconCalls() = default;
    // Shell_NotifyIconA's answer to the call.
    virtual bool Notify(DWORD message, const NOTIFYICONDATAA& data) = 0;
};

// Shell_NotifyIconA of the system folder's shell32.dll.
std::unique_ptr<INotifyIconCalls> SystemNotifyIconCalls();

class TTrayIcon {
  public:
    // The icon belongs to owner, which receives callbackMessage for its mouse and keys.
    TTrayIcon(HWND owner, UINT callbackMessage, std::unique_ptr<INotifyIconCalls> calls);
    ~TTrayIcon(); // removes the icon
    TTrayIcon(const TTrayIcon&) = delete;
    TTrayIcon& operator=(const TTrayIcon&) = delete;

    // Adds the icon (again, after Explorer restarted) with the tooltip; false when the shell
    // refused it, which it does while no notification area runs.
    bool Add(const std::string& tip);
    void SetTip(const std::string& tip);
    // A balloon from the icon: information, or a warning.
    void Balloon(const std::string& title, const std::string& text, bool warning);
    void Remove();
    bool Shown() const { return shown_; }
    // Whether the shell speaks version 4 (NIN_SELECT, NIN_KEYSELECT, WM_CONTEXTMENU with
    // the point) rather than passing on the bare mouse messages.
    bool Version4() const { return version4_; }

  private:
    NOTIFYICONDATAA Data(UINT flags) const;
    void LoadIcon();

    HWND owner_;
    UINT callbackMessage_;
    std::unique_ptr<INotifyIconCalls> calls_;
    UniqueIcon icon_;
    std::string tip_;
    bool shown_ = false;
    bool version4_ = false;
};
