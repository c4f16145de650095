#include "support/Forms.h"

#include "GuiTesting.h"

#include <gtest/gtest.h>

namespace {

// A form with an editor and two push buttons; OK is the default.
class TTwoButtonForm : public TForm {
  public:
    TTwoButtonForm() {
        RegisterFormClass("TTwoButtonForm");
        CreateForm("TTwoButtonForm", "Two buttons", WS_POPUP | WS_CAPTION | WS_SYSMENU,
                   WS_EX_DLGMODALFRAME, 300, 120, nullptr);
        Editor = AddControl("EDIT", "", WS_VISIBLE | WS_TABSTOP | WS_BORDER, 10, 10, 200, 21, 10);
        Ok = AddControl("BUTTON", "OK", WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 10, 60, 75, 25,
                        IDOK);
        Other = AddControl("BUTTON", "Other", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 100, 60, 75,
                           25, 11);
        SetDefaultButton(IDOK);
    }
    HWND Editor, Ok, Other;

  protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_COMMAND && LOWORD(wParam) == IDOK) {
            SetModalResult(mrOk);
            return 0;
        }
        return TForm::HandleMessage(message, wParam, lParam);
    }
};

bool WearsDefaultFrame(HWND button) {
    return (::SendMessageA(button, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON) != 0;
}

} // namespace

TEST(Form, TheDefaultFrameFollowsTheFocusedPushButtonAndReturnsToTheDefault) {
    TTwoButtonForm form;
    TModalScript script("TTwoButtonForm", [&form](HWND) {
        ::SetFocus(form.Other);
        RunLater([&form] {
            EXPECT_TRUE(WearsDefaultFrame(form.Other));
            EXPECT_FALSE(WearsDefaultFrame(form.Ok));
            ::SetFocus(form.Editor);
            RunLater([&form] {
                EXPECT_TRUE(WearsDefaultFrame(form.Ok));
                EXPECT_FALSE(WearsDefaultFrame(form.Other));
                // Enter in the editor presses the default button.
                ::PostMessageA(form.Editor, WM_KEYDOWN, VK_RETURN, 0);
            });
        });
    });
    EXPECT_EQ(mrOk, form.ShowModal(nullptr));
}
