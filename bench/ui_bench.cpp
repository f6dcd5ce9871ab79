// The window's answer time during a run: the real window (under Xvfb) uploads a site of many small
// files to a local server while a timer on the UI thread, every 10 ms, records how late it fires
// and how long a call queued for the UI thread waits. Prints the worst of both for the find (the
// local walk, on the UI thread) and for the transfer; then the time the window takes for the Delete
// key on every other row of 100,000.
// usage: ui_bench PORT USER PASSWORD PCDIR WORKDIR

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <wx/app.h>
#include <wx/init.h>
#include <wx/timer.h>

#include "app/CSkerrowApp.h"
#include "list/CTransferList.h"
#include "list/RowWord.h"
#include "run/CRunController.h"
#include "settings/CPasswordCodec.h"
#include "settings/CSettingsFile.h"
#include "transfer/CSkerrowView.h"
#include "transfer/CTransferListCtrl.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

class CUiProbe : public wxEvtHandler {
public:
    CUiProbe() : m_timer(this)
    {
        Bind(wxEVT_TIMER, &CUiProbe::OnTick, this);
    }

    void Start()
    {
        m_last = Clock::now();
        m_timer.Start(kTickMs);
        CallAfter(&CUiProbe::Find);
    }

    double worstFind = 0, worstTransfer = 0, worstAt = 0, transferSeconds = 0;
    size_t done = 0, rows = 0, over50 = 0, over100 = 0, samples = 0;

private:
    static constexpr int kTickMs = 10;

    CSkerrowView& View() { return *SkerrowApp().GetView(); }

    void Find()
    {
        const Clock::time_point start = Clock::now();
        View().FindFiles();
        worstFind = Ms(Clock::now() - start);
        wxCommandEvent none;
        m_transferStart = Clock::now();
        View().OnTransferDelete(none);
        m_transferring = true;
    }

    // A delay that began before the transfer was started belongs to the find (the list of the
    // files found reaching the window included).
    void Record(double delay, Clock::time_point began)
    {
        if (!m_transferring || began < m_transferStart) {
            worstFind = std::max(worstFind, delay);
            return;
        }
        ++samples;
        over50 += delay > 50 ? 1 : 0;
        over100 += delay > 100 ? 1 : 0;
        if (delay > worstTransfer) {
            worstTransfer = delay;
            worstAt = Ms(began - m_transferStart) / 1000.0;
        }
    }

    void OnTick(wxTimerEvent&)
    {
        const Clock::time_point now = Clock::now();
        Record(Ms(now - m_last) - kTickMs, m_last);
        m_last = now;
        CallAfter([this, queued = now] { Record(Ms(Clock::now() - queued), queued); });
        if (m_transferring && !View().Run().IsRunActive()) {
            m_timer.Stop();
            transferSeconds = Ms(now - m_transferStart) / 1000.0;
            rows = View().List().Count();
            done = View().List().CountInState(skerrow::kRowDone);
            wxTheApp->ExitMainLoop();
        }
    }

    wxTimer m_timer;
    Clock::time_point m_last;
    Clock::time_point m_transferStart;
    bool m_transferring = false;
};

void WriteSettings(const std::string& ini, const std::string& port, const std::string& user, std::string password,
                   const std::string& pcDir)
{
    skerrow::CSettingsFile::SetOverridePath(ini);
    skerrow::CSettingsFile settings;
    settings.GetPath(".ini");
    skerrow::CPasswordCodec().Encode(password);
    settings.WriteString("Configure", "FTPURL", "127.0.0.1");
    settings.WriteString("Advanced", "Port", port);
    settings.WriteString("Configure", "User", user);
    settings.WriteString("Configure", "PWD", password);
    settings.WriteString("Configure", "PCDir", pcDir);
    settings.WriteString("Configure", "FTPStartDir", "site");
    settings.WriteString("Advanced", "PASV", "1");
    settings.WriteString("Plain FTP Servers", ("127.0.0.1:" + port).c_str(), "1"); // the local server offers no TLS
    settings.WriteString("View", "Log", std::getenv("SKERROW_UI_BENCH_NO_LOG") ? "0" : "1");
}

// The Delete key on 50,000 selected rows of 100,000, in the window: from the key to the list redrawn.
double DeleteKeyMs()
{
    CSkerrowView& view = *SkerrowApp().GetView();
    std::vector<skerrow::CTransferRow> rows;
    for (int i = 0; i < 100000; ++i)
        rows.push_back({0, "/d" + std::to_string(i / 100) + "/f" + std::to_string(i) + ".htm", "1", ""});
    view.List().Replace(std::move(rows));
    CTransferListCtrl& list = *view.ListCtrl();
    list.Flush();
    for (size_t row = 0; row < 100000; row += 2)
        list.SelectRows(row, row, true);
    const Clock::time_point start = Clock::now();
    view.DeleteSelectedRows();
    list.Flush();
    list.Update();
    const double ms = Ms(Clock::now() - start);
    return view.List().Count() == 50000 ? ms : -1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 6) {
        std::fprintf(stderr, "usage: ui_bench PORT USER PASSWORD PCDIR WORKDIR\n");
        return 2;
    }
    WriteSettings(std::string(argv[5]) + "/skerrow.ini", argv[1], argv[2], argv[3], argv[4]);
    wxApp::SetInstance(new CSkerrowApp);
    int wxArgc = 1;
    if (!wxEntryStart(wxArgc, argv))
        return 2;
    if (!SkerrowApp().CreateMainWindow())
        return 2;
    CUiProbe probe;
    probe.Start();
    wxTheApp->MainLoop();
    std::printf("files: %zu of %zu sent in %.1f s\n", probe.done, probe.rows, probe.transferSeconds);
    std::printf("delays measured: %zu, over 50 ms: %zu, over 100 ms: %zu; the worst %.1f s into the run\n",
                probe.samples, probe.over50, probe.over100, probe.worstAt);
    std::printf("ui worst delay during the find (the local walk, on the UI thread): %.0f ms\n", probe.worstFind);
    std::printf("ui worst delay during 5000-file run: %.0f ms\n", probe.worstTransfer);
    std::printf("window Delete key, 50000 of 100000 rows selected: %.1f ms\n", DeleteKeyMs());
    SkerrowApp().DestroyMainWindow();
    wxEntryCleanup();
    return probe.done == probe.rows && probe.rows > 0 ? 0 : 1;
}
