#pragma once
// Joins the threads handed to it when it goes, after its hook has aborted whatever they may be
// waiting on. A loop that starts threads keeps one: a start that fails part-way, or a throw after
// the loop, then never leaves a joinable std::thread behind (whose destruction ends the program) nor
// a thread running on what is about to go. Release hands the joining back to the owner once every
// thread is started.

#include <functional>
#include <thread>
#include <vector>

namespace skerrow {

class CThreadJoiner {
public:
    explicit CThreadJoiner(std::function<void()> abort = {}) : m_abort(std::move(abort)) {}
    virtual ~CThreadJoiner();
    CThreadJoiner(const CThreadJoiner&) = delete;
    CThreadJoiner& operator=(const CThreadJoiner&) = delete;

    // thread must outlive this guard (declare the guard after what holds the threads).
    void Add(std::thread& thread) { m_threads.push_back(&thread); }
    void Release() { m_threads.clear(); }

private:
    std::function<void()> m_abort;
    std::vector<std::thread*> m_threads;
};

} // namespace skerrow
