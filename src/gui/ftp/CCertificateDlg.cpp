#include "ftp/CCertificateDlg.h"

#include <wx/artprov.h>
#include <wx/button.h>
#include <wx/font.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>

#include "app/CStringTable.h"
#include "transfer/CUiCall.h"

using namespace skerrow;

namespace {

wxString Wx(const std::string& text)
{
    return wxString::FromUTF8(text);
}

// A read-only field the user can select and copy from (a fingerprint is compared by eye or pasted).
wxTextCtrl* AddField(wxWindow* parent, wxFlexGridSizer* grid, const std::string& label, const std::string& value,
                     int id = wxID_ANY)
{
    grid->Add(new wxStaticText(parent, wxID_ANY, Wx(label)), 0, wxALIGN_CENTER_VERTICAL);
    auto* field = new wxTextCtrl(parent, id, Wx(value), wxDefaultPosition, wxDefaultSize, wxTE_READONLY);
    // Wide enough for a whole fingerprint (95 characters).
    const int width = std::max(field->GetCharWidth() * 60, field->GetTextExtent(Wx(value)).x + 24);
    field->SetMinSize(wxSize(width, -1));
    grid->Add(field, 1, wxEXPAND);
    return field;
}

} // namespace

CCertificateDlg::CCertificateDlg(wxWindow* parent, const CCertificateInfo& info)
    : wxDialog(parent, wxID_ANY, Wx(Tr("CERT.Caption", "Server certificate")), wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE)
{
    CreateControls(info);
    Bind(wxEVT_BUTTON, &CCertificateDlg::OnTrust, this, ID_TRUST_ONCE);
    Bind(wxEVT_BUTTON, &CCertificateDlg::OnTrust, this, ID_TRUST_ALWAYS);
}

void CCertificateDlg::CreateControls(const CCertificateInfo& info)
{
    const std::string server = FormatText("%s:%d", info.host.c_str(), info.port);
    std::string intro;
    if (info.Changed()) {
        intro = FormatText(Tr("CERT.Changed", "WARNING: the certificate of %s is not the one you trusted before. "
                                              "Someone may be intercepting the connection. Trust it only if you "
                                              "know that the server's certificate was replaced.")
                               .c_str(),
                           server.c_str());
    } else {
        intro = FormatText(Tr("CERT.Untrusted", "The certificate of %s is not trusted by this system (%s). "
                                                "Trust it only if you know it belongs to your server.")
                               .c_str(),
                           server.c_str(), info.problem.c_str());
    }
    auto* head = new wxBoxSizer(wxHORIZONTAL);
    const wxArtID icon = info.Changed() ? wxART_ERROR : wxART_WARNING;
    head->Add(new wxStaticBitmap(this, wxID_ANY, wxArtProvider::GetBitmap(icon, wxART_MESSAGE_BOX)), 0,
              wxRIGHT, 10);
    auto* text = new wxStaticText(this, ID_WARNING, Wx(intro));
    if (info.Changed())
        text->SetFont(text->GetFont().Bold());
    text->Wrap(GetCharWidth() * 80);
    head->Add(text, 1, wxALIGN_CENTER_VERTICAL);

    auto* top = new wxBoxSizer(wxVERTICAL);
    top->Add(head, 0, wxEXPAND | wxALL, 10);
    top->Add(CreateDetails(info), 0, wxEXPAND | wxLEFT | wxRIGHT, 10);
    top->Add(CreateButtons(), 0, wxALIGN_RIGHT | wxALL, 10);
    SetSizerAndFit(top);
    CentreOnParent();
}

wxSizer* CCertificateDlg::CreateDetails(const CCertificateInfo& info)
{
    auto* grid = new wxFlexGridSizer(2, 6, 8);
    grid->AddGrowableCol(1, 1);
    AddField(this, grid, Tr("CERT.Subject", "Subject:"), info.subject);
    AddField(this, grid, Tr("CERT.Issuer", "Issuer:"), info.issuer);
    AddField(this, grid, Tr("CERT.ValidFrom", "Valid from:"), info.validFrom);
    AddField(this, grid, Tr("CERT.ValidUntil", "Valid until:"), info.validUntil);
    AddField(this, grid, Tr("CERT.Fingerprint", "SHA-256 fingerprint:"), info.fingerprint, ID_FINGERPRINT);
    if (info.Changed())
        AddField(this, grid, Tr("CERT.Remembered", "Trusted before:"), info.remembered);
    return grid;
}

wxSizer* CCertificateDlg::CreateButtons()
{
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    row->Add(new wxButton(this, ID_TRUST_ONCE, Wx(Tr("CERT.Once", "Trust &once"))), 0);
    row->Add(new wxButton(this, ID_TRUST_ALWAYS, Wx(Tr("CERT.Always", "Trust &always"))), 0, wxLEFT, 6);
    auto* cancel = new wxButton(this, wxID_CANCEL, Wx(Tr("CERT.Cancel", "&Cancel")));
    row->Add(cancel, 0, wxLEFT, 6);
    cancel->SetDefault();
    cancel->SetFocus();
    return row;
}

void CCertificateDlg::OnTrust(wxCommandEvent& event)
{
    EndModal(event.GetId());
}

CertificateTrust CCertificateDlg::Ask()
{
    switch (ShowModal()) {
    case ID_TRUST_ONCE: return CertificateTrust::Once;
    case ID_TRUST_ALWAYS: return CertificateTrust::Always;
    default: return CertificateTrust::Reject;
    }
}

CertificateTrust CCertificateDlg::AskFromAnyThread(const std::function<wxWindow*()>& parent,
                                                   const CCertificateInfo& info)
{
    return CUiCall::AskOnUi<CertificateTrust>(
        [&parent, &info] { return CCertificateDlg(parent ? parent() : nullptr, info).Ask(); }, CertificateTrust::Reject);
}
