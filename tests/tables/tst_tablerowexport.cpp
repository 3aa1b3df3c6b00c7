#include "support/DbTestUtil.h"
#include "support/TestMain.h"
#include "tables/NarrowFixture.h"
#include "tables/TempDatabaseTableModel.h"

#include <QSqlQuery>
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

private:
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

QUORLOG_TEST_MAIN(TestTableRowExport)
#include "tst_tablerowexport.moc"
