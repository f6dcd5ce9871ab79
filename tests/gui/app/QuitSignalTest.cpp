// SIGTERM, SIGINT and SIGHUP end the program as closing the window and answering Yes does: a run
// in progress stops through Stop, the settings file keeps every key, and the window goes, also
// when a dialog is open at the time.

#include <csignal>
#include <sstream>

#include "app/CMainFrame.h"
#include "app/CSkerrowApp.h"
#include "app/CommandIds.h"
#include "app/StringIds.h"
#include "gui/settings/SettingsDialogTest.h"
#include "gui/app/CMainWindowTest.h"
#include "gui/transfer/CRunWindowTest.h"
#include "transfer/CSkerrowView.h"
#include "support/ParamByName.h"

using namespace skerrow;
using skerrow::test::FtpServerKind;

namespace {

struct SignalCase {
    const char* name;
    int signal;
};

// Names the case in test listings.
void PrintTo(const SignalCase& tested, std::ostream* out)
{
    *out << tested.name;
}

class QuitSignalTest : public CRunWindowTest, public testing::WithParamInterface<SignalCase> {
protected:
    bool WindowGone() const { return SkerrowApp().GetMainFrame() == nullptr; }

    // Every line of before is still in the settings file.
    void ExpectSettingsKept(const std::string& before)
    {
        const std::string after = ReadIni();
        std::istringstream lines(before);
        for (std::string line; std::getline(lines, line);)
            EXPECT_NE(after.find(line), std::string::npos) << "lost: " << line;
    }
};

} // namespace

TEST_P(QuitSignalTest, StopsTheRunAndClosesWithoutAsking)
{
    if (!SiteWithASlowBigUpload())
        return;
    StartWindow();
    SkerrowApp().ListenForQuitSignals();
    const std::string settings = ReadIni();
    Command(ID_FIND_FILES_TRANSFER);
    ASSERT_TRUE(PumpUntil([this] { return ServedSize(kBigPart) > 0; }, std::chrono::seconds(20)));
    ASSERT_TRUE(View()->Run().IsRunActive());

    // No quit question: the signal is the user's answer.
    EXPECT_NO_DIALOG({
        std::raise(GetParam().signal);
        EXPECT_TRUE(PumpUntil([this] { return WindowGone(); }, std::chrono::seconds(20)));
    });
    EXPECT_EQ(SkerrowApp().GetView(), nullptr);
    EXPECT_LT(ServedSize("big.bin"), 50u * 1024 * 1024);
    ExpectSettingsKept(settings);
}

// The plain window (no run fixture, which refuses every dialog): the Connect dialog shows for real.
class QuitSignalDialogTest : public CMainWindowTest, public testing::WithParamInterface<SignalCase> {
protected:
    bool WindowGone() const { return SkerrowApp().GetMainFrame() == nullptr; }
};

TEST_P(QuitSignalDialogTest, EndsAnOpenDialogFirst)
{
    Start("[Configure]\nFTPURL=ftp.example.org\nUser=someone\n[Advanced]\nLanguage=1\n");
    SkerrowApp().ListenForQuitSignals();
    View()->SetRunState(1); // a list not finished: closing by hand would ask
    // The signal comes while the Connect dialog waits for the user; it is cancelled, not saved.
    wxTheApp->CallAfter([this] { std::raise(GetParam().signal); });
    Command(ID_PROPERTIES);
    EXPECT_TRUE(PumpUntil([this] { return WindowGone(); }, std::chrono::seconds(20)));
    const std::string after = ReadIni();
    EXPECT_NE(after.find("[Configure]\nFTPURL=ftp.example.org\nUser=someone\n"), std::string::npos) << after;
    EXPECT_EQ(after.find("LastRun"), std::string::npos) << "the dialog was saved";
}

const SignalCase kSignals[] = {{"Term", SIGTERM}, {"Interrupt", SIGINT}, {"HangUp", SIGHUP}};
INSTANTIATE_TEST_SUITE_P(Signals, QuitSignalTest, testing::ValuesIn(kSignals), skerrow::test::ParamByName());
INSTANTIATE_TEST_SUITE_P(Signals, QuitSignalDialogTest, testing::ValuesIn(kSignals), skerrow::test::ParamByName());
