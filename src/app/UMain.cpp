#include "UMain.h"

#include "Icons.h"
#include "StartupReads.h"
#include "MissingDatabase.h"
#include "WindowPlacement.h"
#include "SettingInUse.h"
#include "ShowRequest.h"
#include "UTray.h"

#include "about/UAbout.h"
#include "editor/UEdit.h"
#include "netcfg/AdapterSwitch.h"
#include "netcfg/Adapters.h"
#include "netcfg/LiveStateWin.h"
#include "netcfg/LocalAddress.h"
#include "netcfg/NetServicesWin.h"
#include "netcfg/ReachabilityWin.h"
#include "netcfg/SwitchCheck.h"
#include "support/Error.h"
#include "support/FileSystem.h"
#include "support/Process.h"
#include "support/Strings.h"

#include <algorithm>
#include <array>

namespace {

// The view's position of Address, after which the grid counts a setting's further addresses.
constexpr int AddressField = 3;
constexpr int AdapterField = 1;
constexpr int AdapterColumnWidth = 160;
constexpr int MaxAdapterColumnWidth = 320;

constexpr const char* MainClassName = "TMainForm";
constexpr const char* PanelClassName = "TPanel";
constexpr int ProgramIconId = 1;

constexpr int OuterWidth = 676;
constexpr int OuterHeight = 480;
constexpr int CoolBarHeight = 58;
constexpr int PanelHeight = 41;
constexpr int ButtonWidth = 71;
constexpr int ButtonHeight = 52;
constexpr int SeparatorWidth = 8;
constexpr int IndicatorWidth = 14;
constexpr int IconSize = 32;
constexpr int SmallIconSize = 16;
// Below the toolbar and the selector, the least of the grid that stays: its header and a
// few rows.
constexpr int MinimumGridHeight = 80;
constexpr int SelectorLeft = 72;
constexpr int SelectorWidth = 385;
// Room to the right of the last toolbar button at the window's least width.
constexpr int MinimumRightMargin = 8;
// The resizing border Windows draws outside a window's visible frame, which may lie off
// the work area of a window pushed to a screen's edge.
constexpr int PlacementSlack = 8;

constexpr DWORD MainStyle =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_THICKFRAME | WS_CLIPCHILDREN;

struct TActionDef {
    int Id;
    const char* Caption;
    const char* Hint;
    int Image;
};

// The commands of the window (ActionList).
constexpr std::array<TActionDef, 5> Actions = {{
    {TMainForm::acAdd, "Add", "Add a new IP address", iconAdd},
    {TMainForm::acEdit, "Edit", "Edit current IP address", iconEdit},
    {TMainForm::acDelete, "Delete", "Delete current IP address", iconDelete},
    {TMainForm::acChange, "Change", "Change current IP address", iconApply},
    {TMainForm::acAuto, "   Auto     ", "Obtain an IP address automatically", iconDhcp},
}};

struct TButtonDef {
    int Command;         // 0 for a separator
    const char* Caption; // the button's own caption
    const char* Hint;    // the button's own hint; null: the command's
    int Image;           // for buttons without a command
};

// ToolButton1, 2, 3, 7, 6, 9, 10, 5, 4 from left to right.
constexpr std::array<TButtonDef, 9> Buttons = {{
    {TMainForm::acAdd, "&ADD", "Add a new network setting", -1},
    {TMainForm::acEdit, "&EDIT", "Edit current network setting", -1},
    {TMainForm::acDelete, "&DELETE", "Delete current network setting", -1},
    {0, nullptr, nullptr, -1},
    {TMainForm::idHelpButton, "&HELP", "Netvane help", iconHelp},
    {TMainForm::idAboutButton, "&ABOUT", "about Netvane", iconAbout},
    {0, nullptr, nullptr, -1},
    {TMainForm::acAuto, "DHCP", nullptr, -1},
    {TMainForm::acChange, "&NETVANE", "Change to selected network Setting", -1},
}};

const TActionDef* FindAction(int id) {
    const auto found = std::find_if(Actions.begin(), Actions.end(),
                                    [id](const TActionDef& a) { return a.Id == id; });
    return found == Actions.end() ? nullptr : &*found;
}

// Wide enough for a dotted quad; proxies get a little more, and all seven columns fit the
// window's first width.
int GridColumnWidth(const TFieldDef& field) {
    if (field.Name == "Address")
        return 120; // with the count of further addresses after it (ColumnWidthOf)
    if (field.Size <= 15)
        return 88;
    return field.Size <= 20 ? 84 : 90;
}

// The widest address with the widest count of further addresses after it.
constexpr const char* WidestAddress = "255.255.255.255 (+15)";
// The room a grid cell leaves around its text, at 96 DPI.
constexpr int CellMargins = 14;

// A plain container that hands its children's notifications on to the form it sits on.
LRESULT CALLBACK PanelProc(HWND panel, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
        return ::SendMessageA(::GetParent(panel), message, wParam, lParam);
    default:
        return ::DefWindowProcA(panel, message, wParam, lParam);
    }
}

// The designed client size: the designed outer size less the frame at 96 DPI.
SIZE ClientSizeFor(int outerWidth, int outerHeight) {
    const SIZE frame = DesignedFrameSize(MainStyle, 0);
    return {outerWidth - frame.cx, outerHeight - frame.cy};
}

// The program's icon (resource 1) drawn for a size, not stretched from another.
UniqueIcon LoadProgramIcon(int size) {
    return UniqueIcon(static_cast<HICON>(::LoadImageA(
        ::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(ProgramIconId), IMAGE_ICON, size, size, 0)));
}

} // namespace

TMainForm::TMainForm(std::string appPath, IRegistryBackend& registry)
    : AppPath(std::move(appPath)), registry_(registry),
      netServices_([this] {
          auto services = std::make_unique<TSystemNetServices>(
              [this](const std::string& text) { SetStatusText(text); },
              [this](const std::string& text) {
                  messageSink_ ? messageSink_(text) : ShowMessage(text);
              });
          services->UseAdapterSwitch(
              [this] { return switchRoute_.AdapterSwitch(ConfigFile.get()); });
          return services;
      }()),
      liveStateReader_(std::make_unique<TSystemLiveStateReader>()),
      reachability_(std::make_unique<TSystemReachability>()) {
    ReadAhead();
    // No class icon: the window is given its icons, made for its DPI, before it is shown
    // (ShowProgramIcons). A class icon would be read from the resource for nothing, and
    // its small one derived from it again (8 ms of a start under Wine).
    RegisterFormClass(MainClassName);
    RegisterWindowClass(PanelClassName, PanelProc);
    const SIZE client = ClientSizeFor(OuterWidth, OuterHeight);
    CreateForm(MainClassName, "Netvane", MainStyle, 0, client.cx, client.cy, nullptr);
    CreateComponents();
    RECT designed{};
    ::GetWindowRect(Handle(), &designed);
    designedWindow_ = {designed.left, designed.top, designed.right, designed.bottom};
    ShowProgramIcons();
    adoT.SetOnChange([this] { TableChanged(); });
    FormCreate();
}

