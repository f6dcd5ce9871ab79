#pragma once
// Where the main window was and how big it was, kept in the settings file (Window/Placement as
// "x,y,width,height,maximised"), and the smallest size the window may take.

#include <optional>
#include <string>

#include <wx/gdicmn.h>

class CWindowPlacement {
public:
    virtual ~CWindowPlacement() = default;

    wxRect rect;            // the window's frame when not maximised
    bool maximized = false;

    // The text stored for this placement, and back; nothing when text is not a placement.
    std::string Format() const;
    static std::optional<CWindowPlacement> Parse(const std::string& text);

    // The stored placement, when there is one that fits on a display of this machine.
    static std::optional<CWindowPlacement> Load();
    // Stores this placement; false when the settings file could not be written.
    bool Save() const;

    // Room for the toolbar, the columns' titles and a few rows.
    static wxSize MinimumSize();

    // Whether at least a grip's worth of rect lies on one of the displays.
    static bool IsOnADisplay(const wxRect& rect);
};
