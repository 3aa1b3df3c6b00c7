#include "support/TestMain.h"
#include "tables/BrenaFileWriter.h"
#include "tables/BrenaTableModel.h"

#include <QColor>
#include <QFile>
#include <QFont>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <climits>

#include <unistd.h>

using BrenaFileWriter::Record;

namespace {

const QString Ok = QStringLiteral("\u2714");
const QString NotReady = QStringLiteral("\u231B");
const QString Bad = QStringLiteral("\u2716");

const QString OpenFailed = QStringLiteral("Unable to open file!");
const QString ParseFailed = QStringLiteral("Unable to parse file! (File corrupted or not Brena file)");
const QString ReadFailed = QStringLiteral("Error while reading data! (File corrupted)");

// A record whose text fields are padded with spaces inside their width.
Record paddedRecord()
{
    Record r;
    r.channel = " 7 ";
    r.flag = " 1";
    r.date = "2024-03-31";
    r.time = "02:30:00";
    r.values << "  12.50       " << "-3            ";
    for (int i = 3; i <= 25; ++i)
        r.values << QByteArray::number(i * 10);
    r.values[24] = "     25.25    ";
    return r;
}

// Indexes the view would never make, for the range checks.
class OpenModel : public BrenaTableModel
{
public:
    using BrenaTableModel::BrenaTableModel;
    using BrenaTableModel::createIndex;
};

struct Loaded
{
    bool ok = false;
    QList<QList<QVariant>> console; // (msg, icon)
    QList<QList<QVariant>> dialog;  // (msg, title, icon)
};

} // namespace

class TestBrenaTableModel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void roundTripOverLayouts_data();
    void roundTripOverLayouts();
    void zeroPaddedFieldsEndAtTheFirstZero();
    void flagSymbolsAndColours_data();
    void flagSymbolsAndColours();
    void skippedRecordsAreLeftOut();
    void headersAndOutOfRange();
    void zeroRecords();
    void invalidFiles_data();
    void invalidFiles();
    void hugeCountFailsWithoutAllocating();
    void tooLargeToHoldIsRefused_data();
    void tooLargeToHoldIsRefused();
    void failedReloadLeavesNoRows();
    void contractDefaults();

private:
    QString path(const QString &name) const { return m_dir.filePath(name); }
    Loaded load(BrenaTableModel &model)
    {
        QSignalSpy console(&model, &MyAbstractTableModel::consoleMessage);
        QSignalSpy dialog(&model, &MyAbstractTableModel::dialogMessage);
        Loaded out;
        out.ok = model.loadFile();
        for (const auto &c : console)
            out.console << c;
        for (const auto &d : dialog)
            out.dialog << d;
        return out;
    }

    QTemporaryDir m_dir;
};

void TestBrenaTableModel::roundTripOverLayouts_data()
{
    QTest::addColumn<int>("layout");
    QTest::addColumn<QString>("channel");
    QTest::addColumn<QVariant>("flagSymbol");
    QTest::addColumn<QString>("flagText");
    QTest::addColumn<QString>("value1");
    QTest::addColumn<QString>("value25");

    QTest::newRow("layout 0 trims") << 0 << "7" << QVariant(Ok) << "1" << "12.50" << "25.25";
    QTest::newRow("layout 1 keeps") << 1 << " 7 " << QVariant(Ok) << " 1" << "  12.50       "
                                    << "     25.25    ";
    QTest::newRow("layout 2 trims, no symbol") << 2 << "7" << QVariant() << "1" << "12.50" << "25.25";
    QTest::newRow("layout 255 trims, no symbol") << 255 << "7" << QVariant() << "1" << "12.50" << "25.25";
}