TMainForm::~TMainForm() {
    if (Handle())
        ::DestroyWindow(Handle());
}

std::vector<std::string> TMainForm::AdapterDescriptions() const {
    std::vector<std::string> descriptions;
    const int count = static_cast<int>(::SendMessageA(ComboBox, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        const size_t length = static_cast<size_t>(
            std::max<LRESULT>(::SendMessageA(ComboBox, CB_GETLBTEXTLEN, i, 0), 0));
        std::string text(length + 1, '\0');
        ::SendMessageA(ComboBox, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text.data()));
        text.resize(length);
        descriptions.push_back(text);
    }
    return descriptions;
}

// The grid and the editor's fields follow the table.
void TMainForm::TableChanged() {
    RefreshGrid();
    // An editor not made yet loads the current row when it is made.
    if (TEditForm* editor = dialogs_ ? dialogs_->EditorIfMade() : nullptr)
        editor->DataChanged();
}

// ---- building the window ---------------------------------------------------------------

void TMainForm::CreateComponents() {
    CreateToolBar();
    CreatePanel();
    CreateGrid();
    StatusBar1 =
        AddControl(STATUSCLASSNAMEA, "", WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0, idStatusBar);
    int oneText = -1;
    ::SendMessageA(StatusBar1, SB_SETPARTS, 1, reinterpret_cast<LPARAM>(&oneText));
    LayOut();
}

void TMainForm::CreateToolBar() {
    CoolBar1 = AddControl(REBARCLASSNAMEA, "",
                          WS_VISIBLE | WS_CLIPCHILDREN | CCS_NODIVIDER | CCS_NORESIZE |
                              CCS_NOPARENTALIGN | RBS_BANDBORDERS,
                          0, 0, 0, CoolBarHeight, idCoolBar);
    ToolBar1 = ::CreateWindowExA(0, TOOLBARCLASSNAMEA, "",
                                 WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS |
                                     CCS_NODIVIDER | CCS_NORESIZE | CCS_NOPARENTALIGN,
                                 0, 0, 0, 0, CoolBar1,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(idToolBar)),
                                 ::GetModuleHandleA(nullptr), nullptr);
    // Commands and hints come straight to this window, not to the band container.
    ::SendMessageA(ToolBar1, TB_SETPARENT, reinterpret_cast<WPARAM>(Handle()), 0);
    ::SendMessageA(ToolBar1, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);

    for (const TButtonDef& def : Buttons) {
        TBBUTTON button{};
        if (def.Command == 0) {
            button.iBitmap = Scale(SeparatorWidth);
            button.fsStyle = BTNS_SEP;
        } else {
            const TActionDef* action = FindAction(def.Command);
            button.iBitmap = action ? action->Image : def.Image;
            button.idCommand = def.Command;
            button.fsState = TBSTATE_ENABLED;
            button.fsStyle = BTNS_BUTTON;
            button.iString = reinterpret_cast<INT_PTR>(def.Caption);
        }
        ::SendMessageA(ToolBar1, TB_ADDBUTTONSA, 1, reinterpret_cast<LPARAM>(&button));
    }
    REBARBANDINFOA band{};
    band.cbSize = sizeof band;
    band.fMask = RBBIM_CHILD | RBBIM_STYLE;
    band.fStyle = RBBS_NOGRIPPER | RBBS_CHILDEDGE;
    band.hwndChild = ToolBar1;
    ::SendMessageA(CoolBar1, RB_INSERTBANDA, static_cast<WPARAM>(-1),
                   reinterpret_cast<LPARAM>(&band));
    SizeToolBar();
}

// The toolbar's icons, font, buttons and band at the window's DPI: the icons are drawn
// again at the scaled size.
void TMainForm::SizeToolBar() {
    toolBarDpi_ = Dpi();
    UniqueImageList images = CreateCommandImages(Scale(IconSize));
    ::SendMessageA(ToolBar1, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images.get()));
    ImageList1 = std::move(images);
    ::SendMessageA(ToolBar1, TB_SETBITMAPSIZE, 0, MAKELPARAM(Scale(IconSize), Scale(IconSize)));
    ::SendMessageA(ToolBar1, WM_SETFONT, reinterpret_cast<WPARAM>(Font()), FALSE);
    for (size_t i = 0; i < Buttons.size(); ++i) {
        if (Buttons[i].Command != 0)
            continue;
        TBBUTTONINFOA separator{};
        separator.cbSize = sizeof separator;
        separator.dwMask = TBIF_SIZE | TBIF_BYINDEX;
        separator.cx = static_cast<WORD>(Scale(SeparatorWidth));
        ::SendMessageA(ToolBar1, TB_SETBUTTONINFOA, i, reinterpret_cast<LPARAM>(&separator));
    }
    const int width = Scale(ButtonWidth), height = Scale(ButtonHeight);
    ::SendMessageA(ToolBar1, TB_SETBUTTONWIDTH, 0, MAKELPARAM(width, width));
    ::SendMessageA(ToolBar1, TB_SETBUTTONSIZE, 0, MAKELPARAM(width, height));

    REBARBANDINFOA band{};
    band.cbSize = sizeof band;
    band.fMask = RBBIM_CHILDSIZE | RBBIM_SIZE;
    band.cxMinChild = 0;
    band.cyMinChild = static_cast<UINT>(height);
    band.cx = static_cast<UINT>(Scale(OuterWidth));
    ::SendMessageA(CoolBar1, RB_SETBANDINFOA, 0, reinterpret_cast<LPARAM>(&band));
    // The band's borders do not grow with the scale: the band takes up what is left of the
    // bar's height, which would otherwise stay unpainted.
    const int rest =
        Scale(CoolBarHeight) - static_cast<int>(::SendMessageA(CoolBar1, RB_GETBARHEIGHT, 0, 0));
    if (rest > 0) {
        band.fMask = RBBIM_CHILDSIZE;
        band.cyMinChild += static_cast<UINT>(rest);
        ::SendMessageA(CoolBar1, RB_SETBANDINFOA, 0, reinterpret_cast<LPARAM>(&band));
    }
}

