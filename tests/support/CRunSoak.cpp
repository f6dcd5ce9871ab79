#include "support/CRunSoak.h"

#include <chrono>
#include <filesystem>
#include <algorithm>
#include <functional>
#include <map>
#include <random>
#include <set>

#include "list/RowWord.h"
#include "support/CRunBench.h"

namespace skerrow::test {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// The longest a Stop or a close may take: StopTimeout (1 s) + 1 s.
constexpr auto kStopBound = 2s;

class CSchedule {
public:
    CSchedule(FtpServerKind kind, uint64_t seed, std::vector<std::string>& actions)
        : m_kind(kind), m_seed(seed), m_random(seed), m_actions(actions)
    {
    }

    std::vector<std::string> Run()
    {
        MakeSite();
        SeedServer();
        if (!StartServer())
            return {"skip: " + m_bench.m_server->Error()};
        const int steps = Pick(3, 9);
        for (int step = 0; step < steps && !m_closed; ++step) {
            Act();
            // Often the next action comes while the run is still connecting or sending.
            Pump(std::chrono::milliseconds(Pick(0, 1) ? Pick(0, 40) : Pick(0, 400)));
        }
        Finish();
        Check();
        CheckUpdatable();
        return m_violations;
    }

private:
    int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(m_random); }

    void Note(const std::string& action) { m_actions.push_back(action); }

    void Violation(const std::string& text)
    {
        m_violations.push_back("seed " + std::to_string(m_seed) + " (" + CFtpServerProcess::Name(m_kind) + ", " +
                               std::to_string(m_connections) + " connections): " + text);
    }

    void MakeSite()
    {
        const int files = Pick(12, 30);
        for (int i = 0; i < files; ++i) {
            const std::string dir = "d" + std::to_string(Pick(0, 3)) + "/";
            const bool text = Pick(0, 2) == 0;
            const size_t size = Pick(0, 9) == 0 ? static_cast<size_t>(Pick(300000, 2000000))
                                                : static_cast<size_t>(Pick(0, 40000));
            std::string contents(size, 'x');
            for (size_t b = 0; b < size; ++b)
                contents[b] = text ? (b % 61 == 60 ? '\n' : char('a' + b % 26)) : char(m_random() & 0xFF);
            const auto path = m_bench.m_local.WriteFile(dir + "f" + std::to_string(i) + (text ? ".txt" : ".bin"), contents);
            // Changed some minutes before the run, so a last-upload date taken too late shows.
            std::filesystem::last_write_time(path, std::filesystem::file_time_type::clock::now() -
                                                       std::chrono::minutes(Pick(2, 120)));
        }
    }

