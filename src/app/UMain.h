#pragma once
// The main window: the adapter selector, the grid of the selected adapter's settings,
// the toolbar of commands and the status line with the machine's address.

#include "app/AdapterNames.h"
#include "app/MissingDatabase.h"
#include "app/WindowPlacement.h"
#include "support/Config.h"
#include "support/Forms.h"
#include "support/WinHandles.h"

#include "netcfg/ConnectionCheck.h"
#include "netcfg/LiveState.h"
#include "netcfg/Registry.h"
#include "netcfg/SetIP.h"
#include "netcfg/UseWhen.h"
#include "privileged/SwitchRoute.h"
#include "store/ProfileStore.h"

#include <commctrl.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class TAboutForm;
class TEditForm;
class TTray;
class TStartupReads;
class INotifyIconCalls;
class ITaskScheduler;
struct TSwitchResult;
struct TTrayMenuItem;

// Why a command of the grid's menu that works on the selected adapter did nothing.
inline constexpr const char* NoAdapterPickedMessage =
    "Pick a network adapter in the Adapter list first";

// The help document the help button opens: the "help.htm" beside the program (exeFolder,
// with its trailing separator), by its full path. Never one of the current folder: that may be
// Downloads or any other folder, where anyone may have put a file of that name.
std::string HelpDocument(const std::string& exeFolder);

// The dialogs the main window's commands open. The program makes each one the first time
// it is needed, which keeps them out of the start-up.
class IMainFormDialogs {
  public:
    virtual ~IMainFormDialogs() = default;
    // The editor, made now if it has not been yet.
    virtual TEditForm& Editor() = 0;
    // The editor if it has been made, else nullptr.
    virtual TEditForm* EditorIfMade() = 0;
    // The about box, made now if it has not been yet.
    virtual TAboutForm& About() = 0;
};

class TMainForm : public TForm {
  public:
    // Command and control ids.
    enum : int {
        acAdd = 201,
        acEdit,
        acDelete,
        acChange,
        acAuto,
        idHelpButton = 301, // ToolButton6
        idAboutButton,      // ToolButton9
        idCoolBar = 401,
        idToolBar,
        idPanel,
        idAdapterLabel,
        idComboBox,
        idGrid,
        idStatusBar,
    };
    // The grid's context menu: the commands above and these, which have no button.
    enum : int {
        idApplyItem = 211, // the double click's path: confirm, then apply
        acAddCurrent,
        acExport,
        acImport,
        acDetails, // also Ctrl+D
        acWayBack, // also Ctrl+Enter: apply, then keep or go back
    };
    // The grid's "Options" submenu, also in the notification-area icon's menu.
    enum : int {
        idMinimizeToTrayOption = 231,
        idStartWithWindowsOption,
        idSwitchAutomaticallyOption,
        idShowAllAdaptersOption, // the grid's menu only
    };

    // appPath: the folder (with trailing separator) holding the database and the settings
    // file, the one DataFolder chose; registry: where the adapters are found.
    // Creating the window runs FormCreate.
    TMainForm(std::string appPath, IRegistryBackend& registry);
    ~TMainForm() override;

    // Where the commands find the dialogs they show; nullptr: none (the commands refuse).
    void AttachDialogs(IMainFormDialogs* dialogs) { dialogs_ = dialogs; }
    // The adapter selector's entries, position for position with AdapterList.
    std::vector<std::string> AdapterDescriptions() const;
    // Where the adapters' present state comes from (the IP helper unless a test hands in
    // its own); read again at once.
    void SetLiveStateReader(std::unique_ptr<ILiveStateReader> reader);
    // What the connection check sends its packets through (the system's unless a test hands
    // in its own).
    void SetReachability(std::unique_ptr<IReachability> reachability) {
        reachability_ = std::move(reachability);
    }
    // The grid's row of the setting the selected adapter uses now, -1 for none.
    int SettingInUseRow() const { return rowInUse_; }
    // What the adapter's network looks like now, in the terms of the conditions; nothing sent.
    TNetworkFacts NetworkFactsOf(const std::string& adapterId);
    // Closing the window ends the message loop (the program's main window does this).
    void SetQuitOnDestroy(bool quit) { quitOnDestroy_ = quit; }