// After a change of DPI, the parts the toolkit does not place: the toolbar, the program's
// icon, the grid's columns (kept in proportion, as the user may have widened them) and
// the layout.
void TMainForm::DpiChanged(int oldDpi) {
    if (!ToolBar1)
        return; // still being made: each part is made at the right DPI
    SizeToolBar();
    ShowProgramIcons();
    HWND header = reinterpret_cast<HWND>(::SendMessageA(DBGrid, LVM_GETHEADER, 0, 0));
    const int columns = static_cast<int>(::SendMessageA(header, HDM_GETITEMCOUNT, 0, 0));
    for (int column = 0; column < columns; ++column) {
        const int width = static_cast<int>(::SendMessageA(DBGrid, LVM_GETCOLUMNWIDTH, column, 0));
        ::SendMessageA(DBGrid, LVM_SETCOLUMNWIDTH, column, ::MulDiv(width, Dpi(), oldDpi));
    }
    LayOut();
}

void TMainForm::ShowProgramIcons() {
    UniqueIcon big = LoadProgramIcon(Scale(IconSize));
    UniqueIcon small = LoadProgramIcon(Scale(SmallIconSize));
    ::SendMessageA(Handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big.get()));
    ::SendMessageA(Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small.get()));
    // The window uses the new ones now: the old ones may go.
    bigIcon_ = std::move(big);
    smallIcon_ = std::move(small);
}

void TMainForm::CreatePanel() {
    // Its width follows the window (LayOut). A control parent: Tab goes on into the selector.
    Panel1 = AddControl(PanelClassName, "", WS_VISIBLE | WS_CLIPCHILDREN, 0, CoolBarHeight, 0,
                        PanelHeight, idPanel, WS_EX_CONTROLPARENT);
    Label1 = AddControl("STATIC", "Adapter", WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 16, 12, 50, 14,
                        idAdapterLabel, 0, Panel1);
    // Editable and unsorted: entry i stays entry i of AdapterList.
    ComboBox = AddControl("COMBOBOX", "",
                          WS_VISIBLE | CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP,
                          SelectorLeft, 12, SelectorWidth, 200, idComboBox, 0, Panel1);
}

void TMainForm::CreateGrid() {
    DBGrid = AddControl(WC_LISTVIEWA, "",
                        WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SINGLESEL |
                            LVS_SHOWSELALWAYS,
                        0, 0, 0, 0, idGrid, WS_EX_CLIENTEDGE);
    ::SendMessageA(DBGrid, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                   LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_DOUBLEBUFFER);
    boldFont_ = AddFont([](LOGFONTA& font) { font.lfWeight = FW_BOLD; }); // the setting in use
    InstallGridKeys();
}

void TMainForm::LayOut() {
    RECT client{};
    ::GetClientRect(Handle(), &client);
    const int width = client.right;
    ::MoveWindow(CoolBar1, 0, 0, width, Scale(CoolBarHeight), TRUE);
    ::MoveWindow(Panel1, 0, Scale(CoolBarHeight), width, Scale(PanelHeight), TRUE);
    ::SendMessageA(StatusBar1, WM_SIZE, 0, 0);
    // The status bar's class repaints only what a wider bar uncovers: the size grip would
    // stay drawn where the bar used to end.
    ::InvalidateRect(StatusBar1, nullptr, TRUE);
    RECT status{};
    ::GetWindowRect(StatusBar1, &status);
    const int gridTop = Scale(CoolBarHeight) + Scale(PanelHeight);
    const int gridHeight = client.bottom - gridTop - (status.bottom - status.top);
    ::MoveWindow(DBGrid, 0, gridTop, width, std::max(gridHeight, 0), TRUE);
    // At start the columns keep their designed widths; once the window is sized, the last
    // one takes what the others leave.
    if (gridWidth_ != 0 && gridWidth_ != width)
        FillLastColumn();
    gridWidth_ = width;
}

void TMainForm::FillLastColumn() {
    if (gridFields_.empty())
        return;
    const int last = static_cast<int>(gridFields_.size());
    int others = 0;
    for (int column = 0; column < last; ++column)
        others += static_cast<int>(::SendMessageA(DBGrid, LVM_GETCOLUMNWIDTH, column, 0));
    RECT grid{};
    ::GetClientRect(DBGrid, &grid); // without a vertical scroll bar's width
    const int designed = Scale(ColumnWidthOf(gridFields_.back()));
    ::SendMessageA(DBGrid, LVM_SETCOLUMNWIDTH, last, std::max(designed, static_cast<int>(grid.right) - others));
}

// The least outer size at which every toolbar button and the selector's drop-down arrow
// stay whole, at the window's DPI.
SIZE TMainForm::MinimumWindowSize() const {
    RECT button{};
    ::SendMessageA(ToolBar1, TB_GETITEMRECT, Buttons.size() - 1, reinterpret_cast<LPARAM>(&button));
    ::MapWindowPoints(ToolBar1, Handle(), reinterpret_cast<POINT*>(&button), 2);
    // Asked for in the middle of a change of DPI, the toolbar is still at the old one.
    const int buttonsRight = ::MulDiv(button.right, Dpi(), toolBarDpi_);
    const int selectorRight = Scale(SelectorLeft + SelectorWidth);
    RECT status{};
    ::GetWindowRect(StatusBar1, &status);
    const SIZE client{std::max(buttonsRight, selectorRight) + Scale(MinimumRightMargin),
                      Scale(CoolBarHeight) + Scale(PanelHeight) + Scale(MinimumGridHeight) +
                          (status.bottom - status.top)};
    return WindowSizeForClient(client, MainStyle, 0, Dpi());
}

// The saved size and place when they fit a monitor as it is now, at the DPI they were saved
// at; else the designed default stays. Damaged values are passed over, never repaired here.
void TMainForm::RestorePlacement() {
    const auto placement = ParseWindowPlacement(ConfigFile->ReadValue(WindowPlacementSetting));
    if (placement && placement->Dpi == Dpi()) {
        const TScreenRect& saved = placement->Window;
        const RECT rect{saved.Left, saved.Top, saved.Right, saved.Bottom};
        MONITORINFO monitor{};
        monitor.cbSize = sizeof monitor;
        HMONITOR on = ::MonitorFromRect(&rect, MONITOR_DEFAULTTONULL);
        const SIZE least = MinimumWindowSize();
        if (on && ::GetMonitorInfoA(on, &monitor) &&
            PlacementFits(saved,
                          {monitor.rcWork.left, monitor.rcWork.top, monitor.rcWork.right,
                           monitor.rcWork.bottom},
                          least.cx, least.cy, Scale(PlacementSlack)))
            ::SetWindowPos(Handle(), nullptr, saved.Left, saved.Top, saved.Width(), saved.Height(),
                           SWP_NOZORDER | SWP_NOACTIVATE);
    }
    const std::vector<int> columns = SavedColumns();
    const std::vector<int> widths =
        ParseColumnWidths(ConfigFile->ReadValue(ColumnWidthsSetting), columns.size());
    for (size_t i = 0; i < widths.size(); ++i)
        ::SendMessageA(DBGrid, LVM_SETCOLUMNWIDTH, columns[i], Scale(widths[i]));
}

