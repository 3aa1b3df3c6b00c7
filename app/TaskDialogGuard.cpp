#include "app/TaskDialogGuard.h"

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
    // The dialog may have ended its modal loop early (a value past its
    // maximum); nothing else would release it then.
    m_dialog->deleteLater();
}

bool TaskDialogGuard::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_dialog.data() && event->type() == QEvent::DeferredDelete && !m_task.isFinished())
        return true;
    return QObject::eventFilter(watched, event);
}
