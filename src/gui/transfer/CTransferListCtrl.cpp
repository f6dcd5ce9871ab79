#include "transfer/CTransferListCtrl.h"

#include <algorithm>

#include "app/CStringTable.h"
#include "app/StringIds.h"
#include "list/RowWord.h"

#include "list_done.xpm"
#include "list_failed.xpm"
#include "list_ftp_pending.xpm"
#include "list_pending.xpm"

using namespace skerrow;

namespace {

const int kColumnTitles[] = {IDS_COL_STATUS, IDS_COL_FILE_NAME, IDS_COL_SIZE, IDS_COL_ERRORS};
const int kImageCount = 4;
const int kErrorsWidth = 600;
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
    m_list.SetObserver(this);
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
    RelabelColumns();
}

void CTransferListCtrl::RelabelColumns()
{
    for (int column = 0; column < GetColumnCount(); ++column) {
        wxListItem item;
        item.SetMask(wxLIST_MASK_TEXT);
        item.SetText(wxString::FromUTF8(LoadString(kColumnTitles[column])));
        SetColumn(column, item);
    }
    for (int column = 0; column < 3; ++column)
        SetColumnWidth(column, wxLIST_AUTOSIZE_USEHEADER);
    SetColumnWidth(3, kErrorsWidth);
    Refresh();
}

void CTransferListCtrl::FitNameColumn()
{
    int widest = 0;
    // Measuring every name of a long list would hold the window for seconds: the longest ones
    // decide the width.
    for (const std::string& name : m_list.LongestNames(kMeasuredNames))
        widest = std::max(widest, GetTextExtent(wxString::FromUTF8(name)).GetWidth());
    const int wanted = widest + 2 * GetCharWidth();
    if (wanted > GetColumnWidth(kColName))
        SetColumnWidth(kColName, wanted);
}

wxString CTransferListCtrl::OnGetItemText(long item, long column) const
{
    if (item < 0 || column == kColStatus)
        return wxString();
    return wxString::FromUTF8(m_list.GetText(static_cast<size_t>(item), static_cast<int>(column)));
}

int CTransferListCtrl::OnGetItemImage(long item) const
{
    int32_t word = 0;
    if (item < 0 || !m_list.GetWord(static_cast<size_t>(item), word))
        return -1;
    const int image = RowImage(word);
    return image >= 0 && image < kImageCount ? image : -1;
}

int CTransferListCtrl::OnGetItemColumnImage(long item, long column) const
{
    return column == kColStatus ? OnGetItemImage(item) : -1;
}

std::vector<size_t> CTransferListCtrl::SelectedRows() const
{
    std::vector<size_t> rows;
    for (long item = GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED); item != -1;
         item = GetNextItem(item, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED))
        rows.push_back(static_cast<size_t>(item));
    return rows;
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
    {
        std::lock_guard lock(m_dirtyMutex);
        m_countDirty = true;
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
        if (static_cast<size_t>(GetItemCount()) != count)
            SetItemState(-1, 0, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
        SetItemCount(static_cast<long>(count));
        Refresh();
        return;
    }
    if (first < count)
        RefreshItems(static_cast<long>(first), static_cast<long>(std::min(last, count - 1)));
}
