#include "gui/CScreenshot.h"

#include <cstdlib>

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/dialog.h>
#include <wx/utils.h>

void LetPaint(wxWindow& window)
{
    for (int i = 0; i < 200 && !window.IsShownOnScreen(); ++i)
        wxTheApp->Yield(true);
    // Painting happens on GTK's frame clock; give it a few rounds.
    for (int i = 0; i < 10; ++i) {
        window.Update();
        wxTheApp->Yield(true);
        wxMilliSleep(50);
    }
}

bool GrabScreen(const wxRect& r, const std::string& path)
{
    const std::string command = "import -window root -crop " + std::to_string(r.width) + "x" +
                                std::to_string(r.height) + "+" + std::to_string(r.x) + "+" + std::to_string(r.y) +
                                " +repage '" + path + "'";
    return std::system(command.c_str()) == 0;
}

void CaptureDialog(wxDialog& dialog, const std::string& path)
{
    dialog.InitDialog();
    dialog.CentreOnScreen();
    dialog.Show();
    LetPaint(dialog);
    EXPECT_TRUE(GrabScreen(dialog.GetScreenRect(), path)) << path;
    dialog.Hide();
}
