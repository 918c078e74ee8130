#include "app/HiddenWindowMemory.h"

#include <cinttypes>
#include <cstdio>
#include <fstream>
#include <string>

#include <malloc.h>
#include <sys/mman.h>

#include <QElapsedTimer>
#include <QQmlEngine>
#include <QQuickWindow>
#include <QTimer>

namespace {

// Long enough for the released items' deferred deletions to have run.
constexpr int kSettleMs = 1500;

// Asks the kernel to drop this process's pages of the files it maps (the
// program and its libraries): the drawing code's pages are not needed while
// the window is closed, and come back from the disk when it opens. A hint
// only: nothing the program holds is lost, and pages other processes share
// stay where they are.
void pageOutFileMappings()
{
#ifdef MADV_PAGEOUT
    std::ifstream maps("/proc/self/maps");
    std::string line;
    while (std::getline(maps, line)) {
        std::uintptr_t start = 0, end = 0;
        char perms[5] = {};
        unsigned long long offset = 0;
        char device[16] = {};
        unsigned long long inode = 0;
        if (std::sscanf(line.c_str(), "%" SCNxPTR "-%" SCNxPTR " %4s %llx %15s %llu", &start, &end, perms, &offset,
                        device, &inode) != 6
            || inode == 0)
            continue;  // anonymous memory: the heap, stacks, buffers
        madvise(reinterpret_cast<void*>(start), end - start, MADV_PAGEOUT);
    }
#endif
}

// Watches the window: releases memory a moment after it hides, and logs how
// long it took to come back with its content (the price of the release).
class Watcher : public QObject {
public:
    Watcher(QQmlEngine& engine, QQuickWindow& window) : QObject(&window), engine_(engine), window_(window)
    {
        settle_.setSingleShot(true);
        settle_.setInterval(kSettleMs);
        connect(&settle_, &QTimer::timeout, this, &Watcher::release);
        connect(&window, &QWindow::visibleChanged, this, [this](bool visible) {
            if (visible) {
                settle_.stop();
                if (released_)
                    reopening_.start();
                released_ = false;
            } else {
                settle_.start();
            }
        });
        connect(&window, &QQuickWindow::frameSwapped, this, [this] {
            if (reopening_.isValid()) {
                qInfo("window shown again: first frame in %lld ms", static_cast<long long>(reopening_.elapsed()));
                reopening_.invalidate();
            }
        });
    }

private:
    void release()
    {
        if (window_.isVisible())
            return;
        engine_.collectGarbage();
        engine_.trimComponentCache();
        window_.releaseResources();
        malloc_trim(0);
        pageOutFileMappings();
        released_ = true;
    }

    QQmlEngine& engine_;
    QQuickWindow& window_;
    QTimer settle_;
    QElapsedTimer reopening_;
    bool released_ = false;
};

} // namespace

void releaseMemoryWhenHidden(QQmlEngine& engine, QQuickWindow& window)
{
    new Watcher(engine, window);  // the window owns it
}
