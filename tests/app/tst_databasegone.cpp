// The application database deleted, or replaced by another file, while a
// filtered session shows it: every page that reads it tells the user once,
// in the words of the import's refusal, shows nothing as loaded and the
// session ends; nothing stays behind at the path. The pool's threads end
// between the steps, so each read opens a connection of its own; the CTest
// wrapper fails the test on any "database not open" line.
#include "support/ConsoleSpyUtil.h"
#include "support/SessionTestUtil.h"
#include "support/TestMain.h"

#include "acquisition/DataFilterPage.h"
#include "app/Framework.h"
#include "app/MainWindow.h"
#include "charts/AbstractChartModel.h"
#include "charts/ui/ChartViewPage.h"
#include "common/Connections.h"
#include "common/Prompts.h"
#include "database/ArchiveManager.h"
#include "readers/ZelBArchiveWriter.h"
#include "reports/AbstractReportModel.h"
#include "reports/ReportViewPage.h"
#include "tables/MyAbstractTableModel.h"
#include "support/DbTestUtil.h"
#include "ui_DataFilterPage.h"

#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTreeView>

namespace {

MainWindow *window()
{
    return g_framework->mainWindow.data();
}

template <class T>
T *onPage(MainWindow::EPageIndexes page)
{
    window()->changePage(page);
    return qobject_cast<T *>(window()->cachedPages().value(page));
}

DataFilterPage *filterPage()
{
    return qobject_cast<DataFilterPage *>(window()->cachedPages().value(MainWindow::DATA_FILTER_PAGE));
}

QString refusal(const QString &path)
{
    return QStringLiteral("The database file %1 was deleted or replaced while it was open. Nothing was written to "
                          "it; open the database again.")
        .arg(path);
}

// What SQLite may leave beside a database.
QStringList besidePath(const QString &path)
{
    QStringList found;
    for (const char *suffix : {"-wal", "-shm", "-journal"})
        if (QFile::exists(path + QLatin1String(suffix)))
            found << path + QLatin1String(suffix);
    return found;
}

} // namespace

class TestDatabaseGone : public QObject
{
    Q_OBJECT

    ScriptedPrompts *prompts = nullptr;
    int serial = 0;
    int deviceId = 0; // the instrument of the session

    // A new database with one instrument, an archive imported into it, two
    // parameters ticked and accepted: a filtered session, as the user makes it.
    void openFilteredSession(const QString &path)
    {
        const int id = deviceId = openNewDatabase(path, ZelB, QStringLiteral("Site"), QDir::tempPath());
        QVERIFY(id >= 0);
        const QString archive = QDir(QDir::tempPath()).filePath(QStringLiteral("gone%1.csv").arg(serial));
        QVERIFY(zelb::writeArchive(archive, 30, 4, QDateTime(QDate(2024, 3, 31), QTime(0, 30), Qt::UTC)));
        QVERIFY(g_framework->importData(archive, QStringLiteral("1/1"), ZelB, id, QString()));
        settle();

        window()->changePage(MainWindow::DATA_FILTER_PAGE);
        DataFilterPage *filter = filterPage();
        QVERIFY(filter);
        filter->updateDeviceTree();
        QStandardItemModel *tree = filter->model();
        QCOMPARE(tree->rowCount(), 1);
        const QModelIndex params = tree->index(1, 0, tree->index(0, 0));
        QVERIFY(tree->rowCount(params) >= 2);
        tree->setData(tree->index(0, 0, params), Qt::Checked, Qt::CheckStateRole);
        tree->setData(tree->index(1, 0, params), Qt::Checked, Qt::CheckStateRole);
        filter->on_acceptButton_clicked();
        settle();
        QCOMPARE(g_framework->getSessionInfo().deviceType, INTERNAL_DB);
        QVERIFY(g_framework->getSessionInfo().hasView(Framework::SessionInfo::ViewChart));
        QCOMPARE(g_framework->tableModel->rowCount(), 2 * 30);
    }

    // The report of both parameters, made while the file is there.
    void makeReport()
    {
        auto *page = onPage<ReportViewPage>(MainWindow::REPORT_VIEW_PAGE);
        settle();
        QVERIFY(page);
        page->findChild<QPushButton *>(QStringLiteral("checkAllParamButton"))->click();
        page->findChild<QPushButton *>(QStringLiteral("generateBasicReportButton"))->click();
        settle();
        QVERIFY(g_framework->reportModel->rowCount() > 0);
    }

    // The other file that takes the path: an empty application database.
    QString otherFile()
    {
        const QString other = QDir(QDir::tempPath()).filePath(QStringLiteral("other%1.qdb").arg(serial));
        QFile::remove(other);
        return ArchiveManager::createDatabase(other) ? other : QString();
    }

private slots:
    void initTestCase()
    {
        g_framework = new Framework();
        g_framework->createMainWindow();
        prompts = new ScriptedPrompts();
        settle();
    }

