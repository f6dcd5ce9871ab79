// Entry point of the GUI tests: gtest first (so listing the tests needs no display), then wx with
// the real application object. The application is not started (no OnInit): each test makes the
// main window itself (CMainWindowTest) and tears it down. Each test runs in its own process
// (ctest), under xvfb-run.

#include <gtest/gtest.h>
#include <wx/init.h>
#include <wx/log.h>

#include "app/CSkerrowApp.h"

namespace {

// A failed wx assertion fails the running test instead of opening a dialog nobody can answer.
void FailOnAssert(const wxString& file, int line, const wxString& func, const wxString& cond, const wxString& msg)
{
    ADD_FAILURE() << "wx assertion \"" << cond << "\" failed in " << func << " (" << file << ":" << line
                  << "): " << msg;
}

} // namespace

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    if (testing::GTEST_FLAG(list_tests))
        return RUN_ALL_TESTS();
    wxApp::SetInstance(new CSkerrowApp);
    if (!wxEntryStart(argc, argv))
        return 2;
    wxSetAssertHandler(FailOnAssert);
    wxLog::SetActiveTarget(new wxLogStderr);
    const int result = RUN_ALL_TESTS();
    SkerrowApp().DestroyMainWindow();
    wxEntryCleanup();
    return result;
}
