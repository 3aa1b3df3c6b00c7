#include "tables/ReloadProgress.h"

#include "common/GuiCall.h"

#include <QFutureWatcher>
#include <QPointer>
#include <QThread>
#include <QtConcurrent>

#if __has_include("app/ProgressDialog.h")
#include "app/Framework.h"
#include "app/ProgressDialog.h"
#define QRLG_HAVE_PROGRESS_DIALOG 1
#else
#include <QProgressDialog>
#endif

namespace {

constexpr int TickCount = 10;
constexpr int TickMs = 200;

#ifdef QRLG_HAVE_PROGRESS_DIALOG
using Window = ProgressDialog;

Window *openWindow(const QString &text)
{
    auto *w = new ProgressDialog(100, text, g_framework ? g_framework->mainWindow : nullptr, false);
    w->show();
    return w;
}
void tick(Window *w, int value) { w->update(value); }
#else
using Window = QProgressDialog;

Window *openWindow(const QString &text)
{
    auto *w = new QProgressDialog(text, QString(), 0, 100);
    w->setCancelButton(nullptr);
    w->setWindowModality(Qt::WindowModal);
    w->setMinimumDuration(0);
    w->show();
    return w;
}
void tick(Window *w, int value) { w->setValue(value); }
#endif

void closeWindow(const QPointer<Window> &w)
{
    if (!w)
        return;
    w->close();
    w->deleteLater();
}

} // namespace

void startReloadBehindProgress(QObject *model, const QString &text, std::function<void()> reload)
{
    QPointer<Window> window(openWindow(text));

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
    QObject::connect(watcher, &QObject::destroyed, window.data(), [window]() { closeWindow(window); });

    watcher->setFuture(QtConcurrent::run([window]() {
        for (int k = 1; k <= TickCount; ++k) {
            QThread::msleep(TickMs);
            callQueued(window, [k](Window *w) { tick(w, k * 100 / TickCount); });
        }
    }));
}
