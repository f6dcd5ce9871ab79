#pragma once
// The command log in the window: one line per command or reply with its time, refusals in red,
// read-only but selectable and copyable. It keeps the newest lines only, and in a run that logs
// faster than it can show it skips to the newest (the log file has them all).

#include <vector>

#include <wx/textctrl.h>

#include "log/CCommandLog.h"

class CLogPane : public wxTextCtrl {
public:
    static constexpr int kMaxLines = 50000;

    explicit CLogPane(wxWindow* parent, int maxLines = kMaxLines);

    // skipped: lines left out before these to keep up with a fast run, said in a line of its own.
    void Append(const std::vector<skerrow::CLogLine>& lines, size_t skipped = 0);
    int LineCount() const { return m_lines; }

private:
    void DropOldest(int count);

    int m_maxLines;
    int m_lines = 0;
};
