#pragma once
// Progress of a run as the headless command shows it: one line per file that failed (with the
// engine's error text), one per file sent or entry deleted when standard error is no terminal,
// and the bar on a terminal. The main thread calls Update between two turns of its loop.

#include <cstdint>
#include <string>
#include <unordered_map>

#include "list/CTransferList.h"

namespace skerrow::cli {

class CCliTerminal;

class CCliProgress {
public:
    CCliProgress(CCliTerminal& terminal, const CTransferList& list) : m_terminal(terminal), m_list(list) {}
    virtual ~CCliProgress() = default;

    // Remembers the rows' states as they are: only what changes from now on is reported.
    void Begin();
    // Reports the rows that finished since the last call, and draws the bar (status: pane 0,
    // percent: the current file's percentage).
    void Update(const std::string& status, const std::string& percent);
    // The last report; the bar goes.
    void Finish();

    // "[#####     ] 3/10 40% name", cut to width.
    static std::string BarText(size_t finished, size_t total, const std::string& percent, const std::string& name,
                               int width);

private:
    void Report(const CTransferRow& row);

    CCliTerminal& m_terminal;
    const CTransferList& m_list;
    std::unordered_map<RowId, int32_t> m_states;
};

} // namespace skerrow::cli
