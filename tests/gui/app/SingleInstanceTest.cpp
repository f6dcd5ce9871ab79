// One running copy per executable file name, letter case aside: a second start of the same
// executable raises the first (or the dialog it shows) and ends with status 0, saying so on
// standard error when the first copy shows on another display; a copy under another file name
// runs beside it. The lock and the socket live in a private directory of the user's, never in the
// home directory.
//
// Every test runs with HOME, XDG_RUNTIME_DIR, XDG_CACHE_HOME and TMPDIR of its own, and the
// program is copied under a name of this test's own, so other runs of skerrow take no part.

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <map>

#include <gtest/gtest.h>
#include <wx/msgdlg.h>
#include <wx/process.h>
#include <wx/stream.h>
#include <wx/utils.h>

#include <wx/app.h>

#include "app/CMainFrame.h"
#include "app/CSingleInstance.h"
#include "gui/app/CMainWindowTest.h"
#include "app/CModalDialogTracker.h"
#include "support/CScopedEnv.h"
#include "support/CTempDir.h"
#include "support/ParamByName.h"

namespace fs = std::filesystem;

namespace {

// A child process we start and wait for.
class CChild : public wxProcess {
public:
    void OnTerminate(int, int status) override
    {
        m_status = status;
        m_ended = true;
    }
    bool m_ended = false;
    int m_status = -1;
};

class SingleInstanceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_env.Set("HOME", m_dir.MakeDir("home").string());
        m_env.Set("XDG_RUNTIME_DIR", m_dir.MakeDir("runtime").string());
        fs::permissions(m_dir.Path() / "runtime", fs::perms::owner_all, fs::perm_options::replace);
        m_env.Set("XDG_CACHE_HOME", (m_dir.Path() / "cache").string());
        m_env.Set("TMPDIR", m_dir.MakeDir("tmp").string());
    }

    // A copy of the program named name; its settings file sits in the temporary directory.
    wxString CopyProgram(const std::string& name)
    {
        const fs::path copy = m_dir.Path() / name;
        fs::copy_file(fs::path(SKERROW_BIN_DIR) / "skerrow", copy);
        m_dir.WriteFile(name + ".ini", "[Advanced]\nLanguage=1\n");
        return wxString::FromUTF8(copy.string());
    }

    long Launch(const wxString& program, CChild& child)
    {
        child.Redirect();
        return wxExecute(program, wxEXEC_ASYNC | wxEXEC_MAKE_GROUP_LEADER, &child);
    }

    std::string UniqueName(const char* stem) const { return stem + std::to_string(wxGetProcessId()); }

    static std::string ReadAll(wxInputStream* stream)
    {
        std::string text;
        char buffer[256];
        while (stream && stream->CanRead()) {
            stream->Read(buffer, sizeof buffer);
            text.append(buffer, stream->LastRead());
            if (stream->LastRead() == 0)
                break;
        }
        return text;
    }

    skerrow::test::CTempDir m_dir;
    skerrow::test::CScopedEnv m_env;
};

} // namespace

TEST_F(SingleInstanceTest, SecondStartRaisesTheFirstAndEndsWithStatusZero)
{
    const std::string name = UniqueName("skerrow-first-");
    const wxString program = CopyProgram(name);
    CSingleInstance first;
    int raised = 0;
    first.SetRaiseHandler([&raised] { ++raised; });
    ASSERT_TRUE(first.IsOnlyInstance("Skerrow", name));

    CChild child;
    ASSERT_GT(Launch(program, child), 0);
    PumpUntil([&] { return child.m_ended && raised > 0; });
    EXPECT_EQ(child.m_status, 0);
    EXPECT_EQ(raised, 1);
    EXPECT_EQ(ReadAll(child.GetErrorStream()).find("already running"), std::string::npos)
        << "same display: nothing to say";

    // Another name has its own lock; the same name in other letter case has not.
    CSingleInstance otherName;
    EXPECT_TRUE(otherName.IsOnlyInstance("Skerrow", name + "-other"));
    CSingleInstance otherCase;
    EXPECT_FALSE(otherCase.IsOnlyInstance("Skerrow", wxString(name).Upper()));

    // Nothing was made in the home directory; lock and socket are in the runtime directory.
    EXPECT_TRUE(fs::is_empty(m_dir.Path() / "home"));
    EXPECT_TRUE(fs::exists(CSingleInstance::LockPath(name).utf8_string()));
    EXPECT_EQ(fs::path(CSingleInstance::SocketPath(name).utf8_string()).parent_path(), m_dir.Path() / "runtime");
}