    // The icon in the notification area, from now until the window is destroyed; the calls
    // to the shell and the Task Scheduler go through calls and scheduler, and the start-up
    // task starts exePath.
    void ShowTrayIcon(std::unique_ptr<INotifyIconCalls> calls,
                      std::unique_ptr<ITaskScheduler> scheduler, std::string exePath);
    TTray* Tray() const { return tray_.get(); }
    // Where what an apply tells the user goes; empty: a message box, as always.
    void SetMessageSink(std::function<void(const std::string&)> sink) {
        messageSink_ = std::move(sink);
    }
    // Picks the adapter at position in the selector, as the user's pick would.
    void SelectAdapterAt(size_t position);
    // Whether the selector lists every adapter bound to TCP/IP (config.ini remembers it);
    // switching lists the adapters again and keeps the selected one when it stays listed.
    bool ShowsAllAdapters() const { return showAllAdapters_; }
    void ToggleShowAllAdapters();
    // The NETVANE and DHCP commands' work, without a question: the current row, or DHCP,
    // applied to the selected adapter, logged, and the state read again.
    TSwitchResult ApplyCurrentRow();
    TSwitchResult ApplyDhcp();
    void SwitchedByHand();

    // The least outer size the window can be given, at its DPI.
    SIZE MinimumWindowSize() const;

    // Handles the toolbar's keyboard accelerators (Alt + the underlined letter).
    bool TranslateAccelerator(const MSG& message);

    // How the grid's context menu is shown: returns the chosen item's command, 0 for none.
    // Production tracks the menu at the point; a test reads the items and chooses.
    using TPopupTracker = std::function<int(HMENU menu, POINT screenPoint)>;
    void SetPopupTracker(TPopupTracker tracker) { trackPopup_ = std::move(tracker); }
    // Shows a context menu of the window through the tracker; the chosen command, 0 for none.
    int TrackMenu(HMENU menu, POINT screenPoint);
    // How a file is picked for export (save) and import (open): its path, or nothing when
    // the user cancels. Production shows the system's file dialogs; a test names a file.
    enum class TFileDialogKind { Save, Open };
    using TFileChooser =
        std::function<std::optional<std::string>(TFileDialogKind kind, const std::string& name)>;
    void SetFileChooser(TFileChooser chooser) { chooseFile_ = std::move(chooser); }

    // ---- what other parts of the program use ----
    void SetStatusText(const std::string& text);
    std::string StatusText() const;
    int SelectedAdapter() const; // ComboBox's position, -1 when none

    // ---- the window's parts, as the tests and the other forms see them ----
    HWND CoolBar1 = nullptr;
    HWND ToolBar1 = nullptr;
    HWND Panel1 = nullptr;
    HWND Label1 = nullptr;
    HWND ComboBox = nullptr;
    HWND DBGrid = nullptr;
    HWND StatusBar1 = nullptr;

    TProfileTable adoT;
    TProfileQuery adoQ;
    std::vector<std::string> AdapterList;
    std::unique_ptr<TConfig> ConfigFile;
    const std::string AppPath;
    // The apply request; what one command leaves in it, the next finds there.
    TIP NewIP;

    // ---- event handlers ----
    void FormCreate();
    void FormClose();
    void ComboBoxChange();
    void ToolButton6Click();
    void ToolButton9Click();
    void acAddExecute();
    void acEditExecute();
    void acDeleteExecute();
    void acChangeExecute();
    void acAutoExecute();
    void DBGridDblClick();
    // The grid's context menu and keys.
    void DBGridContextMenu(LPARAM screenPoint); // -1 for the keyboard's menu
    bool DBGridKeyDown(WPARAM key);
    // Set when Shift+F10 opened the menu; gives the previous state.
    bool SwallowF10Release(bool swallow) { return std::exchange(swallowF10Release_, swallow); }
    void acAddCurrentExecute();
    void acExportExecute();
    void acImportExecute();
    void acDetailsExecute();
    void acWayBackExecute();

  protected:
    // Posted to itself: select the current row again once the grid is done with the input.
    static constexpr UINT WM_RESTORE_SELECTION = WM_APP + 1;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void DpiChanged(int oldDpi) override;