// Only what differs from the designed default is kept: a window never moved or sized
// leaves config.ini as it was.
void TMainForm::SavePlacement() {
    // A minimised window's rectangle is no place to come back to: the last one stays.
    if (!::IsIconic(Handle())) {
        RECT window{};
        ::GetWindowRect(Handle(), &window);
        const TScreenRect now{window.left, window.top, window.right, window.bottom};
        ConfigFile->WriteValue(WindowPlacementSetting, now == designedWindow_
                                                           ? std::string()
                                                           : FormatWindowPlacement({now, Dpi()}));
    }
    std::vector<int> widths, designed;
    for (const int column : SavedColumns()) {
        const int width = static_cast<int>(::SendMessageA(DBGrid, LVM_GETCOLUMNWIDTH, column, 0));
        widths.push_back(::MulDiv(width, DesignDpi, Dpi()));
        designed.push_back(ColumnWidthOf(gridFields_[static_cast<size_t>(column - 1)]));
    }
    ConfigFile->WriteValue(ColumnWidthsSetting,
                           widths == designed ? std::string() : FormatColumnWidths(widths));
}

// ---- the grid --------------------------------------------------------------------------

// One column per field of the view, in field order, after the row indicator (column 0).
void TMainForm::ShowGridColumns() {
    HWND header = reinterpret_cast<HWND>(::SendMessageA(DBGrid, LVM_GETHEADER, 0, 0));
    while (::SendMessageA(header, HDM_GETITEMCOUNT, 0, 0) > 0)
        ::SendMessageA(DBGrid, LVM_DELETECOLUMN, 0, 0);
    gridFields_.clear();

    LVCOLUMNA indicator{};
    indicator.mask = LVCF_WIDTH | LVCF_TEXT;
    indicator.cx = Scale(IndicatorWidth);
    indicator.pszText = const_cast<char*>("");
    ::SendMessageA(DBGrid, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&indicator));
    const auto& fields = TProfileTable::Fields();
    for (size_t f = 0; f < fields.size(); ++f) {
        LVCOLUMNA column{};
        column.mask = LVCF_WIDTH | LVCF_TEXT;
        column.cx = Scale(ColumnWidthOf(static_cast<int>(f)));
        column.pszText = const_cast<char*>(fields[f].Name.c_str());
        ::SendMessageA(DBGrid, LVM_INSERTCOLUMNA, static_cast<WPARAM>(f + 1),
                       reinterpret_cast<LPARAM>(&column));
        gridFields_.push_back(static_cast<int>(f));
    }
    RefreshGrid();
}

void TMainForm::HideGridColumn(int field) {
    const auto found = std::find(gridFields_.begin(), gridFields_.end(), field);
    if (found == gridFields_.end())
        return;
    const auto column = static_cast<WPARAM>(found - gridFields_.begin()) + 1;
    ::SendMessageA(DBGrid, LVM_DELETECOLUMN, column, 0);
    gridFields_.erase(found);
}

// Settings another copy of the program or /import stored meanwhile show when the window is
// next used. A file that cannot be read now is tried again at the next activation: a box
// here would only take the activation away and bring it back, again and again.
void TMainForm::FollowStoresElsewhere() {
    try {
        adoT.ReloadWhenChangedElsewhere();
    } catch (const std::exception&) {
    }
}

void TMainForm::ShowAdapterColumn(bool show) {
    const bool shown = std::count(gridFields_.begin(), gridFields_.end(), AdapterField) != 0;
    if (show == shown)
        return;
    if (!show) {
        HideGridColumn(AdapterField);
        return;
    }
    // Wide enough for the longest caption, within reason: two adapters whose captions
    // begin alike must not look the same.
    int widest = 0;
    for (const std::string& caption : AdapterDescriptions())
        widest = std::max(
            widest, static_cast<int>(::SendMessageA(DBGrid, LVM_GETSTRINGWIDTHA, 0,
                                                    reinterpret_cast<LPARAM>(caption.c_str()))));
    // First after the indicator, where the field stands in the view.
    LVCOLUMNA column{};
    column.mask = LVCF_WIDTH | LVCF_TEXT;
    column.cx = std::clamp(widest + Scale(CellMargins), Scale(AdapterColumnWidth),
                           Scale(MaxAdapterColumnWidth));
    column.pszText = const_cast<char*>("Adapter");
    ::SendMessageA(DBGrid, LVM_INSERTCOLUMNA, 1, reinterpret_cast<LPARAM>(&column));
    gridFields_.insert(gridFields_.begin(), AdapterField);
}

// Designed, at 96 DPI. The address column is widened where the font is wider than
// designed, so that the count of further addresses always shows.
int TMainForm::ColumnWidthOf(int field) const {
    const int designed = GridColumnWidth(TProfileTable::Fields()[static_cast<size_t>(field)]);
    if (field != AddressField)
        return designed;
    const int text = static_cast<int>(
        ::SendMessageA(DBGrid, LVM_GETSTRINGWIDTHA, 0, reinterpret_cast<LPARAM>(WidestAddress)));
    return std::max(designed, ::MulDiv(text, DesignDpi, Dpi()) + CellMargins);
}

std::vector<int> TMainForm::SavedColumns() const {
    std::vector<int> columns;
    for (size_t i = 0; i < gridFields_.size(); ++i)
        if (gridFields_[i] != AdapterField)
            columns.push_back(static_cast<int>(i) + 1);
    return columns;
}

void TMainForm::RefreshGrid() {
    if (gridUpdates_ > 0) {
        gridRefreshPending_ = true;
        return;
    }
    gridRefreshPending_ = false;
    ShowAdapterColumn(adoT.Active() && !adoT.Filtered());
    const int rows = adoT.Active() ? adoT.RowCount() : 0;
    // Nothing to edit or delete in an empty list.
    for (const int command : {acEdit, acDelete})
        if ((::SendMessageA(ToolBar1, TB_ISBUTTONENABLED, command, 0) != 0) != (rows > 0))
            ::SendMessageA(ToolBar1, TB_ENABLEBUTTON, command, rows > 0);
    rowInUse_ = RowInUse(adoT, liveState_);
    const int current = adoT.Active() ? adoT.CurrentRow() : -1;
    syncingGrid_ = true;
    // A new count redoes the scroll bars, which is slow: only when it changes.
    if (rows != ::SendMessageA(DBGrid, LVM_GETITEMCOUNT, 0, 0))
        ::SendMessageA(DBGrid, LVM_SETITEMCOUNT, rows, LVSICF_NOSCROLL);
    // Only the rows whose state changes: touching every row would cost a switch dearly.
    LVITEMA state{};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    if (selectedRow_ >= 0 && selectedRow_ < rows && selectedRow_ != current)
        ::SendMessageA(DBGrid, LVM_SETITEMSTATE, selectedRow_, reinterpret_cast<LPARAM>(&state));
    if (current >= 0) {
        state.state = LVIS_SELECTED | LVIS_FOCUSED;
        ::SendMessageA(DBGrid, LVM_SETITEMSTATE, current, reinterpret_cast<LPARAM>(&state));
        ::SendMessageA(DBGrid, LVM_ENSUREVISIBLE, current, FALSE);
    }
    selectedRow_ = current;
    ::InvalidateRect(DBGrid, nullptr, FALSE);
    syncingGrid_ = false;
}

