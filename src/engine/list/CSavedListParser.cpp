#include "list/CSavedListParser.h"

#include <array>

#include "list/CSavedListFile.h"

namespace skerrow {

namespace {

// Blanks, an optional sign and digits, nothing else: a row word as the list writes it.
bool IsWholeNumber(std::string_view field)
{
    size_t i = field.find_first_not_of(" \f\n\r\t\v");
    if (i != std::string_view::npos && (field[i] == '-' || field[i] == '+'))
        ++i;
    if (i >= field.size())
        return false;
    for (; i < field.size(); ++i) {
        if (field[i] < '0' || field[i] > '9')
            return false;
    }
    return true;
}

} // namespace

void CSavedListParser::Feed(std::string_view bytes)
{
    if (bytes.empty())
        return;
    m_anyBytes = true;
    size_t pos = 0;
    while (pos < bytes.size()) {
        const size_t end = bytes.find('\n', pos);
        if (end == std::string_view::npos) {
            m_partial.append(bytes.substr(pos));
            return;
        }
        if (m_partial.empty()) {
            Line(bytes.substr(pos, end - pos));
        } else {
            m_partial.append(bytes.substr(pos, end - pos));
            Line(m_partial);
            m_partial.clear();
        }
        pos = end + 1;
    }
}

void CSavedListParser::Finish()
{
    // Line 1 counts even when empty; a later empty line would give no row anyway.
    if (!m_partial.empty() || (m_firstLine && m_anyBytes))
        Line(m_partial);
    m_partial.clear();
    m_partial.shrink_to_fit();
    GiveRow();
}

void CSavedListParser::GiveRow()
{
    if (m_row)
        m_rows.emplace_back(m_row->word, m_row->name, m_row->size, m_row->error);
    m_row.reset();
    m_blankLines = 0;
}

void CSavedListParser::Line(std::string_view line)
{
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    // A line is text: a NUL byte ends it.
    const size_t nul = line.find('\0');
    if (nul != std::string_view::npos)
        line = line.substr(0, nul);
    if (m_firstLine) {
        m_firstLine = false;
        m_runState = LeadingInt(line);
        return;
    }
    // The first four non-empty tab-separated fields, as strtok would find them; the rest is ignored.
    std::array<std::string_view, 4> fields;
    size_t found = 0;
    size_t pos = 0;
    while (found < fields.size() && pos < line.size()) {
        const size_t start = line.find_first_not_of('\t', pos);
        if (start == std::string_view::npos)
            break;
        const size_t end = line.find('\t', start);
        fields[found++] = line.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
        pos = end == std::string_view::npos ? line.size() : end;
    }
    if (found == 0) {
        ++m_blankLines;
        return;
    }
    // An earlier version wrote the line breaks of an Errors text as they were: a line that is no row
    // (no whole number and name) after a row with an Errors text is the rest of that text.
    if (m_row && m_row->hasError && (found < 2 || !IsWholeNumber(fields[0]))) {
        m_row->error.append(m_blankLines + 1, '\n');
        m_row->error += CSavedListFile::UnescapeError(line);
        m_blankLines = 0;
        return;
    }
    GiveRow();
    m_row = Row{LeadingInt(fields[0]), std::string(fields[1]), std::string(fields[2]),
                CSavedListFile::UnescapeError(fields[3]), found == 4};
}

} // namespace skerrow
