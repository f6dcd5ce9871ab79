// Entry point of the GUI tests: gtest first (so listing the tests needs no display), then wx.
// Each test runs in its own process (ctest), under xvfb-run.

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/init.h>

namespace {

// A bare application object: tests create the windows they need themselves.
class CGuiTestApp : public wxApp {
public:
    bool OnInit() override { return true; }
};

} // namespace

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    if (testing::GTEST_FLAG(list_tests))
        return RUN_ALL_TESTS();
    wxApp::SetInstance(new CGuiTestApp);
    if (!wxEntryStart(argc, argv) || !wxTheApp->CallOnInit())
        return 2;
    const int result = RUN_ALL_TESTS();
    wxTheApp->OnExit();
    wxEntryCleanup();
    return result;
}
