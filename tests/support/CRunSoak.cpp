#include "support/CRunSoak.h"

#include <chrono>
#include <filesystem>
#include <functional>
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

    bool StartServer()
    {
        std::vector<std::string> args;
        if (m_kind == FtpServerKind::Misbehaving)
            args = {"--slow-stor", std::to_string(Pick(200000, 2000000))};
        m_serverArgs = args;
        if (!m_bench.StartServer(m_kind, args))
            return false;
        m_bench.WriteSetting("Advanced", "MaxErrors", std::to_string(Pick(0, 1) ? 32000 : Pick(1, 4)));
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
        switch (Pick(0, 9)) {
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
        if (m_closed)
            return;
        m_bench.m_server->Resume();
        if (m_bench.Controller().IsRunActive() && !m_bench.m_host.PumpUntilIdle(60s))
            Stop("Stop at the end");
        Close();
    }

    void Check()
    {
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
            const std::string relative = std::filesystem::relative(entry.path(), m_bench.m_served.Path()).string();
            if (relative != "site" && relative.rfind("site/", 0) != 0)
                Violation(relative + " was written outside the start directory");
        }
        for (const CTransferRow& row : m_bench.m_list.Snapshot()) {
            if (RowStateOf(row.word) == kRowDone && !m_bench.ServedMatches(row.name))
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
};

} // namespace

std::vector<std::string> CRunSoak::Run()
{
    m_actions.clear();
    CSchedule schedule(m_kind, m_seed, m_actions);
    return schedule.Run();
}

} // namespace skerrow::test
