#include "tables/ReloadProgress.h"

#include "common/ProgressDialog.h"
#include "common/UiHost.h"

#include <QFutureWatcher>
#include <QPointer>
#include <QThread>
#include <QtConcurrent>

namespace {

constexpr int TickCount = 10;
constexpr int TickMs = 200;

} // namespace

void startReloadBehindProgress(QObject *model, const QString &text, std::function<void()> reload)
{
    auto *dialog = new ProgressDialog(100, text, UiHost::currentDialogParent(), false);
    dialog->show();
    QPointer<ProgressDialog> window(dialog);

    // The watcher lives on the model's thread: its finished signal runs the
    // reload there, and it dies with the model, which closes the window too.
    auto *watcher = new QFutureWatcher<void>();
    if (watcher->thread() != model->thread())
        watcher->moveToThread(model->thread());
    watcher->setParent(model);
    QObject::connect(watcher, &QFutureWatcher<void>::finished, model, [watcher, reload]() {
        reload();
        watcher->deleteLater();
    });
    QObject::connect(watcher, &QObject::destroyed, dialog, [window]() {
        if (!window)
            return;
        window->close();
        window->deleteLater();
    });

    watcher->setFuture(QtConcurrent::run([window]() {
        for (int k = 1; k <= TickCount; ++k) {
            QThread::msleep(TickMs);
            ProgressDialog::postUpdate(window, k * 100 / TickCount);
        }
    }));
}
