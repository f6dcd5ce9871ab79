#include "transfer/CTransferListCtrl.h"

#include <algorithm>

#include <wx/settings.h>
#include <wx/tooltip.h>

#include "app/CStringTable.h"
#include "app/StringIds.h"
#include "list/CErrorText.h"
#include "list/RowWord.h"
#include "settings/CDisplayText.h"
#include "transfer/CRowDetailsDlg.h"

#include "list_done.xpm"
#include "list_failed.xpm"
#include "list_ftp_pending.xpm"
#include "list_pending.xpm"

using namespace skerrow;

namespace {

const int kColumnTitles[] = {IDS_COL_STATUS, IDS_COL_FILE_NAME, IDS_COL_SIZE, IDS_COL_ERRORS};
const int kImageCount = 4;
// Past this many new rows only the longest names are measured: measuring every name of a long
// list would hold the window for seconds.
const size_t kMeasuredNames = 256;

} // namespace

CTransferListCtrl::CTransferListCtrl(wxWindow* parent, CTransferList& list)
    : wxListCtrl(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                 wxLC_REPORT | wxLC_VIRTUAL | wxLC_HRULES | wxLC_VRULES | wxBORDER_SUNKEN),
      m_list(list), m_images(16, 16, true, kImageCount)
{
    CreateImages();
    CreateColumns();
    SetItemCount(static_cast<long>(m_list.Count()));
    m_seenCount = m_list.Count();
    m_list.SetObserver(this);
    Bind(wxEVT_SIZE, &CTransferListCtrl::OnSize, this);
    Bind(wxEVT_LIST_ITEM_ACTIVATED, &CTransferListCtrl::OnActivated, this);
    Bind(wxEVT_LIST_COL_CLICK, &CTransferListCtrl::OnColumnClick, this);
    // The rows are drawn, and the mouse is seen, by the list's inner window where there is one.
    RowsWindow()->Bind(wxEVT_MOTION, &CTransferListCtrl::OnMouseMove, this);
    for (const auto& type : {wxEVT_LEFT_DOWN, wxEVT_LEFT_DCLICK, wxEVT_RIGHT_DOWN})
        RowsWindow()->Bind(type, &CTransferListCtrl::OnRowClick, this);
    // The rows window hands its keys to the list first; what is handled here never reaches wx's
    // own selection.
    Bind(wxEVT_CHAR, &CTransferListCtrl::OnSelectionKey, this);
}

CTransferListCtrl::~CTransferListCtrl()
{
    // Waits for a notification in progress on another thread, and stops further ones.
    m_list.SetObserver(nullptr);
}

void CTransferListCtrl::CreateImages()
{
    // Image 0 PC file pending, 1 done, 2 failed, 3 FTP entry pending.
    m_images.Add(wxBitmap(list_pending_xpm));
    m_images.Add(wxBitmap(list_done_xpm));
    m_images.Add(wxBitmap(list_failed_xpm));
    m_images.Add(wxBitmap(list_ftp_pending_xpm));
    SetImageList(&m_images, wxIMAGE_LIST_SMALL);
}

void CTransferListCtrl::CreateColumns()
{
    for (int column = 0; column < 4; ++column)
        AppendColumn(wxString::FromUTF8(LoadString(kColumnTitles[column])));
    for (int column = 0; column < 4; ++column)
        SetColumnWidth(column, TitleWidth(column));
    ApplyWidths(true);
}

int CTransferListCtrl::TitleWidth(int column) const
{
    return GetTextExtent(wxString::FromUTF8(LoadString(kColumnTitles[column]))).GetWidth() + 4 * GetCharWidth();
}

void CTransferListCtrl::RelabelColumns()
{
    for (int column = 0; column < GetColumnCount(); ++column) {
        wxListItem item;
        item.SetMask(wxLIST_MASK_TEXT);
        item.SetText(wxString::FromUTF8(LoadString(kColumnTitles[column])));
        SetColumn(column, item);
        if (GetColumnWidth(column) < TitleWidth(column))
            SetColumnWidth(column, TitleWidth(column));
    }
    ApplyWidths(false);
    Refresh();
}

void CTransferListCtrl::FitNameColumn()
{
    Flush();
}

wxWindow* CTransferListCtrl::RowsWindow() const
{
    // The generic list draws its rows in an inner window of its own, which gets the mouse.
    for (wxWindow* child : GetChildren()) {
        if (wxString(child->GetClassInfo()->GetClassName()) == "wxListMainWindow")
            return child;
    }
    return const_cast<CTransferListCtrl*>(this);
}

