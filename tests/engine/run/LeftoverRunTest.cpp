// Find Files and Server Leftovers, then Transfer/Delete, through the run control against a real
// server: nothing is deleted before the user says Yes, rows taken out stay on the server, excluded
// files are never listed, and the upload rows are sent in the same run.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "list/RowWord.h"
#include "run/CLeftoverFindWorker.h"
#include "transfer/CLeftoverDeletion.h"
#include "support/CRunControlFixture.h"

namespace skerrow {
namespace {

using test::FtpServerKind;

class LeftoverRunTest : public test::RunControlTest {
protected:
    std::vector<std::string> LeftoverRows() const
    {
        std::vector<std::string> names;
        for (const CTransferRow& row : m_list.Snapshot()) {
            if (RowKindOf(row.word) == kKindLeftover)
                names.push_back(row.name);
        }
        return names;
    }
    size_t RowIndex(const std::string& name) const
    {
        const std::vector<CTransferRow> rows = m_list.Snapshot();
        for (size_t i = 0; i < rows.size(); ++i) {
            if (rows[i].name == name)
                return i;
        }
        return rows.size();
    }
};

TEST_F(LeftoverRunTest, NothingIsDeletedUntilYesAndRowsTakenOutStay)
{
    m_served.WriteFile("site/old.html", "renamed locally");
    m_served.WriteFile("site/gone/a.htm", "a");
    m_served.WriteFile("site/.htaccess", "deny from all");
    m_served.WriteFile("elsewhere.html", "not below the start directory");
    StartServer(FtpServerKind::Pyftpdlib);
    WriteSetting("Exclusions", "Count", "1");
    WriteSetting("Exclusions", "Pattern1", ".htaccess");

    Controller().OnFindLeftovers();
    ASSERT_TRUE(m_host.PumpUntilIdle());
    // After the changed files, the leftovers; nothing sent, nothing deleted.
    std::vector<std::string> leftovers = LeftoverRows();
    std::sort(leftovers.begin(), leftovers.end());
    EXPECT_EQ(leftovers, (std::vector<std::string>{"/site/gone/", "/site/gone/a.htm", "/site/old.html"}));
    EXPECT_EQ(RowKindOf(m_list.Snapshot().front().word), kKindPcFile);
    EXPECT_EQ(Controller().RunState(), 1);
    EXPECT_FALSE(Served("site/index.html"));
    EXPECT_TRUE(Served("site/old.html") && Served("site/gone/a.htm"));

    // The user takes the directory out of the list (the Delete key), then answers No.
    m_list.Delete({RowIndex("/site/gone/a.htm"), RowIndex("/site/gone/")});
    m_sink.SetAnswer(false);
    const size_t messagesBefore = m_sink.Messages().size();
    Controller().OnTransferDelete();
    ASSERT_TRUE(m_host.PumpUntilIdle());
    const std::vector<std::string> messages = m_sink.Messages();
    ASSERT_GT(messages.size(), messagesBefore);
    EXPECT_EQ(messages[messagesBefore], CLeftoverDeletion::QuestionText(1, 0, "/site"));
    EXPECT_TRUE(ServedMatches("index.html")); // the upload went on
    EXPECT_TRUE(Served("site/old.html"));
    EXPECT_EQ(RowStateOf(m_list.Snapshot()[RowIndex("/site/old.html")].word), kRowPending);
    EXPECT_EQ(Controller().RunState(), 1);

    // Yes: the one leftover left in the list goes, and nothing else.
    m_sink.SetAnswer(true);
    Controller().OnTransferDelete();
    ASSERT_TRUE(m_host.PumpUntilIdle());
    EXPECT_FALSE(Served("site/old.html"));
    EXPECT_TRUE(Served("site/gone/a.htm"));
    EXPECT_TRUE(Served("site/.htaccess"));
    EXPECT_TRUE(Served("elsewhere.html"));
    EXPECT_EQ(m_list.CountInState(kRowDone), m_list.Count());
    EXPECT_EQ(Controller().RunState(), 0);
    EXPECT_NE(LastRun(), "absent");

    // A file that cannot be sent keeps every leftover on the server: it may be the old copy.
    m_served.WriteFile("site/later.html", "l");
    m_list.Insert(m_list.Count(), kKindLeftover << 4, "/site/later.html", "1");
    m_list.Insert(m_list.Count(), kKindPcFile, "/back\\slash.htm", "1");
    Controller().OnTransferDelete();
    ASSERT_TRUE(m_host.PumpUntilIdle());
    EXPECT_TRUE(Served("site/later.html"));
    EXPECT_EQ(RowStateOf(m_list.Snapshot()[RowIndex("/site/later.html")].word), kRowPending);
}

// While the question is open the user restores a file in the folder and another leftover vanishes
// from the server: the restored one stays, the vanished one is no failure. Rows of a tree delete in
// the same list are never deleted as leftovers.
TEST_F(LeftoverRunTest, EachLeftoverIsCheckedAgainRightBeforeItsDeletion)
{
    // Three leftovers among six files: half of the site, which the guard against mass deletion allows.
    for (const char* name : {"site/restored.html", "site/vanished.html", "site/old.html", "site/index.html",
                             "site/img/logo.gif", "site/about/team/people.htm"})
        m_served.WriteFile(name, "old");
    m_served.WriteFile("tree/kept.html", "not below the Start Dir");
    StartServer(FtpServerKind::Pyftpdlib);
    Controller().OnFindLeftovers();
    ASSERT_TRUE(m_host.PumpUntilIdle());
    ASSERT_EQ(LeftoverRows().size(), 3u);
    m_list.Insert(m_list.Count(), kKindFtpEntry << 4, "/tree/kept.html", "1");

    m_sink.Hold();
    Controller().OnTransferDelete();
    ASSERT_TRUE(m_host.PumpUntil([this] { return m_sink.Waiting() > 0; }, std::chrono::seconds(20)));
    m_local.WriteFile("Restored.html", "back in the folder, in other letters");
    std::filesystem::remove(m_served.Path() / "site/vanished.html");
    m_sink.Answer(true);
    ASSERT_TRUE(m_host.PumpUntilIdle());

    EXPECT_TRUE(Served("site/restored.html"));
    EXPECT_FALSE(Served("site/old.html"));
    EXPECT_TRUE(Served("tree/kept.html"));
    const auto state = [this](const std::string& name) { return RowStateOf(m_list.Snapshot()[RowIndex(name)].word); };
    EXPECT_EQ(state("/site/restored.html"), kRowFailed);
    EXPECT_EQ(state("/site/vanished.html"), kRowDone);
    EXPECT_EQ(state("/site/old.html"), kRowDone);
    EXPECT_EQ(state("/tree/kept.html"), kRowPending);
}

// Leftovers listed while the folder was whole are not deleted once it is empty (a share unmounted
// between the list and Transfer/Delete).
TEST_F(LeftoverRunTest, NothingIsDeletedFromAFolderEmptiedAfterTheList)
{
    for (const char* name : {"site/old.html", "site/index.html", "site/img/logo.gif", "site/about/team/people.htm"})
        m_served.WriteFile(name, "old");
    StartServer(FtpServerKind::Pyftpdlib);
    Controller().OnFindLeftovers();
    ASSERT_TRUE(m_host.PumpUntilIdle());
    m_list.Delete({RowIndex("index.html"), RowIndex("/img/logo.gif"), RowIndex("/about/team/people.htm")});
    ASSERT_EQ(LeftoverRows(), (std::vector<std::string>{"/site/old.html"}));
    for (const auto& entry : std::filesystem::directory_iterator(m_local.Path()))
        std::filesystem::remove_all(entry.path());
    Controller().OnTransferDelete();
    ASSERT_TRUE(m_host.PumpUntilIdle());
    EXPECT_TRUE(Served("site/old.html"));
}

// The guard's edges: a page or two always goes; past that, half of the site goes and one file more
// does not; an empty folder deletes nothing.
TEST(MassDeletionGuard, RefusesFromOneFileOverHalfOfTheSite)
{
    struct Case {
        size_t leftovers, serverFiles;
        bool emptyFolder, refused;
    };
    for (const Case c : {Case{0, 0, true, false}, Case{1, 10, true, true}, Case{2, 2, false, false},
                         Case{3, 6, false, false}, Case{3, 5, false, true}, Case{50, 100, false, false},
                         Case{51, 101, false, true}}) {
        EXPECT_EQ(CLeftoverFindWorker::IsMassDeletion(c.leftovers, c.serverFiles, c.emptyFolder), c.refused)
            << c.leftovers << " of " << c.serverFiles << (c.emptyFolder ? ", empty folder" : "");
    }
}

} // namespace
} // namespace skerrow
