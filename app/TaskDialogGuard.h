#pragma once
// Keeps a task's progress dialog alive while the task runs. The task and the
// readers it makes hold the dialog's address; a cancel would otherwise let the
// dialog delete itself while they still use it. Deletion asked for meanwhile
// is held back; once the task has ended (and when the guard goes) the dialog
// is released with deleteLater.
#include <QEventLoop>
#include <QFuture>
#include <QFutureWatcher>
#include <QObject>
#include <QPointer>

class ProgressDialog;

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

// Waits on the GUI thread for a task whose progress window has closed (a
// cancel, or the last value): timers, painting and queued calls go on
// meanwhile, the user's input waits until the task has ended. A task stops
// at its next look at the cancel flag, which may take a moment.
template <class T>
void waitForTask(const QFuture<T> &task)
{
    if (task.isFinished())
        return;
    QFutureWatcher<T> watcher;
    QEventLoop loop;
    QObject::connect(&watcher, &QFutureWatcherBase::finished, &loop, &QEventLoop::quit);
    // An end that comes before exec is posted, and exec still sees it.
    watcher.setFuture(task);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}
