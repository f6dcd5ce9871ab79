#pragma once
// The document: owns no data of its own (the list and the run state live in the view). It saves
// the list to a saved list file, opens one back into the list, and answers the quit check.

#include <wx/docview.h>

class CSkerrowView;

class CSkerrowDoc : public wxDocument {
public:
    CSkerrowDoc();
    ~CSkerrowDoc() override = default;

    // The quit check: true (close) when no run is set up; otherwise the user confirms, and a Yes
    // stops the run first.
    bool OnSaveModified() override;

    // File Open and File Save: the file dialog, then OpenFrom or SaveTo.
    void OnFileOpen(wxCommandEvent& event);
    void OnFileSave(wxCommandEvent& event);

    // Writes the view's run state and rows to path and tells the user how it went. True when the
    // file was written.
    bool SaveTo(const wxString& path);
    // Empties the list, then fills it and sets the run state from the file at path. True when the
    // file was read; on failure the user is told and the list stays empty.
    bool OpenFrom(const wxString& path);

    // The saved list file dialog's wildcard: the filter string without its closing "||".
    static wxString FileWildcard();
    // A saved list file name typed without an extension gets ".txt", unless that would name an
    // existing file that the dialog's overwrite question did not cover.
    static wxString WithDefaultExtension(const wxString& path);

private:
    CSkerrowView* GetSkerrowView() const;
    // Shows the file dialog in the given mode (wxFD_SAVE or wxFD_OPEN and their flags), opened in
    // the folder used last (at first the home folder, never the hidden settings folder) on the
    // settings file's name with ".txt". "" when the user cancels.
    wxString AskPath(long style) const;

    mutable wxString m_lastFolder;

    wxDECLARE_DYNAMIC_CLASS(CSkerrowDoc);
};
