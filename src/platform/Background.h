#pragma once
// Background work on the shared thread pool, and its result handed back to
// the main thread: the one way long work reports to the objects the screens
// observe. What reaches the main thread is dropped when the object that asked
// is gone by then; a Latest ticket also drops what a newer request superseded.
#include <memory>
#include <type_traits>
#include <utility>

#include <QCoreApplication>
#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QThreadPool>

namespace Background {

// Calls fn() on the main thread as soon as its event loop turns, unless
// `owner` is gone by then. Callable from any thread.
template <class Fn>
void post(const QPointer<QObject>& owner, Fn fn)
{
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [owner, fn]() mutable {
            if (owner)
                fn();
        },
        Qt::QueuedConnection);
}

// Runs work() on the thread pool (the shared one unless another is named),
// then done(result) (or done() for work that returns nothing) on the main
// thread, unless `owner` is gone by then. `work` must not touch `owner`: it
// gets everything it needs by value.
template <class Work, class Done>
void run(QObject* owner, Work work, Done done, QThreadPool* pool = QThreadPool::globalInstance())
{
    const QPointer<QObject> guard(owner);
    pool->start([guard, work, done]() mutable {
        using Result = decltype(work());
        if constexpr (std::is_void_v<Result>) {
            work();
            post(guard, done);
        } else {
            auto result = std::make_shared<Result>(work());
            post(guard, [result, done]() mutable { done(std::move(*result)); });
        }
    });
}

// The newest request of one kind, on the main thread: a result whose ticket
// is no longer the newest belongs to a request that was superseded.
class Latest {
public:
    unsigned long long next() { return ++current_; }
    bool isCurrent(unsigned long long ticket) const { return ticket == current_; }

private:
    unsigned long long current_ = 0;
};

} // namespace Background
