#pragma once
// The program's one "asked to end" flag, and what ends because of it.
//
// Once the flag is on, every folder walk (measuring, the large-file walk, the
// space map) ends at its next entry, a removal ends after the item it is
// removing, and a list of routines ends before its next one. A program we
// started (a package tool above all) is never signalled: the pool task that
// runs it waits for it, and quitting waits for the pool, saying what it waits
// for. Nothing here ever sends a signal.
#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include <QString>

namespace Quitting {

// Turns the flag on. Safe inside a signal handler.
void request() noexcept;
bool requested() noexcept;
// Turns the flag off again: a test that quits and starts again in one process.
void reset() noexcept;

// SIGINT, SIGTERM and SIGHUP turn the flag on and each writes one byte to a
// pipe, so whoever watches its read end (returned; -1 when no pipe could be
// made, and then the flag alone) learns of it at once.
int onSignals();

// Marks a program started by us and not yet ended, for as long as it lives.
class ChildRun {
public:
    explicit ChildRun(std::string name);
    ~ChildRun();
    ChildRun(const ChildRun&) = delete;
    ChildRun& operator=(const ChildRun&) = delete;

private:
    std::string name_;
};
// The names of the programs running now, each once, in start order.
std::vector<std::string> runningChildren();
// What quitting waits for, for people ("Waiting for apt-get to finish…");
// empty when no program of ours runs.
QString waitingText();

// Ends the background work of the thread pool: turns the flag on, says (once,
// through `say`) which programs it waits for when there are some, and returns
// when every pool task has ended.
void finishBackgroundWork(const std::function<void(const QString&)>& say);

} // namespace Quitting
