// The window tests run inside the program's own application object, on
// the X server that their ctest command starts for them.
#include <gtest/gtest.h>

#include "GuiHarness.h"
#include "frontend/App.h"

namespace {

// A failed toolkit assertion fails the test instead of opening a modal
// dialog that nobody answers.
void FailTheTest(const wxString& file, int line, const wxString& func, const wxString& cond,
                 const wxString& msg) {
    ADD_FAILURE_AT(file.utf8_str().data(), line)
        << "toolkit assertion in " << func << ": " << cond << " " << msg;
}

}  // namespace

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    wxSetAssertHandler(FailTheTest);
    if (testing::GTEST_FLAG(list_tests))
        return RUN_ALL_TESTS();  // listing needs no window
    wxApp::SetInstance(new CVantrelApp);
    if (!wxEntryStart(argc, argv)) {
        fprintf(stderr, "no display: run under xvfb-run -a\n");
        return 1;
    }
    wxTheApp->CallOnInit();
    CountIdlePasses();
    wxTheApp->SetExitOnFrameDelete(false);
    int result = RUN_ALL_TESTS();
    wxTheApp->OnExit();
    wxEntryCleanup();
    return result;
}