int CTransferListCtrl::NameColumnLimit() const
{
    // Of the whole width: the client width changes as the scroll bar comes and goes.
    return std::max(TitleWidth(kColName), GetSize().GetWidth() / 2);
}

// True when the rows were measured afresh (the list had been emptied or cut since).
bool CTransferListCtrl::MeasureNewRows()
{
    const size_t count = m_list.Count();
    bool fresh = false;
    {
        std::lock_guard lock(m_dirtyMutex);
        fresh = m_remeasure || count < m_measuredRows;
        m_remeasure = false;
    }
    if (fresh) {
        m_measuredRows = 0;
        m_widestName = 0;
    }
    if (count - std::min(count, m_measuredRows) > kMeasuredNames) {
        for (const std::string& name : m_list.LongestNames(kMeasuredNames))
            m_widestName = std::max(m_widestName, GetTextExtent(wxString::FromUTF8(name)).GetWidth());
    } else {
        for (size_t row = m_measuredRows; row < count; ++row) {
            const wxString name = wxString::FromUTF8(m_list.GetText(row, kColName));
            m_widestName = std::max(m_widestName, GetTextExtent(name).GetWidth());
        }
    }
    m_measuredRows = count;
    return fresh;
}

// Name column: its names and a margin, at least its title, at most half the list. Errors: the
// rest of the list, at least its title.
void CTransferListCtrl::ApplyWidths(bool mayNarrowName)
{
    if (GetColumnCount() < 4)
        return;
    const int wanted = std::min(std::max(m_widestName + 3 * GetCharWidth(), TitleWidth(kColName)), NameColumnLimit());
    const int current = GetColumnWidth(kColName);
    if (wanted > current || (mayNarrowName && wanted != current) || current > NameColumnLimit())
        SetColumnWidth(kColName, wanted);
    int others = 0;
    for (int column = 0; column < 3; ++column)
        others += GetColumnWidth(column);
    const int rest = GetClientSize().GetWidth() - others - wxSystemSettings::GetMetric(wxSYS_VSCROLL_X, this);
    SetColumnWidth(kColErrors, std::max(rest, TitleWidth(kColErrors)));
}

void CTransferListCtrl::OnSize(wxSizeEvent& event)
{
    event.Skip();
    ApplyWidths(false);
}

size_t CTransferListCtrl::Row(long item) const
{
    return item < 0 ? SIZE_MAX : m_order.RowAt(static_cast<size_t>(item));
}

wxString CTransferListCtrl::RowTip(long item) const
{
    const size_t row = Row(item);
    if (row >= m_list.Count())
        return wxString();
    return wxString::FromUTF8(m_list.GetText(row, kColErrors));
}

void CTransferListCtrl::OnMouseMove(wxMouseEvent& event)
{
    event.Skip();
    int flags = 0;
    // HitTest takes the position in the window that draws the rows, which is where it came from.
    const long item = HitTest(event.GetPosition(), flags);
    if (item == m_tipItem)
        return;
    m_tipItem = item;
    wxWindow* rows = RowsWindow();
    const wxString tip = RowTip(item);
    if (tip.empty())
        rows->UnsetToolTip();
    else
        rows->SetToolTip(tip);
}

void CTransferListCtrl::OnActivated(wxListEvent& event)
{
    ShowRowDetails(event.GetIndex());
}

void CTransferListCtrl::ShowRowDetails(long item)
{
    const wxString error = RowTip(item);
    if (error.empty())
        return;
    const wxString name = wxString::FromUTF8(m_list.GetText(Row(item), kColName));
    CRowDetailsDlg dialog(wxGetTopLevelParent(this), name, error);
    dialog.ShowModal();
}

wxString CTransferListCtrl::OnGetItemText(long item, long column) const
{
    if (item < 0 || column == kColStatus)
        return wxString();
    const std::string text = m_list.GetText(Row(item), static_cast<int>(column));
    // The server's reply is what tells the user most: it comes first in the column, on one line (the
    // tooltip and the details keep the text's own lines).
    return wxString::FromUTF8(column == kColErrors ? CDisplayText::OneLine(CErrorText::ReplyFirst(text)) : text);
}

int CTransferListCtrl::OnGetItemImage(long item) const
{
    int32_t word = 0;
    if (item < 0 || !m_list.GetWord(Row(item), word))
        return -1;
    const int image = RowImage(word);
    return image >= 0 && image < kImageCount ? image : -1;
}

