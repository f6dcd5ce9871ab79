#include "ftp/CPlainFtpDlg.h"

#include <wx/artprov.h>
#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

#include "app/CStringTable.h"
#include "transfer/CUiCall.h"

using namespace skerrow;

namespace {

wxString Wx(const std::string& text)
{
    return wxString::FromUTF8(text);
}

} // namespace

CPlainFtpDlg::CPlainFtpDlg(wxWindow* parent, const std::string& host, int port)
    : wxDialog(parent, wxID_ANY, Wx(Tr("PLAIN.Caption", "Connection without encryption")), wxDefaultPosition,
               wxDefaultSize, wxDEFAULT_DIALOG_STYLE)
{
    const std::string server = FormatText("%s:%d", host.c_str(), port);
    const std::string message = FormatText(
        Tr("PLAIN.Message", "The server %s does not offer encryption (TLS).\n\nIf you connect, your password and "
                            "your files travel over the network unencrypted: anyone on the way can read them, "
                            "and change the files.\n\nConnect only if you know that this server cannot encrypt.")
            .c_str(),
        server.c_str());
    auto* head = new wxBoxSizer(wxHORIZONTAL);
    head->Add(new wxStaticBitmap(this, wxID_ANY, wxArtProvider::GetBitmap(wxART_WARNING, wxART_MESSAGE_BOX)), 0,
              wxRIGHT, 10);
    auto* text = new wxStaticText(this, ID_MESSAGE, Wx(message));
    text->Wrap(GetCharWidth() * 70);
    head->Add(text, 1, wxALIGN_CENTER_VERTICAL);

    auto* row = new wxBoxSizer(wxHORIZONTAL);
    row->Add(new wxButton(this, ID_THIS_TIME, Wx(Tr("PLAIN.ThisTime", "Connect &without encryption this time"))), 0);
    row->Add(new wxButton(this, ID_ALWAYS, Wx(Tr("PLAIN.Always", "&Always for this server"))), 0, wxLEFT, 6);
    auto* cancel = new wxButton(this, wxID_CANCEL, Wx(Tr("CERT.Cancel", "&Cancel")));
    row->Add(cancel, 0, wxLEFT, 6);
    cancel->SetDefault();
    cancel->SetFocus();

    auto* top = new wxBoxSizer(wxVERTICAL);
    top->Add(head, 0, wxEXPAND | wxALL, 10);
    top->Add(row, 0, wxALIGN_RIGHT | wxALL, 10);
    SetSizerAndFit(top);
    CentreOnParent();
    Bind(wxEVT_BUTTON, &CPlainFtpDlg::OnAnswer, this, ID_THIS_TIME);
    Bind(wxEVT_BUTTON, &CPlainFtpDlg::OnAnswer, this, ID_ALWAYS);
}

void CPlainFtpDlg::OnAnswer(wxCommandEvent& event)
{
    EndModal(event.GetId());
}

PlainConsent CPlainFtpDlg::Ask()
{
    switch (ShowModal()) {
    case ID_THIS_TIME: return PlainConsent::Once;
    case ID_ALWAYS: return PlainConsent::Always;
    default: return PlainConsent::Refuse;
    }
}

PlainConsent CPlainFtpDlg::AskFromAnyThread(const std::function<wxWindow*()>& parent, const std::string& host,
                                            int port)
{
    return CUiCall::AskOnUi<PlainConsent>(
        [&parent, &host, port] { return CPlainFtpDlg(parent ? parent() : nullptr, host, port).Ask(); },
        PlainConsent::Refuse);
}
