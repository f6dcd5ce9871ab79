#pragma once
// An editable list of one-line texts: a one-column list whose labels are edited in place, with
// Add and Delete buttons beside it.
//
// A click on an item, or a double-click, edits its label; Add appends an empty item and edits it.
// Only one edit is open at a time. An edit still open when the values are taken is kept
// (FinishEdit), and line breaks never reach an item's text: an edit or a paste that holds them
// has them removed.

#include <wx/panel.h>

#include <string>
#include <vector>

class wxListCtrl;
class wxListEvent;
class wxMouseEvent;

class CListEditor : public wxPanel {
public:
    struct Labels {
        wxString column;       // the list's column title
        wxString add;          // the Add button
        wxString remove;       // the Delete button
        wxString removeFailed; // shown when the list refuses to delete an item
    };

    CListEditor(wxWindow* parent, int listId, int addId, int deleteId, const Labels& labels);

    wxListCtrl* List() const { return m_list; }

    // Replaces the items by these texts, in order.
    void SetItems(const std::vector<std::string>& items);
    // The items' texts in list order (UTF-8), without line breaks.
    std::vector<std::string> Items() const;

    // Add: appends an empty item and starts editing it.
    void AddItem();
    // Delete: removes the first selected item, if any.
    void DeleteSelected();
    // Ends an open edit, keeping the typed text.
    void FinishEdit();

private:
    long FirstSelected() const;
    void EditFirstSelected();

    void OnAdd(wxCommandEvent& event);
    void OnDelete(wxCommandEvent& event);
    void OnClick(wxMouseEvent& event);
    void OnItemActivated(wxListEvent& event);
    void OnBeginEdit(wxListEvent& event);
    void OnEndEdit(wxListEvent& event);

    wxListCtrl* m_list = nullptr;
    wxString m_removeFailed;
};