int CTransferListCtrl::OnGetItemColumnImage(long item, long column) const
{
    return column == kColStatus ? OnGetItemImage(item) : -1;
}

wxItemAttr* CTransferListCtrl::OnGetItemAttr(long item) const
{
    if (!IsRowSelected(item))
        return nullptr;
    m_selectedLook.SetBackgroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_HIGHLIGHT));
    m_selectedLook.SetTextColour(wxSystemSettings::GetColour(wxSYS_COLOUR_HIGHLIGHTTEXT));
    return &m_selectedLook;
}

// --- Selection ------------------------------------------------------------------------------

std::vector<size_t> CTransferListCtrl::SelectedRows() const
{
    std::vector<size_t> rows = m_selection.Rows();
    if (m_order.Sorted()) {
        for (size_t& row : rows)
            row = Row(static_cast<long>(row));
        std::sort(rows.begin(), rows.end());
    }
    return rows;
}

void CTransferListCtrl::OnColumnClick(wxListEvent& event)
{
    const int column = event.GetColumn();
    if (column >= 0)
        SortBy(column, m_order.Column() != column || !m_order.Ascending());
}

void CTransferListCtrl::SortBy(int column, bool ascending)
{
    const std::vector<size_t> selected = SelectedRows();
    const size_t focused = Row(FocusedRow());
    m_order.SortBy(m_list, column, ascending);
    ShowSortIndicator(column, ascending);
    // The same rows stay selected, wherever they are shown now.
    m_selection.Clear();
    std::vector<size_t> items;
    for (const size_t row : selected)
        items.push_back(m_order.ItemOf(row));
    std::sort(items.begin(), items.end());
    for (size_t i = 0; i < items.size();) {
        size_t last = i;
        while (last + 1 < items.size() && items[last + 1] == items[last] + 1)
            ++last;
        m_selection.Set(items[i], items[last], true);
        i = last + 1;
    }
    if (focused < m_list.Count())
        FocusRow(static_cast<long>(m_order.ItemOf(focused)));
    Refresh();
}

bool CTransferListCtrl::IsRowSelected(long item) const
{
    return item >= 0 && m_selection.Contains(static_cast<size_t>(item));
}

void CTransferListCtrl::SelectRows(size_t first, size_t last, bool selected)
{
    const size_t count = static_cast<size_t>(GetItemCount());
    if (first < count)
        ShowSelection(m_selection.Set(first, std::min(last, count - 1), selected));
}

long CTransferListCtrl::FocusedRow() const
{
    return GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_FOCUSED);
}

void CTransferListCtrl::StartFollowing()
{
    m_following = true;
    m_followedTop = -1;
}

void CTransferListCtrl::FollowRow(skerrow::RowId row)
{
    if (!m_following || row == 0)
        return;
    if (m_followedTop >= 0 && GetTopItem() != m_followedTop) {
        m_following = false; // the user scrolled: the list stays where they took it
        return;
    }
    const size_t index = m_order.ItemOf(m_list.IndexOf(row));
    if (index >= static_cast<size_t>(GetItemCount()))
        return;
    EnsureVisible(static_cast<long>(index));
    m_followedTop = GetTopItem();
}

bool CTransferListCtrl::SelectFailed(bool forward, bool fromStart)
{
    const long count = GetItemCount();
    const long from = fromStart ? -1 : FocusedRow();
    for (long step = 1; step <= count; ++step) {
        const long item = ((forward ? from + step : from - step) % count + count) % count;
        int32_t word = 0;
        if (m_list.GetWord(Row(item), word) && skerrow::RowStateOf(word) == skerrow::kRowFailed) {
            ShowSelection(m_selection.Click(static_cast<size_t>(item), false, false));
            FocusRow(item);
            return true;
        }
    }
    return false;
}

void CTransferListCtrl::FocusRow(long item)
{
    SetItemState(item, wxLIST_STATE_FOCUSED, wxLIST_STATE_FOCUSED);
    EnsureVisible(item);
}

void CTransferListCtrl::ShowSelection(CRowSelection::Span changed)
{
    if (changed.first > changed.last)
        return;
    const size_t count = static_cast<size_t>(GetItemCount());
    if (changed.first < count)
        RefreshItems(static_cast<long>(changed.first), static_cast<long>(std::min(changed.last, count - 1)));
}

