// Closing a session through the main window stops every count still reading
// its database (the data-filter page's record count, an instrument's details
// count) at once, not when the page that started them goes: the close action
// runs inside the window's event loop, and the open command that follows it
// keeps the page alive under its own modal window. Afterwards nothing reads
// the closed file. Then the user goes on to a recorder archive, its chart
// sections and its close, with the pool's threads ending between the steps.
#include "support/DbTestUtil.h"
#include "support/RecorderChartFixture.h"
#include "support/SessionTestUtil.h"
#include "support/TestMain.h"

#include "acquisition/DataFilterPage.h"
#include "app/Framework.h"
#include "app/MainWindow.h"
#include "charts/AbstractChartModel.h"
#include "charts/ui/ChartViewPage.h"
#include "common/Connections.h"
#include "common/ProgressDialog.h"
#include "common/Prompts.h"
#include "database/ArchiveManager.h"
#include "ui_DataFilterPage.h"

#include <QAction>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QMessageBox>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QThreadPool>
#include <QTimer>
#include <QTreeView>

namespace {

// Enough rows that a count takes a while on a quick machine too.
constexpr int kRows = 400000;

MainWindow *window()
{
    return g_framework->mainWindow.data();
}

// Descriptors of this process open on the file or its WAL and shared-memory
// files: what still reads it.
QStringList openOn(const QString &path)
{
    const QString file = QFileInfo(path).canonicalFilePath();
    QStringList out;
    const QDir fds(QStringLiteral("/proc/self/fd"));
    for (const QString &fd : fds.entryList(QDir::NoDotAndDotDot | QDir::System | QDir::Files)) {
        const QString target = QFile::symLinkTarget(fds.filePath(fd));
        if (!target.isEmpty() && target.startsWith(file))
            out << target;
    }
    return out;
}

QStringList errorLines(const QSignalSpy &console)
{
    QStringList out;
    for (const QList<QVariant> &args : console)
        if (args.at(1).toInt() >= 2)
            out << args.at(0).toString();
    return out;
}

// Runs f inside the window's event loop, as a click's slot runs.
template <class F>
void fromTheEventLoop(F f)
{
    QEventLoop loop;
    QTimer::singleShot(0, &loop, [&]() {
        f();
        loop.quit();
    });
    loop.exec();
}

} // namespace

class TestSessionClose : public QObject
{
    Q_OBJECT

    ScriptedPrompts *prompts = nullptr;
    QString path;
    qint64 fullCountMs = 0;

private slots:
    void initTestCase()
    {
        g_framework = new Framework();
        g_framework->createMainWindow();
        window()->resize(1280, 800);
        window()->show();
        prompts = new ScriptedPrompts();
        path = QDir(QDir::tempPath()).filePath(QStringLiteral("counted.qdb"));
        QVERIFY(testdb::makeLongCountDatabase(path, kRows));
        const QString name = QStringLiteral("full_count");
        Connections::registerFile(name, path);
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(ArchiveManager::countRecords(name), qint64(kRows));
        fullCountMs = timer.elapsed();
        Connections::remove(name);
        qInfo("an uninterrupted count takes %lld ms", fullCountMs);
        // Below this an interrupted count could not be told from one that ended.
        QVERIFY2(fullCountMs >= 300, "the database's count is too quick to be interrupted");
    }

    void cleanupTestCase()
    {
        if (g_framework->getSessionInfo().isOpen)
            window()->on_actionClosedata_triggered();
        endPoolThreads();
        delete prompts;
    }

    void closingStopsTheCountsThenAChartSession()
    {
        QSignalSpy console(g_framework, SIGNAL(consoleMessage(QString, int)));
        g_framework->openFile(path, INTERNAL_DB, 0, {});
        settle();
        QVERIFY(g_framework->getSessionInfo().isOpen);
        auto *filter = qobject_cast<DataFilterPage *>(window()->cachedPages().value(MainWindow::DATA_FILTER_PAGE));
        QVERIFY(filter);
        QCOMPARE(filter->form()->dataRecordsValueLabel->text(), QStringLiteral("-"));
        // The instrument's details count as well.
        filter->form()->treeView->selectionModel()->select(filter->model()->index(0, 0),
                                                           QItemSelectionModel::ClearAndSelect);
        filter->showSelectedDeviceDetails();
        QVERIFY(filter->findChild<QMessageBox *>(QStringLiteral("deviceInformationBox")));
        QTest::qWait(100);
        QVERIFY(QThreadPool::globalInstance()->activeThreadCount() >= 2);

        // The close action, and what follows in the same slot while the page
        // (and its box) are still there.
        qint64 stoppedMs = -1;
        bool pageAlive = false;
        QAction *close = window()->findChild<QAction *>(QStringLiteral("actionClosedata"));
        QVERIFY(close);
        fromTheEventLoop([&]() {
            QPointer<DataFilterPage> page(filter);
            QElapsedTimer timer;
            timer.start();
            close->trigger();
            while (QThreadPool::globalInstance()->activeThreadCount() > 0 && timer.elapsed() < 10000)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            stoppedMs = timer.elapsed();
            pageAlive = !page.isNull();
        });
        qInfo("the counts ended %lld ms after the close", stoppedMs);
        QVERIFY(pageAlive);
        QVERIFY(!g_framework->getSessionInfo().isOpen);
        QVERIFY2(stoppedMs < qMin<qint64>(1000, fullCountMs / 2), qPrintable(QString::number(stoppedMs)));
        settle();
        QVERIFY(!window()->findChild<QMessageBox *>(QStringLiteral("deviceInformationBox")));
        // Stopped, not failed: nothing to tell.
        QVERIFY2(errorLines(console).isEmpty(), qPrintable(errorLines(console).join('\n')));
        endPoolThreads();
        QVERIFY2(openOn(path).isEmpty(), qPrintable(openOn(path).join('\n')));

        // The next file: a recorder's archive, two sections of 60 parameters.
        QVERIFY(recchart::openSession(recchart::Kind::MoxBArchive, 2 * AbstractChartModel::SectionRows, 60));
        const QString archive = g_framework->getSessionInfo().fileName;
        endPoolThreads();
        ChartViewPage *page = recchart::chartPage();
        QVERIFY(page);
        QCOMPARE(page->loadedModel()->timeSeries.first()->size(), int(AbstractChartModel::SectionRows));
        settle();
        endPoolThreads();
        QTest::mouseClick(recchart::nextButton(page), Qt::LeftButton);
        QCOMPARE(page->loadedModel()->sectionStartRow, AbstractChartModel::SectionRows);
        settle();
        QVERIFY(window()->findChildren<ProgressDialog *>().isEmpty());
        endPoolThreads();
        QTest::mouseClick(page->findChild<QPushButton *>(QStringLiteral("previousButton")), Qt::LeftButton);
        QCOMPARE(page->loadedModel()->sectionStartRow, 0u);
        settle();
        QVERIFY(window()->findChildren<ProgressDialog *>().isEmpty());

        window()->on_actionClosedata_triggered();
        settle();
        endPoolThreads();
        QVERIFY2(openOn(archive).isEmpty(), qPrintable(openOn(archive).join('\n')));
        QVERIFY2(errorLines(console).isEmpty(), qPrintable(errorLines(console).join('\n')));
        QVERIFY(prompts->count(QStringLiteral("message")) <= 1); // the settings offer, answered No
    }
};

QUORLOG_TEST_MAIN(TestSessionClose)
#include "tst_sessionclose.moc"