void TestBrenaTableModel::roundTripOverLayouts()
{
    QFETCH(int, layout);
    QFETCH(QString, channel);
    QFETCH(QVariant, flagSymbol);
    QFETCH(QString, flagText);
    QFETCH(QString, value1);
    QFETCH(QString, value25);

    Record second = BrenaFileWriter::sample(12, 0, "2024-10-27", "23:59:59", 5);
    const QString file = path(QStringLiteral("layout%1.DBF").arg(layout));
    QVERIFY(BrenaFileWriter::write(file, BrenaFileWriter::file({paddedRecord(), second}, quint8(layout), ' ')));

    BrenaTableModel model(file);
    const Loaded l = load(model);
    QVERIFY(l.ok);
    QCOMPARE(model.rowCount(), 2);
    QCOMPARE(model.columnCount(), 29);
    QCOMPARE(model.layoutByte(), quint8(layout));
    QCOMPARE(l.console.size(), 1);
    QCOMPARE(l.console.at(0).at(0).toString(), QStringLiteral("Read records: 2"));
    QCOMPARE(l.console.at(0).at(1).toInt(), 0);
    QVERIFY(l.dialog.isEmpty());

    QCOMPARE(model.index(0, 0).data().toString(), QStringLiteral("2024-03-31"));
    QCOMPARE(model.index(0, 1).data().toString(), QStringLiteral("02:30:00"));
    QCOMPARE(model.index(0, 2).data().toString(), channel);
    QCOMPARE(model.index(0, 3).data(), flagSymbol);
    QCOMPARE(model.index(0, 4).data().toString(), value1);
    QCOMPARE(model.index(0, 28).data().toString(), value25);
    QCOMPARE(model.index(1, 2).data().toString(), layout == 1 ? QStringLiteral("12 ") : QStringLiteral("12"));
    QCOMPARE(model.index(1, 5).data().toString(),
             layout == 1 ? QStringLiteral("5.2           ") : QStringLiteral("5.2"));

    model.setShowFlagSymbols(false);
    QCOMPARE(model.index(0, 3).data().toString(), flagText);
    QCOMPARE(model.index(0, 3).data(Qt::ForegroundRole), QVariant());

    // The raw records the configuration reader converts.
    QCOMPARE(int(model.records().size()), 2);
    QCOMPARE(model.records().at(0).dateTime(), QStringLiteral("2024-03-31 02:30:00"));
    QCOMPARE(model.records().at(0).flag(), QStringLiteral(" 1"));
    QCOMPARE(model.records().at(1).value(25), QStringLiteral("5.25          "));
    QCOMPARE(model.records().at(1).value(26), QString());
}

void TestBrenaTableModel::zeroPaddedFieldsEndAtTheFirstZero()
{
    Record r = BrenaFileWriter::sample(3, 1, "2024-01-02", "10:00:00", 1);
    r.values[0] = QByteArray("4.5\0trailing", 12);
    const QString file = path(QStringLiteral("zeros.DBF"));
    QVERIFY(BrenaFileWriter::write(file, BrenaFileWriter::file({r}, 1, '\0')));
    BrenaTableModel model(file);
    QVERIFY(load(model).ok);
    QCOMPARE(model.index(0, 2).data().toString(), QStringLiteral("3"));
    QCOMPARE(model.index(0, 4).data().toString(), QStringLiteral("4.5"));
    QCOMPARE(model.index(0, 3).data().toString(), Ok);
}

void TestBrenaTableModel::flagSymbolsAndColours_data()
{
    QTest::addColumn<QByteArray>("flag");
    QTest::addColumn<QString>("symbol");
    QTest::addColumn<QVariant>("colour");
    QTest::newRow("0") << QByteArray("0") << NotReady << QVariant();
    QTest::newRow("1") << QByteArray("1") << Ok << QVariant(QColor(78, 167, 78));
    QTest::newRow("7") << QByteArray("7") << Bad << QVariant(QColor(212, 42, 42));
    QTest::newRow("empty") << QByteArray() << NotReady << QVariant();
    QTest::newRow("not a number") << QByteArray("x1") << NotReady << QVariant();
}

