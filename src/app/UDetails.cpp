#include "UDetails.h"

#include "support/Clipboard.h"
#include "support/FileSystem.h"
#include "support/Process.h"
#include "support/Strings.h"

#include <commctrl.h>

#include <utility>

namespace {
constexpr const char* DetailsClassName = "TDetailsForm";
constexpr int PropertyWidth = 130;
constexpr int ValueWidth = 190; // a vertical scroll bar still fits beside both

void InsertColumn(HWND list, int column, const char* caption) {
    LVCOLUMNA header{};
    header.mask = LVCF_TEXT;
    header.pszText = const_cast<char*>(caption);
    ::SendMessageA(list, LVM_INSERTCOLUMNA, column, reinterpret_cast<LPARAM>(&header));
}
} // namespace

TDetailsForm::TDetailsForm(const std::vector<TFactRow>& rows, std::string logPath, HWND owner,
                           TConnectionTest test)
    : rows_(rows), logPath_(std::move(logPath)), test_(std::move(test)) {
    RegisterFormClass(DetailsClassName);
    CreateForm(DetailsClassName, "Adapter Details", WS_POPUP | WS_CAPTION | WS_SYSMENU,
               WS_EX_DLGMODALFRAME, 360, 322, owner);
    AddLabel("Network connection details:", 8, 8, 0, 0, idCaption);
    List = AddControl(WC_LISTVIEWA, "",
                      WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS |
                          LVS_NOSORTHEADER,
                      8, 28, 344, 250, idList, WS_EX_CLIENTEDGE);
    ::SendMessageA(List, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT);
    InsertColumn(List, 0, "Property");
    InsertColumn(List, 1, "Value");
    SizeColumns();
    FillList();
    AddControl("BUTTON", "&Copy", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 8, 289, 66, 25, idCopy);
    AddControl("BUTTON", "Open &log", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 80, 289, 66, 25,
               idOpenLog);
    if (test_)
        TestButton = AddControl("BUTTON", "&Test the connection",
                                WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 152, 289, 128, 25, idTest);
    AddControl("BUTTON", "Close", WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 286, 289, 66, 25,
               idClose);
    SetDefaultButton(idClose);
}

void TDetailsForm::FillList() {
    for (size_t i = 0; i < rows_.size(); ++i) {
        LVITEMA item{};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(i);
        item.pszText = const_cast<char*>(rows_[i].Name.c_str());
        const auto row = ::SendMessageA(List, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
        item.iSubItem = 1;
        item.pszText = const_cast<char*>(rows_[i].Value.c_str());
        ::SendMessageA(List, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
    }
}

void TDetailsForm::SizeColumns() {
    ::SendMessageA(List, LVM_SETCOLUMNWIDTH, 0, Scale(PropertyWidth));
    ::SendMessageA(List, LVM_SETCOLUMNWIDTH, 1, Scale(ValueWidth));
}

void TDetailsForm::DpiChanged(int) {
    if (List)
        SizeColumns();
}

std::string TDetailsForm::RowsText() const {
    std::string text;
    for (const TFactRow& row : rows_)
        text += row.Name + ": " + row.Value + "\r\n";
    return text;
}

void TDetailsForm::CopyClick() {
    PutClipboardText(Handle(), RowsText());
}

// No switch logged yet (or a folder where no log can be kept) is no error.
void TDetailsForm::OpenLogClick() {
    if (!FileExists(logPath_)) {
        ShowMessage("No switch has been logged yet: there is no " + logPath_ + ".");
        return;
    }
    OpenDocument(logPath_, Handle());
}

TDetailsForm::~TDetailsForm() {
    testing_.reset();
}

void TDetailsForm::TestClick() {
    if (testing_)
        return;
    ::EnableWindow(TestButton, FALSE);
    ::SetWindowTextA(TestButton, "Testing...");
    const HWND window = Handle();
    testing_ = std::make_unique<TWorkerThread>([this, window] {
        try {
            testLines_ = test_();
        } catch (const std::exception& error) {
            testLines_ = {error.what()};
        }
        ::PostMessageA(window, WM_TEST_DONE, 0, 0);
    });
}

void TDetailsForm::TestDone() {
    if (!testing_)
        return;
    testing_.reset(); // done: it posted last
    ::SetWindowTextA(TestButton, "&Test the connection");
    ::EnableWindow(TestButton, TRUE);
    const std::string text = JoinTexts(testLines_, "\r\n");
    ShowMessage(text.empty() ? "The connection could not be tested." : text);
}

LRESULT TDetailsForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TEST_DONE) {
        RunGuarded([this] { TestDone(); });
        return 0;
    }
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        switch (LOWORD(wParam)) {
        case idCopy:
            CopyClick();
            return 0;
        case idOpenLog:
            OpenLogClick();
            return 0;
        case idTest:
            if (test_)
                RunGuarded([this] { TestClick(); });
            return 0;
        default:
            break;
        }
    }
    return TForm::HandleMessage(message, wParam, lParam);
}
