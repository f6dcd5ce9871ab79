#pragma once
// Pictures of windows as the user sees them, for the screenshot tests: they run only when their
// environment variable names where the pictures go.

#include <string>

class wxDialog;
class wxRect;
class wxWindow;

// Lets GTK show and paint the window: a picture needs the pixels, not just the state.
void LetPaint(wxWindow& window);
// Writes the part r of the screen to the PNG file path; false when ImageMagick's import failed.
bool GrabScreen(const wxRect& r, const std::string& path);
// Shows the dialog modelessly in the middle of the screen, lets it paint, writes its picture to
// path (a test failure when that fails) and hides it again.
void CaptureDialog(wxDialog& dialog, const std::string& path);
