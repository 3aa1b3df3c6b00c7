#include "tables/moxblogtable.h"
#include "tables/moxbsettingtable.h"

#include "common/Connections.h"
#include "support/DbTestUtil.h"
#include "support/TestMain.h"

#include <QSignalSpy>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <memory>

namespace {

QStringList rowTexts(const QAbstractItemModel &m, int row)
{
    QStringList out;
    for (int c = 0; c < m.columnCount(); ++c)
        out << m.data(m.index(row, c)).toString();
    return out;
}

QStringList headers(const QAbstractItemModel &m)
{
    QStringList out;
    for (int c = 0; c < m.columnCount(); ++c)
        out << m.headerData(c, Qt::Horizontal).toString();
    return out;
}

std::unique_ptr<MoxBLogTable> makeLog(const QString &table, QSqlDatabase db)
{
    if (table == QLatin1String("AlarmLog"))
        return std::make_unique<moxbalarmtable>(db);
    return std::make_unique<moxbaudittable>(db);
}

} // namespace

class TestMoxBLogSettingTables : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();

    void logTableShowsWholeTable_data();
    void logTableShowsWholeTable();
    void logTableMissing_data();
    void logTableMissing();
    void flags_data();
    void flags();
    void logTableGroupedShowsCellsAsStored_data();
    void logTableGroupedShowsCellsAsStored();
    void settingTableFlat();
    void settingTableGrouped();
    void settingTableNamesAreData();
    void settingTableExportPages();

private:
    QSqlDatabase makeDb(const QStringList &statements);
    QSqlDatabase settingsDb(const QStringList &names);

    QTemporaryDir m_dir;
    QStringList m_names;
    int m_serial = 0;
};

void TestMoxBLogSettingTables::cleanup()
{
    for (const QString &n : qAsConst(m_names))
        Connections::remove(n);
    m_names.clear();
}

QSqlDatabase TestMoxBLogSettingTables::makeDb(const QStringList &statements)
{
    const QString name = QStringLiteral("moxblog_%1").arg(++m_serial);
    m_names << name;
    QSqlDatabase db = testdb::open(name, m_dir.filePath(name + QStringLiteral(".sqlite")), testdb::Sync::Scratch);
    const QStringList errors = testdb::exec(db, statements);
    if (!errors.isEmpty())
        qWarning() << errors;
    return db;
}

// Data has one column per parameter name; dataConnected holds the narrow rows
// the pivot reads.
QSqlDatabase TestMoxBLogSettingTables::settingsDb(const QStringList &names)
{
    QStringList cols;
    for (const QString &n : names)
        cols << QStringLiteral("\"%1\" TEXT").arg(QString(n).replace('"', QLatin1String("\"\"")));
    QSqlDatabase db = makeDb({QStringLiteral("CREATE TABLE Data(%1)").arg(cols.join(',')),
                              QStringLiteral("CREATE TABLE dataConnected(dateTime TEXT, name TEXT, value REAL, flag INTEGER)")});
    QSqlQuery q(db);
    q.prepare(QStringLiteral("INSERT INTO dataConnected VALUES(?, ?, ?, ?)"));
    int v = 0;
    for (const QString &t : {QStringLiteral("2024-01-01 00:00:00"), QStringLiteral("2024-01-01 00:01:00")}) {
        for (const QString &n : names) {
            q.addBindValue(t);
            q.addBindValue(n);
            q.addBindValue(++v);
            q.addBindValue(v == 2 ? 1 : 0);
            if (!q.exec())
                qWarning() << "insert failed";
        }
    }
    return db;
}

void TestMoxBLogSettingTables::logTableShowsWholeTable_data()
{
    QTest::addColumn<QString>("table");
    QTest::newRow("alarm") << QStringLiteral("AlarmLog");
    QTest::newRow("audit") << QStringLiteral("AuditLog");
}

void TestMoxBLogSettingTables::logTableShowsWholeTable()
{
    // Both logs in one file: each model reads its own. More rows than the
    // inner model's first fetch, so a partial read would show.
    QFETCH(QString, table);
    QSqlDatabase db = makeDb({QStringLiteral("CREATE TABLE AlarmLog(id INTEGER PRIMARY KEY, \"date time\" TEXT, event TEXT)"),
                              QStringLiteral("CREATE TABLE AuditLog(id INTEGER PRIMARY KEY, who TEXT, what TEXT, flag INTEGER)")});
    QSqlQuery q(db);
    QVERIFY(q.exec(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 600) "
                                  "INSERT INTO AlarmLog SELECT i, '2024-01-01 00:00:00', 'alarm ' || i FROM n")));
    QVERIFY(q.exec(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 700) "
                                  "INSERT INTO AuditLog SELECT i, 'op', 'audit ' || i, 0 FROM n")));

    auto m = makeLog(table, db);
    const bool alarm = table == QLatin1String("AlarmLog");
    const QStringList expectedHeaders = alarm ? QStringList{"id", "date time", "event"}
                                              : QStringList{"id", "who", "what", "flag"};
    QCOMPARE(headers(*m), expectedHeaders);
    QCOMPARE(m->rowCount(), alarm ? 600 : 700);
    QCOMPARE(m->data(m->index(599, 0)).toString(), QStringLiteral("600"));
    // The export names its columns from the model.
    QCOMPARE(m->getColumnNames(), expectedHeaders);
    QVERIFY(m->getColumnsVisibilityList().isEmpty());

    m->setLoadAllData(false);
    QCOMPARE(m->rowCount(), alarm ? 600 : 700);

    QCOMPARE(m->getDataExportRowCnt(), alarm ? 600 : 700);
    QVERIFY(m->execDataExportQuery(590, 50));
    MyAbstractSqlModelMoxB::ParamInfo rec;
    QVERIFY(!m->getNextExportRecord(rec));
    QVERIFY(m->execDataExportQuery(0, 50000));

    std::unique_ptr<MyAbstractTableModel> copy(m->clone());
    QCOMPARE(copy->rowCount(), m->rowCount());
    QCOMPARE(QString(copy->metaObject()->className()), QString(m->metaObject()->className()));
}

