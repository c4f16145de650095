#include "support/Forms.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

int main(int argc, char** argv) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_COOL_CLASSES |
                                                       ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&controls);
    testing::InitGoogleTest(&argc, argv);
    // A message box that no test waits for (with a TMessageBoxRecorder of its own) fails the
    // test that brought it up, instead of being answered and passing unseen.
    SetMessageBoxHandler([](HWND, const std::string& text, const std::string& caption, UINT) {
        ADD_FAILURE() << "unexpected message box \"" << caption << "\": " << text;
        return IDOK;
    });
    return RUN_ALL_TESTS();
}
