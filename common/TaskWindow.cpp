#include "common/TaskWindow.h"

#include "common/ProgressDialog.h"

#include <QEvent>

TaskDialogGuard::TaskDialogGuard(ProgressDialog *dialog, const QFuture<void> &task)
    : m_dialog(dialog)
    , m_task(task)
{
    if (m_dialog)
        m_dialog->installEventFilter(this);
}

TaskDialogGuard::~TaskDialogGuard()
{
    if (!m_dialog)
        return;
    m_dialog->removeEventFilter(this);
    // Gone at the next turn of whichever event loop comes first: deferred
    // deletion alone would wait for the loop that asked for it, keeping a
    // window that stayed in view over the page through plain event
    // processing.
    const QPointer<QObject> dialog = m_dialog;
    dialog->deleteLater();
    QMetaObject::invokeMethod(
        dialog, [dialog]() { delete dialog.data(); }, Qt::QueuedConnection);
}

bool TaskDialogGuard::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_dialog.data() && event->type() == QEvent::DeferredDelete && !m_task.isFinished())
        return true;
    return QObject::eventFilter(watched, event);
}