void TestMoxBLogSettingTables::logTableMissing_data()
{
    logTableShowsWholeTable_data();
}

void TestMoxBLogSettingTables::logTableMissing()
{
    QFETCH(QString, table);
    QSqlDatabase db = makeDb({QStringLiteral("CREATE TABLE Other(x TEXT)")});
    auto m = makeLog(table, db);
    QSignalSpy dialogs(m.get(), &MyAbstractTableModel::dialogMessage);
    QSignalSpy console(m.get(), &MyAbstractTableModel::consoleMessage);
    m->updateQuery();
    QCOMPARE(m->rowCount(), 0);
    QCOMPARE(m->columnCount(), 0);
    QCOMPARE(m->getDataExportRowCnt(), 0);
    QVERIFY(!m->execDataExportQuery(0, 10));
    QCOMPARE(dialogs.count(), 0);
    QVERIFY(console.count() >= 1);
    QVERIFY(console.last().at(0).toString().endsWith(QLatin1String(" ms")));

    // An empty log still shows its columns.
    QSqlDatabase empty = makeDb({QStringLiteral("CREATE TABLE %1(id INTEGER PRIMARY KEY, event TEXT)").arg(table)});
    auto e = makeLog(table, empty);
    QCOMPARE(e->rowCount(), 0);
    QCOMPARE(headers(*e), (QStringList{"id", "event"}));
    QCOMPARE(e->getDataExportRowCnt(), 0);
}

void TestMoxBLogSettingTables::flags_data()
{
    QTest::addColumn<int>("flag");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::newRow("1") << 1 << QStringLiteral("\u2716") << false;
    QTest::newRow("256") << 256 << QStringLiteral("\u2716") << false;
    QTest::newRow("128") << 128 << QStringLiteral("\u231B") << true;
    QTest::newRow("0") << 0 << QStringLiteral("\u2714") << true;
    QTest::newRow("2") << 2 << QStringLiteral("\u2714") << true;
}

void TestMoxBLogSettingTables::flags()
{
    QFETCH(int, flag);
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QSqlDatabase db = settingsDb({QStringLiteral("A")});
    moxbalarmtable alarm(db);
    moxbaudittable audit(db);
    moxbsettingtable setting(db);
    for (MyAbstractTableModel *m : std::initializer_list<MyAbstractTableModel *>{&alarm, &audit, &setting}) {
        QCOMPARE(m->getFlagText(flag), text);
        QCOMPARE(m->isFlagValid(flag), valid);
    }
    QCOMPARE(alarm.flagNotReady(flag), flag == 128);
    QCOMPARE(setting.flagNotReady(flag), flag == 128);
}

void TestMoxBLogSettingTables::logTableGroupedShowsCellsAsStored_data()
{
    QTest::addColumn<QString>("table");
    QTest::newRow("alarm") << QStringLiteral("AlarmLog");
    QTest::newRow("audit") << QStringLiteral("AuditLog");
}