// A click on empty space or a Ctrl+click takes the highlight off every row, while the
// current row stays current. Once the control has finished with that input, the current
// row is selected again (a click on another row has made that row current by then).
void TMainForm::RestoreSelectionLater() {
    if (!restoreSelectionPosted_)
        restoreSelectionPosted_ = ::PostMessageA(Handle(), WM_RESTORE_SELECTION, 0, 0) != 0;
}

void TMainForm::RestoreSelection() {
    restoreSelectionPosted_ = false;
    if (!adoT.Active() || adoT.CurrentRow() < 0)
        return;
    const auto selected = ::SendMessageA(DBGrid, LVM_GETNEXTITEM, static_cast<WPARAM>(-1),
                                         MAKELPARAM(LVNI_SELECTED, 0));
    if (selected != adoT.CurrentRow() || ::SendMessageA(DBGrid, LVM_GETSELECTEDCOUNT, 0, 0) != 1)
        RefreshGrid();
}

TMainForm::TGridUpdate::TGridUpdate(TMainForm& form) : form_(form) {
    ++form_.gridUpdates_;
}

TMainForm::TGridUpdate::~TGridUpdate() {
    if (--form_.gridUpdates_ == 0 && form_.gridRefreshPending_)
        form_.RefreshGrid();
}

void TMainForm::GridTextRequest(NMLVDISPINFOA& info) {
    if (!(info.item.mask & LVIF_TEXT) || info.item.cchTextMax <= 0)
        return;
    gridText_.clear();
    const int column = info.item.iSubItem;
    if (column >= 1 && static_cast<size_t>(column) <= gridFields_.size() && adoT.Active() &&
        info.item.iItem < adoT.RowCount())
    {
        const int field = gridFields_[static_cast<size_t>(column - 1)];
        gridText_ = adoT.Text(info.item.iItem, field);
        if (field == AdapterField)
            gridText_ = adapterNames_.CaptionOf(gridText_);
        if (field == AddressField) // the grid alone tells that a setting has more addresses
            gridText_ = WithMoreCount(gridText_, adoT.Extras(info.item.iItem).MoreAddresses.size());
    }
    const size_t room = static_cast<size_t>(info.item.cchTextMax) - 1;
    const size_t length = std::min(gridText_.size(), room);
    gridText_.copy(info.item.pszText, length);
    info.item.pszText[length] = '\0';
}

bool TMainForm::IsTitleColumn(int column) const {
    return column >= 1 && static_cast<size_t>(column) <= gridFields_.size() &&
           TProfileTable::Fields()[static_cast<size_t>(gridFields_[column - 1])].Name == "Title";
}

bool TMainForm::HasConditions(int row) const {
    return row >= 0 && row < adoT.RowCount() && !adoT.Extras(row).UseWhen.empty();
}

// A setting used by itself where its conditions hold: a small diamond at the right end of
// its title cell, beside the title the grid keeps as it is.
void TMainForm::DrawConditionsMark(HDC dc, int row) {
    int column = 1;
    while (static_cast<size_t>(column) <= gridFields_.size() && !IsTitleColumn(column))
        ++column;
    if (static_cast<size_t>(column) > gridFields_.size())
        return;
    RECT cell{};
    cell.top = column;
    cell.left = LVIR_BOUNDS;
    if (!::SendMessageA(DBGrid, LVM_GETSUBITEMRECT, static_cast<WPARAM>(row),
                        reinterpret_cast<LPARAM>(&cell)))
        return;
    const int three = Scale(4);
    const int middle = (cell.top + cell.bottom) / 2;
    const int x = cell.right - 2 * three;
    if (x - three <= cell.left)
        return;
    const POINT diamond[] = {{x, middle - three}, {x + three, middle}, {x, middle + three},
                             {x - three, middle}};
    const TSelectedObject brush(dc, ::GetSysColorBrush(COLOR_HIGHLIGHT));
    const TSelectedObject pen(dc, ::GetStockObject(NULL_PEN));
    ::Polygon(dc, diamond, 4);
}

// The row indicator: a small triangle in the first column of the current row. The setting
// the adapter uses now has its title in bold.
LRESULT TMainForm::DrawGridItem(NMLVCUSTOMDRAW& draw) {
    const int row = static_cast<int>(draw.nmcd.dwItemSpec);
    switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
        // Only the current row carries the indicator; a setting with conditions, its mark.
        return (adoT.Active() && (row == adoT.CurrentRow() || HasConditions(row))
                    ? CDRF_NOTIFYPOSTPAINT
                    : 0) |
               (row == rowInUse_ ? CDRF_NOTIFYSUBITEMDRAW : 0);
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM:
        // The font stays selected for the cells after: each cell of the row sets its own.
        ::SelectObject(draw.nmcd.hdc, IsTitleColumn(draw.iSubItem) ? FontOf(boldFont_) : Font());
        return CDRF_NEWFONT;
    case CDDS_ITEMPOSTPAINT: {
        if (adoT.Active() && HasConditions(row))
            DrawConditionsMark(draw.nmcd.hdc, row);
        if (!adoT.Active() || static_cast<int>(draw.nmcd.dwItemSpec) != adoT.CurrentRow())
            return CDRF_DODEFAULT;
        RECT row{};
        row.left = LVIR_BOUNDS;
        ::SendMessageA(DBGrid, LVM_GETITEMRECT, draw.nmcd.dwItemSpec,
                       reinterpret_cast<LPARAM>(&row));
        const int middle = (row.top + row.bottom) / 2;
        const int four = Scale(4);
        const POINT triangle[] = {{row.left + four, middle - four},
                                  {row.left + four, middle + four},
                                  {row.left + 2 * four, middle}};
        // The system's own brush: shared, never deleted.
        const TSelectedObject brush(draw.nmcd.hdc, ::GetSysColorBrush(COLOR_WINDOWTEXT));
        const TSelectedObject pen(draw.nmcd.hdc, ::GetStockObject(NULL_PEN));
        ::Polygon(draw.nmcd.hdc, triangle, 3);
        return CDRF_DODEFAULT;
    }
    default:
        return CDRF_DODEFAULT;
    }
}

