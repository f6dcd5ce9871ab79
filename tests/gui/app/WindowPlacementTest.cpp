// The main window has a minimum size and comes back where and as big as it was, through the
// settings file; a stored placement that is broken or off every display is ignored.

#include <algorithm>
#include <cstring>

#include "app/CMainFrame.h"
#include "app/CSkerrowApp.h"
#include "app/CWindowPlacement.h"
#include "gui/app/CMainWindowTest.h"

namespace {

struct ParseCase {
    const char* text;
    bool valid;
    wxRect rect;
    bool maximized;
};

} // namespace

TEST(WindowPlacementTest, StoredTextIsReadStrictly)
{
    const ParseCase cases[] = {
        {"10,20,800,600,0", true, wxRect(10, 20, 800, 600), false}, // as stored before: the frame's size
        {"10,20,800,600,0,1", true, wxRect(10, 20, 800, 600), false},
        {"10,20,800,600,1,1x", false, {}, false},
        {"-1900,0,1024,700,1", true, wxRect(-1900, 0, 1024, 700), true},
        {"", false, {}, false},
        {"10,20,800,600", false, {}, false},
        {"10,20,800,600,0,5", false, {}, false},
        {"10,20,800,600,2", false, {}, false},
        {"10,20,0,600,0", false, {}, false},
        {"10,20,800,-5,0", false, {}, false},
        {"a,b,c,d,e", false, {}, false},
    };
    for (const ParseCase& c : cases) {
        const std::optional<CWindowPlacement> parsed = CWindowPlacement::Parse(c.text);
        ASSERT_EQ(parsed.has_value(), c.valid) << c.text;
        if (!parsed)
            continue;
        EXPECT_EQ(parsed->rect, c.rect) << c.text;
        EXPECT_EQ(parsed->maximized, c.maximized) << c.text;
        EXPECT_EQ(parsed->insideSize, std::count(c.text, c.text + std::strlen(c.text), ',') == 5) << c.text;
        EXPECT_EQ(parsed->Format(), c.text);
    }
    EXPECT_TRUE(CWindowPlacement::IsOnADisplay(wxRect(100, 100, 400, 300)));
    EXPECT_FALSE(CWindowPlacement::IsOnADisplay(wxRect(30000, 30000, 400, 300)));
}

TEST_F(CMainWindowTest, WindowComesBackWhereItWasAndNoSmallerThanItsMinimum)
{
    Start("[Advanced]\nLanguage=1\n[Window]\nPlacement=40,30,700,500,0\n");
    EXPECT_EQ(Frame()->GetSize(), wxSize(700, 500));
    EXPECT_EQ(Frame()->GetMinSize(), CWindowPlacement::MinimumSize());

    // Moved and resized by the user, then closed: stored in its own section, the rest kept.
    Frame()->SetSize(wxRect(60, 50, 820, 610));
    PumpPending();
    const wxSize inside = Frame()->GetClientSize();
    SkerrowApp().DestroyMainWindow();
    const std::string ini = ReadIni();
    ASSERT_NE(ini.find("[Window]\nPlacement="), std::string::npos) << ini;
    const size_t value = ini.find("Placement=") + 10;
    const std::optional<CWindowPlacement> stored = CWindowPlacement::Parse(ini.substr(value, ini.find('\n', value) - value));
    ASSERT_TRUE(stored.has_value()) << ReadIni();
    EXPECT_EQ(stored->rect.GetSize(), inside);
    EXPECT_TRUE(stored->insideSize);
    EXPECT_NE(ReadIni().find("[Advanced]\nLanguage=1\n"), std::string::npos);

    // Too small and off every display: the window is placed afresh, at least its minimum size.
    Start("[Advanced]\nLanguage=1\n[Window]\nPlacement=30000,30000,100,80,0\n");
    EXPECT_GE(Frame()->GetSize().GetWidth(), CWindowPlacement::MinimumSize().GetWidth());
    EXPECT_GE(Frame()->GetSize().GetHeight(), CWindowPlacement::MinimumSize().GetHeight());
    EXPECT_TRUE(CWindowPlacement::IsOnADisplay(Frame()->GetRect()));
}