void TestBrenaTableModel::flagSymbolsAndColours()
{
    QFETCH(QByteArray, flag);
    QFETCH(QString, symbol);
    QFETCH(QVariant, colour);
    Record r = BrenaFileWriter::sample(1, 0, "2024-01-02", "10:00:00", 1);
    r.flag = flag;
    const QString file = path(QStringLiteral("flag.DBF"));
    QVERIFY(BrenaFileWriter::write(file, BrenaFileWriter::file({r}, 0)));
    BrenaTableModel model(file);
    QVERIFY(load(model).ok);

    const QModelIndex cell = model.index(0, 3);
    QCOMPARE(cell.data().toString(), symbol);
    QCOMPARE(cell.data(Qt::ForegroundRole), colour);
    QCOMPARE(cell.data(Qt::TextAlignmentRole).toInt(), 0x84);
    const QFont font = cell.data(Qt::FontRole).value<QFont>();
    QCOMPARE(font.family(), QStringLiteral("DejaVu Sans"));
    QCOMPARE(font.pointSize(), 12);
    QCOMPARE(font.weight(), 75);
    QVERIFY(!font.italic());
    // Only the flag column carries these roles.
    QCOMPARE(model.index(0, 2).data(Qt::FontRole), QVariant());
    QCOMPARE(model.index(0, 2).data(Qt::ForegroundRole), QVariant());
    QCOMPARE(model.index(0, 4).data(Qt::TextAlignmentRole), QVariant());
}

void TestBrenaTableModel::skippedRecordsAreLeftOut()
{
    QList<Record> records;
    for (int i = 0; i < 5; ++i) {
        Record r = BrenaFileWriter::sample(i, 1, "2024-01-02", "10:00:00", i);
        r.skipped = (i == 1 || i == 3);
        records << r;
    }
    const QString file = path(QStringLiteral("skipped.DBF"));
    QVERIFY(BrenaFileWriter::write(file, BrenaFileWriter::file(records, 0)));
    BrenaTableModel model(file);
    const Loaded l = load(model);
    QVERIFY(l.ok);
    QCOMPARE(model.rowCount(), 3);
    QCOMPARE(l.console.at(0).at(0).toString(), QStringLiteral("Read records: 3"));
    QCOMPARE(model.index(0, 2).data().toString(), QStringLiteral("0"));
    QCOMPARE(model.index(1, 2).data().toString(), QStringLiteral("2"));
    QCOMPARE(model.index(2, 2).data().toString(), QStringLiteral("4"));
    for (int row = 0; row < 3; ++row)
        QCOMPARE(model.headerData(row, Qt::Vertical).toString(), QString::number(row + 1));
}

void TestBrenaTableModel::headersAndOutOfRange()
{
    const QString file = path(QStringLiteral("headers.DBF"));
    QVERIFY(BrenaFileWriter::write(
        file, BrenaFileWriter::file({BrenaFileWriter::sample(1, 1, "2024-01-02", "10:00:00", 1)}, 0)));
    OpenModel model(file);

    // The titles exist before a load; the table is empty until then.
    QStringList expected{QStringLiteral("Date"), QStringLiteral("Time"), QStringLiteral("Channel No"),
                         QStringLiteral("Flag")};
    for (int i = 1; i <= 25; ++i)
        expected << QStringLiteral("VAL %1").arg(i);
    QCOMPARE(model.getColumnNames(), expected);
    QCOMPARE(model.rowCount(), 0);
    QCOMPARE(model.columnCount(), 0);

    QVERIFY(load(model).ok);
    for (int i = 0; i < expected.size(); ++i)
        QCOMPARE(model.headerData(i, Qt::Horizontal).toString(), expected.at(i));
    QCOMPARE(model.headerData(29, Qt::Horizontal), QVariant());
    QCOMPARE(model.headerData(-1, Qt::Horizontal), QVariant());
    QCOMPARE(model.headerData(0, Qt::Vertical).toString(), QStringLiteral("1"));
    QCOMPARE(model.headerData(0, Qt::Horizontal, Qt::ToolTipRole), QVariant());

    QCOMPARE(model.data(QModelIndex()), QVariant());
    QCOMPARE(model.data(model.index(1, 0)), QVariant());
    QCOMPARE(model.data(model.createIndex(0, 29)), QVariant());
    QCOMPARE(model.data(model.createIndex(1, 0)), QVariant());
    QCOMPARE(model.data(model.createIndex(-1, 0)), QVariant());
    QCOMPARE(model.index(0, 0).data(Qt::EditRole), QVariant());
}

