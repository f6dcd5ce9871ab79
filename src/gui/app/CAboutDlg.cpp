#include "app/CAboutDlg.h"

#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

#include "app/CLinkEdit.h"
#include "app/CStringTable.h"
#include "app/CVersionInfo.h"
#include "skerrow.xpm"

using skerrow::Tr;

const char* const CAboutDlg::kWebSiteAddress = "https://www.example.org/skerrow";
const char* const CAboutDlg::kSupportAddress = "skerrow-support@example.org";
const char* const CAboutDlg::kDonateAddress = "https://www.example.org/skerrow/donate";

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
    top->Add(CreateLinks(), wxSizerFlags().Expand().Border(wxLEFT | wxRIGHT | wxBOTTOM, 10));
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

wxSizer* CAboutDlg::CreateLinks()
{
    struct Link {
        int id;
        std::string label;
        const char* address;
    };
    const Link links[] = {{kWebSite, Tr("D100.WebSite", "Web Site:-"), kWebSiteAddress},
                          {kSupport, Tr("D100.Support", "Support:-"), kSupportAddress},
                          {kDonate, Tr("D100.Donate", "Donate:-"), kDonateAddress}};
    auto* grid = new wxFlexGridSizer(2, 4, 6);
    grid->AddGrowableCol(1);
    for (const Link& link : links) {
        grid->Add(new wxStaticText(this, wxID_ANY, Text(link.label), wxDefaultPosition, wxDefaultSize,
                                   wxALIGN_RIGHT),
                  wxSizerFlags().Right().CentreVertical());
        auto* field = new CLinkEdit(this, link.id, link.address);
        field->SetFixedAddress(kDonateAddress);
        field->SetMinSize(wxSize(field->GetTextExtent(link.address).GetWidth() + 20, -1));
        grid->Add(field, wxSizerFlags().Expand());
    }
    return grid;
}
