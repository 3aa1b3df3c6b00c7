#include "common/ProgressDialog.h"

#include "common/GuiCall.h"
#include "common/Trace.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProgressDialog>
#include <QPushButton>
#include <QScreen>
#include <QThread>
#include <QWindow>

namespace {

// A window without a cancel button cannot be cancelled: Escape and close
// requests are ignored, so a busy indicator never ends (or deletes) itself.
class InnerProgressDialog : public QProgressDialog
{
public:
    InnerProgressDialog(const QString &label, const QString &cancelText, int maximum, QWidget *parent,
                        Qt::WindowFlags flags, bool cancelable)
        : QProgressDialog(label, cancelText, 0, maximum, parent, flags)
        , m_cancelable(cancelable)
    {
    }

    void reject() override
    {
        if (m_cancelable)
            QProgressDialog::reject();
    }

    // While held, the window leaves the screen with its task and not before:
    // the toolkit hides a progress dialog at its maximum and at a cancel.
    void setHeld(bool held) { m_held = held; }
    void setVisible(bool visible) override
    {
        if (!visible && m_held)
            return;
        QProgressDialog::setVisible(visible);
    }

protected:
    void closeEvent(QCloseEvent *event) override
    {
        if (m_cancelable)
            QProgressDialog::closeEvent(event);
        else
            event->ignore();
    }

private:
    bool m_cancelable;
    bool m_held = false;
};

InnerProgressDialog *inner(const QPointer<QProgressDialog> &dialog)
{
    return static_cast<InnerProgressDialog *>(dialog.data());
}

} // namespace

ProgressDialog::ProgressDialog(int maximum, QString text, QWidget *parent, bool cancelable)
    : QWidget(parent)
    , m_cancelable(cancelable)
    , m_text(text)
{
    TRACE_FUNC();
    // Explicitly hidden, so that showing the parent later does not show this
    // empty child over it.
    QWidget::setVisible(false);
    const Qt::WindowFlags flags = Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowTitleHint | Qt::CustomizeWindowHint;
    m_dialog = new InnerProgressDialog(text, tr("Cancel"), maximum, parent, flags, cancelable);
    m_dialog->setWindowModality(Qt::WindowModal);
    if (!cancelable)
        m_dialog->setCancelButton(nullptr);
    connect(m_dialog, SIGNAL(canceled()), this, SLOT(onCanceled()));
    connect(m_dialog, SIGNAL(rejected()), this, SLOT(onCanceled()));
    centerOnParent(parent, m_dialog);
}

ProgressDialog::~ProgressDialog()
{
    // No event processing here: running events inside a destructor could
    // deliver calls to this half-destroyed object.
    closeInner(false);
}

void ProgressDialog::show()
{
    if (!m_dialog)
        return;
    m_dialog->show();
    // The caller's work blocks the event loop next: the window has to be on
    // the screen and painted before it starts, not after.
    QElapsedTimer waited;
    waited.start();
    while (m_dialog && m_dialog->windowHandle() && !m_dialog->windowHandle()->isExposed() && waited.elapsed() < 500)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    if (m_dialog)
        m_dialog->repaint();
    QCoreApplication::processEvents();
}

void ProgressDialog::exec()
{
    if (!m_dialog)
        return;
    m_execStarted = true;
    // The object may be deleted while the loop runs (the task's watcher or a
    // cancel); nothing of it is touched afterwards.
    QPointer<QProgressDialog> inner = m_dialog;
    inner->exec();
}

void ProgressDialog::close()
{
    closeInner(true);
}

void ProgressDialog::closeInner(bool processEvents)
{
    if (!m_dialog)
        return;
    QProgressDialog *inner = m_dialog;
    m_dialog = nullptr;
    if (m_settingValue > 0) {
        // We are inside the inner dialog's own setValue: let it return first.
        inner->hide();
        inner->deleteLater();
    } else {
        delete inner;
    }
    if (processEvents)
        QCoreApplication::processEvents();
}

bool ProgressDialog::isVisible() const
{
    return m_dialog && m_dialog->isVisible();
}

void ProgressDialog::setMaximum(int maximum)
{
    if (QThread::currentThread() != thread()) {
        // Direct calls from a worker race with the dialog's deletion; hand
        // the call over to the GUI thread, where it is skipped if the dialog
        // is gone by then. Workers should hold a QPointer and use postMaximum.
        postMaximum(QPointer<ProgressDialog>(this), maximum);
        return;
    }
    if (m_dialog)
        m_dialog->setMaximum(maximum);
}

QProgressDialog *ProgressDialog::progressDialog() const
{
    return m_dialog.data();
}

void ProgressDialog::updateText(QString text)
{
    m_text = text;
    showLabel();
}

