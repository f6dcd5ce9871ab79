#pragma once
// A fixture that starts the real main window (document, frame, view) in-process over a settings
// file of its own, and tears it down after the test.

#include <chrono>
#include <functional>
#include <string>

#include <gtest/gtest.h>
#include <wx/msgdlg.h>
#include <wx/testing.h>

#include "support/CTempDir.h"
#include "gui/CExpectModal.h"

class CMainFrame;
class CSkerrowView;
class CTransferListCtrl;

class CMainWindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes the settings file and makes the window over it.
    void Start(const std::string& iniText);
    // Sends a menu command (by the program's command id) as the menu would.
    void Command(int commandId);
    // The Delete key pressed in the list, as the list hands it on (no pumping).
    void PressDeleteKey();

    CMainFrame* Frame() const;
    CSkerrowView* View() const;
    CTransferListCtrl* ListCtrl() const;
    std::string IniPath() const { return m_dir.Str() + "/skerrow.ini"; }
    std::string ReadIni() const { return m_dir.ReadFile("skerrow.ini"); }
    std::string PaneText(int pane) const;

    skerrow::test::CTempDir m_dir;
};

// Runs the calls queued for the UI thread (CallAfter) and the idle work.
void PumpPending();
// Dispatches events until the condition holds (for 15 s at most, then the test fails, well within
// the time ctest gives a window test).
void PumpUntil(const std::function<bool()>& condition);
// Dispatches events until the condition holds or the limit has passed; at the limit the test fails
// and the answer is false, so that a fault never hangs the suite.
bool PumpUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit);

// A message box expectation that answers with the given button and keeps its text and style.
class CExpectMessage : public wxExpectModalBase<wxMessageDialog, CExpectMessage> {
public:
    CExpectMessage(int answer, wxString* text, long* style = nullptr)
        : m_answer(answer), m_text(text), m_style(style) {}

protected:
    int OnInvoked(wxMessageDialog* dialog) const override
    {
        if (m_text)
            *m_text = dialog->GetMessage();
        if (m_style)
            *m_style = dialog->GetMessageDialogStyle();
        return m_answer;
    }

private:
    int m_answer;
    wxString* m_text;
    long* m_style;
};