    // What the server holds before the first run: old copies of some of the site's files, files the
    // folder no longer has, a file outside the start directory, and links out of the site and back
    // into it, which no walk may follow.
    void SeedServer()
    {
        std::vector<std::string> local;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(m_bench.m_local.Path())) {
            if (entry.is_regular_file())
                local.push_back(std::filesystem::relative(entry.path(), m_bench.m_local.Path()).string());
        }
        std::sort(local.begin(), local.end());
        for (const std::string& relative : local) {
            if (relative.rfind("_drafts/", 0) != 0 && Pick(0, 3) == 0)
                Seed("site/" + relative, "old copy of " + relative);
        }
        for (int i = Pick(0, 3); i > 0; --i)
            Seed("site/gone/g" + std::to_string(i) + ".html", "gone " + std::to_string(i));
        Seed("outside/keep.txt", "outside the start directory");
        std::error_code ec;
        if (Pick(0, 2) != 0)
            std::filesystem::create_directory_symlink("../outside", m_bench.m_served.Path() / "site/link", ec);
        if (Pick(0, 2) == 0)
            std::filesystem::create_directory_symlink("..", m_bench.m_served.Path() / "site/loop", ec);
        // A name that forges a listing line showing the link as a directory (any web application
        // that stores uploads under their own names can make one).
        if (Pick(0, 2) == 0)
            Seed("site/a\r\ndrwxr-xr-x 2 u u 4096 Jan 1 12:00 link", "forged");
        for (const std::string& relative : local)
            m_present[relative] = true;
    }

    void Seed(const std::string& relative, const std::string& contents)
    {
        // Writable by the server's own user, as the files it stored itself are.
        std::filesystem::permissions(m_bench.m_served.WriteFile(relative, contents),
                                     std::filesystem::perms::group_write | std::filesystem::perms::others_write,
                                     std::filesystem::perm_options::add);
        m_seeded[relative] = contents;
    }

    // The user's hand on the folder during a run: a file taken away (a leftover now) or put back,
    // or the whole folder emptied (an unmounted share) and brought back.
    void ChangeFolder()
    {
        const std::filesystem::path aside = m_aside.Path();
        if (!m_emptied && Pick(0, 3) == 0) {
            Note("the folder is emptied");
            for (const auto& entry : std::filesystem::directory_iterator(m_bench.m_local.Path()))
                std::filesystem::rename(entry.path(), aside / ("all-" + entry.path().filename().string()));
            for (auto& [relative, present] : m_present)
                present = false;
            m_emptied = true;
        } else if (m_emptied) {
            Note("the folder comes back");
            RestoreFolder();
        } else if (!m_present.empty()) {
            auto file = m_present.begin();
            std::advance(file, Pick(0, static_cast<int>(m_present.size()) - 1));
            const std::filesystem::path local = m_bench.m_local.Path() / file->first;
            const std::filesystem::path kept = aside / ("one-" + std::to_string(std::hash<std::string>()(file->first)));
            std::error_code ec;
            if (std::filesystem::exists(local)) {
                Note("a file is taken out of the folder: " + file->first);
                std::filesystem::rename(local, kept, ec);
                file->second = false;
            } else if (std::filesystem::exists(kept)) {
                Note("a file is put back: " + file->first);
                std::filesystem::rename(kept, local, ec);
                // Restored as a copy is: changed now, so the next find lists it.
                std::filesystem::last_write_time(local, std::filesystem::file_time_type::clock::now(), ec);
            }
        }
    }

    void RestoreFolder()
    {
        const std::filesystem::path aside = m_aside.Path();
        for (const auto& entry : std::filesystem::directory_iterator(aside)) {
            const std::string name = entry.path().filename().string();
            if (name.rfind("all-", 0) == 0)
                std::filesystem::rename(entry.path(), m_bench.m_local.Path() / name.substr(4));
        }
        const auto now = std::filesystem::file_time_type::clock::now();
        for (const auto& entry : std::filesystem::recursive_directory_iterator(m_bench.m_local.Path()))
            std::filesystem::last_write_time(entry.path(), now);
        m_emptied = false;
    }

    bool StartServer()
    {
        std::vector<std::string> args;
        if (m_kind == FtpServerKind::Misbehaving) {
            args = {"--slow-stor", std::to_string(Pick(200000, 2000000))};
            // Each of the ways real servers misbehave, now and then together.
            const std::vector<std::vector<std::string>> faults = {
                {"--mlsd"},           {"--refuse-rename-over"}, {"--max-sessions", "2"}, {"--refuse-rnfr"},
                {"--drop-rnto"},      {"--refuse-rnto-from", ".skerrow-part"},          {"--self-dir", "self"},
                {"--refuse-list", "gone"}, {"--truncate-list"}, {"--pwd-resolves"}, {"--fold-case"},
                // A cut between the two renames of a replacement, a reply lost after the rename or
                // the delete was done, a server that takes nothing between RNFR and RNTO, a link
                // listed as the directory it points to.
                {"--cut-at", "RNTO:" + std::to_string(Pick(1, 3))}, {"--lose-reply", "RNTO:" + std::to_string(Pick(1, 3))},
                {"--lose-reply", "DELE:1"}, {"--cut-at", "STOR:" + std::to_string(Pick(1, 5))}, {"--strict-rename"},
                {"--forged-names"},
                // A cut, then new logins refused for a while, as servers with anti-hammer rules do.
                {"--cut-at", "STOR:" + std::to_string(Pick(1, 5)), "--refuse-logins-after-cut", "2"},
            };
            for (const std::vector<std::string>& fault : faults) {
                if (Pick(0, 4) == 0)
                    args.insert(args.end(), fault.begin(), fault.end());
            }
            m_cannotRename = std::find(args.begin(), args.end(), "--refuse-rnfr") != args.end();
        }
        m_serverArgs = args;
        if (!m_bench.StartServer(m_kind, args))
            return false;
        m_bench.WriteSetting("Advanced", "MaxErrors", std::to_string(Pick(0, 1) ? 32000 : Pick(1, 4)));
        m_tempNameAll = Pick(0, 2) == 0;
        m_bench.WriteSetting("Advanced", "TempNameUpload", m_tempNameAll ? "1" : "0");
        m_connections = Pick(0, 1) ? 1 : 4;
        m_bench.WriteSetting("Advanced", "Connections", std::to_string(m_connections));
        m_bench.Controller();
        return true;
    }

    void Pump(std::chrono::milliseconds time)
    {
        if (!m_closed)
            m_bench.m_host.PumpUntil([] { return false; }, time);
    }

    void Act()
    {
        CRunController& run = m_bench.Controller();
        switch (Pick(0, 11)) {
        case 0:
        case 1:
            Note("Find Files & Transfer");
            CountRefusal(run, [&run] { run.OnFindFilesTransfer(); });
            break;
        case 2:
            Note("Transfer/Delete");
            CountRefusal(run, [&run] { run.OnTransferDelete(); });
            break;
        case 3:
            Stop("Stop");
            break;
        case 4:
            EditList(run);
            break;
        case 5:
            Note("Properties");
            m_bench.WriteSettings();
            m_bench.WriteSetting("Advanced", "Connections", std::to_string(m_connections));
            m_bench.WriteSetting("Advanced", "Language", std::to_string(Pick(0, 3)));
            break;
        case 6:
            Note("server stalls");
            m_bench.m_server->Suspend();
            Pump(std::chrono::milliseconds(Pick(100, 1500)));
            if (Pick(0, 1))
                Stop("Stop while the server stalls");
            m_bench.m_server->Resume();
            break;
        case 7:
            Note("server dies, a new one starts");
            m_bench.m_server->Kill();
            Pump(std::chrono::milliseconds(Pick(0, 300)));
            m_bench.StartServer(m_kind, m_serverArgs);
            m_bench.WriteSetting("Advanced", "Connections", std::to_string(m_connections));
            break;
        case 8:
            Close();
            break;
        case 9:
            ChangeFolder();
            break;
        case 10:
            Note("Find Files and Server Leftovers");
            CountRefusal(run, [&run] { run.OnFindLeftovers(); });
            // Often the user answers the list at once with Transfer/Delete and Yes.
            if (Pick(0, 1) && m_bench.m_host.PumpUntilIdle(std::chrono::seconds(20)) && !run.IsRunActive()) {
                Note("Transfer/Delete, Yes");
                run.OnTransferDelete();
            }
            break;
        default:
            Note("pause");
            Pump(std::chrono::milliseconds(Pick(200, 1200)));
            break;
        }
    }

    // A run command while a run is active must do nothing at all.
    void CountRefusal(CRunController& run, const std::function<void()>& command)
    {
        const bool active = run.IsRunActive();
        const size_t rows = m_bench.m_list.Count();
        const auto greying = m_bench.m_host.Running().size();
        command();
        if (active && (m_bench.m_list.Count() != rows || m_bench.m_host.Running().size() != greying))
            Violation("a run command during a run changed the list or started a run");
    }

    // The Delete key or File > Open: only ever acted on between runs, refused during one.
    void EditList(CRunController& run)
    {
        if (!run.IsRunActive())
            return; // edits between runs are the user's choice, not a run's promise
        Note(Pick(0, 1) ? "Delete key" : "File > Open");
        const size_t rows = m_bench.m_list.Count();
        if (!run.RefuseDuringRun())
            Violation("the list could be edited during a run");
        if (m_bench.m_list.Count() != rows)
            Violation("the list changed under a refused edit");
    }

    void Stop(const std::string& what)
    {
        CRunController& run = m_bench.Controller();
        Note(what);
        if (!run.IsRunActive())
            return;
        const auto start = Clock::now();
        run.StopActivity();
        const bool ended = m_bench.m_host.PumpUntilIdle(kStopBound);
        if (!ended && m_bench.m_sink.Waiting() == 0)
            Violation(what + " did not end the run within StopTimeout + 1 s");
        if (ended && Clock::now() - start > kStopBound)
            Violation(what + " took longer than StopTimeout + 1 s");
    }

    void Close()
    {
        Note("close the window");
        const auto start = Clock::now();
        if (m_bench.Controller().IsRunActive())
            m_bench.Controller().StopActivity();
        m_bench.CloseController();
        m_closed = true;
        if (Clock::now() - start > kStopBound)
            Violation("closing took longer than StopTimeout + 1 s");
    }

    void Finish()
    {
        if (m_emptied)
            RestoreFolder();
        if (m_closed)
            return;
        m_bench.m_server->Resume();
        if (m_bench.Controller().IsRunActive() && !m_bench.m_host.PumpUntilIdle(60s))
            Stop("Stop at the end");
        Close();
    }

    // No file stays un-updatable, whatever earlier runs left on the server (a replaced file's old
    // copy, a part, a half-made directory): a last run of every file, on a server without faults
    // over the same directory, sends each of them.
    void CheckUpdatable()
    {
        m_actions.push_back("last run: every file, on a server without faults");
        if (m_kind == FtpServerKind::Misbehaving && !m_bench.StartServer(m_kind, {}))
            return;
        m_bench.WriteSettings();
        m_bench.WriteSetting("Configure", "UploadAllFiles", "1");
        m_bench.WriteSetting("Advanced", "Connections", std::to_string(m_connections));
        m_bench.m_sink.SetAnswer(true);
        m_bench.Controller().OnFindFilesTransfer();
        if (!m_bench.m_host.PumpUntilIdle(120s)) {
            Violation("the last run did not end");
            m_bench.CloseController();
            return;
        }
        for (const CTransferRow& row : m_bench.m_list.Snapshot()) {
            if (RowKindOf(row.word) == kKindPcFile && !m_bench.ServedMatches(row.name))
                Violation(row.name + " could not be updated by a run on a server without faults: " + row.error);
        }
        m_bench.CloseController();
    }

    // What no run may do to the server, whatever it met: touch what lies outside the start
    // directory, delete a file the folder kept all along, or leave a published file that is
    // neither its old self nor the whole new one (for the files sent under a temporary name).
    void CheckServer()
    {
        for (const auto& [relative, contents] : m_seeded) {
            const bool inSite = relative.rfind("site/", 0) == 0;
            const std::string local = inSite ? relative.substr(5) : std::string();
            const bool keptAllAlong = inSite && m_present.count(local) != 0 && m_present.at(local);
            if (!inSite && m_bench.m_served.ReadFile(relative) != contents)
                Violation(relative + " lies outside the start directory and was changed or deleted");
            if (keptAllAlong && !m_bench.Served(relative))
                Violation(relative + " was deleted although the folder had it all along");
        }
        for (const auto& [relative, present] : m_present) {
            const std::string served = "site/" + relative;
            if (!m_bench.Served(served) || !SentUnderTemporaryName(relative))
                continue;
            const auto seeded = m_seeded.find(served);
            const bool old = seeded != m_seeded.end() && m_bench.m_served.ReadFile(served) == seeded->second;
            if (!old && !m_bench.ServedMatches(relative))
                Violation(served + " holds neither its old content nor the whole new one");
        }
    }

    bool SentUnderTemporaryName(const std::string& relative) const
    {
        std::error_code ec;
        const auto size = std::filesystem::file_size(m_bench.m_local.Path() / relative, ec);
        return !ec && (m_tempNameAll || size >= 1024 * 1024) && !m_cannotRename;
    }

    void Check()
    {
        CheckServer();
        const std::set<std::string> next = m_bench.NextFindNames();
        for (const auto& entry : std::filesystem::recursive_directory_iterator(m_bench.m_local.Path())) {
            if (!entry.is_regular_file())
                continue;
            const std::string relative = std::filesystem::relative(entry.path(), m_bench.m_local.Path()).string();
            if (relative.rfind("_drafts/", 0) == 0)
                continue;
            const std::string rowName = relative.find('/') == std::string::npos ? relative : "/" + relative;
            if (!m_bench.ServedMatches(rowName) && next.count(rowName) == 0)
                Violation(relative + " is neither on the server nor listed by the next find");
        }
        for (const auto& entry : std::filesystem::recursive_directory_iterator(m_bench.m_served.Path())) {
            const std::string relative = entry.path().lexically_relative(m_bench.m_served.Path()).string();
            if (relative == "outside" || m_seeded.count(relative) != 0)
                continue; // checked for change by CheckServer
            if (relative != "site" && relative.rfind("site/", 0) != 0)
                Violation(relative + " was written outside the start directory");
        }
        for (const CTransferRow& row : m_bench.m_list.Snapshot()) {
            // A file's row (not a deleted entry's) whose file the user has not taken out of the folder.
            const bool stillLocal = std::filesystem::exists(m_bench.m_local.Path() / CRunBench::Relative(row.name));
            if (RowKindOf(row.word) == kKindPcFile && stillLocal && RowStateOf(row.word) == kRowDone &&
                !m_bench.ServedMatches(row.name))
                Violation(row.name + " is Done but its server copy differs");
        }
    }

    FtpServerKind m_kind;
    uint64_t m_seed;
    std::mt19937_64 m_random;
    std::vector<std::string>& m_actions;
    CRunBench m_bench;
    std::vector<std::string> m_serverArgs;
    std::vector<std::string> m_violations;
    bool m_closed = false;
    int m_connections = 1;
    CTempDir m_aside; // where the folder's files wait while the user has them out
    std::map<std::string, std::string> m_seeded;  // the server's files before the first run
    std::map<std::string, bool> m_present;        // the site's files: still never out of the folder
    bool m_emptied = false;
    bool m_tempNameAll = false; // every file goes under a temporary name
    bool m_cannotRename = false; // the server refuses RNFR: files go directly

};

} // namespace

std::vector<std::string> CRunSoak::Run()
{
    m_actions.clear();
    CSchedule schedule(m_kind, m_seed, m_actions);
    return schedule.Run();
}

} // namespace skerrow::test
