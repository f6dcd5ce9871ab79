// upload --delete-leftovers, run as the real binary against a real server: the leftovers are
// printed, deleted only with --yes, and excluded files are never touched.

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <sstream>

#include "support/CCliProcess.h"
#include "support/CRunControlFixture.h"

using namespace skerrow;
using namespace skerrow::test;

namespace {

class CliLeftoversTest : public RunControlTest {
protected:
    CCliResult Cli(std::vector<std::string> args)
    {
        args.insert(args.begin(), {"--settings", (m_settingsDir.Path() / "skerrow.ini").string()});
        return CCliProcess::Run(args);
    }
    bool Served(const std::string& relative) const { return std::filesystem::exists(m_served.Path() / relative); }
};

TEST(CliLeftoversUsageTest, TheOptionGoesWithUploadOnlyAndYesNeedsIt)
{
    const struct {
        std::vector<std::string> args;
        const char* said;
    } cases[] = {
        {{"find", "--delete-leftovers"}, "--delete-leftovers does not go with find"},
        {{"tree-delete", "d", "--delete-leftovers"}, "--delete-leftovers does not go with tree-delete"},
        {{"upload", "--yes"}, "--yes does not go with upload"},
    };
    for (const auto& c : cases) {
        const CCliResult result = CCliProcess::Run(c.args);
        EXPECT_EQ(result.exitCode, 2) << c.said;
        EXPECT_NE(result.err.find(c.said), std::string::npos) << result.err;
    }
}

TEST_F(CliLeftoversTest, ListsWithoutYesDeletesWithYesAndKeepsExcludedFiles)
{
    m_served.WriteFile("site/old.html", "o");
    m_served.WriteFile("site/gone/a.htm", "a");
    m_served.WriteFile("site/.htaccess", "deny");
    StartServer(FtpServerKind::Pyftpdlib);
    WriteSetting("Exclusions", "Count", "1");
    WriteSetting("Exclusions", "Pattern1", ".htaccess");

    const CCliResult listed = Cli({"upload", "--delete-leftovers"});
    EXPECT_EQ(listed.exitCode, 0) << listed.err;
    std::set<std::string> lines;
    std::istringstream out(listed.out);
    for (std::string line; std::getline(out, line);)
        lines.insert(line);
    EXPECT_EQ(lines, (std::set<std::string>{"/site/old.html", "/site/gone/a.htm", "/site/gone/"}));
    EXPECT_NE(listed.err.find("3 server leftovers listed; nothing was deleted"), std::string::npos) << listed.err;
    EXPECT_TRUE(ServedMatches("index.html")); // the upload itself went on
    EXPECT_TRUE(Served("site/old.html") && Served("site/gone/a.htm"));

    const CCliResult deleted = Cli({"upload", "--delete-leftovers", "--yes"});
    EXPECT_EQ(deleted.exitCode, 0) << deleted.err;
    EXPECT_FALSE(Served("site/old.html"));
    EXPECT_FALSE(Served("site/gone"));
    EXPECT_TRUE(Served("site/.htaccess"));
    EXPECT_TRUE(ServedMatches("index.html"));
}

} // namespace
