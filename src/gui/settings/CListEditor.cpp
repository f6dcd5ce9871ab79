#include "settings/CListEditor.h"

#include <wx/button.h>
#include <wx/listctrl.h>
#include <wx/msgdlg.h>
#include <wx/sizer.h>

#include <algorithm>

#include "app/CStringTable.h"
#include "app/StringIds.h"
#include "settings/CSingleLineFilter.h"

CListEditor::CListEditor(wxWindow* parent, int listId, int addId, int deleteId, const Labels& labels)
    : wxPanel(parent, wxID_ANY), m_removeFailed(labels.removeFailed)
{
    m_list = new wxListCtrl(this, listId, wxDefaultPosition, wxSize(-1, 160),
                            wxLC_REPORT | wxLC_SINGLE_SEL | wxLC_EDIT_LABELS | wxLC_HRULES | wxLC_VRULES |
                                wxBORDER_SUNKEN);
    m_list->InsertColumn(0, labels.column, wxLIST_FORMAT_LEFT, 110);
    m_list->SetMinSize(wxSize(140, 160));
    auto* add = new wxButton(this, addId, labels.add);
    auto* remove = new wxButton(this, deleteId, labels.remove);

    auto* buttons = new wxBoxSizer(wxVERTICAL);
    buttons->Add(add, 0, wxEXPAND);
    buttons->Add(remove, 0, wxEXPAND | wxTOP, 6);
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    row->Add(m_list, 1, wxEXPAND | wxRIGHT, 6);
    row->Add(buttons, 0);
    SetSizer(row);

    add->Bind(wxEVT_BUTTON, &CListEditor::OnAdd, this);
    remove->Bind(wxEVT_BUTTON, &CListEditor::OnDelete, this);
    m_list->Bind(wxEVT_LIST_ITEM_ACTIVATED, &CListEditor::OnItemActivated, this);
    m_list->Bind(wxEVT_LIST_BEGIN_LABEL_EDIT, &CListEditor::OnBeginEdit, this);
    m_list->Bind(wxEVT_LIST_END_LABEL_EDIT, &CListEditor::OnEndEdit, this);
    // Where wxWidgets draws the list itself, its inner window hands every click to the list first.
    m_list->Bind(wxEVT_LEFT_UP, &CListEditor::OnClick, this);
}

void CListEditor::SetItems(const std::vector<std::string>& items)
{
    m_list->DeleteAllItems();
    for (const std::string& item : items)
        m_list->InsertItem(m_list->GetItemCount(), CSingleLineFilter::WithoutLineBreaks(wxString::FromUTF8(item)));
}

std::vector<std::string> CListEditor::Items() const
{
    std::vector<std::string> texts;
    for (int i = 0; i < m_list->GetItemCount(); ++i)
        texts.push_back(CSingleLineFilter::WithoutLineBreaks(m_list->GetItemText(i)).utf8_string());
    return texts;
}

void CListEditor::AddItem()
{
    FinishEdit();
    const long item = m_list->InsertItem(m_list->GetItemCount(), wxString());
    m_list->SetFocus();
    m_list->EnsureVisible(item);
    m_list->SetItemState(item, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED,
                         wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
    m_list->EditLabel(item);
}

void CListEditor::DeleteSelected()
{
    FinishEdit();
    const long item = FirstSelected();
    if (item < 0)
        return;
    if (!m_list->DeleteItem(item))
        wxMessageBox(m_removeFailed, wxString::FromUTF8(skerrow::LoadString(skerrow::IDS_APP_TITLE)), wxOK | wxICON_ERROR,
                     this);
}

void CListEditor::FinishEdit()
{
    if (m_list->GetEditControl())
        m_list->EndEditLabel(false);
}

long CListEditor::FirstSelected() const
{
    return m_list->GetNextItem(-1, wxLIST_NEXT_ALL, wxLIST_STATE_SELECTED);
}

void CListEditor::EditFirstSelected()
{
    const long item = FirstSelected();
    if (item >= 0 && !m_list->GetEditControl())
        m_list->EditLabel(item);
}

void CListEditor::OnAdd(wxCommandEvent&)
{
    AddItem();
}

void CListEditor::OnDelete(wxCommandEvent&)
{
    DeleteSelected();
}

// The press has selected the item by the time the button goes up; editing starts once the list
// has finished with the click. Where wxWidgets draws the list itself, the release is not passed
// on: it would start a delayed edit of an item clicked when already selected, a second editor
// opening over the first while the user types.
void CListEditor::OnClick(wxMouseEvent& event)
{
#if defined(__WXMSW__) || defined(__WXQT__)
    event.Skip();
#else
    (void)event;
#endif
    CallAfter(&CListEditor::EditFirstSelected);
}

void CListEditor::OnItemActivated(wxListEvent&)
{
    EditFirstSelected();
}

// One edit at a time: a second one would leave the first editor behind, showing the old text.
void CListEditor::OnBeginEdit(wxListEvent& event)
{
    if (m_list->GetEditControl())
        event.Veto();
    else
        event.Skip();
}

void CListEditor::OnEndEdit(wxListEvent& event)
{
    event.Skip();
    if (event.IsEditCancelled())
        return;
    const wxString cleaned = CSingleLineFilter::WithoutLineBreaks(event.GetLabel());
    if (cleaned == event.GetLabel())
        return;
    event.Skip(false);
    event.Veto();
    m_list->SetItemText(event.GetIndex(), cleaned);
}
