// Entry point of the GUI tests: gtest first (so listing the tests needs no display), then wx with
// the real application object. The application is not started (no OnInit): each test makes the
// main window itself (CMainWindowTest) and tears it down. Each test runs in its own process
// (ctest), under xvfb-run.

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include <gtest/gtest.h>
#include <wx/init.h>
#include <wx/log.h>

#ifdef SKERROW_TEST_XCB
#include <xcb/xcb.h>
#endif

#include "app/CSkerrowApp.h"

namespace {

// A failed wx assertion fails the running test instead of opening a dialog nobody can answer.
void FailOnAssert(const wxString& file, int line, const wxString& func, const wxString& cond, const wxString& msg)
{
    ADD_FAILURE() << "wx assertion \"" << cond << "\" failed in " << func << " (" << file << ":" << line
                  << "): " << msg;
}

std::string DisplayName()
{
    const char* display = std::getenv("DISPLAY");
    return display ? display : "(not set)";
}

#ifdef SKERROW_TEST_XCB
// True when the server has answered a request on the connection.
bool Answers(xcb_connection_t* connection)
{
    if (xcb_connection_has_error(connection))
        return false;
    xcb_get_input_focus_reply_t* reply =
        xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr);
    std::free(reply);
    return reply != nullptr;
}

// The X server of xvfb-run resets whenever its last client leaves, and while it resets it refuses
// new connections and drops the ones it has just taken. Under ctest -j2 a test often starts just as
// the other one ends, and wx then could not open the display. So before wx starts, wait until the
// server has answered a request on a connection of our own; the caller keeps that connection until
// wx has its own: while a client is connected the server cannot reset. Null without a display.
xcb_connection_t* HoldDisplay()
{
    if (!std::getenv("DISPLAY"))
        return nullptr;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
        xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
        if (Answers(connection))
            return connection;
        xcb_disconnect(connection);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::fprintf(stderr, "the X display %s took no connection for 10 s\n", DisplayName().c_str());
    return nullptr;
}
#endif

// Starts wx; on failure says why on stderr (wx's own reason, then the display it tried).
bool StartWx(int& argc, char** argv)
{
    // Before wx starts, so that its reason for not starting reaches stderr instead of a log window
    // that never shows.
    wxLog::SetActiveTarget(new wxLogStderr);
#ifdef SKERROW_TEST_XCB
    xcb_connection_t* hold = HoldDisplay();
    const bool started = wxEntryStart(argc, argv);
    if (hold)
        xcb_disconnect(hold);
#else
    const bool started = wxEntryStart(argc, argv);
#endif
    if (started)
        return true;
    std::fprintf(stderr, "wx could not start (DISPLAY=%s)\n", DisplayName().c_str());
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    if (testing::GTEST_FLAG(list_tests))
        return RUN_ALL_TESTS();
    wxApp::SetInstance(new CSkerrowApp);
    if (!StartWx(argc, argv))
        return 2;
    wxSetAssertHandler(FailOnAssert);
    const int result = RUN_ALL_TESTS();
    SkerrowApp().DestroyMainWindow();
    wxEntryCleanup();
    return result;
}
