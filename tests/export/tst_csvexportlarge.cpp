#include "export/CsvConverter.h"
#include "support/DbTestUtil.h"
#include "support/TestMain.h"
#include "tables/NarrowFixture.h"
#include "tables/TempDatabaseTableModel.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

// A session far past the screen's fetch cap: the export reads every row.
class TestCsvExportLarge : public QObject
{
    Q_OBJECT

private slots:
    void threeMillionRows();
};

void TestCsvExportLarge::threeMillionRows()
{
    constexpr qint64 Rows = 3000000;
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QSqlDatabase db =
        testdb::open(QStringLiteral("temp_Data_con"), dir.filePath(QStringLiteral("large.sqlite")), testdb::Sync::Scratch);
    QString e;
    QVERIFY2(NarrowFixture::writeLarge(db, Rows, 1, &e), qPrintable(e));

    TempDatabaseTableModel session(db);
    std::unique_ptr<MyAbstractTableModel> copy(session.clone());
    QVERIFY(copy);
    CsvExportSettings s;
    s.dateFormat = QStringLiteral("yyyy-MM-dd");
    s.timeFormat = QStringLiteral("HH:mm:ss");
    s.columnSeparator = ';';
    s.decimalPoint = ',';
    s.groupByDate = false;
    const QString out = dir.filePath(QStringLiteral("large.csv"));
    CsvConverter c(out, s, copy.get());
    QSignalSpy console(&c, &CsvConverter::consoleMessage);
    QElapsedTimer t;
    t.start();
    QVERIFY(c.convert());
    qInfo("export of %lld rows: %lld ms", Rows, t.elapsed());

    QCOMPARE(c.recordsWritten(), Rows);
    QVERIFY(console.last().at(0).toString().startsWith(QStringLiteral("Saved 3000000 records in: ")));
    // The screen's copy stays capped.
    QVERIFY(copy->rowCount() <= MyAbstractSqlModel::MaxFetchedRows);

    QFile f(out);
    QVERIFY(f.open(QIODevice::ReadOnly));
    qint64 lines = 0;
    QByteArray last;
    QByteArray line;
    bool first = true;
    while (!f.atEnd()) {
        line = f.readLine();
        if (first) {
            QCOMPARE(line, QByteArray("DateTime;Name;Value;Unit;Flag\r\n"));
            first = false;
            continue;
        }
        ++lines;
        last = line;
    }
    QCOMPARE(lines, Rows);
    // Row i: value (i % 1000) * 0.5, one second apart from T0; flag 2 (shown
    // as the invalid symbol) every 97th row.
    const qint64 i = Rows - 1;
    const QDateTime when = QDateTime::fromMSecsSinceEpoch(NarrowFixture::T0 + i * 1000, Qt::UTC);
    const QByteArray expected = when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toLatin1() + ";P1;"
                                + CsvConverter::formatNumber((i % 1000) * 0.5, 0, ',') + ";V;"
                                + (i % 97 == 0 ? QByteArray("\u2716") : QByteArray("\u2714"));
    QCOMPARE(last, expected);
}

QUORLOG_TEST_MAIN(TestCsvExportLarge)
#include "tst_csvexportlarge.moc"
