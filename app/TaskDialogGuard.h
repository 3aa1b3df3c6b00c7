#pragma once
// Keeps a task's progress dialog alive while the task runs. The task and the
// readers it makes hold the dialog's address; a cancel would otherwise let the
// dialog delete itself while they still use it. Deletion asked for meanwhile
// is held back; once the task has ended (and when the guard goes) the dialog
// is released with deleteLater.
#include <QFuture>
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