// ---- start-up and closing -------------------------------------------------------------

void TMainForm::FormCreate() {
    const TGridUpdate gridUpdate(*this);
    // The grid's columns are the view's fields, known without the file: the header is drawn
    // whatever becomes of the database.
    ShowGridColumns();
    HideGridColumn(0);
    HideGridColumn(1);
    // Without the database the steps that need it are skipped; the adapters, DHCP and the
    // address do not need it, and every command that does says why there is none.
    try {
        OpenDatabase();
    } catch (const TFolderNotWritable& error) {
        MissDatabase(TDatabaseAbsence::FolderNotWritable, error.what());
    } catch (const std::exception& error) {
        MissDatabase(TDatabaseAbsence::Unusable, error.what());
    }
    try {
        SelectSavedAdapter();
        std::optional<std::string> address;
        if (startupReads_)
            address = startupReads_->TakeLocalAddress();
        if (!address)
            GetLocalIP(address.emplace());
        SetStatusText("Current IP is " + *address);
    } catch (const std::exception& error) {
        ShowErrorBox(error.what());
    }
    startupReads_.reset();
}

// The system's slow answers, asked while the window and the database are made.
void TMainForm::ReadAhead() {
    TStartupQuestions questions{registry_, *liveStateReader_,
                                [](std::string& text) { return GetLocalIP(text); },
                                TAdapterScope::Ethernet, 0, DatabasePath()};
    std::optional<TConfig> settings = GuessFromSettingsFile(AppPath + "config.ini", questions);
    startupReads_ = std::make_unique<TStartupReads>(std::move(questions), std::move(settings));
}

std::string TMainForm::DatabasePath() const {
    return AppPath + "db";
}

void TMainForm::OpenDatabase() {
    const std::string databasePath = DatabasePath();
    if (!FileExists(databasePath))
        CreateProfileDatabase(databasePath);
    // Only the selected adapter's rows are read at start: a start that does not grow
    // with the file. The others are read when first shown.
    if (auto opened = startupReads_ ? startupReads_->TakeDatabase(databasePath) : std::nullopt)
        adoT.Show(std::move(*opened));
    else
        adoT.Open(databasePath, TRowLoad::AtRestriction);
    // Said once now, not after a whole setting has been typed in vain.
    if (adoT.ReadOnly())
        ShowMessage(adoT.ReadOnlyNotice());
    adoQ.SetDatabasePath(adoT.DatabasePath());
}

void TMainForm::MissDatabase(TDatabaseAbsence absence, const std::string& cause) {
    databaseAbsence_ = absence;
    std::string text = cause;
    text += ".\n\n";
    text += MissingDatabaseAdvice(absence);
    ShowErrorBox(text);
}

void TMainForm::RequireDatabase() const {
    if (!adoT.Active())
        throw TError(MissingDatabaseNotice(databaseAbsence_ == TDatabaseAbsence::None
                                               ? TDatabaseAbsence::Unusable
                                               : databaseAbsence_,
                                           AppPath));
}

// The adapters into the selector, and the one used last selected again.
void TMainForm::SelectSavedAdapter() {
    // The settings file as the start read it, not read again.
    const std::string settingsPath = AppPath + "config.ini";
    std::optional<TConfig> readAhead =
        startupReads_ ? startupReads_->TakeSettingsFile(settingsPath) : std::nullopt;
    showAllAdapters_ = readAhead ? ReadSwitch(*readAhead, ShowAllAdaptersSetting)
                                 : ReadSwitchFromFile(settingsPath, ShowAllAdaptersSetting);
    ListAdapters();

    ConfigFile = readAhead ? std::make_unique<TConfig>(std::move(*readAhead))
                           : std::make_unique<TConfig>(settingsPath);
    RestorePlacement();
    const int index = SavedAdapterIndex(*ConfigFile);
    const int count = static_cast<int>(::SendMessageA(ComboBox, CB_GETCOUNT, 0, 0));
    if (count > 0 && index < count) {
        ::SendMessageA(ComboBox, CB_SETCURSEL, index, 0);
        ComboBoxChange();
    }
    // No adapter to select: every row, as without a restriction.
    if (adoT.Active())
        adoT.LoadRows();
}

void TMainForm::FormClose() {
    if (!ConfigFile)
        return;
    const int selected = SelectedAdapter();
    ConfigFile->WriteValue("Index", std::to_string(selected));
    const bool listed = selected >= 0 && static_cast<size_t>(selected) < AdapterList.size();
    ConfigFile->WriteValue(AdapterIdSetting, listed ? AdapterList[static_cast<size_t>(selected)]
                                                    : std::string());
    SavePlacement();
}

void TMainForm::ComboBoxChange() {
    const TGridUpdate gridUpdate(*this);
    const int index = SelectedAdapter();
    const bool known = index >= 0 && static_cast<size_t>(index) < AdapterList.size();
    // Straight to the new restriction: clearing it first would read every adapter's rows.
    if (known)
        adoT.SetAdapterFilter(AdapterList[static_cast<size_t>(index)]);
    else
        adoT.ClearFilter();
    ReadLiveState();
    // Typed text that names no adapter shows every setting; a command that needs an
    // adapter complains on its own.
    if (index >= 0 && !known)
        throw ListIndexError(index);
}

std::string HelpDocument(const std::string& exeFolder) {
    return exeFolder + "help.htm";
}

void TMainForm::ToolButton6Click() {
    // The guide ships beside the program, wherever the files lie.
    OpenDocument(HelpDocument(ExtractFilePath(ApplicationFileName())));
}

void TMainForm::ToolButton9Click() {
    if (dialogs_)
        dialogs_->About().ShowModal(Handle());
}

// ---- adding, editing, deleting --------------------------------------------------------

bool TMainForm::ViewIsEmpty() {
    RequireDatabase();
    if (adoT.RowCount() != 0)
        return false;
    ShowMessage("No item!");
    return true;
}

// Shows the editor on the pending row, then stores it with the adapter picked in the
// dialog, or discards it. A store that fails is reported and the dialog comes back with
// everything as typed, until a store succeeds or the user cancels: nothing typed is lost,
// and the file changes only with a successful store.
void TMainForm::EditPendingRow() {
    TEditForm& editor = PendingRowEditor();
    editor.SetAdapterIndex(SelectedAdapter());
    while (editor.ShowModal(Handle()) == mrOk) {
        try {
            StorePendingRow(editor);
            return;
        } catch (const std::exception& error) {
            ShowErrorBox(error.what());
        }
    }
    adoT.Cancel();
}

// The editor for the pending row; when there is none, the row is discarded first.
TEditForm& TMainForm::PendingRowEditor() {
    try {
        if (!dialogs_)
            throw TError("The network setting editor is not available");
        return dialogs_->Editor();
    } catch (...) {
        adoT.Cancel();
        throw;
    }
}

