#pragma once
// Calls from worker threads into widgets: always queued to the GUI thread and
// guarded, so a widget that is gone by then is simply skipped. Never block.
#include <QCoreApplication>
#include <QMetaObject>
#include <QPointer>
#include <utility>

template <class T, class F>
void callQueued(const QPointer<T> &target, F &&fn)
{
    QPointer<T> guard = target;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [guard, fn = std::forward<F>(fn)]() mutable {
            if (guard)
                fn(guard.data());
        },
        Qt::QueuedConnection);
}
