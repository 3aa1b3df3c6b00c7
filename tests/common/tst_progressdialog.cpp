#include "common/ProgressDialog.h"
#include "support/TestMain.h"

#include <QKeyEvent>
#include <QMainWindow>
#include <QProgressBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QThread>
#include <QTimer>
#include <QWindow>
#include <QtConcurrent>

// Rules of update(), cancel, Escape, centring and calls from worker threads.
class TestProgressDialog : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void constructionLook();
    void noCancelButtonWhenNotCancelable();
    void shownIsPaintedBeforeTheWork();
    void update_data();
    void update();
    void updatePastMaximumShowsMaximumAndCloses();
    void minusOneClosesEvenAfterCancel();
    void cancelIgnoresLaterUpdatesAndEmitsOnce();
    void closedDialogIgnoresEverything();
    void escapeOnStackDialogDoesNotDeleteIt();
    void escapeOnBusyIndicatorIsIgnored();
    void cancelDuringExecDeletesHeapDialog();
    void watcherFinishEndsExec();
    void centredOnParent();
    void keptOnScreenAtRightEdge();
    void queuedCallsFromWorker();
    void cancelledDialogSurvivesQueuedCallsFromWorker();
    void taskWindowStaysUntilTheTaskEnds_data();
    void taskWindowStaysUntilTheTaskEnds();
    void cancelledTaskWindowSaysSoUntilTheEnd();
    void taskWindowTakesTheInputAlone();

private:
    QMainWindow *m_window = nullptr;
};

static void sendEscape(QWidget *w)
{
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(w, &press);
}

static int innerValue(ProgressDialog &d)
{
    return d.progressDialog()->value();
}

void TestProgressDialog::init()
{
    m_window = new QMainWindow;
    m_window->setGeometry(100, 100, 600, 400);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window));
}

