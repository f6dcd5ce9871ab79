#include "ftp/CTrustQuestionDlg.h"

#include <wx/artprov.h>
#include <wx/button.h>
#include <wx/font.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>

#include "app/CStringTable.h"

using namespace skerrow;

namespace {

wxString Wx(const std::string& text)
{
    return wxString::FromUTF8(text);
}

} // namespace

CTrustQuestionDlg::CTrustQuestionDlg(wxWindow* parent, const std::string& caption)
    : wxDialog(parent, wxID_ANY, Wx(caption), wxDefaultPosition, wxDefaultSize, wxDEFAULT_DIALOG_STYLE)
{
    Bind(wxEVT_BUTTON, &CTrustQuestionDlg::OnTrust, this, ID_TRUST_ONCE);
    Bind(wxEVT_BUTTON, &CTrustQuestionDlg::OnTrust, this, ID_TRUST_ALWAYS);
}

void CTrustQuestionDlg::Build(const std::string& intro, bool changed, const std::vector<Field>& fields)
{
    auto* head = new wxBoxSizer(wxHORIZONTAL);
    const wxArtID icon = changed ? wxART_ERROR : wxART_WARNING;
    head->Add(new wxStaticBitmap(this, wxID_ANY, wxArtProvider::GetBitmap(icon, wxART_MESSAGE_BOX)), 0,
              wxRIGHT, 10);
    auto* text = new wxStaticText(this, ID_WARNING, Wx(intro));
    if (changed)
        text->SetFont(text->GetFont().Bold());
    text->Wrap(GetCharWidth() * 80);
    head->Add(text, 1, wxALIGN_CENTER_VERTICAL);

    // Read-only fields: a fingerprint is compared by eye or pasted.
    auto* grid = new wxFlexGridSizer(2, 6, 8);
    grid->AddGrowableCol(1, 1);
    for (const Field& field : fields) {
        grid->Add(new wxStaticText(this, wxID_ANY, Wx(field.label)), 0, wxALIGN_CENTER_VERTICAL);
        auto* value = new wxTextCtrl(this, field.id, Wx(field.value), wxDefaultPosition, wxDefaultSize, wxTE_READONLY);
        // Wide enough for a whole fingerprint (95 characters).
        value->SetMinSize(wxSize(std::max(value->GetCharWidth() * 60, value->GetTextExtent(Wx(field.value)).x + 24), -1));
        grid->Add(value, 1, wxEXPAND);
    }

    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    buttons->Add(new wxButton(this, ID_TRUST_ONCE, Wx(Tr("CERT.Once", "Trust &once"))), 0);
    buttons->Add(new wxButton(this, ID_TRUST_ALWAYS, Wx(Tr("CERT.Always", "Trust &always"))), 0, wxLEFT, 6);
    auto* cancel = new wxButton(this, wxID_CANCEL, Wx(Tr("CERT.Cancel", "&Cancel")));
    buttons->Add(cancel, 0, wxLEFT, 6);
    cancel->SetDefault();
    cancel->SetFocus();

    auto* top = new wxBoxSizer(wxVERTICAL);
    top->Add(head, 0, wxEXPAND | wxALL, 10);
    top->Add(grid, 0, wxEXPAND | wxLEFT | wxRIGHT, 10);
    top->Add(buttons, 0, wxALIGN_RIGHT | wxALL, 10);
    SetSizerAndFit(top);
    CentreOnParent();
}

void CTrustQuestionDlg::OnTrust(wxCommandEvent& event)
{
    EndModal(event.GetId());
}

CertificateTrust CTrustQuestionDlg::Ask()
{
    switch (ShowModal()) {
    case ID_TRUST_ONCE: return CertificateTrust::Once;
    case ID_TRUST_ALWAYS: return CertificateTrust::Always;
    default: return CertificateTrust::Reject;
    }
}
