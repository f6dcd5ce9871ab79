#include "transfer/CRowDetailsDlg.h"

#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "app/CStringTable.h"

using skerrow::Tr;

namespace {

wxString Text(const std::string& utf8)
{
    return wxString::FromUTF8(utf8);
}

} // namespace

CRowDetailsDlg::CRowDetailsDlg(wxWindow* parent, const wxString& name, const wxString& error)
    : wxDialog(parent, wxID_ANY, Text(Tr("T.RowDetailsTitle", "Error Details")), wxDefaultPosition,
               wxDefaultSize, wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER)
{
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    auto* nameLine = new wxBoxSizer(wxHORIZONTAL);
    nameLine->Add(new wxStaticText(this, wxID_ANY, Text(Tr("T.RowDetailsName", "File name:"))), 0,
                  wxALIGN_CENTER_VERTICAL | wxRIGHT, 6);
    auto* nameField = new wxTextCtrl(this, wxID_ANY, name, wxDefaultPosition, wxDefaultSize,
                                     wxTE_READONLY | wxBORDER_NONE);
    nameField->SetBackgroundColour(GetBackgroundColour());
    nameLine->Add(nameField, 1, wxALIGN_CENTER_VERTICAL);
    sizer->Add(nameLine, 0, wxEXPAND | wxALL, 10);
    m_error = new wxTextCtrl(this, wxID_ANY, error, wxDefaultPosition, FromDIP(wxSize(480, 140)),
                             wxTE_MULTILINE | wxTE_READONLY | wxTE_WORDWRAP);
    sizer->Add(m_error, 1, wxEXPAND | wxLEFT | wxRIGHT, 10);
    sizer->Add(CreateStdDialogButtonSizer(wxOK), 0, wxEXPAND | wxALL, 10);
    SetSizerAndFit(sizer);
    SetEscapeId(wxID_OK);
    m_error->SetFocus();
    CentreOnParent();
}