void TestProgressDialog::cleanup()
{
    delete m_window;
    m_window = nullptr;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void TestProgressDialog::constructionLook()
{
    ProgressDialog d(0, QStringLiteral("Loading Data"), m_window, true);
    QProgressDialog *inner = d.progressDialog();
    QVERIFY(inner);
    QCOMPARE(inner->parentWidget(), m_window);
    QCOMPARE(inner->labelText(), QStringLiteral("Loading Data"));
    QCOMPARE(inner->minimum(), 0);
    QCOMPARE(inner->maximum(), 0);
    QCOMPARE(int(inner->windowFlags()), 0x02001803);
    QCOMPARE(inner->windowModality(), Qt::WindowModal);
    QVERIFY(!d.isVisible());
    QVERIFY(!static_cast<QWidget &>(d).isVisible()); // the wrapper itself never shows
    const QList<QPushButton *> buttons = inner->findChildren<QPushButton *>();
    QCOMPARE(buttons.size(), 1);
    QCOMPARE(buttons.first()->text(), QStringLiteral("Cancel"));

    d.show();
    QVERIFY(d.isVisible());

    // The wrapper stays hidden when its parent is shown afterwards.
    QWidget later;
    ProgressDialog onHidden(0, QStringLiteral("x"), &later, false);
    later.show();
    QVERIFY(!static_cast<QWidget &>(onHidden).isVisible());
}

void TestProgressDialog::noCancelButtonWhenNotCancelable()
{
    ProgressDialog d(100, QStringLiteral("busy"), m_window, false);
    d.show();
    QVERIFY(d.progressDialog()->findChildren<QPushButton *>().isEmpty());
}

// The caller blocks the event loop right after show(): by then the window
// is on the screen and has been painted once.
void TestProgressDialog::shownIsPaintedBeforeTheWork()
{
    ProgressDialog d(0, QStringLiteral("Loading..."), m_window, false);
    struct PaintSpy : QObject
    {
        int paints = 0;
        bool eventFilter(QObject *, QEvent *e) override
        {
            if (e->type() == QEvent::Paint)
                ++paints;
            return false;
        }
    } spy;
    d.progressDialog()->installEventFilter(&spy);
    d.show();
    QVERIFY(d.progressDialog()->windowHandle());
    QVERIFY(d.progressDialog()->windowHandle()->isExposed());
    QVERIFY(spy.paints > 0);
    d.progressDialog()->removeEventFilter(&spy);
}

void TestProgressDialog::update_data()
{
    QTest::addColumn<int>("maximum");
    QTest::addColumn<QList<int>>("values");
    QTest::addColumn<int>("shown");  // last value shown, when still open
    QTest::addColumn<bool>("open");

    QTest::newRow("within range") << 100 << QList<int>{0, 10, 55} << 55 << true;
    QTest::newRow("zero") << 100 << QList<int>{0} << 0 << true;
    QTest::newRow("past maximum") << 100 << QList<int>{10, 150} << 0 << false;
    QTest::newRow("past maximum then more") << 100 << QList<int>{150, 50} << 0 << false;
    QTest::newRow("minus one") << 100 << QList<int>{40, -1} << 0 << false;
    QTest::newRow("minus one then more") << 100 << QList<int>{-1, 10} << 0 << false;
    QTest::newRow("busy indicator past zero") << 0 << QList<int>{1} << 0 << false;
    QTest::newRow("other negative") << 100 << QList<int>{-5} << 0 << true;
}

void TestProgressDialog::update()
{
    QFETCH(int, maximum);
    QFETCH(QList<int>, values);
    QFETCH(int, shown);
    QFETCH(bool, open);

    ProgressDialog d(maximum, QStringLiteral("x"), m_window, true);
    d.show();
    for (int v : values)
        d.update(v);
    QCOMPARE(d.progressDialog() != nullptr, open);
    QCOMPARE(d.isVisible(), open);
    if (open && shown >= 0 && values.last() >= 0)
        QCOMPARE(innerValue(d), shown);
}

void TestProgressDialog::updatePastMaximumShowsMaximumAndCloses()
{
    ProgressDialog d(100, QStringLiteral("x"), m_window, true);
    d.show();
    QProgressBar *bar = d.progressDialog()->findChild<QProgressBar *>();
    QVERIFY(bar);
    QSignalSpy values(bar, &QProgressBar::valueChanged);
    d.update(150);
    QVERIFY(!values.isEmpty());
    QCOMPARE(values.first().first().toInt(), 100);
    QVERIFY(!d.isVisible());
    d.update(50); // nothing left to update
    QVERIFY(!d.progressDialog());
}

void TestProgressDialog::minusOneClosesEvenAfterCancel()
{
    ProgressDialog d(100, QStringLiteral("x"), m_window, true);
    d.show();
    QSignalSpy canceled(&d, &ProgressDialog::canceled);
    QTest::mouseClick(d.progressDialog()->findChild<QPushButton *>(), Qt::LeftButton);
    QCOMPARE(canceled.count(), 1);
    QVERIFY(d.progressDialog());
    d.update(-1);
    QVERIFY(!d.progressDialog());
    QVERIFY(!d.isVisible());
}

void TestProgressDialog::cancelIgnoresLaterUpdatesAndEmitsOnce()
{
    ProgressDialog d(100, QStringLiteral("x"), m_window, true);
    d.show();
    d.update(30);
    QSignalSpy canceled(&d, &ProgressDialog::canceled);
    QTest::mouseClick(d.progressDialog()->findChild<QPushButton *>(), Qt::LeftButton);
    QCOMPARE(canceled.count(), 1);
    QVERIFY(d.progressDialog()->wasCanceled());
    const int before = innerValue(d);
    d.update(10);
    d.update(100);
    QCOMPARE(innerValue(d), before);
    QCOMPARE(canceled.count(), 1);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); // shown, not exec'd: no self-deletion
}

void TestProgressDialog::closedDialogIgnoresEverything()
{
    ProgressDialog d(100, QStringLiteral("x"), m_window, true);
    d.show();
    d.close();
    QVERIFY(!d.isVisible());
    QVERIFY(!d.progressDialog());
    d.setMaximum(10);
    d.updateText(QStringLiteral("y"));
    d.update(5);
    d.show();
    d.exec();
    d.close();
    QVERIFY(!d.isVisible());
}

void TestProgressDialog::escapeOnStackDialogDoesNotDeleteIt()
{
    ProgressDialog d(0, QStringLiteral("x"), m_window, true);
    QPointer<ProgressDialog> guard(&d);
    d.show();
    QSignalSpy canceled(&d, &ProgressDialog::canceled);
    sendEscape(d.progressDialog());
    QCOMPARE(canceled.count(), 1);
    QVERIFY(d.progressDialog()->wasCanceled());
    QVERIFY(!d.isVisible());
    // A deferred self-deletion of a stack object would crash here.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    QVERIFY(guard);
    d.update(5);
    QCOMPARE(canceled.count(), 1);
}

void TestProgressDialog::escapeOnBusyIndicatorIsIgnored()
{
    ProgressDialog d(0, QStringLiteral("busy"), m_window, false);
    d.show();
    QSignalSpy canceled(&d, &ProgressDialog::canceled);
    sendEscape(d.progressDialog());
    d.progressDialog()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(canceled.count(), 0);
    QVERIFY(d.isVisible());
    QVERIFY(!d.progressDialog()->wasCanceled());
}

