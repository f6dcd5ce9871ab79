#include "transfer/CSkerrowDoc.h"

#include "app/CStringTable.h"
#include "app/CommandIds.h"
#include "app/StringIds.h"
#include "transfer/CSkerrowView.h"

using namespace skerrow;

wxIMPLEMENT_DYNAMIC_CLASS(CSkerrowDoc, wxDocument);

CSkerrowDoc::CSkerrowDoc()
{
    Bind(wxEVT_MENU, &CSkerrowDoc::OnFileOpen, this, WxCommandId(ID_FILE_OPEN));
    Bind(wxEVT_MENU, &CSkerrowDoc::OnFileSave, this, WxCommandId(ID_FILE_SAVE));
}

CSkerrowView* CSkerrowDoc::GetSkerrowView() const
{
    return dynamic_cast<CSkerrowView*>(GetFirstView());
}

bool CSkerrowDoc::OnSaveModified()
{
    CSkerrowView* view = GetSkerrowView();
    if (!view || view->GetRunState() == 0)
        return true;
    if (!view->AskYesNo(LoadString(IDS_QUIT_CONFIRM), PromptIcon::Question))
        return false;
    view->StopActivity();
    return true;
}

void CSkerrowDoc::OnFileOpen(wxCommandEvent&) {}

void CSkerrowDoc::OnFileSave(wxCommandEvent&) {}