void CTransferListCtrl::OnRowClick(wxMouseEvent& event)
{
    int flags = 0;
    const long item = HitTest(event.GetPosition(), flags);
    RowsWindow()->SetFocus();
    if (item < 0) {
        // Below the last row: a plain click clears the selection.
        if (!event.ControlDown() && !event.ShiftDown())
            ShowSelection(m_selection.Clear());
        return;
    }
    if (event.GetEventType() == wxEVT_LEFT_DCLICK) {
        ShowRowDetails(item);
        return;
    }
    const size_t row = static_cast<size_t>(item);
    // A right click keeps a selection it falls into, for whatever the click is about.
    if (event.GetEventType() != wxEVT_RIGHT_DOWN || !m_selection.Contains(row))
        ShowSelection(m_selection.Click(row, event.ControlDown(), event.ShiftDown()));
    FocusRow(item);
}

// Where a selection key moves the focus, or -1 when it is not one of them.
long CTransferListCtrl::KeyTarget(int keyCode) const
{
    const long last = GetItemCount() - 1;
    const long current = FocusedRow();
    const long page = std::max(1, GetCountPerPage() - 1);
    switch (keyCode) {
    case WXK_UP: return std::max(0L, current - 1);
    case WXK_DOWN: return current < 0 ? 0 : std::min(last, current + 1);
    case WXK_PAGEUP: return std::max(0L, current - page);
    case WXK_PAGEDOWN: return std::min(last, std::max(0L, current) + page);
    case WXK_HOME: return 0;
    case WXK_END: return last;
    default: return -1;
    }
}

void CTransferListCtrl::OnSelectionKey(wxKeyEvent& event)
{
    const int key = event.GetKeyCode();
    if (GetItemCount() == 0 || event.AltDown()) {
        event.Skip();
        return;
    }
    if (key == WXK_CONTROL_A || (event.ControlDown() && (key == 'A' || key == 'a'))) {
        ShowSelection(m_selection.SelectAll(static_cast<size_t>(GetItemCount())));
        return;
    }
    if (key == WXK_RETURN || key == WXK_NUMPAD_ENTER) {
        if (FocusedRow() >= 0)
            ShowRowDetails(FocusedRow());
        return;
    }
    if (key == WXK_SPACE) {
        const long current = std::max(0L, FocusedRow());
        ShowSelection(m_selection.Toggle(static_cast<size_t>(current)));
        FocusRow(current);
        return;
    }
    const long target = KeyTarget(key);
    if (target >= 0) {
        ShowSelection(m_selection.MoveTo(static_cast<size_t>(target), event.ControlDown(), event.ShiftDown()));
        FocusRow(target);
        return;
    }
    // wx's type-ahead would select in its own store; the names all start alike anyway.
    if (!event.HasModifiers() && key > WXK_SPACE && key < WXK_DELETE)
        return;
    event.Skip();
}

void CTransferListCtrl::OnRowsChanged(size_t first, size_t last)
{
    {
        std::lock_guard lock(m_dirtyMutex);
        m_dirtyFirst = std::min(m_dirtyFirst, first);
        m_dirtyLast = std::max(m_dirtyLast, last);
    }
    RequestFlush();
}

void CTransferListCtrl::OnCountChanged()
{
    const size_t count = m_list.Count();
    {
        std::lock_guard lock(m_dirtyMutex);
        m_countDirty = true;
        if (count < m_seenCount)
            m_remeasure = true;
        m_seenCount = count;
    }
    RequestFlush();
}

void CTransferListCtrl::RequestFlush()
{
    if (!m_flushPending.exchange(true))
        CallAfter(&CTransferListCtrl::Flush);
}

void CTransferListCtrl::Flush()
{
    m_flushPending = false;
    bool countDirty;
    size_t first;
    size_t last;
    {
        std::lock_guard lock(m_dirtyMutex);
        countDirty = m_countDirty;
        first = m_dirtyFirst;
        last = m_dirtyLast;
        m_countDirty = false;
        m_dirtyFirst = SIZE_MAX;
        m_dirtyLast = 0;
    }
    const size_t count = m_list.Count();
    if (countDirty) {
        if (static_cast<size_t>(GetItemCount()) != count) {
            m_selection.Reset();
            SetItemState(-1, 0, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
        }
        SetItemCount(static_cast<long>(count));
        m_order.Resort(m_list);
        const bool fresh = MeasureNewRows();
        ApplyWidths(fresh);
        Refresh();
        return;
    }
    if (first >= count)
        return;
    if (m_order.Sorted()) // changed rows may be shown anywhere
        Refresh();
    else
        RefreshItems(static_cast<long>(first), static_cast<long>(std::min(last, count - 1)));
}
