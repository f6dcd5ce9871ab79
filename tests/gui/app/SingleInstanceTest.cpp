// One running copy per executable file name: a second start of the same executable raises the
// first and ends with status 0; a copy under another file name runs beside it.
//
// The program is copied under a name of this test's own, so other runs of skerrow on the machine
// do not take part.

#include <filesystem>

#include <gtest/gtest.h>
#include <wx/process.h>
#include <wx/utils.h>

#include "app/CSingleInstance.h"
#include "gui/app/CMainWindowTest.h"
#include "support/CTempDir.h"

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

    std::string UniqueName(const char* stem) const
    {
        return stem + std::to_string(wxGetProcessId());
    }

    skerrow::test::CTempDir m_dir;
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

    // Another name has its own lock.
    CSingleInstance otherName;
    EXPECT_TRUE(otherName.IsOnlyInstance("Skerrow", name + "-other"));
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
    PumpUntil([&] { return copy.m_ended || CSingleInstance::SendRaise(copyName); });
    EXPECT_FALSE(copy.m_ended) << "the copy ended with status " << copy.m_status;

    wxProcess::Kill(static_cast<int>(pid), wxSIGTERM, wxKILL_CHILDREN);
    PumpUntil([&] { return copy.m_ended; });
    // It had no chance to clean up after itself.
    wxRemoveFile(CSingleInstance::SocketPath(copyName));
    wxRemoveFile(wxGetHomeDir() + "/" + CSingleInstance::LockName(copyName));
}
