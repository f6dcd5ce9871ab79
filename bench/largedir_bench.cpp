// The server-leftover walk of one large directory: lists it as the leftover walk does against a
// local folder that holds part of it, and times apart the local work (telling each server entry's
// counterpart in the folder) from the whole walk (listing included).
//
// usage: largedir_bench HOST PORT USER PASSWORD LOCAL_DIR START_DIR
// Prints "rows N local S walk W" (seconds).

#include <chrono>
#include <cstdio>
#include <string>

#include "CBenchPass.h"
#include "discovery/CLeftoverDirWalk.h"

using namespace skerrow;

namespace {

using Clock = std::chrono::steady_clock;

// The leftover walk, with the time its local look-ups take summed up.
class CTimedLeftoverWalk : public CLeftoverDirWalk {
public:
    double LocalSeconds() const { return std::chrono::duration<double>(m_local).count(); }

protected:
    void OnFileFound(const CFindRecord& record, CFtpConnection& connection) override
    {
        const Clock::time_point start = Clock::now();
        CLeftoverDirWalk::OnFileFound(record, connection);
        m_local += Clock::now() - start;
    }
    void OnDirectoryDone(const CFindRecord& record, CFtpConnection& connection) override
    {
        const Clock::time_point start = Clock::now();
        CLeftoverDirWalk::OnDirectoryDone(record, connection);
        m_local += Clock::now() - start;
    }

private:
    Clock::duration m_local{};
};

} // namespace

int main(int argc, char** argv)
{
    if (argc != 7) {
        std::fprintf(stderr, "usage: %s HOST PORT USER PASSWORD LOCAL_DIR START_DIR\n", argv[0]);
        return 2;
    }
    CBenchPass pass;
    const Clock::time_point start = Clock::now();
    if (!pass.Open(argv))
        return 1;
    CTimedLeftoverWalk walk;
    walk.Setup(&pass.list, argv[6], argv[5], {});
    if (!walk.WalkServer(&pass.connection)) {
        std::fprintf(stderr, "%s\n", walk.Failure().c_str());
        return 1;
    }
    pass.connection.Close();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("rows %zu local %.3f walk %.3f\n", pass.list.Count(), walk.LocalSeconds(), seconds);
    return 0;
}
