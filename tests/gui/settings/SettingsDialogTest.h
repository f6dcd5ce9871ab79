#pragma once
// Shared by the settings dialog tests: a fresh settings file per test, wx's modal-dialog hook for the
// message boxes, and wx assertions turned into test failures.

#include <gtest/gtest.h>
#include <wx/msgdlg.h>

// Our hook: failures go to gtest, and a dialog nobody expected is cancelled instead of waiting for
// a click that never comes.
#define wxTEST_DIALOG_HOOK_CLASS skerrow::test::CTestModalHook
#include <wx/testing.h>
#include <wx/listctrl.h>
#include <wx/textctrl.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/CStringTable.h"
#include "settings/CIniFile.h"
#include "settings/CSettingsFile.h"
#include "support/CTempDir.h"

namespace skerrow::test {

class CTestModalHook : public wxTestingModalHook {
public:
    CTestModalHook(const char* file, int line, const char* func) : wxTestingModalHook(file, line, func) {}

protected:
    int Enter(wxDialog* dialog) override
    {
        const int result = wxTestingModalHook::Enter(dialog);
        return result == wxID_NONE ? wxID_CANCEL : result;
    }

    void ReportFailure(const wxString& message) override { ADD_FAILURE() << message; }
};

// A message box that must come up with this text and icon; answered with OK.
class CExpectMessage : public wxExpectModalBase<wxMessageDialog, CExpectMessage> {
public:
    CExpectMessage(const wxString& text, long icon) : m_text(text), m_icon(icon) {}
    CExpectMessage(int stringId, long icon) : CExpectMessage(wxString::FromUTF8(LoadString(stringId)), icon) {}

    wxString m_caption; // checked when not empty

protected:
    int OnInvoked(wxMessageDialog* dialog) const override
    {
        EXPECT_EQ(dialog->GetMessage(), m_text);
        EXPECT_TRUE(dialog->GetMessageDialogStyle() & m_icon) << "icon flags " << dialog->GetMessageDialogStyle();
        if (!m_caption.empty()) {
            EXPECT_EQ(dialog->GetCaption(), m_caption);
        }
        return wxID_OK;
    }

private:
    wxString m_text;
    long m_icon;
};

class CSettingsDialogTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_iniPath = m_dir.Str() + "/s.ini";
        CSettingsFile::SetOverridePath(m_iniPath);
        m_previousAssertHandler = wxSetAssertHandler(&CSettingsDialogTest::OnAssert);
    }

    void TearDown() override
    {
        wxSetAssertHandler(m_previousAssertHandler);
        CSettingsFile::SetOverridePath("");
    }

    std::string Read(const char* section, const char* key) const
    {
        return CIniFile::GetString(m_iniPath, section, key, "<absent>");
    }

    bool SettingsFileExists() const { return std::filesystem::exists(m_iniPath); }

    template <class T>
    static T* Control(wxWindow& dialog, int id)
    {
        auto* control = dynamic_cast<T*>(dialog.FindWindow(id));
        EXPECT_NE(control, nullptr) << "no control " << id;
        return control;
    }

    static wxTextCtrl* Edit(wxWindow& dialog, int id) { return Control<wxTextCtrl>(dialog, id); }
    // The texts of a list's items, first to last.
    static std::vector<std::string> ListItems(wxListCtrl* list)
    {
        std::vector<std::string> items;
        for (int i = 0; i < list->GetItemCount(); ++i)
            items.push_back(list->GetItemText(i).utf8_string());
        return items;
    }

    CTempDir m_dir;
    std::string m_iniPath;

private:
    static void OnAssert(const wxString& file, int line, const wxString& func, const wxString& cond,
                         const wxString& msg)
    {
        ADD_FAILURE_AT(file.utf8_str(), line) << func << ": " << cond << " " << msg;
    }

    wxAssertHandler_t m_previousAssertHandler = nullptr;
};

// Runs code with every modal dialog refused: any message box is a failure.
#define EXPECT_NO_DIALOG(code)                                                                                     \
    do {                                                                                                           \
        skerrow::test::CTestModalHook noDialogHook(__FILE__, __LINE__, __func__);                                  \
        code;                                                                                                      \
    } while (0)

} // namespace skerrow::test