// A log has no value and flag column pairs: grouped by date it shows every
// cell as stored, on screen and in the rows an export reads. A channel "1"
// beside a code 256, or beside a 1, is neither hidden nor greyed.
void TestMoxBLogSettingTables::logTableGroupedShowsCellsAsStored()
{
    QFETCH(QString, table);
    QSqlDatabase db = makeDb({QStringLiteral("CREATE TABLE %1(id INTEGER PRIMARY KEY, dateTime TEXT, channel TEXT, "
                                             "code INTEGER, state TEXT)")
                                  .arg(table),
                              QStringLiteral("INSERT INTO %1 VALUES (1, '2026-01-14 03:30:00', '1', 256, '2'), "
                                             "(2, '2026-01-14 03:31:00', '2', 1, '1')")
                                  .arg(table)});
    std::unique_ptr<MoxBLogTable> m = makeLog(table, db);
    const QStringList first = rowTexts(*m, 0), second = rowTexts(*m, 1);
    QCOMPARE(first, (QStringList{"1", "2026-01-14 03:30:00", "1", "256", "2"}));
    QSignalSpy reset(m.get(), &QAbstractItemModel::modelReset);
    m->setGroupByDate(true);
    QTRY_VERIFY_WITH_TIMEOUT(!reset.isEmpty(), 10000);
    QCOMPARE(rowTexts(*m, 0), first);
    QCOMPARE(rowTexts(*m, 1), second);
    for (int c = 0; c < m->columnCount(); ++c)
        QCOMPARE(m->data(m->index(1, c), Qt::ForegroundRole), QVariant());

    QVERIFY(m->beginRowExport());
    MyAbstractTableModel::ExportSection section;
    QVERIFY(m->readRowExport(section, 10));
    m->endRowExport();
    QCOMPARE(section.rows, 2);
    for (int c = 0; c < section.columns; ++c) {
        QCOMPARE(section.shownAt(0, c).toString(), first.at(c));
        QCOMPARE(section.shownAt(1, c).toString(), second.at(c));
    }
}

void TestMoxBLogSettingTables::settingTableFlat()
{
    QSqlDatabase db = settingsDb({QStringLiteral("A"), QStringLiteral("B")});
    QSqlQuery q(db);
    QVERIFY(q.exec(QStringLiteral("INSERT INTO Data VALUES('1', '2'), ('3', '4')")));
    moxbsettingtable m(db);
    QCOMPARE(headers(m), (QStringList{"A", "B"}));
    QCOMPARE(m.rowCount(), 2);
    QCOMPARE(rowTexts(m, 1), (QStringList{"3", "4"}));
    QVERIFY(m.getColumnsVisibilityList().isEmpty());
    QCOMPARE(m.getColumnNames(), (QStringList{"A", "B"}));
}

void TestMoxBLogSettingTables::settingTableGrouped()
{
    QSqlDatabase db = settingsDb({QStringLiteral("A"), QStringLiteral("B")});
    moxbsettingtable m(db);
    m.setGroupByDate(true);
    QTRY_COMPARE_WITH_TIMEOUT(m.columnCount(), 5, 10000);
    QCOMPARE(m.getColumnsVisibilityList(), (QList<bool>{true, true, false, true, false}));
    QCOMPARE(m.getColumnNames(), (QStringList{"dateTime", "A", "B"}));
    // Column 0 carries the first flat column name.
    QCOMPARE(headers(m), (QStringList{"A", "A", "A_flag", "B", "B_flag"}));
    QCOMPARE(m.rowCount(), 2);
    // A's first value carries flag 0, B's first flag 1 hides nothing of A.
    QCOMPARE(m.data(m.index(0, 0)).toString(), QStringLiteral("2024-01-01 00:00:00"));
    QCOMPARE(m.data(m.index(1, 1)).toString(), QStringLiteral("3"));
    QCOMPARE(m.data(m.index(1, 3)).toString(), QStringLiteral("4"));

    m.setGroupByDate(false);
    QTRY_COMPARE_WITH_TIMEOUT(m.columnCount(), 2, 10000);
    QVERIFY(m.getColumnsVisibilityList().isEmpty());
}

void TestMoxBLogSettingTables::settingTableNamesAreData()
{
    // A parameter name with a quote and SQL in it is matched as a value,
    // never read as part of the statement.
    const QString odd = QStringLiteral("it's' then 0 end) --");
    QSqlDatabase db = settingsDb({odd, QStringLiteral("B")});
    moxbsettingtable m(db);
    m.setGroupByDate(true);
    QTRY_COMPARE_WITH_TIMEOUT(m.columnCount(), 5, 10000);
    QCOMPARE(m.headerData(1, Qt::Horizontal).toString(), odd);
    QCOMPARE(m.headerData(2, Qt::Horizontal).toString(), odd + QStringLiteral("_flag"));
    QCOMPARE(m.rowCount(), 2);
    QCOMPARE(m.data(m.index(1, 1)).toString(), QStringLiteral("3"));
}

void TestMoxBLogSettingTables::settingTableExportPages()
{
    QSqlDatabase db = makeDb({QStringLiteral("CREATE TABLE Data(id INTEGER PRIMARY KEY, v TEXT)")});
    QSqlQuery q(db);
    QVERIFY(q.exec(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 160) "
                                  "INSERT INTO Data SELECT i, 'v' || i FROM n")));
    moxbsettingtable m(db);
    QCOMPARE(m.getDataExportRowCnt(), 160);
    QVERIFY(m.execDataExportQuery(100, 50));
    QSqlDatabase none = makeDb({});
    moxbsettingtable empty(none);
    QCOMPARE(empty.getDataExportRowCnt(), 0);
    QVERIFY(!empty.execDataExportQuery(100, 50));
    QCOMPARE(empty.rowCount(), 0);
}

QUORLOG_TEST_MAIN(TestMoxBLogSettingTables)
#include "tst_moxblogsettingtables.moc"
