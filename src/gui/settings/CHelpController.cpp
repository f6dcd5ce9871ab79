#include "settings/CHelpController.h"

#include "platform/CNativeWindow.h"
#include "settings/CHelpFrame.h"

CHelpController::CHelpController() : wxHtmlHelpController(wxHF_DEFAULT_STYLE | wxHF_FRAME) {}

wxHtmlHelpFrame* CHelpController::CreateHelpFrame(wxHtmlHelpData* data)
{
    auto* frame = new CHelpFrame(data);
    frame->SetController(this);
    frame->SetTitleFormat(m_titleFormat);
    frame->Create(m_parentWindow, wxID_ANY, wxEmptyString, m_FrameStyle, m_Config, m_ConfigRoot);
    frame->SetShouldPreventAppExit(m_shouldPreventAppExit);
    // A modal dialog open now (Connect, Advanced) must not take the viewer's input away.
    CNativeWindow::DetachFromModalGroup(frame);
    m_helpFrame = frame;
    return frame;
}
