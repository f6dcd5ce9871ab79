#pragma once
// The document: owns no data of its own (the list lives in the view). It answers the quit check
// and will save and open the list.

#include <wx/docview.h>

class CSkerrowView;

class CSkerrowDoc : public wxDocument {
public:
    CSkerrowDoc();
    ~CSkerrowDoc() override = default;

    // The quit check: true (close) when no run is set up; otherwise the user confirms, and a Yes
    // stops the run first.
    bool OnSaveModified() override;

    // To be filled in with the saved list file.
    void OnFileOpen(wxCommandEvent& event);
    void OnFileSave(wxCommandEvent& event);

private:
    CSkerrowView* GetSkerrowView() const;

    wxDECLARE_DYNAMIC_CLASS(CSkerrowDoc);
};
