#include "support/CommonControls.h"

#include <gtest/gtest.h>

#include <string>

// The program imports nothing from comctl32: the library its calls bind to must still be the
// side-by-side version 6 its manifest names (themed controls, the subclass functions by
// name), not the system folder's version 5, which a load by full path would give.
TEST(CommonControls, TheCallsBindToTheVersionTheManifestNames) {
    char path[MAX_PATH] = {}; // the program's own name when nothing was loaded
    ASSERT_NE(0u, ::GetModuleFileNameA(CommonControlsLibrary(), path, MAX_PATH));
    std::string file = path;
    ::CharLowerBuffA(file.data(), static_cast<DWORD>(file.size()));
    EXPECT_NE(std::string::npos,
              file.find("microsoft.windows.common-controls_6595b64144ccf1df_6.0."))
        << path;
}