// A local process that connects and never writes holds neither the next copy's answer nor the
// close of the window (the destructor would wait on the listener for ever).
TEST_F(SingleInstanceTest, ASilentLocalClientHoldsNothing)
{
    const std::string name = UniqueName("skerrow-silent-");
    const std::string path = CSingleInstance::SocketPath(name).utf8_string();
    auto first = std::make_unique<CSingleInstance>();
    first->SetRaiseHandler([] {});
    ASSERT_TRUE(first->IsOnlyInstance("Skerrow", name));
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(path.size(), sizeof address.sun_path);
    path.copy(address.sun_path, path.size());
    const int silent = socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_EQ(connect(silent, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    EXPECT_TRUE(CSingleInstance::SendRaise(name).has_value());
    const int silentToo = socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_EQ(connect(silentToo, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    first.reset();
    EXPECT_FALSE(fs::exists(path));
    close(silent);
    close(silentToo);
}

TEST_F(SingleInstanceTest, CopyUnderAnotherNameRunsBesideTheFirst)
{
    const std::string firstName = UniqueName("skerrow-a-");
    CSingleInstance first;
    ASSERT_TRUE(first.IsOnlyInstance("Skerrow", firstName));

    const std::string copyName = UniqueName("skerrow-b-");
    CChild copy;
    const long pid = Launch(CopyProgram(copyName), copy);
    ASSERT_GT(pid, 0);
    // The copy is up once it answers on its own socket.
    PumpUntil([&] { return copy.m_ended || CSingleInstance::SendRaise(copyName).has_value(); });
    EXPECT_FALSE(copy.m_ended) << "the copy ended with status " << copy.m_status;

    // It ends as a closed window does, and leaves no socket behind.
    wxProcess::Kill(static_cast<int>(pid), wxSIGTERM, wxKILL_CHILDREN);
    PumpUntil([&] { return copy.m_ended; });
    EXPECT_EQ(copy.m_status, 0);
    EXPECT_FALSE(fs::exists(CSingleInstance::SocketPath(copyName).utf8_string()));
}

TEST_F(SingleInstanceTest, SecondStartOnAnotherDisplaySaysSoOnStandardError)
{
    const std::string name = UniqueName("skerrow-display-");
    const wxString program = CopyProgram(name);
    CSingleInstance first;
    first.SetRaiseHandler([] {});
    {
        skerrow::test::CScopedEnv elsewhere; // the first copy shows on display :77
        elsewhere.Set("DISPLAY", ":77");
        ASSERT_TRUE(first.IsOnlyInstance("Skerrow", name));
    }
    CChild child;
    ASSERT_GT(Launch(program, child), 0);
    PumpUntil([&] { return child.m_ended; });
    EXPECT_EQ(child.m_status, 0);
    EXPECT_NE(ReadAll(child.GetErrorStream())
                  .find("Skerrow is already running on display :77: it has been brought to the front there.\n"),
              std::string::npos);
}

struct RuntimeDirCase {
    const char* name;
    bool runtimeSet;
    int runtimeMode;      // of $XDG_RUNTIME_DIR when set
    int takenTempMode;    // of an existing <tmp>/skerrow-<uid>; 0 = none there
    const char* expected; // below the test directory
};

// Names the case in test listings.
void PrintTo(const RuntimeDirCase& tested, std::ostream* out)
{
    *out << tested.name;
}

class RuntimeDirTest : public SingleInstanceTest, public testing::WithParamInterface<RuntimeDirCase> {};

TEST_P(RuntimeDirTest, LockAndSocketGoToAPrivateDirectory)
{
    const RuntimeDirCase& c = GetParam();
    const std::string user = "skerrow-" + std::to_string(getuid());
    if (c.runtimeSet)
        fs::permissions(m_dir.Path() / "runtime", static_cast<fs::perms>(c.runtimeMode), fs::perm_options::replace);
    else
        m_env.Unset("XDG_RUNTIME_DIR");
    if (c.takenTempMode) {
        m_dir.MakeDir("tmp/" + user);
        fs::permissions(m_dir.Path() / "tmp" / user, static_cast<fs::perms>(c.takenTempMode),
                        fs::perm_options::replace);
    }
    std::string expected = c.expected;
    if (expected == "tmp/")
        expected += user;
    const fs::path dir = CSingleInstance::RuntimeDir().utf8_string();
    EXPECT_EQ(dir, m_dir.Path() / expected);
    EXPECT_EQ(skerrow::test::ModeOf(dir), 0700u);
    EXPECT_TRUE(fs::is_empty(m_dir.Path() / "home"));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RuntimeDirTest,
    testing::Values(RuntimeDirCase{"PrivateRuntimeDir", true, 0700, 0, "runtime"},
                    RuntimeDirCase{"SharedRuntimeDirIsPassedOver", true, 0755, 0, "tmp/"},
                    RuntimeDirCase{"NoRuntimeDir", false, 0, 0, "tmp/"},
                    RuntimeDirCase{"NoRuntimeDirAndTempNameTaken", false, 0, 0777, "cache/skerrow-run"}),
    skerrow::test::ParamByName());

TEST_F(CMainWindowTest, RaiseBringsAnOpenMessageBoxToTheFront)
{
    Start("[Advanced]\nLanguage=1\n");
    wxMessageDialog box(Frame(), "Question", "Skerrow", static_cast<long>(wxYES_NO));
    wxString raisedMessage;
    bool raisedFrame = true;
    wxTheApp->CallAfter([&] {
        // The box the user sees (wx's own, with its icon, in place of the native one).
        wxTopLevelWindow* raised = CSingleInstance::WindowToRaise();
        raisedFrame = raised == static_cast<wxTopLevelWindow*>(Frame());
        if (auto* shown = dynamic_cast<wxMessageDialogBase*>(raised))
            raisedMessage = shown->GetMessage();
        CSingleInstance::RaiseRunningWindow();
        CModalDialogTracker::Get().EndTopmost();
    });
    box.ShowModal();
    EXPECT_FALSE(raisedFrame) << "the main window was raised over the box";
    EXPECT_EQ(raisedMessage, "Question");
    EXPECT_EQ(CSingleInstance::WindowToRaise(), static_cast<wxTopLevelWindow*>(Frame()));
}
