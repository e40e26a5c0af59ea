// The window tests run inside the program's own application object, on
// the X server that their ctest command starts for them.
#include <gtest/gtest.h>

#include "frontend/App.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (testing::GTEST_FLAG(list_tests))
        return RUN_ALL_TESTS();  // listing needs no window
    wxApp::SetInstance(new CVantrelApp);
    if (!wxEntryStart(argc, argv)) {
        fprintf(stderr, "no display: run under xvfb-run -a\n");
        return 1;
    }
    wxTheApp->CallOnInit();
    wxTheApp->SetExitOnFrameDelete(false);
    int result = RUN_ALL_TESTS();
    wxTheApp->OnExit();
    wxEntryCleanup();
    return result;
}