    void cleanupTestCase()
    {
        window()->on_actionClosedata_triggered();
        endPoolThreads();
        delete prompts;
    }

    void init()
    {
        window()->on_actionClosedata_triggered();
        settle();
        prompts->calls.clear();
        ++serial;
    }

    // Each page's first read after the file went, with the pool's threads
    // ended first: the refusal once, no result shown as loaded, the session
    // closed, and nothing left or made at the path.
    void readAfterTheFileWent_data()
    {
        QTest::addColumn<QString>("read");
        QTest::addColumn<bool>("replaced");
        for (const char *read : {"chart", "accept", "table", "report", "csv", "details"})
            QTest::newRow(qPrintable(QStringLiteral("%1, deleted").arg(QLatin1String(read))))
                << QString::fromLatin1(read) << false;
        for (const char *read : {"chart", "accept", "table", "csv"})
            QTest::newRow(qPrintable(QStringLiteral("%1, replaced").arg(QLatin1String(read))))
                << QString::fromLatin1(read) << true;
    }
    void readAfterTheFileWent()
    {
        QFETCH(QString, read);
        QFETCH(bool, replaced);
        const QString path = QDir(QDir::tempPath()).filePath(QStringLiteral("victim%1.qdb").arg(serial));
        openFilteredSession(path);
        if (QTest::currentTestFailed())
            return;
        const QString other = replaced ? otherFile() : QString();
        endPoolThreads();

        QVERIFY(QFile::remove(path));
        if (replaced)
            QVERIFY(QFile::rename(other, path));
        endPoolThreads();
        QSignalSpy console(g_framework, SIGNAL(consoleMessage(QString, int)));
        const QString csv = QDir(QDir::tempPath()).filePath(QStringLiteral("gone%1.out.csv").arg(serial));
        QFile::remove(csv);
        const int shownBefore = windowConsoleLines().size();

        if (read == QLatin1String("chart")) {
            auto *page = onPage<ChartViewPage>(MainWindow::CHART_VIEW_PAGE);
            QVERIFY(page);
            QVERIFY(!page->loadedModel());
        } else if (read == QLatin1String("accept")) {
            window()->changePage(MainWindow::DATA_FILTER_PAGE);
            filterPage()->on_acceptButton_clicked();
        } else if (read == QLatin1String("table")) {
            QWidget *page = onPage<QWidget>(MainWindow::TABLE_VIEW_PAGE);
            QVERIFY(page);
            page->findChild<QPushButton *>(QStringLiteral("groupButton"))->click();
        } else if (read == QLatin1String("report")) {
            auto *page = onPage<ReportViewPage>(MainWindow::REPORT_VIEW_PAGE);
            QVERIFY(page);
            page->findChild<QPushButton *>(QStringLiteral("checkAllParamButton"))->click();
            page->findChild<QPushButton *>(QStringLiteral("generateBasicReportButton"))->click();
            QCOMPARE(g_framework->reportModel->rowCount(), 0);
        } else if (read == QLatin1String("csv")) {
            QWidget *page = onPage<QWidget>(MainWindow::CSV_EXPORT_PAGE);
            QVERIFY(page);
            prompts->fileAnswers.enqueue(csv);
            page->findChild<QPushButton *>(QStringLiteral("generateButton"))->click();
        } else if (read == QLatin1String("details")) {
            window()->changePage(MainWindow::DATA_FILTER_PAGE);
            DataFilterPage *filter = filterPage();
            filter->form()->treeView->selectionModel()->select(filter->model()->index(0, 0),
                                                               QItemSelectionModel::ClearAndSelect);
            filter->showSelectedDeviceDetails();
            QVERIFY(!filter->findChild<QMessageBox *>(QStringLiteral("deviceInformationBox")));
        }
        settle();

        QVERIFY2(prompts->messageTexts() == QStringList{refusal(path)}, qPrintable(prompts->messageTexts().join('\n')));
        QVERIFY(!g_framework->getSessionInfo().isOpen);
        QVERIFY(!window()->cachedPages().contains(MainWindow::CHART_VIEW_PAGE));
        // Nothing read is announced as read, nor any failure besides the refusal.
        const QStringList lines = windowConsoleLines().mid(shownBefore);
        for (const char *success : {"Loaded ", "Filters applied", "Table data query time", "Report created", "Saved "})
            QVERIFY2(lines.filter(QLatin1String(success)).isEmpty(), qPrintable(lines.join('\n')));
        QCOMPARE(consolespy::notPlain(console), QList<QVariant>{QStringLiteral("Session closed")});
        QVERIFY(!QFile::exists(csv));

        endPoolThreads();
        if (replaced) {
            // The file now at the path is left as it came.
            QSqlDatabase db = testdb::open(QStringLiteral("check"), path);
            QCOMPARE(testdb::count(db, QStringLiteral("Devices")), qint64(0));
            QCOMPARE(testdb::count(db, QStringLiteral("Data")), qint64(0));
            db = QSqlDatabase();
            Connections::remove(QStringLiteral("check"));
        } else {
            QVERIFY(!QFile::exists(path));
            QCOMPARE(besidePath(path), QStringList());
        }
    }

