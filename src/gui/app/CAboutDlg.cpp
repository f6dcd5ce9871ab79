#include "app/CAboutDlg.h"

#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

#include "app/CStringTable.h"
#include "app/CVersionInfo.h"
#include "skerrow.xpm"

using skerrow::Tr;

namespace {

wxString Text(const std::string& utf8)
{
    return wxString::FromUTF8(utf8);
}

} // namespace

CAboutDlg::CAboutDlg(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, Text(Tr("D100.Title", "About Skerrow")))
{
    auto* top = new wxBoxSizer(wxVERTICAL);
    top->Add(CreateHeader(), wxSizerFlags().Expand().Border(wxALL, 10));
    SetSizerAndFit(top);
    CentreOnParent();
}

wxSizer* CAboutDlg::CreateHeader()
{
    auto* texts = new wxBoxSizer(wxVERTICAL);
    auto* versionLine = new wxBoxSizer(wxHORIZONTAL);
    versionLine->Add(new wxStaticText(this, wxID_ANY, Text(Tr("D100.VersionLabel", "Skerrow Version")),
                                      wxDefaultPosition, wxDefaultSize, wxALIGN_RIGHT),
                     wxSizerFlags().Border(wxRIGHT, 6));
    const std::string version = CVersionInfo().GetModuleString("FileVersion");
    versionLine->Add(new wxStaticText(this, kVersionText, wxString::FromUTF8(version)));
    texts->Add(versionLine);
    texts->Add(new wxStaticText(this, wxID_ANY,
                                Text(Tr("D100.Notice", "Keeps a web site on an FTP server in step with its folder on this computer."))),
               wxSizerFlags().Border(wxTOP, 6));
    texts->Add(new wxStaticText(this, wxID_ANY, Text(Tr("D100.Freeware", "Freeware"))), wxSizerFlags().Border(wxTOP, 6));

    auto* header = new wxBoxSizer(wxHORIZONTAL);
    header->Add(new wxStaticBitmap(this, wxID_ANY, wxBitmap(skerrow_xpm)), wxSizerFlags().Border(wxRIGHT, 10));
    header->Add(texts, wxSizerFlags(1));
    auto* ok = new wxButton(this, wxID_OK, Text(Tr("D100.1", "OK")));
    ok->SetDefault();
    header->Add(ok, wxSizerFlags().Top().Border(wxLEFT, 10));
    return header;
}
