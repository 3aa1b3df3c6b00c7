// The grouped views of the recorders' wide tables: a cell is hidden ("---",
// flag 2) or greyed (flag 1) only by the flag column of its own channel,
// whatever its neighbours read; the CSV export's rows show the same texts.
#include "tables/TempDatabaseTableModelMoxA.h"
#include "tables/TempDatabaseTableModelMoxB.h"

#include "common/Connections.h"
#include "support/DbTestUtil.h"
#include "support/RecorderTableFixture.h"
#include "support/TestMain.h"

#include <QColor>
#include <QTemporaryDir>

#include <memory>

namespace {

enum class Kind { MoxBFile, MoxBDatabase, MoxAFile, MoxADatabase };

const QStringList kQuantities{"value", "valueRaw", "avg", "min", "max", "flag"};

// Two channels of six columns each. The first carries the flag under test,
// the second flag 0; the values read "1" and "2" so that each of them
// stands next to every other column somewhere.
QStringList moxbColumns()
{
    QStringList out;
    for (const char *channel : {"AI1: Analog input", "TOT3: Totalizer"})
        for (const QString &q : kQuantities)
            out << QStringLiteral("%1 - %2").arg(QLatin1String(channel), q);
    return out;
}

QStringList moxaColumns()
{
    QStringList out;
    for (int k = 1; k <= 6; ++k)
        out << QStringLiteral("block1_value%1_Ch%1_%2_t1").arg(k).arg(14498 + 2 * k);
    return out;
}

} // namespace

class TestRecorderGroupedFlags : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void eachCellByItsOwnChannel_data();
    void eachCellByItsOwnChannel();
    void flagColumnsFound_data();
    void flagColumnsFound();

private:
    QTemporaryDir m_dir;
    int m_serial = 0;
    QStringList m_names;
};

void TestRecorderGroupedFlags::cleanup()
{
    for (const QString &n : qAsConst(m_names))
        Connections::remove(n);
    m_names.clear();
}

void TestRecorderGroupedFlags::eachCellByItsOwnChannel_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("flag");
    QTest::addColumn<bool>("twoFirst"); // the values start with "2" (else "1")
    const QList<QPair<Kind, const char *>> kinds{{Kind::MoxBFile, "MoxB file"},
                                                 {Kind::MoxBDatabase, "MoxB database"},
                                                 {Kind::MoxAFile, "MoxA file"},
                                                 {Kind::MoxADatabase, "MoxA database"}};
    for (const auto &kind : kinds)
        for (int flag : {0, 1, 2})
            for (bool twoFirst : {true, false})
                QTest::addRow("%s, flag %d, values from %s", kind.second, flag, twoFirst ? "2" : "1")
                    << int(kind.first) << flag << twoFirst;
}

