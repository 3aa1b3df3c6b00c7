// The device list page's counts on an application database whose count takes
// seconds while its period is a few index look-ups: a refresh and the page's
// end interrupt a running count at once, a later refresh's count is shown
// whole and alone, and an instrument's details come at once, the count
// following from the pool. Times are measured against what an uninterrupted
// count of the same database takes in the same run.
#include "support/DbTestUtil.h"
#include "support/SessionTestUtil.h"
#include "support/TestMain.h"

#include "acquisition/DataFilterPage.h"
#include "app/Framework.h"
#include "common/Connections.h"
#include "database/ArchiveManager.h"
#include "ui_DataFilterPage.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMessageBox>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QStandardItemModel>
#include <QThreadPool>
#include <QTreeView>

namespace {

const QString kDataCon = QStringLiteral("Data_con");
// Enough rows that a count takes a while on a quick machine too.
constexpr int kRows = 400000;

// Every count of the pool has ended within ms.
bool countsEnd(int ms)
{
    return QThreadPool::globalInstance()->waitForDone(ms);
}

} // namespace

class TestDataFilterCount : public QObject
{
    Q_OBJECT

    QString path;
    qint64 fullCountMs = 0;

    QString recordsLabel(DataFilterPage &page) { return page.form()->dataRecordsValueLabel->text(); }

private slots:
    void initTestCase()
    {
        g_framework = new Framework();
        path = QDir(QDir::tempPath()).filePath(QStringLiteral("long.qdb"));
        QVERIFY(testdb::makeLongCountDatabase(path, kRows));
        Connections::registerFile(kDataCon, path);
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(ArchiveManager::countRecords(kDataCon), qint64(kRows));
        fullCountMs = timer.elapsed();
        qInfo("an uninterrupted count takes %lld ms", fullCountMs);
        // Below this the interrupted counts could not be told from ended ones.
        QVERIFY2(fullCountMs >= 300, "the database's count is too quick to be interrupted");
    }

    void cleanup()
    {
        QVERIFY(countsEnd(120000));
        settle();
    }

    // The page goes while its count runs (a new session starts): it returns
    // at once, and the count stops with it, telling nobody anything.
    void pageEndInterruptsTheCount()
    {
        QSignalSpy console(g_framework, &Framework::consoleMessage);
        auto *page = new DataFilterPage;
        QCOMPARE(recordsLabel(*page), QStringLiteral("-"));
        QTest::qWait(100);
        QVERIFY(!countsEnd(0));
        QElapsedTimer timer;
        timer.start();
        delete page;
        const qint64 destructorMs = timer.elapsed();
        QVERIFY(countsEnd(int(fullCountMs / 4)));
        const qint64 endedMs = timer.elapsed();
        qInfo("destructor: %lld ms; the count ended %lld ms after it began", destructorMs, endedMs);
        QVERIFY(destructorMs < fullCountMs / 4);
        settle();
        QCOMPARE(console.count(), 0);
    }

    // Each refresh interrupts the count before it: when the page then goes,
    // nothing is left running (it interrupts only the newest).
    void refreshInterruptsTheOlderCount()
    {
        auto *page = new DataFilterPage;
        QTest::qWait(100);
        page->updateTimeConstrains();
        QTest::qWait(100);
        page->updateTimeConstrains();
        QTest::qWait(100);
        QElapsedTimer timer;
        timer.start();
        delete page;
        QVERIFY(countsEnd(int(fullCountMs / 4)));
        qInfo("three counts ended %lld ms after the page went", timer.elapsed());
    }

    // A row added while the first count runs: that count's snapshot misses
    // it. After the refresh the label shows "-" until the new count is
    // done, then exactly that count, never the interrupted one's.
    void laterRefreshShowsItsOwnCount()
    {
        QSignalSpy console(g_framework, &Framework::consoleMessage);
        DataFilterPage page;
        QTest::qWait(100);
        QSqlQuery insert(Connections::database(kDataCon));
        QVERIFY(insert.exec(QStringLiteral("INSERT INTO DataMoxB (date, time, \"U1 (Hall)\") "
                                           "VALUES ('2024-03-02', '12:00:00.000', '1')")));
        page.updateTimeConstrains();
        const QString expected = DataFilterPage::formatRecordCount(kRows + 1);
        QElapsedTimer timer;
        timer.start();
        while (recordsLabel(page) != expected && timer.elapsed() < 120000) {
            QCOMPARE(recordsLabel(page), QStringLiteral("-"));
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        QCOMPARE(recordsLabel(page), expected);
        settle();
        QCOMPARE(recordsLabel(page), expected);
        QCOMPARE(console.count(), 0);
        QVERIFY(insert.exec(QStringLiteral("DELETE FROM DataMoxB WHERE date = '2024-03-02' AND \"U1 (Hall)\" = '1'")));
        QCOMPARE(insert.numRowsAffected(), 1);
    }

    // The details of an instrument with many rows: its first and last
    // record at once, the count filled in when the pool has it; a box
    // closed before interrupts its count.
    void detailsWithoutWaitingForTheCount()
    {
        DataFilterPage page;
        const QModelIndex device = page.model()->index(0, 0);
        QVERIFY(device.isValid());
        page.form()->treeView->selectionModel()->select(device, QItemSelectionModel::ClearAndSelect);
        QElapsedTimer timer;
        timer.start();
        page.showSelectedDeviceDetails();
        const qint64 slotMs = timer.elapsed();
        QMessageBox *box = page.findChild<QMessageBox *>(QStringLiteral("deviceInformationBox"));
        QVERIFY(box);
        qInfo("details shown after %lld ms", slotMs);
        QVERIFY(slotMs < fullCountMs / 4);
        QVERIFY(box->text().contains(QStringLiteral("Data records:&nbsp;&nbsp;&nbsp;&nbsp;</strong>-<br />")));
        QVERIFY(box->text().contains(QStringLiteral("First record date:&nbsp;&nbsp;</strong>2024-03-01 00:00:00<br />")));
        // kRows - 1 seconds later.
        const QString last = QStringLiteral("Last record date:&nbsp;&nbsp;</strong>%1<br />")
                                 .arg(QDateTime(QDate(2024, 3, 1), QTime(0, 0), Qt::UTC)
                                          .addSecs(kRows - 1)
                                          .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
        QVERIFY(box->text().contains(last));
        QTRY_VERIFY_WITH_TIMEOUT(
            box->text().contains(QStringLiteral("Data records:&nbsp;&nbsp;&nbsp;&nbsp;</strong>%1<br />").arg(kRows)),
            120000);
        QVERIFY(box->text().contains(last));
        box->close();
        settle();

        // Closed while it counts.
        QVERIFY(countsEnd(120000));
        page.showSelectedDeviceDetails();
        box = page.findChild<QMessageBox *>(QStringLiteral("deviceInformationBox"));
        QVERIFY(box);
        QTest::qWait(100);
        QVERIFY(!countsEnd(0));
        timer.restart();
        box->close();
        settle();
        QVERIFY(!page.findChild<QMessageBox *>(QStringLiteral("deviceInformationBox")));
        QVERIFY(countsEnd(int(fullCountMs / 4)));
        qInfo("the closed box's count ended %lld ms after", timer.elapsed());
    }
};

QUORLOG_TEST_MAIN(TestDataFilterCount)
#include "tst_datafiltercount.moc"