  private:
    friend class TTray;
    void ReadAhead();
    std::string DatabasePath() const;
    void OpenDatabase();
    void MissDatabase(TDatabaseAbsence absence, const std::string& cause);
    // TError with the plain notice when the start-up left the window without a database.
    void RequireDatabase() const;
    void SelectSavedAdapter();
    void CreateComponents();
    void CreateToolBar();
    void SizeToolBar();
    void ShowProgramIcons();
    void CreatePanel();
    void CreateGrid();
    void LayOut();
    void FillLastColumn();
    void RestorePlacement();
    void SavePlacement();
    void ShowGridColumns();
    void HideGridColumn(int field);
    void FollowStoresElsewhere();
    // The Adapter column, while the grid lists every adapter's settings.
    void ShowAdapterColumn(bool show);
    int ColumnWidthOf(int field) const;
    // The grid's columns whose widths config.ini keeps: all but the Adapter column.
    std::vector<int> SavedColumns() const;
    void RefreshGrid();
    void RestoreSelectionLater();
    void RestoreSelection();
    void TableChanged();
    void ReadLiveState();
    bool IsTitleColumn(int column) const;
    bool HasConditions(int row) const;
    void DrawConditionsMark(HDC dc, int row);
    bool ViewIsEmpty();
    void EditPendingRow();
    TEditForm& PendingRowEditor();
    void StorePendingRow(const TEditForm& editor);
    // Refreshes the grid once at its end, however often the table changes meanwhile.
    class TGridUpdate {
      public:
        explicit TGridUpdate(TMainForm& form);
        ~TGridUpdate();
        TGridUpdate(const TGridUpdate&) = delete;
        TGridUpdate& operator=(const TGridUpdate&) = delete;

      private:
        TMainForm& form_;
    };
    void ExecuteCommand(int id);
    LRESULT HandleNotify(const NMHDR& header);
    LRESULT DrawGridItem(NMLVCUSTOMDRAW& draw);
    void GridTextRequest(NMLVDISPINFOA& info);
    const char* HintOf(int commandId) const;
    // The grid's keys and context menu (GridCommands.cpp).
    void InstallGridKeys();
    bool ExecuteGridCommand(int id);
    size_t SelectedAdapterPosition() const; // NoAdapterPickedMessage when none is selected
    TTrayMenuItem GridOptionsMenu() const;
    // Fills the selector and AdapterList afresh, position for position.
    void ListAdapters();
    std::optional<std::string> ChooseFile(TFileDialogKind kind, const std::string& name);

    IRegistryBackend& registry_;
    TDatabaseAbsence databaseAbsence_{};
    // Who writes the adapter's values when this process may not: the helper, started at the
    // first switch that needs it, kept until the window closes.
    // Said once, like any message of the switch: the service is installed but stopped.
    TSwitchRoute switchRoute_{
        [this](const std::string& text) { messageSink_ ? messageSink_(text) : ShowMessage(text); }};
    std::unique_ptr<INetServices> netServices_;
    std::unique_ptr<ILiveStateReader> liveStateReader_;
    std::unique_ptr<IReachability> reachability_;
    // During the start only; after the sources above, so it is gone (waited for) first.
    std::unique_ptr<TStartupReads> startupReads_;
    TLiveState liveState_; // the selected adapter's, as last read
    int rowInUse_ = -1;
    int boldFont_ = 0;
    IMainFormDialogs* dialogs_ = nullptr;
    UniqueImageList ImageList1;
    UniqueIcon bigIcon_;
    UniqueIcon smallIcon_;
    std::vector<int> gridFields_; // field position of each grid column after the indicator
    TAdapterNames adapterNames_;  // the selector's captions, for the Adapter column
    std::string gridText_;        // storage for the text handed to the grid
    bool quitOnDestroy_ = false;
    int toolBarDpi_ = 96;        // the DPI the toolbar was last sized for
    int gridWidth_ = 0;          // the grid's width at the last layout
    TScreenRect designedWindow_; // where the window was made, at its designed size
    bool syncingGrid_ = false;
    bool restoreSelectionPosted_ = false;
    int selectedRow_ = -1;
    int gridUpdates_ = 0;
    bool gridRefreshPending_ = false;
    TPopupTracker trackPopup_;
    TFileChooser chooseFile_;
    bool swallowF10Release_ = false;
    HWND focusOnActivate_ = nullptr; // the control that had the focus when the window was left
    std::function<void(const std::string&)> messageSink_;
    std::unique_ptr<TTray> tray_;
    bool showAllAdapters_ = false;
};
