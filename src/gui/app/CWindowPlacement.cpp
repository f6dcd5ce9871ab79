#include "app/CWindowPlacement.h"

#include <cstdio>

#include <wx/display.h>

#include "settings/CSettingsFile.h"

using skerrow::CSettingsFile;

namespace {

// Kept in a section of their own, apart from the settings the dialogs edit.
const char kSection[] = "Window";
const char kKey[] = "Placement";

} // namespace

std::string CWindowPlacement::Format() const
{
    char text[80];
    std::snprintf(text, sizeof text, "%d,%d,%d,%d,%d%s", rect.x, rect.y, rect.width, rect.height, maximized ? 1 : 0,
                  insideSize ? ",1" : "");
    return text;
}

std::optional<CWindowPlacement> CWindowPlacement::Parse(const std::string& text)
{
    CWindowPlacement placement;
    int maximized = 0;
    int inside = 0;
    char extra = 0;
    wxRect& r = placement.rect;
    if (std::sscanf(text.c_str(), "%d,%d,%d,%d,%d,%d%c", &r.x, &r.y, &r.width, &r.height, &maximized, &inside,
                    &extra) == 6 &&
        inside == 1) {
        placement.insideSize = true;
    } else if (std::sscanf(text.c_str(), "%d,%d,%d,%d,%d%c", &r.x, &r.y, &r.width, &r.height, &maximized, &extra) ==
               5) {
        placement.insideSize = false;
    } else {
        return std::nullopt;
    }
    if (r.width <= 0 || r.height <= 0 || (maximized != 0 && maximized != 1))
        return std::nullopt;
    placement.maximized = maximized == 1;
    return placement;
}

std::optional<CWindowPlacement> CWindowPlacement::Load()
{
    const std::optional<CWindowPlacement> stored = Parse(CSettingsFile().ReadString(kSection, kKey));
    if (!stored || !IsOnADisplay(stored->rect))
        return std::nullopt;
    CWindowPlacement placement = *stored;
    wxSize size = placement.rect.GetSize();
    size.IncTo(MinimumSize());
    placement.rect.SetSize(size);
    return placement;
}

bool CWindowPlacement::Save() const
{
    return CSettingsFile().WriteString(kSection, kKey, Format());
}

wxSize CWindowPlacement::MinimumSize()
{
    return wxSize(560, 360);
}

bool CWindowPlacement::IsOnADisplay(const wxRect& rect)
{
    const wxSize grip(100, 40);
    for (unsigned i = 0; i < wxDisplay::GetCount(); ++i) {
        const wxRect common = wxDisplay(i).GetGeometry().Intersect(rect);
        if (common.width >= grip.x && common.height >= grip.y)
            return true;
    }
    return false;
}
