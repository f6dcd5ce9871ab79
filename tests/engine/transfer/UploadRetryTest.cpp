// Failures that may pass (a data connection cut with 426, a 451, the control connection dropped)
// are tried again, up to the tries per file; a refusal that would come again is not, and Stop
// during the pause before a try ends the pass with the row back to Pending.

#include <gtest/gtest.h>

#include <filesystem>
#include <future>
#include <map>
#include <mutex>
#include <thread>

#include "list/RowWord.h"
#include "support/CFtpTestBench.h"
#include "transfer/CFTPTransfer.h"
#include "transfer/CFileSender.h"

namespace skerrow {
namespace {

using test::CFtpTestBench;
using test::CTempDir;
using test::FtpServerKind;

struct Tried {
    int32_t state;
    int stors;          // tries the server saw
    const char* error;  // a part of the row's text ("" for none)
};

class UploadRetryTest : public testing::Test {
protected:
    // Starts the server (the "flaky" and "busy" names fail their first two tries) and counts the
    // STOR of each name as the connection sends it.
    bool Start()
    {
        m_bench = std::make_unique<CFtpTestBench>(FtpServerKind::Misbehaving,
                                                  [](CTempDir&) { return std::vector<std::string>{"--flaky-fails", "2"}; });
        if (!m_bench->Ready() || !m_bench->Open(2))
            return false;
        m_bench->Connection().SetLogCallback([this](const std::string& line) {
            if (line.compare(0, 8, "> STOR /") == 0) {
                std::lock_guard lock(m_mutex);
                ++m_stors[line.substr(8)];
            }
        });
        return true;
    }
    int Stors(const std::string& name)
    {
        std::lock_guard lock(m_mutex);
        return m_stors[name];
    }

    std::unique_ptr<CFtpTestBench> m_bench;
    std::mutex m_mutex;
    std::map<std::string, int> m_stors;
};

TEST_F(UploadRetryTest, OnlyFailuresThatMayPassAreTriedAgainUpToTheTriesPerFile)
{
    const std::vector<std::string> names = {"flaky.bin", "busy.bin", "full.bin", "drop.bin", "ok.bin"};
    const struct {
        int tries;
        bool tempNames; // each try sends ".name.skerrow-part" and renames it
        std::map<std::string, Tried> expected;
    } runs[] = {
        {3, false,
         {{"flaky.bin", {kRowDone, 3, "Sent on try 3 of 3; the try before failed: 426 Connection closed"}},
          {"busy.bin", {kRowDone, 3, "Sent on try 3 of 3; the try before failed: 451 Local error"}},
          {"full.bin", {kRowFailed, 1, "452 Insufficient storage space."}},
          {"drop.bin", {kRowFailed, 3, "It failed on each of its 3 tries."}},
          {"ok.bin", {kRowDone, 1, ""}}}},
        // The published name holds the whole file once a try went through, and no part is left.
        {3, true,
         {{"flaky.bin", {kRowDone, 3, "Sent on try 3 of 3; the try before failed: 426 Connection closed"}},
          {"busy.bin", {kRowDone, 3, "Sent on try 3 of 3; the try before failed: 451 Local error"}},
          {"full.bin", {kRowFailed, 1, "452 Insufficient storage space."}},
          {"drop.bin", {kRowFailed, 3, "It failed on each of its 3 tries."}},
          {"ok.bin", {kRowDone, 1, ""}}}},
        // One try: as before there were tries at all.
        {1, false,
         {{"flaky.bin", {kRowFailed, 1, "error code: 12030"}},
          {"busy.bin", {kRowFailed, 1, "451 Local error"}},
          {"full.bin", {kRowFailed, 1, "452 Insufficient storage space."}},
          {"drop.bin", {kRowFailed, 1, "error code: 12030"}},
          {"ok.bin", {kRowDone, 1, ""}}}},
    };
    for (const auto& run : runs) {
        SCOPED_TRACE(run.tries);
        ASSERT_TRUE(Start()) << m_bench->Skip();
        for (const std::string& name : names) {
            m_bench->Local().WriteFile(name, std::string(50000, 'f'));
            m_bench->AddRow(name);
        }
        CTransferContext& context = m_bench->Context("");
        context.tries = run.tries;
        context.tempNameUpload = run.tempNames ? CFileSender::kAllFiles : CFileSender::kNoFiles;
        CFTPTransfer(context).UploadRows();
        for (size_t row = 0; row < names.size(); ++row) {
            const Tried& expected = run.expected.at(names[row]);
            SCOPED_TRACE(names[row]);
            EXPECT_EQ(m_bench->States()[row], expected.state);
            EXPECT_EQ(Stors(run.tempNames ? CFileSender::PartName(names[row]) : names[row]), expected.stors);
            const std::string error = m_bench->List().GetText(row, kColErrors);
            EXPECT_NE(error.find(expected.error), std::string::npos) << error;
            if (!*expected.error) {
                EXPECT_EQ(error, "");
            }
        }
        EXPECT_EQ(m_bench->Served().ReadFile("flaky.bin").size(), run.tries == 3 ? 50000u : 1024u);
        EXPECT_FALSE(std::filesystem::exists(m_bench->Served().Path() / CFileSender::PartName("flaky.bin")));
        m_stors.clear();
    }
}

TEST_F(UploadRetryTest, StopDuringThePauseEndsThePassWithTheRowPending)
{
    ASSERT_TRUE(Start()) << m_bench->Skip();
    m_bench->Local().WriteFile("flaky.bin", "f");
    m_bench->AddRow("flaky.bin");
    CTransferContext& context = m_bench->Context("");
    context.tries = 5;
    std::promise<void> pausing;
    bool told = false;
    int stors = 0;
    m_bench->Connection().SetLogCallback([&](const std::string& line) {
        stors += line.compare(0, 6, "> STOR") == 0 ? 1 : 0;
        if (line.find("trying it again") != std::string::npos && !std::exchange(told, true))
            pausing.set_value();
    });
    std::thread pass([&context] { CFTPTransfer(context).UploadRows(); });
    pausing.get_future().wait();
    m_bench->Stop().Set();
    pass.join();
    EXPECT_EQ(m_bench->States(), std::vector<int32_t>{kRowPending});
    EXPECT_EQ(m_bench->List().GetText(0, kColErrors), "");
    EXPECT_EQ(stors, 1); // no try after the Stop
}

} // namespace
} // namespace skerrow