void TMainForm::StorePendingRow(const TEditForm& editor) {
    const int picked = editor.AdapterIndex();
    if (picked < 0 || static_cast<size_t>(picked) >= AdapterList.size())
        throw ListIndexError(picked);
    adoT.SetFieldText("Adapter", AdapterList[static_cast<size_t>(picked)]);
    adoT.Post();
}

void TMainForm::acAddExecute() {
    RequireDatabase();
    adoT.Insert();
    EditPendingRow();
}

void TMainForm::acEditExecute() {
    if (ViewIsEmpty())
        return;
    adoT.Edit();
    EditPendingRow();
}

void TMainForm::acDeleteExecute() {
    if (ViewIsEmpty())
        return;
    if (Confirm("Delete now?"))
        adoT.DeleteCurrent();
}

// ---- applying -------------------------------------------------------------------------

void TMainForm::acChangeExecute() {
    if (ViewIsEmpty())
        return;
    ApplyCurrentRow();
}

TSwitchResult TMainForm::ApplyCurrentRow() {
    FillStaticRequest(
        NewIP, [this](const std::string& name) { return adoT.FieldText(name); }, adoT.FieldExtras());
    const std::string id = adoT.FieldText("ID");
    const std::string title = Trim(adoT.FieldText("Title"));
    TSwitchResult result;
    SetIP(TAdapterRequest{NewIP, {}, title}, registry_, *netServices_, &result);
    SwitchedByHand();
    LogSwitch(AppPath, registry_, NewIP, title, result);
    // The recent list only orders the icon's menu: a settings file that cannot be written
    // costs that order, never the switch, and closing the window says so anyway.
    if (ConfigFile && result.Outcome != TSwitchOutcome::NotApplied && !id.empty())
        try {
            RememberRecentSetting(*ConfigFile, std::stoll(id));
        } catch (const std::exception&) {
        }
    ReadLiveState();
    return result;
}

void TMainForm::acAutoExecute() {
    ApplyDhcp();
}

TSwitchResult TMainForm::ApplyDhcp() {
    // The selector's adapter, not the current row's.
    FillDhcpRequest(NewIP, AdapterList, SelectedAdapter());
    TSwitchResult result;
    SetIP(TAdapterRequest{NewIP, {}, "DHCP"}, registry_, *netServices_, &result);
    SwitchedByHand();
    LogSwitch(AppPath, registry_, NewIP, "DHCP", result);
    ReadLiveState();
    return result;
}

// The user's own choice wins over an automatic switch on that adapter.
void TMainForm::SwitchedByHand() {
    if (tray_)
        tray_->SwitchedByHand(NewIP.Adapter);
}

void TMainForm::ListAdapters() {
    AdapterList.clear();
    adapterNames_.Clear();
    ::SendMessageA(ComboBox, CB_RESETCONTENT, 0, 0);
    const TAdapterScope scope = AdapterScopeOf(showAllAdapters_);
    std::optional<std::vector<TDiscoveredAdapter>> adapters;
    if (startupReads_)
        adapters = startupReads_->TakeAdapters(scope);
    if (!adapters)
        adapters = DiscoverAdapters(registry_, scope);
    TReg names(registry_);
    for (const TDiscoveredAdapter& adapter : *adapters) {
        AdapterList.push_back(adapter.Id);
        // With every kind of adapter listed, a description alone is often not enough to
        // tell which one is the Wi-Fi: Windows' connection name says it.
        const std::string caption = AdapterCaption(
            adapter.Description,
            showAllAdapters_ ? ConnectionName(names, adapter.Id) : std::nullopt);
        ::SendMessageA(ComboBox, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(caption.c_str()));
        adapterNames_.Add(adapter.Id, caption);
    }
}

void TMainForm::ToggleShowAllAdapters() {
    if (!ConfigFile)
        throw TError("The settings file config.ini is not open");
    const int selected = SelectedAdapter();
    const std::string selectedId = selected >= 0 && static_cast<size_t>(selected) < AdapterList.size()
                                       ? AdapterList[static_cast<size_t>(selected)]
                                       : std::string();
    WriteSwitch(*ConfigFile, ShowAllAdaptersSetting, !showAllAdapters_);
    showAllAdapters_ = !showAllAdapters_;
    const TGridUpdate gridUpdate(*this);
    ListAdapters();
    const auto kept = std::find(AdapterList.begin(), AdapterList.end(), selectedId);
    // The adapter chosen before stays chosen; one that is no longer listed gives way to
    // the first, as at start.
    if (!AdapterList.empty())
        ::SendMessageA(ComboBox, CB_SETCURSEL,
                       kept == AdapterList.end() ? 0 : kept - AdapterList.begin(), 0);
    ComboBoxChange();
}

void TMainForm::SelectAdapterAt(size_t position) {
    if (position >= AdapterList.size())
        throw ListIndexError(static_cast<int>(position));
    if (SelectedAdapter() == static_cast<int>(position))
        return;
    ::SendMessageA(ComboBox, CB_SETCURSEL, position, 0);
    ComboBoxChange();
}

void TMainForm::ShowTrayIcon(std::unique_ptr<INotifyIconCalls> calls,
                             std::unique_ptr<ITaskScheduler> scheduler, std::string exePath) {
    tray_.reset();
    tray_ = std::make_unique<TTray>(*this, std::move(calls), std::move(scheduler),
                                    std::move(exePath));
}

// What the selected adapter uses now, read once for each change of adapter and each switch
// (never for a paint); the grid's mark follows from it.
void TMainForm::ReadLiveState() {
    const int index = SelectedAdapter();
    liveState_ = {};
    if (index >= 0 && static_cast<size_t>(index) < AdapterList.size()) {
        const std::string& id = AdapterList[static_cast<size_t>(index)];
        std::optional<TLiveState> readAhead;
        if (startupReads_)
            readAhead = startupReads_->TakeLiveState(id);
        liveState_ = readAhead ? std::move(*readAhead) : liveStateReader_->Read(id);
    }
    RefreshGrid();
    if (tray_)
        tray_->StateChanged();
}

void TMainForm::SetLiveStateReader(std::unique_ptr<ILiveStateReader> reader) {
    liveStateReader_ = std::move(reader);
    ReadLiveState();
}

void TMainForm::DBGridDblClick() {
    RequireDatabase();
    if (Confirm("Netvane now?"))
        acChangeExecute();
}

// ---- status line ----------------------------------------------------------------------