void ProgressDialog::showLabel()
{
    if (!m_dialog)
        return;
    const QSize before = m_dialog->size();
    m_dialog->setLabelText(m_phase.isEmpty() ? m_text : m_text + QLatin1Char('\n') + m_phase);
    // A task's window grows with its phase line: it stays over the middle of
    // its parent.
    if (m_taskRunning && m_dialog->size() != before)
        centerOnParent(m_dialog->parentWidget(), m_dialog);
}

void ProgressDialog::update(int value)
{
    // A task's window ends with its task, not with a value.
    if ((value == -1 && !m_taskRunning) || !m_dialog) {
        close();
        return;
    }
    if (m_dialog->wasCanceled() || value == -1)
        return;

    const int maximum = m_dialog->maximum();
    const bool finished = value > maximum;
    QPointer<ProgressDialog> self(this);
    ++m_settingValue;
    m_dialog->setValue(finished ? maximum : value);
    if (!self)
        return;
    --m_settingValue;
    if (finished && !m_taskRunning)
        close();
}

void ProgressDialog::beginTask()
{
    if (!m_dialog)
        return;
    m_taskRunning = true;
    inner(m_dialog)->setHeld(true);
    m_dialog->setAutoReset(false);
    m_dialog->setAutoClose(false);
    // Every other window waits: a click there would otherwise be held back
    // and acted on after the task, or start a second one.
    m_dialog->setWindowModality(Qt::ApplicationModal);
    m_dialog->show();
}

void ProgressDialog::endTask()
{
    m_taskRunning = false;
    if (!m_dialog)
        return;
    inner(m_dialog)->setHeld(false);
    // Gone with its task: the deletion that follows may wait for an outer
    // event loop, while the caller goes on (to the next file's window).
    m_dialog->hide();
}

void ProgressDialog::setPhase(const QString &phase, int maximum)
{
    if (!m_dialog || m_dialog->wasCanceled())
        return;
    m_phase = phase;
    showLabel();
    m_dialog->setRange(0, qMax(0, maximum));
    QPointer<ProgressDialog> self(this);
    ++m_settingValue;
    m_dialog->setValue(0);
    if (self)
        --m_settingValue;
}

void ProgressDialog::onCanceled()
{
    // Escape arrives as rejected(): give the inner dialog its cancelled state
    // too, so that later updates are ignored as after the Cancel button.
    if (m_dialog && !m_dialog->wasCanceled())
        m_dialog->cancel();
    if (m_canceledEmitted)
        return;
    m_canceledEmitted = true;
    if (m_taskRunning && m_dialog) {
        // In view until the task has stopped, which a long statement may
        // take a moment to do.
        if (QPushButton *button = m_dialog->findChild<QPushButton *>())
            button->setEnabled(false);
        m_phase = tr("Cancelling");
        showLabel();
        m_dialog->setRange(0, 0);
    }
    emit canceled();
    // Only a task's heap dialog (run with exec) disposes of itself; a busy
    // indicator may live on the caller's stack.
    if (m_execStarted)
        deleteLater();
}

void ProgressDialog::centerOnParent(QWidget *parent, QWidget *dialog)
{
    if (!parent || !dialog)
        return;
    // Pages and dialogs inside the window are placed by their global position.
    const QRect parentFrame = parent->isWindow()
        ? parent->frameGeometry()
        : QRect(parent->mapToGlobal(QPoint(0, 0)), parent->size());
    // A window that was never shown reports a frame one pixel smaller than
    // its size; the larger of the two is the true extent.
    const QRect dialogFrame = dialog->frameGeometry();
    const int width = qMax(dialogFrame.width(), dialog->width());
    const int height = qMax(dialogFrame.height(), dialog->height());
    int x = parentFrame.x() + (parentFrame.width() - width) / 2;
    int y = parentFrame.y() + (parentFrame.height() - height) / 2;

    QScreen *screen = parent->screen();
    if (screen) {
        const QRect area = screen->geometry();
        if (x < area.left())
            x = area.left();
        else if (x + width > area.right())
            x = area.right() - width;
        if (y < area.top())
            y = area.top();
        else if (y + height > area.bottom())
            y = area.bottom() - height;
    }
    dialog->move(x, y);
}

void ProgressDialog::postMaximum(const QPointer<ProgressDialog> &dialog, int maximum)
{
    callQueued(dialog, [maximum](ProgressDialog *d) { d->setMaximum(maximum); });
}

void ProgressDialog::postUpdate(const QPointer<ProgressDialog> &dialog, int value)
{
    callQueued(dialog, [value](ProgressDialog *d) { d->update(value); });
}

void ProgressDialog::postText(const QPointer<ProgressDialog> &dialog, const QString &text)
{
    callQueued(dialog, [text](ProgressDialog *d) { d->updateText(text); });
}

void ProgressDialog::postPhase(const QPointer<ProgressDialog> &dialog, const QString &phase, int maximum)
{
    callQueued(dialog, [phase, maximum](ProgressDialog *d) { d->setPhase(phase, maximum); });
}
