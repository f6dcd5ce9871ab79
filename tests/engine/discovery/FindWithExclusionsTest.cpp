// The find as the run control makes it: the exclusion rules come from the settings file, and a rule
// file that cannot be read stops the find with a message instead of listing what it would exclude.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sys/stat.h>

#include "app/CStringTable.h"
#include "settings/CExclusionList.h"
#include "settings/CSettingsFile.h"
#include "settings/CViewSettings.h"
#include "support/CFtpRecordingSink.h"
#include "support/CTempDir.h"
#include "transfer/CProgressMeter.h"
#include "run/CRunController.h"
#include "list/CTransferList.h"
#include "support/CRunTestHost.h"
#include "support/RowNames.h"

using namespace skerrow;

namespace {

class FindWithExclusionsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_ini = (m_settingsDir.Path() / "skerrow.ini").string();
        CSettingsFile::SetOverridePath(m_ini);
        CSettingsFile file;
        file.GetPath(".ini");
        file.WriteString("Configure", "PCDir", m_site.Str());
        file.WriteString("Configure", "UploadAllFiles", "1");
        for (const char* name : {"index.html", ".git/HEAD", "notes.bak", "page.html~"})
            m_site.WriteFile(name, "x");
    }
    void TearDown() override { CSettingsFile::SetOverridePath(""); }

    std::vector<std::string> Find()
    {
        CRunController controller(m_list, m_settings, m_sink, m_sink, m_progress, m_host);
        controller.FindFiles();
        return test::Sorted(test::RowNames(m_list));
    }

    test::CTempDir m_settingsDir, m_site;
    std::string m_ini;
    CTransferList m_list;
    CViewSettings m_settings;
    test::CFtpRecordingSink m_sink;
    CProgressMeter m_progress{m_sink};
    test::CRunTestHost m_host;
};

} // namespace

TEST_F(FindWithExclusionsTest, RulesComeFromTheSettingsFile)
{
    EXPECT_EQ(Find(), (std::vector<std::string>{"index.html", "notes.bak"})); // the defaults
    ASSERT_TRUE(CExclusionList::Store(m_ini, {"*.bak"}));
    EXPECT_EQ(Find(), (std::vector<std::string>{"/.git/HEAD", "index.html", "page.html~"}));
    EXPECT_TRUE(m_sink.Messages().empty());
}

TEST_F(FindWithExclusionsTest, AnUnreadableRuleFileListsNothingAndSaysWhy)
{
    const std::string ruleFile = m_site.Str() + "/.skerrowignore";
    ASSERT_EQ(::mkfifo(ruleFile.c_str(), 0600), 0);
    EXPECT_TRUE(Find().empty());
    ASSERT_EQ(m_sink.Messages().size(), 1u);
    EXPECT_NE(m_sink.Messages()[0].find(ruleFile), std::string::npos) << m_sink.Messages()[0];
}