void TestRecorderGroupedFlags::eachCellByItsOwnChannel()
{
    QFETCH(int, kind);
    QFETCH(int, flag);
    QFETCH(bool, twoFirst);
    const Kind k = Kind(kind);
    const bool moxb = k == Kind::MoxBFile || k == Kind::MoxBDatabase;
    const bool database = k == Kind::MoxBDatabase || k == Kind::MoxADatabase;
    const QString table = moxb ? QStringLiteral("DataMoxB") : QStringLiteral("DataMoxA");
    const QStringList bare = moxb ? moxbColumns() : moxaColumns();

    // The row: the values alternate "2", "1", …; each flag column holds its
    // channel's flag (MoxA has none: its last value reads the flag code).
    QStringList cells;
    for (int i = 0; i < bare.size(); ++i)
        cells << ((i % 2 == 0) == twoFirst ? QStringLiteral("2") : QStringLiteral("1"));
    if (moxb) {
        cells[5] = QString::number(flag);
        cells[11] = QStringLiteral("0");
    } else {
        cells.last() = QString::number(flag);
    }

    const QString name = QStringLiteral("grouped_%1").arg(++m_serial);
    m_names << name;
    QSqlDatabase db = testdb::open(name, m_dir.filePath(name + QStringLiteral(".sqlite")), testdb::Sync::Scratch);
    QStringList columns = bare;
    FiltersCfg filters;
    if (database) {
        for (QString &c : columns)
            c += QStringLiteral(" (Hall - max (B))"); // an instrument name that looks like a quantity
        QStringList statements{QStringLiteral("CREATE TABLE Devices (id INTEGER PRIMARY KEY, name TEXT)"),
                               QStringLiteral("CREATE TABLE Parameters (id INTEGER PRIMARY KEY, idDevices INTEGER, "
                                              "name TEXT, unit TEXT)"),
                               QStringLiteral("INSERT INTO Devices VALUES (1, 'Hall - max (B)')")};
        for (int i = 0; i < bare.size(); ++i) {
            statements << QStringLiteral("INSERT INTO Parameters VALUES (%1, 1, '%2', 'None')").arg(i + 1).arg(bare.at(i));
            filters.selectedParamId << i + 1;
        }
        QCOMPARE(testdb::exec(db, statements), QStringList());
    }
    // Two rows at one time (grouped into one) and one at another.
    rectable::writeTexts(db, table, columns,
                         {QStringList{"2026-03-29", "02:30:00"} + cells, QStringList{"2026-03-29", "02:30:00"} + cells,
                          QStringList{"2026-03-28", "23:59:59"} + cells});

    std::unique_ptr<MyAbstractTableModel> model;
    if (k == Kind::MoxBFile)
        model.reset(new TempDatabaseTableModelMoxB(db));
    else if (k == Kind::MoxBDatabase)
        model.reset(new TempDatabaseTableModelMoxB(db, filters));
    else if (k == Kind::MoxAFile)
        model.reset(new TempDatabaseTableModelMoxA(db));
    else
        model.reset(new TempDatabaseTableModelMoxA(db, filters));
    QCOMPARE(model->rowCount(), 3);
    model->setGroupByDate(true);
    QTRY_COMPARE_WITH_TIMEOUT(model->rowCount(), 2, 10000);
    QCOMPARE(model->columnCount(), 3 + bare.size());

    const QColor grey(160, 160, 160);
    for (int r = 0; r < 2; ++r) {
        QCOMPARE(model->data(model->index(r, 1)).toString(), r == 0 ? QStringLiteral("2026-03-29")
                                                                   : QStringLiteral("2026-03-28"));
        QCOMPARE(model->data(model->index(r, 2)).toString(), r == 0 ? QStringLiteral("02:30:00")
                                                                   : QStringLiteral("23:59:59"));
        for (int c = 0; c < 3; ++c)
            QVERIFY(!model->data(model->index(r, c), Qt::ForegroundRole).isValid());
        for (int i = 0; i < bare.size(); ++i) {
            const QModelIndex at = model->index(r, 3 + i);
            // Only the first MoxB channel's values follow its flag.
            const bool ruled = moxb && i < 5;
            const QString expected = ruled && flag == 2 ? QStringLiteral("---") : cells.at(i);
            QVERIFY2(model->data(at).toString() == expected,
                     qPrintable(QStringLiteral("row %1, %2: %3").arg(r).arg(bare.at(i), model->data(at).toString())));
            const QVariant fg = model->data(at, Qt::ForegroundRole);
            if (ruled && flag == 1)
                QCOMPARE(fg.value<QColor>(), grey);
            else
                QVERIFY2(!fg.isValid(), qPrintable(bare.at(i)));
        }
    }

    // The CSV export reads the rows the view shows.
    QVERIFY(model->beginRowExport());
    MyAbstractTableModel::ExportSection section;
    QVERIFY(model->readRowExport(section, 10));
    QCOMPARE(section.rows, 2);
    for (int r = 0; r < section.rows; ++r)
        for (int c = 0; c < section.columns; ++c)
            QCOMPARE(section.shownAt(r, c).toString(), model->data(model->index(r, c)).toString());
    model->endRowExport();
}

void TestRecorderGroupedFlags::flagColumnsFound_data()
{
    QTest::addColumn<QStringList>("headers");
    QTest::addColumn<QVector<int>>("flagColumns");
    QTest::newRow("date and time have none")
        << QStringList{"id", "date", "time", "A - value", "A - flag"} << QVector<int>{-1, -1, -1, 4, -1};
    QTest::newRow("all six, two channels")
        << QStringList{"A - value", "A - valueRaw", "A - avg", "A - min", "A - max", "A - flag", "B - value",
                       "B - flag"}
        << QVector<int>{5, 5, 5, 5, 5, -1, 7, -1};
    QTest::newRow("no flag column of its channel")
        << QStringList{"A - value", "B - flag", "A - max"} << QVector<int>{-1, -1, -1};
    QTest::newRow("instrument marks must agree")
        << QStringList{"A - value (X)", "A - flag (Y)", "A - flag (X)", "A - value"}
        << QVector<int>{2, -1, -1, -1};
    QTest::newRow("a dash in the channel's name")
        << QStringList{"T - 1 - min (I - max (J))", "T - 1 - flag (I - max (J))"} << QVector<int>{1, -1};
    QTest::newRow("other words are no quantity")
        << QStringList{"A - values", "A - flags", "A - flag"} << QVector<int>{-1, -1, -1};
    QTest::newRow("MoxA") << QStringList{"block1_value1_Ch1_14500_t1", "block1_value2_Ch2_14502_t1"}
                          << QVector<int>{-1, -1};
}

void TestRecorderGroupedFlags::flagColumnsFound()
{
    QFETCH(QStringList, headers);
    QFETCH(QVector<int>, flagColumns);
    QCOMPARE(MyAbstractSqlModelMoxB::channelFlagColumns(headers), flagColumns);
}

QUORLOG_TEST_MAIN(TestRecorderGroupedFlags)
#include "tst_recordergroupedflags.moc"