void TestBrenaTableModel::zeroRecords()
{
    const QString file = path(QStringLiteral("empty.DBF"));
    QVERIFY(BrenaFileWriter::write(file, BrenaFileWriter::file({}, 0)));
    QCOMPARE(QFileInfo(file).size(), qint64(1025));
    BrenaTableModel model(file);
    const Loaded l = load(model);
    QVERIFY(l.ok);
    QCOMPARE(model.rowCount(), 0);
    QCOMPARE(model.columnCount(), 29);
    QCOMPARE(l.console.size(), 1);
    QCOMPARE(l.console.at(0).at(0).toString(), QStringLiteral("Read records: 0"));
    QVERIFY(l.dialog.isEmpty());
}

void TestBrenaTableModel::invalidFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("message");

    const QList<Record> two{BrenaFileWriter::sample(1, 1, "2024-01-02", "10:00:00", 1),
                            BrenaFileWriter::sample(2, 1, "2024-01-02", "10:00:01", 2)};
    const QByteArray good = BrenaFileWriter::file(two, 0);

    QTest::newRow("empty file") << QByteArray() << ParseFailed;
    QTest::newRow("15 bytes") << good.left(15) << ParseFailed;
    for (int offset = 8; offset < 12; ++offset) {
        QByteArray altered = good;
        altered[offset] = char(altered.at(offset) ^ 0x10);
        QTest::addRow("check byte %d altered", offset) << altered << ParseFailed;
    }
    BrenaFileWriter::Header otherLength;
    otherLength.recordLength = 383;
    QTest::newRow("record length 383") << BrenaFileWriter::header(otherLength) << ParseFailed;

    QTest::newRow("short last record") << good.left(good.size() - 1) << ReadFailed;
    QTest::newRow("last record missing") << good.left(1025 + 382) << ReadFailed;
    QTest::newRow("header only, two announced") << good.left(1025) << ReadFailed;
    QTest::newRow("header cut before its end") << BrenaFileWriter::file({}, 0).left(600) << ReadFailed;
}

void TestBrenaTableModel::invalidFiles()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, message);
    const QString file = path(QStringLiteral("bad.DBF"));
    QVERIFY(BrenaFileWriter::write(file, bytes));
    BrenaTableModel model(file);
    const Loaded l = load(model);
    QVERIFY(!l.ok);
    QCOMPARE(model.rowCount(), 0);
    QCOMPARE(model.columnCount(), 0);
    QCOMPARE(l.console.size(), 1);
    QCOMPARE(l.console.at(0).at(0).toString(), message);
    QCOMPARE(l.console.at(0).at(1).toInt(), 3);
    QCOMPARE(l.dialog.size(), 1);
    QCOMPARE(l.dialog.at(0).at(0).toString(), message);
    QCOMPARE(l.dialog.at(0).at(1).toString(), QString());
    QCOMPARE(l.dialog.at(0).at(2).toInt(), 3);
}

void TestBrenaTableModel::hugeCountFailsWithoutAllocating()
{
    BrenaFileWriter::Header h;
    h.recordCount = 0xFFFFFFFFu;
    QByteArray bytes = BrenaFileWriter::header(h);
    for (int i = 0; i < 3; ++i)
        bytes += BrenaFileWriter::record(BrenaFileWriter::sample(i, 1, "2024-01-02", "10:00:00", i));
    const QString file = path(QStringLiteral("huge.DBF"));
    QVERIFY(BrenaFileWriter::write(file, bytes));

    BrenaTableModel model(file);
    const Loaded l = load(model);
    QVERIFY(!l.ok);
    QCOMPARE(l.console.at(0).at(0).toString(), ReadFailed);
    // Refused before a single record was read or reserved.
    QVERIFY(model.records().empty());
    QCOMPARE(int(model.records().capacity()), 0);
}

void TestBrenaTableModel::tooLargeToHoldIsRefused_data()
{
    QTest::addColumn<quint32>("count");
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    const quint64 memory = quint64(pages) * quint64(pageSize);
    // Just more than the machine can hold, if that is a count rows can take.
    const quint64 beyondMemory = memory / 382 + 1;
    if (beyondMemory < quint64(INT_MAX))
        QTest::newRow("beyond memory") << quint32(beyondMemory);
    QTest::newRow("more rows than int counts") << quint32(quint64(INT_MAX) + 1);
}

