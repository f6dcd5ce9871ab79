#include "transfer/CLogPane.h"

#include <wx/settings.h>

#include "app/CNumberText.h"
#include "app/CStringTable.h"
#include "log/CControlCharacters.h"

CLogPane::CLogPane(wxWindow* parent, int maxLines)
    : wxTextCtrl(parent, wxID_ANY, wxString(), wxDefaultPosition, wxSize(-1, 150),
                 wxTE_MULTILINE | wxTE_READONLY | wxTE_RICH2 | wxTE_DONTWRAP | wxTE_NOHIDESEL),
      m_maxLines(maxLines)
{
    SetFont(wxFont(wxFontInfo(wxNORMAL_FONT->GetPointSize()).Family(wxFONTFAMILY_TELETYPE)));
}

void CLogPane::Append(const std::vector<skerrow::CLogLine>& lines, size_t skipped)
{
    if (lines.empty())
        return;
    const wxTextAttr normal(wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOWTEXT));
    const wxTextAttr error(*wxRED);
    // Runs of lines of one kind go in one call: a batch of a few thousand lines stays quick.
    wxString run;
    bool runIsError = false;
    auto flush = [&] {
        if (run.empty())
            return;
        SetDefaultStyle(runIsError ? error : normal);
        AppendText(run);
        run.clear();
    };
    if (skipped > 0) {
        const std::string said =
            skerrow::FormatText(skerrow::Tr("T.LogLinesSkipped", "... %s lines not shown here, to keep up with the run "
                                                                 "(the log file holds every line)")
                                    .c_str(),
                                skerrow::CNumberText::Grouped(skipped).c_str());
        run += wxString::FromUTF8(lines.front().time + "  " + said) + "\n";
    }
    for (const skerrow::CLogLine& line : lines) {
        if (line.error != runIsError) {
            flush();
            runIsError = line.error;
        }
        // A line break or escape in a server's name or reply would break the line count, and
        // the text shown must be the text the log file keeps.
        run += wxString::FromUTF8(line.time + "  " + skerrow::CControlCharacters::Escape(line.text)) + "\n";
    }
    flush();
    SetDefaultStyle(normal);
    m_lines += static_cast<int>(lines.size()) + (skipped > 0 ? 1 : 0);
    if (m_lines > m_maxLines)
        DropOldest(m_lines - m_maxLines);
}

void CLogPane::DropOldest(int count)
{
    const long end = XYToPosition(0, count);
    if (end > 0) {
        Remove(0, end);
        m_lines -= count;
    }
}
