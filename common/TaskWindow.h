#pragma once
// A task's progress window, run on the GUI thread while the task runs on the
// pool. TaskDialogGuard keeps the window alive while the task runs: the task
// and the readers it makes hold the dialog's address, and a cancel would
// otherwise let the dialog delete itself while they still use it. Deletion
// asked for meanwhile is held back; once the task has ended (and when the
// guard goes) the dialog is released with deleteLater.
#include "common/ProgressDialog.h"

#include <QEventLoop>
#include <QFuture>
#include <QFutureWatcher>
#include <QObject>
#include <QPointer>

class TaskDialogGuard : public QObject
{
    Q_OBJECT
public:
    TaskDialogGuard(ProgressDialog *dialog, const QFuture<void> &task);
    ~TaskDialogGuard() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPointer<QObject> m_dialog; // compared while the dialog is being destroyed: no downcast
    QFuture<void> m_task;
};

// How a task's window ends with its task.
enum class TaskWindowEnd {
    Hide,  // at once: the caller may go on to another task's window
    Stay,  // in view until the caller's work after the task is done and events
           // are processed again (a chart section drawn first)
};

// Runs a task's progress window until the task has ended: the window is in
// view all that time (a last reader value or a cancel does not hide it), the
// user's input reaches it and nothing else, and this thread goes on serving
// it. The window is released afterwards.
template <class T>
void runTaskWindow(ProgressDialog *dialog, const QFuture<T> &task, TaskWindowEnd end = TaskWindowEnd::Hide)
{
    const TaskDialogGuard guard(dialog, task);
    const QPointer<ProgressDialog> window(dialog);
    if (window)
        window->beginTask();
    {
        // Also for a task that has ended already: what it posted to this
        // thread (its messages, its outcome) is delivered before its end, so
        // the caller returns with the console and the boxes told. An end that
        // comes before exec is posted, and exec still sees it.
        QFutureWatcher<T> watcher;
        QEventLoop loop;
        QObject::connect(&watcher, &QFutureWatcherBase::finished, &loop, &QEventLoop::quit);
        watcher.setFuture(task);
        loop.exec();
    }
    if (window && end == TaskWindowEnd::Hide)
        window->endTask();
}