void TestBrenaTableModel::tooLargeToHoldIsRefused()
{
    QFETCH(quint32, count);
    // A sparse file as long as the header's count asks: it passes the length
    // check without taking disk space.
    BrenaFileWriter::Header h;
    h.recordCount = count;
    const QString file = path(QStringLiteral("large.DBF"));
    QVERIFY(BrenaFileWriter::write(file, BrenaFileWriter::header(h)));
    QFile f(file);
    if (!f.resize(qint64(1025) + qint64(count) * 382))
        QSKIP("the temporary folder cannot hold a sparse file this long");

    BrenaTableModel model(file);
    const Loaded l = load(model);
    f.remove();
    QVERIFY(!l.ok);
    QCOMPARE(l.console.size(), 1);
    const QString msg = l.console.at(0).at(0).toString();
    QVERIFY2(msg.startsWith(QStringLiteral("File too large to load! (%1 records need ").arg(count)), qPrintable(msg));
    QCOMPARE(l.console.at(0).at(1).toInt(), 3);
    QCOMPARE(l.dialog.size(), 1);
    QCOMPARE(l.dialog.at(0).at(0).toString(), msg);
    QCOMPARE(model.rowCount(), 0);
    QCOMPARE(model.columnCount(), 0);
    QCOMPARE(int(model.records().capacity()), 0);
}

void TestBrenaTableModel::failedReloadLeavesNoRows()
{
    const QList<Record> two{BrenaFileWriter::sample(1, 1, "2024-01-02", "10:00:00", 1),
                            BrenaFileWriter::sample(2, 1, "2024-01-02", "10:00:01", 2)};
    const QByteArray good = BrenaFileWriter::file(two, 0);
    const QString file = path(QStringLiteral("reload.DBF"));
    QVERIFY(BrenaFileWriter::write(file, good));
    OpenModel model(file);
    QVERIFY(load(model).ok);
    QCOMPARE(model.rowCount(), 2);

    // The file is cut short on disk and read again.
    QVERIFY(BrenaFileWriter::write(file, good.left(1025 + 382)));
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    const Loaded l = load(model);
    QVERIFY(!l.ok);
    QCOMPARE(l.console.at(0).at(0).toString(), ReadFailed);
    QCOMPARE(resets.count(), 1);
    QCOMPARE(model.rowCount(), 0);
    QCOMPARE(model.columnCount(), 0);
    QCOMPARE(model.data(model.createIndex(1, 0)), QVariant());
}

void TestBrenaTableModel::contractDefaults()
{
    BrenaTableModel model(path(QStringLiteral("missing.DBF")));
    const Loaded l = load(model);
    QVERIFY(!l.ok);
    QCOMPARE(l.console.at(0).at(0).toString(),
             OpenFailed + QStringLiteral(" (") + path(QStringLiteral("missing.DBF")) + QLatin1Char(')'));
    QCOMPARE(l.console.at(0).at(1).toInt(), 3);
    QCOMPARE(l.dialog.at(0).at(0).toString(), OpenFailed);
    QCOMPARE(l.dialog.at(0).at(2).toInt(), 3);

    QVERIFY(model.isFlagOk(1));
    QVERIFY(!model.isFlagOk(0));
    QVERIFY(!model.isFlagOk(2));
    QCOMPARE(model.getFlagText(0), NotReady);
    QCOMPARE(model.getFlagText(1), Ok);
    QCOMPARE(model.getFlagText(2), Bad);
    QCOMPARE(model.getFlagText(-1), Bad);
    QVERIFY(model.isFlagValid(2));
    QCOMPARE(model.clone(), nullptr);
    QCOMPARE(model.getDateTimeFormat(), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    // Reloading changes nothing for a file model.
    model.setLoadAllData(true);
    QCOMPARE(model.rowCount(), 0);
}

QUORLOG_TEST_MAIN(TestBrenaTableModel)
#include "tst_brenatablemodel.moc"
