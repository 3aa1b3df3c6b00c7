#include "support/DbTestUtil.h"
#include "support/TestMain.h"
#include "tables/NarrowFixture.h"
#include "tables/TempDatabaseTableModel.h"
#include "tables/TempDatabaseTableModelMoxB.h"
#include "tables/moxbcsvtable.h"

#include <QSqlQuery>
#include <QTime>

#include <memory>
#include <QTemporaryDir>

// The row stream that exports read: every row of the table past the fetch
// cap of the screen, cell for cell what the view shows, plus each cell's own
// stored value.
class TestTableRowExport : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void streamsPastTheFetchCap_data();
    void streamsPastTheFetchCap();
    void tableWithoutStatement();
    void wideTableStreamsWithoutLoading_data();
    void wideTableStreamsWithoutLoading();

private:
    // A DataMoxB of `rows` rows: two parameters of instrument "X", flag-like
    // texts in the second so the grouped flag rule has work to do.
    static bool writeWide(QSqlDatabase db, int rows);
    QTemporaryDir m_dir;
    QSqlDatabase m_db;
};

void TestTableRowExport::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_db = testdb::open(QStringLiteral("temp_Data_con"), m_dir.filePath(QStringLiteral("rows.sqlite")),
                        testdb::Sync::Scratch);
    QString e;
    QVERIFY2(NarrowFixture::writeLarge(m_db, 3000, 3, &e), qPrintable(e));
}

void TestTableRowExport::streamsPastTheFetchCap_data()
{
    QTest::addColumn<bool>("grouped");
    QTest::addColumn<int>("rows");
    QTest::newRow("flat") << false << 3000;
    QTest::newRow("grouped") << true << 1000;
}

void TestTableRowExport::streamsPastTheFetchCap()
{
    QFETCH(bool, grouped);
    QFETCH(int, rows);
    TempDatabaseTableModel m(m_db);
    m.setFetchLimit(500);
    m.setGroupByDate(grouped);
    m.setLoadAllData(true);
    const int screen = m.rowCount();
    QVERIFY(screen >= 500 && screen < rows);

    QVERIFY(m.beginRowExport());
    MyAbstractTableModel::ExportSection section;
    int seen = 0;
    int invalidFlags = 0;
    while (m.readRowExport(section, 70) && section.rows > 0) {
        QVERIFY(section.rows <= 70);
        QCOMPARE(section.columns, m.columnCount());
        for (int r = 0; r < section.rows; ++r, ++seen) {
            for (int c = 0; c < section.columns; ++c) {
                if (seen < m.rowCount()) {
                    const QModelIndex i = m.index(seen, c);
                    QCOMPARE(section.shownAt(r, c), m.data(i, Qt::DisplayRole));
                    QCOMPARE(section.storedAt(r, c), m.data(i, Qt::EditRole));
                }
            }
            const int flagColumn = grouped ? 2 : 5;
            if (section.storedAt(r, flagColumn).toInt() == 2)
                ++invalidFlags;
        }
    }
    m.endRowExport();
    QCOMPARE(seen, rows);
    // Every 97th value is flagged invalid by the fixture.
    QVERIFY(invalidFlags > 0);
    // The screen's rows stay capped.
    QCOMPARE(m.rowCount(), screen);
}

void TestTableRowExport::tableWithoutStatement()
{
    QSqlDatabase db = testdb::open(QStringLiteral("empty_con"), m_dir.filePath(QStringLiteral("empty.sqlite")),
                                   testdb::Sync::Scratch);
    QVERIFY(NarrowFixture::createSchema(db));
    TempDatabaseTableModel m(db);
    m.setGroupByDate(true); // no parameters: nothing to group
    QVERIFY(m.beginRowExport());
    QCOMPARE(m.rowExportCount(), 0);
    MyAbstractTableModel::ExportSection section;
    QVERIFY(m.readRowExport(section, 10));
    QCOMPARE(section.rows, 0);
    m.endRowExport();
}