void TestProgressDialog::cancelDuringExecDeletesHeapDialog()
{
    auto *d = new ProgressDialog(0, QStringLiteral("task"), m_window, true);
    QPointer<ProgressDialog> guard(d);
    QSignalSpy canceled(d, &ProgressDialog::canceled);
    QTimer::singleShot(0, d, [d] { sendEscape(d->progressDialog()); });
    d->exec(); // returns once the window is cancelled
    QCOMPARE(canceled.count(), 1);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(guard.isNull());
}

void TestProgressDialog::watcherFinishEndsExec()
{
    auto *d = new ProgressDialog(100, QStringLiteral("task"), m_window, true);
    QPointer<ProgressDialog> guard(d);
    QFutureWatcher<void> watcher;
    connect(&watcher, SIGNAL(finished()), d, SLOT(deleteLater()));
    watcher.setFuture(QtConcurrent::run([] { QThread::msleep(50); }));
    d->exec();
    QTRY_VERIFY(guard.isNull());
}

void TestProgressDialog::centredOnParent()
{
    ProgressDialog d(0, QStringLiteral("x"), m_window, false);
    const QRect parent = m_window->frameGeometry();
    const QRect dialog = d.progressDialog()->frameGeometry();
    QCOMPARE(dialog.x(), parent.x() + (parent.width() - dialog.width()) / 2);
    QCOMPARE(dialog.y(), parent.y() + (parent.height() - dialog.height()) / 2);

    // A page inside the window centres on the page's place on the screen.
    QWidget *page = new QWidget(m_window);
    m_window->setCentralWidget(page);
    QTRY_VERIFY(page->isVisible());
    ProgressDialog onPage(0, QStringLiteral("x"), page, false);
    const QPoint origin = page->mapToGlobal(QPoint(0, 0));
    const QRect pd = onPage.progressDialog()->frameGeometry();
    QCOMPARE(pd.x(), origin.x() + (page->width() - pd.width()) / 2);
    QCOMPARE(pd.y(), origin.y() + (page->height() - pd.height()) / 2);
}

void TestProgressDialog::keptOnScreenAtRightEdge()
{
    const QRect screen = m_window->screen()->geometry();
    m_window->setGeometry(screen.right() - 150, screen.bottom() - 100, 300, 200);
    ProgressDialog d(0, QStringLiteral("x"), m_window, false);
    const QRect dialog = d.progressDialog()->frameGeometry();
    QVERIFY(dialog.width() > 150);
    QCOMPARE(dialog.right(), screen.right() - 1);
    QCOMPARE(dialog.bottom(), screen.bottom() - 1);

    m_window->setGeometry(screen.left() - 250, screen.top() - 180, 300, 200);
    ProgressDialog left(0, QStringLiteral("x"), m_window, false);
    QCOMPARE(left.progressDialog()->frameGeometry().topLeft(), screen.topLeft());
}

void TestProgressDialog::queuedCallsFromWorker()
{
    ProgressDialog d(0, QStringLiteral("start"), m_window, true);
    d.show();
    QPointer<ProgressDialog> p(&d);
    QScopedPointer<QThread> worker(QThread::create([p, &d] {
        ProgressDialog::postMaximum(p, 100);
        ProgressDialog::postUpdate(p, 42);
        ProgressDialog::postText(p, QStringLiteral("working"));
        d.setMaximum(200); // a direct call from a worker is handed over too
    }));
    worker->start();
    QVERIFY(worker->wait(10000));
    QCOMPARE(d.progressDialog()->maximum(), 0); // nothing touched from the worker
    QCoreApplication::processEvents();
    QCOMPARE(d.progressDialog()->maximum(), 200);
    QCOMPARE(innerValue(d), 42);
    QCOMPARE(d.progressDialog()->labelText(), QStringLiteral("working"));
}

void TestProgressDialog::cancelledDialogSurvivesQueuedCallsFromWorker()
{
    auto *d = new ProgressDialog(0, QStringLiteral("task"), m_window, true);
    QPointer<ProgressDialog> p(d); // taken on the GUI thread, handed to the worker
    QSignalSpy canceled(d, &ProgressDialog::canceled);
    QAtomicInteger<int> phase(0); // 1 cancelled, 2 deleted
    connect(d, &ProgressDialog::canceled, d, [&phase] { phase.storeRelease(1); });

    auto burst = [p](int from) {
        for (int i = from; i < from + 500; ++i) {
            ProgressDialog::postMaximum(p, 100);
            ProgressDialog::postUpdate(p, i % 120);
            ProgressDialog::postText(p, QString::number(i));
        }
    };
    QScopedPointer<QThread> worker(QThread::create([&] {
        burst(0);
        while (phase.loadAcquire() < 1)
            QThread::yieldCurrentThread();
        burst(1000); // cancelled, deletion pending
        while (phase.loadAcquire() < 2)
            QThread::yieldCurrentThread();
        burst(2000); // deleted
    }));
    worker->start();

    QTimer::singleShot(0, d, [d] { sendEscape(d->progressDialog()); });
    d->exec();
    QCOMPARE(canceled.count(), 1);
    // Let some of the calls reach the cancelled dialog before it goes.
    for (int i = 0; i < 50; ++i)
        QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(p.isNull());
    phase.storeRelease(2);
    while (!worker->isFinished())
        QCoreApplication::processEvents();
    QVERIFY(worker->wait(10000));
    QCoreApplication::processEvents();
    QVERIFY(p.isNull());
}

