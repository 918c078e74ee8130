#include "platform/Quitting.h"

#include <algorithm>
#include <csignal>
#include <mutex>

#include <fcntl.h>
#include <unistd.h>

#include <QThreadPool>

#include "i18n/L.h"

namespace Quitting {

namespace {

std::atomic<bool> quitting{false};
std::atomic<int> wakeTarget{-1};

static_assert(std::atomic<bool>::is_always_lock_free && std::atomic<int>::is_always_lock_free,
              "the signal handler may only touch lock-free atomics");

extern "C" void onQuitSignal(int)
{
    quitting.store(true);
    const int fd = wakeTarget.load();
    if (fd >= 0) {
        const char byte = 1;
        (void)!::write(fd, &byte, 1);
    }
}

std::mutex childrenMutex;
std::vector<std::string> children;  // one entry per running program

} // namespace

void request() noexcept { quitting.store(true); }
bool requested() noexcept { return quitting.load(std::memory_order_relaxed); }
void reset() noexcept { quitting.store(false); }

int onSignals()
{
    int wake[2] = {-1, -1};
    if (pipe2(wake, O_CLOEXEC | O_NONBLOCK) == 0)
        wakeTarget.store(wake[1]);
    struct sigaction action {};
    action.sa_handler = onQuitSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int sig : {SIGINT, SIGTERM, SIGHUP})
        sigaction(sig, &action, nullptr);
    return wake[0];
}

ChildRun::ChildRun(std::string name) : name_(std::move(name))
{
    std::lock_guard<std::mutex> lock(childrenMutex);
    children.push_back(name_);
}

ChildRun::~ChildRun()
{
    std::lock_guard<std::mutex> lock(childrenMutex);
    const auto it = std::find(children.begin(), children.end(), name_);
    if (it != children.end())
        children.erase(it);
}

std::vector<std::string> runningChildren()
{
    std::lock_guard<std::mutex> lock(childrenMutex);
    std::vector<std::string> names;
    for (const std::string& name : children)
        if (std::find(names.begin(), names.end(), name) == names.end())
            names.push_back(name);
    return names;
}

QString waitingText()
{
    QStringList names;
    for (const std::string& name : runningChildren())
        names << QString::fromStdString(name);
    return names.isEmpty() ? QString() : LF("Aguardando %@ terminar antes de sair…", joinList(names));
}

void finishBackgroundWork(const std::function<void(const QString&)>& say)
{
    request();
    QThreadPool* pool = QThreadPool::globalInstance();
    // Walks notice the flag within moments; a program we started is waited for.
    if (pool->waitForDone(300))
        return;
    if (const QString waiting = waitingText(); !waiting.isEmpty() && say)
        say(waiting);
    pool->waitForDone();
}

} // namespace Quitting