void TMainForm::SetStatusText(const std::string& text) {
    ::SendMessageA(StatusBar1, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

std::string TMainForm::StatusText() const {
    const LRESULT length = LOWORD(::SendMessageA(StatusBar1, SB_GETTEXTLENGTHA, 0, 0));
    std::string text(static_cast<size_t>(length) + 1, '\0');
    ::SendMessageA(StatusBar1, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(length));
    return text;
}

int TMainForm::SelectedAdapter() const {
    return static_cast<int>(::SendMessageA(ComboBox, CB_GETCURSEL, 0, 0));
}

// ---- commands and messages ------------------------------------------------------------

const char* TMainForm::HintOf(int commandId) const {
    for (const TButtonDef& def : Buttons) {
        if (def.Command != commandId || commandId == 0)
            continue;
        if (def.Hint)
            return def.Hint;
        const TActionDef* action = FindAction(commandId);
        return action ? action->Hint : "";
    }
    return "";
}

void TMainForm::ExecuteCommand(int id) {
    switch (id) {
    case idHelpButton:
        ToolButton6Click();
        break;
    case idAboutButton:
        ToolButton9Click();
        break;
    case acAdd:
        acAddExecute();
        break;
    case acEdit:
        acEditExecute();
        break;
    case acDelete:
        acDeleteExecute();
        break;
    case acChange:
        acChangeExecute();
        break;
    case acAuto:
        acAutoExecute();
        break;
    default:
        ExecuteGridCommand(id);
        break;
    }
}

bool TMainForm::TranslateAccelerator(const MSG& message) {
    if (!Handle() || ::GetAncestor(message.hwnd, GA_ROOT) != Handle())
        return false;
    if (message.message == WM_KEYDOWN && message.wParam == 'D' && ::GetKeyState(VK_CONTROL) < 0 &&
        ::GetKeyState(VK_SHIFT) >= 0 && ::GetKeyState(VK_MENU) >= 0) {
        RunGuarded([this] { ExecuteCommand(acDetails); });
        return true;
    }
    // F1 opens the help from anywhere in the window, as in every Windows program.
    if (message.message == WM_KEYDOWN && message.wParam == VK_F1) {
        RunGuarded([this] { ExecuteCommand(idHelpButton); });
        return true;
    }
    if (message.message != WM_SYSCHAR)
        return false;
    UINT command = 0;
    if (!::SendMessageA(ToolBar1, TB_MAPACCELERATORA, message.wParam,
                        reinterpret_cast<LPARAM>(&command)))
        return false;
    RunGuarded([&] { ExecuteCommand(static_cast<int>(command)); });
    return true;
}

LRESULT TMainForm::HandleNotify(const NMHDR& header) {
    if (header.code == TTN_GETDISPINFOA) {
        auto& info = reinterpret_cast<NMTTDISPINFOA&>(const_cast<NMHDR&>(header));
        info.lpszText = const_cast<char*>(HintOf(static_cast<int>(header.idFrom)));
        return 0;
    }
    if (header.hwndFrom != DBGrid)
        return 0;
    switch (header.code) {
    case LVN_GETDISPINFOA:
        GridTextRequest(reinterpret_cast<NMLVDISPINFOA&>(const_cast<NMHDR&>(header)));
        return 0;
    case NM_DBLCLK:
        DBGridDblClick();
        return 0;
    case NM_CUSTOMDRAW:
        return DrawGridItem(reinterpret_cast<NMLVCUSTOMDRAW&>(const_cast<NMHDR&>(header)));
    case LVN_ITEMCHANGED: {
        const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
        if (syncingGrid_)
            return 0;
        if (change.iItem >= 0 && (change.uNewState & LVIS_SELECTED) && adoT.Active() &&
            adoT.State() == TViewState::Browse)
            adoT.MoveTo(change.iItem);
        else if ((change.uOldState & LVIS_SELECTED) && !(change.uNewState & LVIS_SELECTED))
            RestoreSelectionLater();
        return 0;
    }
    default:
        return 0;
    }
}

LRESULT TMainForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (AnswerShowRequest(Handle(), message))
        return 0;
    if (tray_ && tray_->HandleMessage(message, wParam, lParam))
        return 0;
    switch (message) {
    case WM_SIZE:
        if (wParam == SIZE_MINIMIZED && tray_)
            tray_->Minimized();
        LayOut();
        return 0;
    case WM_GETMINMAXINFO:
        if (ToolBar1) {
            auto& limits = *reinterpret_cast<MINMAXINFO*>(lParam);
            const SIZE least = MinimumWindowSize();
            limits.ptMinTrackSize = {least.cx, least.cy};
            return 0;
        }
        break;
    case WM_COMMAND:
        if (LOWORD(wParam) == idComboBox &&
            (HIWORD(wParam) == CBN_SELCHANGE || HIWORD(wParam) == CBN_EDITCHANGE)) {
            ComboBoxChange();
            return 0;
        }
        if (lParam == 0 || reinterpret_cast<HWND>(lParam) == ToolBar1) {
            ExecuteCommand(LOWORD(wParam));
            return 0;
        }
        break;
    case WM_NOTIFY:
        return HandleNotify(*reinterpret_cast<const NMHDR*>(lParam));
    case WM_RESTORE_SELECTION:
        RestoreSelection();
        return 0;
    case WM_CLOSE:
        // Whatever saving the position costs, the window closes.
        RunGuarded([this] { FormClose(); });
        ::DestroyWindow(Handle());
        return 0;
    case WM_ENDSESSION:
        // Windows ends the program at log-off or shut-down without closing the window: the
        // position is saved here, or the adapter picked in this session would be forgotten.
        if (wParam)
            RunGuarded([this] { FormClose(); });
        return 0;
    case WM_ACTIVATE:
        // A plain window takes the focus itself when it is activated, so after a dialog or a
        // message box the keys would reach neither the grid nor the selector: the control
        // that had the focus when the window was left gets it back, and the first in the tab
        // order (the selector) when there was none, as at start.
        if (LOWORD(wParam) == WA_INACTIVE) {
            HWND focus = ::GetFocus();
            focusOnActivate_ = focus && ::IsChild(Handle(), focus) ? focus : nullptr;
        } else if (!HIWORD(wParam)) {
            if (!focusOnActivate_ || !::IsChild(Handle(), focusOnActivate_))
                focusOnActivate_ = ::GetNextDlgTabItem(Handle(), nullptr, FALSE);
            if (focusOnActivate_) {
                ::SetFocus(focusOnActivate_);
                return 0;
            }
        }
        break;
    case WM_ACTIVATEAPP:
        // Back from another program. Not under a box or dialog of ours (the window is
        // disabled then): the row it asks about must stay the row it acts on.
        if (wParam && ::IsWindowEnabled(Handle()))
            FollowStoresElsewhere();
        break;
    case WM_DESTROY:
        tray_.reset(); // the icon goes with the window
        if (quitOnDestroy_)
            ::PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    return TForm::HandleMessage(message, wParam, lParam);
}