// A task with work after its reader: no value, the toolkit's auto-close at
// the maximum included, ends the window before endTask().
void TestProgressDialog::taskWindowStaysUntilTheTaskEnds_data()
{
    QTest::addColumn<int>("maximum");
    QTest::addColumn<QList<int>>("values");
    QTest::addColumn<int>("shown");

    QTest::newRow("a reader's last value") << 100 << QList<int>{0, 50, 100} << 100;
    QTest::newRow("past the maximum") << 100 << QList<int>{40, 150} << 100;
    QTest::newRow("minus one") << 100 << QList<int>{40, -1} << 40;
    QTest::newRow("busy, a value") << 0 << QList<int>{1} << 0;
}

void TestProgressDialog::taskWindowStaysUntilTheTaskEnds()
{
    QFETCH(int, maximum);
    QFETCH(QList<int>, values);
    QFETCH(int, shown);

    auto *d = new ProgressDialog(maximum, QStringLiteral("Importing"), m_window, true);
    QPointer<ProgressDialog> guard(d);
    d->beginTask();
    QVERIFY(d->isTaskRunning());
    QVERIFY(d->isVisible());
    for (int v : values)
        d->update(v);
    QCoreApplication::processEvents();
    QVERIFY(d->isVisible());
    if (maximum > 0)
        QCOMPARE(innerValue(*d), shown);

    // The next phase starts its own scale under the same text.
    d->setPhase(QStringLiteral("Writing"), 100);
    QCOMPARE(d->progressDialog()->labelText(), QStringLiteral("Importing\nWriting"));
    QCOMPARE(d->progressDialog()->maximum(), 100);
    QCOMPARE(innerValue(*d), 0);
    d->updateText(QStringLiteral("Importing again"));
    QCOMPARE(d->progressDialog()->labelText(), QStringLiteral("Importing again\nWriting"));
    QVERIFY(d->isVisible());

    d->endTask();
    QVERIFY(!d->isVisible());
    QVERIFY(guard); // its owner deletes it
    delete d;
}

// After Cancel the window stays, says it is cancelling, takes no second
// cancel and no later phase, and does not delete itself: the task's owner
// does once the task has ended.
void TestProgressDialog::cancelledTaskWindowSaysSoUntilTheEnd()
{
    auto *d = new ProgressDialog(0, QStringLiteral("Importing"), m_window, true);
    QPointer<ProgressDialog> guard(d);
    QSignalSpy canceled(d, &ProgressDialog::canceled);
    d->beginTask();
    d->setPhase(QStringLiteral("Reading"), 100);
    d->update(30);
    QPushButton *cancel = d->progressDialog()->findChild<QPushButton *>();
    QVERIFY(cancel);
    QTest::mouseClick(cancel, Qt::LeftButton);
    QCOMPARE(canceled.count(), 1);
    QVERIFY(d->isVisible());
    QVERIFY(!cancel->isEnabled());
    QCOMPARE(d->progressDialog()->labelText(), QStringLiteral("Importing\nCancelling"));
    sendEscape(d->progressDialog());
    d->setPhase(QStringLiteral("Writing"), 100);
    d->update(100);
    QCOMPARE(d->progressDialog()->labelText(), QStringLiteral("Importing\nCancelling"));
    QCOMPARE(canceled.count(), 1);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(guard);
    QVERIFY(d->isVisible());
    d->endTask();
    QVERIFY(!d->isVisible());
    delete d;
}

// While the task runs, every other window waits: the window is modal to the
// whole application, not only to its parent.
void TestProgressDialog::taskWindowTakesTheInputAlone()
{
    QWidget other;
    other.show();
    ProgressDialog d(0, QStringLiteral("Importing"), m_window, true);
    d.beginTask();
    QCOMPARE(d.progressDialog()->windowModality(), Qt::ApplicationModal);
    QCOMPARE(QApplication::activeModalWidget(), d.progressDialog());
    d.endTask();
    QVERIFY(!QApplication::activeModalWidget());
}

QUORLOG_TEST_MAIN(TestProgressDialog)
#include "tst_progressdialog.moc"
