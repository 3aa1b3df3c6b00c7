#pragma once
// The one progress window: a frameless, window-modal QProgressDialog centred
// on the caller's window, with the finishing rules of update() and a
// canceled() signal.
//
// Three ways to use it, all on the GUI thread:
//  - busy indicator: a local object, show(), synchronous work, end of scope;
//    it never deletes itself;
//  - task progress: made with new, canceled() connected to the task's cancel
//    slot, the watcher's finished() to deleteLater(), then exec(); on cancel
//    it deletes itself later;
//  - a task with work after its reader (open, import, filters, a chart
//    section): made with
//    new and run between beginTask() and endTask() (common/TaskWindow's
//    runTaskWindow); it stays in view until the task has ended.
// Workers never call it directly: they hold a QPointer taken on the GUI
// thread and use postMaximum/postUpdate/postText (or queued signal
// connections to update/updateText), which skip a dialog that is gone.
#include <QPointer>
#include <QString>
#include <QWidget>

class QProgressDialog;

class ProgressDialog : public QWidget
{
    Q_OBJECT
public:
    ProgressDialog(int maximum, QString text, QWidget *parent, bool cancelable);
    ~ProgressDialog() override;

    void show();
    // Modal loop of the window; returns when it is hidden, closed or deleted.
    // Do not touch the object after it returns unless you own it.
    void exec();
    // Deletes the window at once; every later call does nothing.
    void close();
    bool isVisible() const;
    // GUI thread only; workers use postMaximum.
    void setMaximum(int maximum);

    // The inner window, or null once closed.
    QProgressDialog *progressDialog() const;

    static void centerOnParent(QWidget *parent, QWidget *dialog);

    // From beginTask() to endTask() the window is in view whatever happens
    // meanwhile: a value at or past the maximum, a cancel (the window then
    // says it is cancelling) and the toolkit's auto-close leave it shown.
    // It is modal to the whole application: the user's input reaches it
    // and nothing else. It never deletes itself; its owner does.
    void beginTask();
    void endTask();
    bool isTaskRunning() const { return m_taskRunning; }

    // The line under the text that says what the task does now, and the
    // scale of its progress from here on (0: busy); the value starts at 0.
    // Ignored after a cancel.
    void setPhase(const QString &phase, int maximum);

    // Queued, guarded calls from any thread.
    static void postMaximum(const QPointer<ProgressDialog> &dialog, int maximum);
    static void postUpdate(const QPointer<ProgressDialog> &dialog, int value);
    static void postText(const QPointer<ProgressDialog> &dialog, const QString &text);
    static void postPhase(const QPointer<ProgressDialog> &dialog, const QString &phase, int maximum);

signals:
    void canceled();

public slots:
    // -1 closes; ignored after cancel; past the maximum fills and closes.
    void update(int value);
    void updateText(QString text);
    void onCanceled();

private:
    void closeInner(bool processEvents);
    void showLabel();

    QPointer<QProgressDialog> m_dialog;
    bool m_cancelable;
    bool m_execStarted = false;
    bool m_canceledEmitted = false;
    bool m_taskRunning = false;
    int m_settingValue = 0; // inside QProgressDialog::setValue, which may run events
    QString m_text;
    QString m_phase;
};