bool TestTableRowExport::writeWide(QSqlDatabase db, int rows)
{
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("CREATE TABLE DataMoxB (id INTEGER PRIMARY KEY AUTOINCREMENT, date TEXT, time TEXT, "
                               "\"U - value (X)\" TEXT, \"U - flag (X)\" TEXT)")))
        return false;
    if (!db.transaction() || !q.prepare(QStringLiteral("INSERT INTO DataMoxB (date, time, \"U - value (X)\", \"U - flag (X)\") "
                                                       "VALUES (?, ?, ?, ?)")))
        return false;
    for (int i = 0; i < rows; ++i) {
        q.addBindValue(QStringLiteral("2026-03-%1").arg(1 + i / 1000, 2, 10, QLatin1Char('0')));
        q.addBindValue(QTime(0, 0).addSecs(i % 1000).toString(QStringLiteral("HH:mm:ss.zzz")));
        q.addBindValue(QString::number(230.0 + i * 0.01, 'f', 2));
        q.addBindValue(QString::number(i % 3));
        if (!q.exec())
            return false;
    }
    return db.commit();
}

void TestTableRowExport::wideTableStreamsWithoutLoading_data()
{
    QTest::addColumn<bool>("filtered");
    QTest::addColumn<bool>("grouped");
    QTest::newRow("CSV file, by id") << false << false;
    QTest::newRow("CSV file, flipped") << false << true;
    QTest::newRow("filtered, grouped") << true << true;
}

// A recorder's wide table reaches the export row by row from its own
// statement, in the view's order and as the view shows it, while the model
// keeps only the rows on screen.
void TestTableRowExport::wideTableStreamsWithoutLoading()
{
    QFETCH(bool, filtered);
    QFETCH(bool, grouped);
    const int rows = 2500;
    QSqlDatabase db = testdb::open(QStringLiteral("wide_con"), m_dir.filePath(QStringLiteral("wide.sqlite")),
                                   testdb::Sync::Scratch);
    {
        QSqlQuery q(db);
        q.exec(QStringLiteral("DROP TABLE IF EXISTS DataMoxB"));
        q.exec(QStringLiteral("DROP TABLE IF EXISTS Devices"));
        q.exec(QStringLiteral("DROP TABLE IF EXISTS Parameters"));
        QVERIFY(q.exec(QStringLiteral("CREATE TABLE Devices (id INTEGER PRIMARY KEY, name TEXT)")));
        QVERIFY(q.exec(QStringLiteral("CREATE TABLE Parameters (id INTEGER PRIMARY KEY, idDevices INTEGER, "
                                      "name TEXT, unit TEXT)")));
        QVERIFY(q.exec(QStringLiteral("INSERT INTO Devices VALUES (1, 'X')")));
        QVERIFY(q.exec(QStringLiteral("INSERT INTO Parameters VALUES (1, 1, 'U - value', 'V'), (2, 1, 'U - flag', '')")));
    }
    QVERIFY(writeWide(db, rows));

    std::unique_ptr<TempDatabaseTableModelMoxB> m;
    if (filtered) {
        FiltersCfg f;
        f.selectedParamId = {1, 2};
        m.reset(new TempDatabaseTableModelMoxB(db, f));
    } else {
        m.reset(new moxbcsvtable(db));
    }
    m->updateQuery();
    if (grouped)
        m->setGroupByDate(true);
    QTRY_VERIFY(m->rowCount() > 0);
    const int screen = m->rowCount();
    QVERIFY(screen < rows);

    QVERIFY(m->beginRowExport());
    MyAbstractTableModel::ExportSection section;
    int seen = 0;
    int dashes = 0;
    while (m->readRowExport(section, 700) && section.rows > 0) {
        QCOMPARE(section.columns, m->columnCount());
        for (int r = 0; r < section.rows; ++r, ++seen) {
            for (int c = 0; c < section.columns; ++c) {
                if (section.shownAt(r, c).toString() == QLatin1String("---"))
                    ++dashes;
                if (seen < m->rowCount())
                    QCOMPARE(section.shownAt(r, c), m->data(m->index(seen, c), Qt::DisplayRole));
            }
        }
    }
    m->endRowExport();
    QCOMPARE(seen, rows);
    QCOMPARE(m->rowCount(), screen);
    // Only the grouped flag rule hides values (those of their channel's flag 2).
    QCOMPARE(dashes > 0, filtered && grouped);
}

QUORLOG_TEST_MAIN(TestTableRowExport)
#include "tst_tablerowexport.moc"
