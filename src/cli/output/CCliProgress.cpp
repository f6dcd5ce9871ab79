#include "output/CCliProgress.h"

#include "list/RowWord.h"
#include "output/CCliTerminal.h"
#include "settings/CDisplayText.h"

namespace skerrow::cli {
namespace {

constexpr int kBarCells = 24;

} // namespace

void CCliProgress::Begin()
{
    m_states.clear();
    for (const CTransferRow& row : m_list.Snapshot())
        m_states[row.id] = RowStateOf(row.word);
}

void CCliProgress::Update(const std::string& status, const std::string& percent)
{
    size_t finished = 0;
    std::string current;
    const std::vector<CTransferRow> rows = m_list.Snapshot();
    for (const CTransferRow& row : rows) {
        const int32_t state = RowStateOf(row.word);
        if (state != kRowPending)
            ++finished;
        else if (current.empty())
            current = row.name;
        int32_t& known = m_states.try_emplace(row.id, kRowPending).first->second;
        if (known != state) {
            known = state;
            Report(row);
        }
    }
    if (!m_terminal.ShowsBar())
        return;
    const int width = m_terminal.Width() - 1;
    m_terminal.Bar(rows.empty() ? CDisplayText::OneLine(status).substr(0, static_cast<size_t>(width))
                                : BarText(finished, rows.size(), percent, current, width));
}

void CCliProgress::Finish()
{
    Update({}, {});
    m_terminal.Bar({});
}

void CCliProgress::Report(const CTransferRow& row)
{
    const int32_t state = RowStateOf(row.word);
    const bool deleting = IsServerEntry(row.word);
    if (state == kRowFailed)
        m_terminal.Error("failed: " + row.name + ": " + CDisplayText::OneLine(row.error));
    else if (state == kRowDone && !m_terminal.ShowsBar())
        m_terminal.Info((deleting ? "deleted: " : "sent: ") + row.name);
}

std::string CCliProgress::BarText(size_t finished, size_t total, const std::string& percent, const std::string& name,
                                  int width)
{
    const size_t filled = total == 0 ? 0 : finished * kBarCells / total;
    std::string text(1, '[');
    text.append(filled, '#');
    text.append(kBarCells - filled, ' ');
    text += "] ";
    text += std::to_string(finished);
    text += '/';
    text += std::to_string(total);
    if (!percent.empty())
        text += " " + percent;
    if (!name.empty())
        text += " " + name;
    if (width > 0 && text.size() > static_cast<size_t>(width))
        text.resize(static_cast<size_t>(width));
    return text;
}

} // namespace skerrow::cli
