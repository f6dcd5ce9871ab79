#pragma once
// Where the main window was and how big it was, kept in the settings file (Window/Placement as
// "x,y,width,height,maximised,1"), and the smallest size the window may take. The size is the
// window's inside (without the frame the window manager draws): the frame's size is not known
// before the window shows, so a restored outer size would grow by the frame at every start. A
// placement of five fields, as stored before, holds the outer size.

#include <optional>
#include <string>

#include <wx/gdicmn.h>

class CWindowPlacement {
public:
    virtual ~CWindowPlacement() = default;

    wxRect rect;            // when not maximised: the frame's top left corner, and the size
    bool maximized = false;
    bool insideSize = true; // rect's size is the window's inside (false: the frame's, as stored before)

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