    // The report on the page was read while the file was there: its PDF is
    // written from it, and the next read ends the session.
    void pdfOfAReportReadBefore()
    {
        const QString path = QDir(QDir::tempPath()).filePath(QStringLiteral("victim%1.qdb").arg(serial));
        openFilteredSession(path);
        makeReport();
        if (QTest::currentTestFailed())
            return;
        endPoolThreads();
        QVERIFY(QFile::remove(path));
        endPoolThreads();

        auto *page = onPage<ReportViewPage>(MainWindow::REPORT_VIEW_PAGE);
        const QString out = QDir(QDir::tempPath()).filePath(QStringLiteral("gone%1.pdf").arg(serial));
        prompts->execAnswers.enqueue([](QDialog *d) {
            d->findChild<QPushButton *>(QStringLiteral("pdfExportOkButton"))->click();
            return int(QDialog::Accepted);
        });
        prompts->fileAnswers.enqueue(out);
        page->findChild<QPushButton *>(QStringLiteral("exportBasicReportToPdfButton"))->click();
        settle();
        QVERIFY(pdfText(out).contains(QStringLiteral("Report")));
        QVERIFY(g_framework->getSessionInfo().isOpen);
        QCOMPARE(prompts->messageTexts(), QStringList());

        page->findChild<QPushButton *>(QStringLiteral("generateBasicReportButton"))->click();
        settle();
        QVERIFY2(prompts->messageTexts() == QStringList{refusal(path)}, qPrintable(prompts->messageTexts().join('\n')));
        QVERIFY(!g_framework->getSessionInfo().isOpen);
        endPoolThreads();
        QVERIFY(!QFile::exists(path));
        QCOMPARE(besidePath(path), QStringList());
    }

    // An import refused after the file went, then two pages read before the
    // window was idle once: one message in all, and a later session on the
    // same path is not touched.
    void toldOnceAndOnlyForThatFile()
    {
        const QString path = QDir(QDir::tempPath()).filePath(QStringLiteral("victim%1.qdb").arg(serial));
        openFilteredSession(path);
        if (QTest::currentTestFailed())
            return;
        endPoolThreads();
        QVERIFY(QFile::remove(path));
        endPoolThreads();
        const QString archive = QDir(QDir::tempPath()).filePath(QStringLiteral("late%1.csv").arg(serial));
        QVERIFY(zelb::writeArchive(archive, 3, 4, QDateTime(QDate(2024, 4, 30), QTime(0, 30), Qt::UTC)));
        QVERIFY(!g_framework->importData(archive, QStringLiteral("1/1"), ZelB, deviceId, QString()));
        QCOMPARE(prompts->messageTexts(), QStringList{refusal(path)});
        window()->changePage(MainWindow::CHART_VIEW_PAGE);
        window()->changePage(MainWindow::TABLE_VIEW_PAGE);
        window()->cachedPages()
            .value(MainWindow::TABLE_VIEW_PAGE)
            ->findChild<QPushButton *>(QStringLiteral("groupButton"))
            ->click();
        settle();
        QCOMPARE(prompts->messageTexts(), QStringList{refusal(path)});
        QVERIFY(!g_framework->getSessionInfo().isOpen);

        // The same path, a new file, a new session: it works as any other.
        prompts->calls.clear();
        ++serial;
        openFilteredSession(path);
        endPoolThreads();
        auto *chart = onPage<ChartViewPage>(MainWindow::CHART_VIEW_PAGE);
        settle();
        QVERIFY(chart && chart->loadedModel());
        QVERIFY(!chart->loadedModel()->timeSeries.isEmpty());
        QVERIFY(g_framework->getSessionInfo().isOpen);
        QCOMPARE(prompts->messageTexts(), QStringList());
        window()->on_actionClosedata_triggered();
        endPoolThreads();
        QVERIFY(QFile::exists(path));
        QCOMPARE(besidePath(path), QStringList());
    }
};

QUORLOG_TEST_MAIN(TestDatabaseGone)
#include "tst_databasegone.moc"
