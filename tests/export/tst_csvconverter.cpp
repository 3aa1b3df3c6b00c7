#include "common/ProgressDialog.h"
#include "common/Connections.h"
#include "export/CsvConverter.h"
#include "support/DbTestUtil.h"
#include "support/TestMain.h"
#include "tables/TempDatabaseTableModel.h"
#include "tables/MyAbstractTableModel.h"

#include <QDir>
#include <QFile>
#include <QProgressDialog>
#include <QRandomGenerator>
#include <QSet>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>

namespace {

using Row = QVector<QVariant>;

// A table model of fixed rows shaped like the SQL table models: grouped, a
// value column is followed by its flag column and shows "---" when its flag
// is not valid; flat, every column shows its stored value.
class FakeTableModel : public MyAbstractTableModel
{
public:
    QVector<Row> rows;
    int columns = 0;
    QStringList names;
    QSet<int> invalidFlags{2};
    QString stampFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");
    QList<bool> groupArgs;
    std::function<void()> onRead; // runs at every section read
    QList<bool> visibilityAfterGrouping; // the list a grouping reload leaves, when set

    void setVisibility(const QList<bool> &v) { columnsVisibilityList = v; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override { return parent.isValid() ? 0 : rows.size(); }
    int columnCount(const QModelIndex &parent = QModelIndex()) const override { return parent.isValid() ? 0 : columns; }
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override
    {
        const Row &row = rows.at(index.row());
        const QVariant stored = row.value(index.column());
        if (role == Qt::EditRole)
            return stored;
        if (role != Qt::DisplayRole)
            return QVariant();
        if (groupByDate && index.column() > 0) {
            const int flag = row.value(index.column() + 1).toInt();
            if (!isFlagValid(flag))
                return QStringLiteral("---");
        }
        return stored;
    }
    QStringList getColumnNames() const override { return names; }
    void setGroupByDate(bool group) override
    {
        groupByDate = group;
        groupArgs << group;
        if (!visibilityAfterGrouping.isEmpty())
            columnsVisibilityList = visibilityAfterGrouping;
    }
    bool isFlagValid(int flag) const override { return !invalidFlags.contains(flag); }
    QString getDateTimeFormat() const override { return stampFormat; }
    bool readRowExport(ExportSection &out, int maxRows) override
    {
        if (onRead)
            onRead();
        return MyAbstractTableModel::readRowExport(out, maxRows);
    }
};

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// Splits a CSV line into fields, honouring double quotes.
QStringList fields(const QByteArray &line, char sep)
{
    QStringList out;
    QByteArray cur;
    bool quoted = false;
    for (int i = 0; i < line.size(); ++i) {
        const char ch = line.at(i);
        if (quoted) {
            if (ch == '"' && i + 1 < line.size() && line.at(i + 1) == '"') {
                cur += '"';
                ++i;
            } else if (ch == '"') {
                quoted = false;
            } else {
                cur += ch;
            }
        } else if (ch == '"') {
            quoted = true;
        } else if (ch == sep) {
            out << QString::fromUtf8(cur);
            cur.clear();
        } else {
            cur += ch;
        }
    }
    out << QString::fromUtf8(cur);
    return out;
}

// One grouped parameter "U1 [V]" in two rows: an ordinary day and the
// spring-forward hour of Europe/Warsaw (02:30 UTC text).
void oneParameterGrouped(FakeTableModel &m, double first, double second)
{
    m.columns = 3;
    m.names = QStringList{QStringLiteral("dateTime_s"), QStringLiteral("U1 [V]")};
    m.setVisibility({true, true, false});
    m.rows = {Row{QStringLiteral("2024-01-31 13:05:07"), first, 0},
              Row{QStringLiteral("2024-03-31 02:30:00"), second, 0}};
}

CsvExportSettings baseSettings()
{
    CsvExportSettings s;
    s.dateFormat = QStringLiteral("yyyy-MM-dd");
    s.timeFormat = QStringLiteral("HH:mm:ss");
    s.columnSeparator = '\t';
    s.decimalPoint = '.';
    return s;
}

} // namespace

class TestCsvConverter : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void formats_data();
    void formats();
    void numbers_data();
    void numbers();
    void automaticPlacesReadBack();
    void numbersMatchToolkit_data();
    void numbersMatchToolkit();
    void splitting_data();
    void splitting();
    void followOnNames_data();
    void followOnNames();
    void incorrectValues_data();
    void incorrectValues();
    void invalidSampleOfSessionTable_data();
    void invalidSampleOfSessionTable();
    void flagReadFromItsOwnColumn();
    void hiddenColumnKeepsFieldsAligned();
    void hiddenColumnsReadAfterReload();
    void fieldsWithSpecialCharactersAreQuoted();
    void emptyModelWritesHeaderOnly();
    void unmatchedStampGivesEmptyField();
    void unopenableFileIsReported();
    void missingModelIsReported();
    void failedFlushIsReported();
    void progressWindowDeletedMidway();

private:
    QString path(const QString &name) const { return m_dir.filePath(name); }
    QTemporaryDir m_dir;
};

void TestCsvConverter::init()
{
    QVERIFY(m_dir.isValid());
    QDir d(m_dir.path());
    for (const QString &f : d.entryList(QDir::Files))
        d.remove(f);
}

void TestCsvConverter::formats_data()
{
    QTest::addColumn<QString>("date");
    QTest::addColumn<QString>("time");
    QTest::addColumn<bool>("separate");
    QTest::addColumn<char>("joiner");
    QTest::addColumn<char>("separator");
    QTest::addColumn<char>("decimal");
    QTest::addColumn<int>("places");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("iso blank tab comma auto")
        << "yyyy-MM-dd" << "HH:mm:ss" << false << ' ' << '\t' << ',' << 0
        << QByteArray("DateTime\tU1 [V]\r\n2024-01-31 13:05:07\t1,5\r\n2024-03-31 02:30:00\t1000000");
    QTest::newRow("dotted date T semicolon comma 3")
        << "dd.MM.yyyy" << "HH:mm:ss.zzz" << false << 'T' << ';' << ',' << 3
        << QByteArray("DateTime;U1 [V]\r\n31.01.2024T13:05:07.000;1,500\r\n31.03.2024T02:30:00.000;1000000,000");
    QTest::newRow("us separate comma point 2")
        << "MM/dd/yy" << "h:m:s ap" << true << ' ' << ',' << '.' << 2
        << QByteArray("Date,Time,U1 [V]\r\n01/31/24,1:5:7 pm,1.50\r\n03/31/24,2:30:0 am,1000000.00");
    QTest::newRow("yyyy.MM.dd separate tab comma 1")
        << "yyyy.MM.dd" << "HH:mm:ss" << true << ' ' << '\t' << ',' << 1
        << QByteArray("Date\tTime\tU1 [V]\r\n2024.01.31\t13:05:07\t1,5\r\n2024.03.31\t02:30:00\t1000000,0");
    QTest::newRow("dd-MM-yy blank semicolon point 5")
        << "dd-MM-yy" << "HH:mm:ss" << false << ' ' << ';' << '.' << 5
        << QByteArray("DateTime;U1 [V]\r\n31-01-24 13:05:07;1.50000\r\n31-03-24 02:30:00;1000000.00000");
    QTest::newRow("dd-MM-yyyy T comma point 4")
        << "dd-MM-yyyy" << "HH:mm:ss.zzz" << false << 'T' << ',' << '.' << 4
        << QByteArray("DateTime,U1 [V]\r\n31-01-2024T13:05:07.000,1.5000\r\n31-03-2024T02:30:00.000,1000000.0000");
    QTest::newRow("dd.MM.yy separate semicolon comma auto")
        << "dd.MM.yy" << "h:m:s ap" << true << ' ' << ';' << ',' << 0
        << QByteArray("Date;Time;U1 [V]\r\n31.01.24;1:5:7 pm;1,5\r\n31.03.24;2:30:0 am;1000000");
    QTest::newRow("MM/dd/yyyy blank tab point auto")
        << "MM/dd/yyyy" << "HH:mm:ss" << false << ' ' << '\t' << '.' << 0
        << QByteArray("DateTime\tU1 [V]\r\n01/31/2024 13:05:07\t1.5\r\n03/31/2024 02:30:00\t1000000");
}

void TestCsvConverter::formats()
{
    QFETCH(QString, date);
    QFETCH(QString, time);
    QFETCH(bool, separate);
    QFETCH(char, joiner);
    QFETCH(char, separator);
    QFETCH(char, decimal);
    QFETCH(int, places);
    QFETCH(QByteArray, expected);

    FakeTableModel m;
    oneParameterGrouped(m, 1.5, 1000000.0);
    CsvExportSettings s;
    s.dateFormat = date;
    s.timeFormat = time;
    s.separateDateTimeColumns = separate;
    s.dateTimeSeparator = joiner;
    s.columnSeparator = separator;
    s.decimalPoint = decimal;
    s.decimalPlaces = qint16(places);
    CsvConverter c(path("export.csv"), s, &m);
    QSignalSpy console(&c, &CsvConverter::consoleMessage);
    QVERIFY(c.convert());
    QCOMPARE(readAll(path("export.csv")), expected);
    QCOMPARE(m.groupArgs, QList<bool>{true});
    QCOMPARE(console.last().at(0).toString().left(17), QStringLiteral("Saved 2 records i"));
    QCOMPARE(console.last().at(1).toInt(), 1);
}

void TestCsvConverter::numbers_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("places");
    QTest::addColumn<char>("decimal");
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("1.5 auto") << 1.5 << 0 << '.' << QByteArray("1.5");
    QTest::newRow("million auto") << 1e6 << 0 << '.' << QByteArray("1000000");
    QTest::newRow("1e20 auto") << 1e20 << 0 << '.' << QByteArray("1e+20");
    QTest::newRow("1e15 auto") << 1e15 << 0 << '.' << QByteArray("1e+15");
    QTest::newRow("0.0001 auto") << 0.0001 << 0 << '.' << QByteArray("0.0001");
    QTest::newRow("0.00001 auto") << 0.00001 << 0 << '.' << QByteArray("1e-05");
    // Binary noise past 15 digits goes; 15 digits stay.
    QTest::newRow("224.876 auto") << 224.87599999999998 << 0 << '.' << QByteArray("224.876");
    QTest::newRow("computed sum auto") << 0.1 + 0.2 << 0 << ',' << QByteArray("0,3");
    QTest::newRow("10000.75 auto") << 10000.75 << 0 << '.' << QByteArray("10000.75");
    QTest::newRow("15 digits auto") << 123456789.012345 << 0 << '.' << QByteArray("123456789.012345");
    QTest::newRow("16 digits auto") << 123456789012345.6 << 0 << '.' << QByteArray("123456789012346");
    // An exact tie at the 15th digit goes away from zero, as the toolkit's does.
    QTest::newRow("tie auto") << 562949953421312.5 << 0 << '.' << QByteArray("562949953421313");
    QTest::newRow("integer tie auto") << 1000000000000005.0 << 0 << '.' << QByteArray("1.00000000000001e+15");
    QTest::newRow("negative zero auto") << -0.0 << 0 << '.' << QByteArray("0");
    QTest::newRow("infinity auto") << -qInf() << 0 << '.' << QByteArray("-inf");
    QTest::newRow("131400.25 auto") << 131400.25 << 0 << '.' << QByteArray("131400.25");
    QTest::newRow("12345678901.5 auto") << 12345678901.5 << 0 << ',' << QByteArray("12345678901,5");
    QTest::newRow("100 auto") << 100.0 << 0 << '.' << QByteArray("100");
    QTest::newRow("0.1 auto") << 0.1 << 0 << '.' << QByteArray("0.1");
    QTest::newRow("negative 3") << -0.5 << 3 << ',' << QByteArray("-0,500");
    QTest::newRow("1.5 3 comma") << 1.5 << 3 << ',' << QByteArray("1,500");
    QTest::newRow("rounding 2") << 2.675 << 2 << '.' << QByteArray("2.67"); // 2.67499999... in binary
    QTest::newRow("zero 1") << 0.0 << 1 << '.' << QByteArray("0.0");
    QTest::newRow("negative zero 1") << -0.0 << 1 << '.' << QByteArray("0.0");
    QTest::newRow("rounds to negative zero 1") << -0.04 << 1 << '.' << QByteArray("-0.0");
    // Exact ties (the binary value is the decimal) round away from zero.
    QTest::newRow("tie 1") << 231.25 << 1 << '.' << QByteArray("231.3");
    QTest::newRow("negative tie 1") << -6.25 << 1 << ',' << QByteArray("-6,3");
    QTest::newRow("tie 2") << 0.125 << 2 << '.' << QByteArray("0.13");
    QTest::newRow("below the tie in binary 1") << 9.95 << 1 << '.' << QByteArray("9.9"); // 9.9499999...
    QTest::newRow("above the tie in binary 2") << 99.995 << 2 << '.' << QByteArray("100.00"); // 99.99500000...45
    QTest::newRow("tie 4") << 9999.96875 << 4 << '.' << QByteArray("9999.9688");
    QTest::newRow("tie 5") << -0.984375 << 5 << '.' << QByteArray("-0.98438");
    QTest::newRow("tie after nines") << 99.75 << 1 << '.' << QByteArray("99.8");
    QTest::newRow("no tie 5") << 1.0 / 1048576 << 5 << '.' << QByteArray("0.00000"); // 9.5367431640625e-07
}

void TestCsvConverter::numbers()
{
    QFETCH(double, value);
    QFETCH(int, places);
    QFETCH(char, decimal);
    QFETCH(QByteArray, text);
    QCOMPARE(CsvConverter::formatNumber(value, places, decimal), text);
}

void TestCsvConverter::automaticPlacesReadBack()
{
    // Up to 15 significant digits read back as the same double.
    const double values[] = {131400.25, 12345678901.5, -273.15, 6.02214076e23, 230.123456789, 0.1, 1e-300,
                             999999999999999.0};
    for (double v : values) {
        const QByteArray t = CsvConverter::formatNumber(v, 0, '.');
        QCOMPARE(t.toDouble(), v);
    }
    // Computed values lose the noise of their last binary digits.
    QCOMPARE(CsvConverter::formatNumber(1.0 / 3.0, 0, '.'), QByteArray("0.333333333333333"));
    QCOMPARE(CsvConverter::formatNumber(0.1 * 3, 0, '.'), QByteArray("0.3"));
}

void TestCsvConverter::numbersMatchToolkit_data()
{
    QTest::addColumn<int>("places");
    for (int places = 0; places <= 5; ++places)
        QTest::newRow(places == 0 ? "auto" : qPrintable(QStringLiteral("%1 places").arg(places))) << places;
}

// The export's own conversion against the toolkit's on many values: any
// bits, decimals as instruments write them, and exact ties of every kind.
void TestCsvConverter::numbersMatchToolkit()
{
    QFETCH(int, places);
    QRandomGenerator random(4700u + uint(places));
    QVector<double> values;
    const int n = 15000;
    values.reserve(6 * n);
    for (int i = 0; i < n; ++i) {
        // Any finite double.
        const quint64 bits = random.generate64();
        double any;
        std::memcpy(&any, &bits, sizeof any);
        if (std::isfinite(any))
            values << any;
        // Decimals of up to six places, up to a billion.
        const double scale = std::pow(10.0, random.bounded(7));
        values << double(qint64(random.bounded(2000000000.0)) - 1000000000) / scale;
        // Ties of 'f': k / 2^j.
        values << std::ldexp(double(qint64(random.generate64() >> 20)) - (1LL << 43), -random.bounded(1, 24));
        // Ties of 15 significant digits below 1e15: m / 2^j, m odd, with a
        // 16-digit decimal.
        const int j = random.bounded(1, 23);
        const double low = std::ceil(1e15 / std::pow(5.0, j)), high = std::min(1e16 / std::pow(5.0, j), 9e15);
        if (low < high) {
            const quint64 m = quint64(low + random.bounded(high - low)) | 1;
            values << std::ldexp(double(m), -j);
        }
        // Integer ties of 15 significant digits.
        values << double(quint64(1e15) + quint64(random.bounded(9e14)) * 10 + 5);
        values << double(quint64(1e16) + quint64(random.bounded(9e13)) * 100 + 50);
    }
    values << 0.0 << -0.0 << qInf() << -qInf() << qQNaN() << std::numeric_limits<double>::denorm_min()
           << std::numeric_limits<double>::max() << std::numeric_limits<double>::lowest();

    int mismatches = 0;
    for (double v : qAsConst(values)) {
        for (double sign : {1.0, -1.0}) {
            const double x = v * sign;
            const QByteArray ours = CsvConverter::formatNumber(x, places, '.');
            const QByteArray toolkit =
                (places == 0 ? QString::number(x, 'g', 15) : QString::number(x, 'f', places)).toLatin1();
            if (ours != toolkit && ++mismatches <= 5)
                qWarning("%.17g with %d places: %s, the toolkit %s", x, places, ours.constData(),
                         toolkit.constData());
        }
    }
    QCOMPARE(mismatches, 0);
}

void TestCsvConverter::splitting_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("files");
    QTest::newRow("0") << 0 << 1;
    QTest::newRow("1") << 1 << 1;
    QTest::newRow("limit") << 100 << 1;
    QTest::newRow("limit + 1") << 101 << 2;
    QTest::newRow("2 x limit + 50") << 250 << 3;
}

void TestCsvConverter::splitting()
{
    QFETCH(int, rows);
    QFETCH(int, files);
    const int limit = 100;

    FakeTableModel m;
    m.columns = 3;
    m.names = QStringList{QStringLiteral("t"), QStringLiteral("P")};
    for (int r = 0; r < rows; ++r)
        m.rows << Row{QStringLiteral("2024-05-01 00:00:00"), double(r + 1), 0};
    CsvExportSettings s = baseSettings();
    s.limitRecordsPerFile = true;
    s.maxRecordsPerFile = limit;
    CsvConverter c(path("export.csv"), s, &m);
    QVERIFY(c.convert());
    QCOMPARE(c.recordsWritten(), qint64(rows));

    QStringList expectedNames{path("export.csv")};
    for (int i = 1; i < files; ++i)
        expectedNames << path(QStringLiteral("export_%1.csv").arg(i));
    QCOMPARE(c.writtenFiles(), expectedNames);
    QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files).size(), files);

    int next = 1;
    for (int i = 0; i < files; ++i) {
        const QByteArray text = readAll(expectedNames.at(i));
        const int inFile = qMin(limit, rows - i * limit);
        if (inFile == 0) {
            QCOMPARE(text, QByteArray("DateTime\tP\r\n")); // the header alone
            continue;
        }
        QVERIFY2(!text.endsWith("\n"), qPrintable(expectedNames.at(i)));
        QCOMPARE(text.count("\r\n"), inFile); // the header's and one between each pair of rows
        QCOMPARE(text.count('\n'), text.count("\r\n"));
        const QList<QByteArray> lines = text.split('\n');
        QCOMPARE(lines.first(), QByteArray("DateTime\tP\r"));
        for (int l = 1; l < lines.size(); ++l)
            QCOMPARE(fields(lines.at(l).trimmed(), '\t').value(1), QString::number(next++));
    }
    QCOMPARE(next, rows + 1);
}

void TestCsvConverter::followOnNames_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::newRow("two dots") << "a.b.csv" << "a_1.b.csv";
    QTest::newRow("no suffix") << "export" << "export_1.";
}

void TestCsvConverter::followOnNames()
{
    QFETCH(QString, first);
    QFETCH(QString, second);
    FakeTableModel m;
    m.columns = 3;
    m.names = QStringList{QStringLiteral("t"), QStringLiteral("P")};
    for (int r = 0; r < 101; ++r)
        m.rows << Row{QStringLiteral("2024-05-01 00:00:00"), 1.0, 0};
    CsvExportSettings s = baseSettings();
    s.limitRecordsPerFile = true;
    s.maxRecordsPerFile = 100;
    CsvConverter c(path(first), s, &m);
    QVERIFY(c.convert());
    QCOMPARE(c.writtenFiles(), (QStringList{path(first), path(second)}));
    QVERIFY(QFile::exists(path(second)));
}

void TestCsvConverter::incorrectValues_data()
{
    QTest::addColumn<QList<int>>("invalidFlags");
    QTest::addColumn<int>("badFlag");
    QTest::addColumn<int>("handling");
    QTest::addColumn<QByteArray>("row");

    // Cells: a valid value, an invalid one, no value at that time, and a
    // stored sample without a number that is flagged invalid: the flag is
    // tested first, so it gets the handling; only where nothing is stored
    // does a field stay empty.
    const QList<int> sqlRule{2};
    const QList<int> recordRule{1, 256};
    QTest::newRow("sql rule, leave") << sqlRule << 2 << 0 << QByteArray("5.5;---;;---");
    QTest::newRow("sql rule, empty") << sqlRule << 2 << 1 << QByteArray("5.5;;;");
    QTest::newRow("sql rule, custom") << sqlRule << 2 << 2 << QByteArray("5.5;ERR;;ERR");
    QTest::newRow("record rule, leave") << recordRule << 256 << 0 << QByteArray("5.5;---;;---");
    QTest::newRow("record rule, empty") << recordRule << 256 << 1 << QByteArray("5.5;;;");
    QTest::newRow("record rule, custom") << recordRule << 1 << 2 << QByteArray("5.5;ERR;;ERR");
}

void TestCsvConverter::incorrectValues()
{
    QFETCH(QList<int>, invalidFlags);
    QFETCH(int, badFlag);
    QFETCH(int, handling);
    QFETCH(QByteArray, row);

    FakeTableModel m;
    m.invalidFlags = QSet<int>(invalidFlags.begin(), invalidFlags.end());
    m.columns = 9;
    m.names = QStringList{QStringLiteral("t"), QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C"),
                          QStringLiteral("D")};
    m.rows = {Row{QStringLiteral("2024-05-01 10:00:00"), 5.5, 0, 7.25, badFlag, QVariant(), QVariant(), QVariant(),
                  badFlag}};
    CsvExportSettings s = baseSettings();
    s.columnSeparator = ';';
    s.incorrectValuesHandling = handling;
    s.errorValueCustomString = QStringLiteral("ERR");
    CsvConverter c(path("export.csv"), s, &m);
    QVERIFY(c.convert());
    QCOMPARE(readAll(path("export.csv")), QByteArray("DateTime;A;B;C;D\r\n2024-05-01 10:00:00;") + row);
}

void TestCsvConverter::invalidSampleOfSessionTable_data()
{
    QTest::addColumn<int>("handling");
    QTest::addColumn<QByteArray>("second");
    QTest::newRow("leave") << 0 << QByteArray("---;40");
    QTest::newRow("empty") << 1 << QByteArray(";40");
    QTest::newRow("custom") << 2 << QByteArray("ERR;40");
}

// A session's grouped table: T holds a sample without a number flagged
// invalid at the second time, RH nothing at the first.
void TestCsvConverter::invalidSampleOfSessionTable()
{
    QFETCH(int, handling);
    QFETCH(QByteArray, second);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString name = QStringLiteral("invalid%1").arg(handling);
    {
        QSqlDatabase db = testdb::open(name, dir.filePath(name + QStringLiteral(".sqlite")), testdb::Sync::Scratch);
        QCOMPARE(testdb::exec(db, {QStringLiteral("CREATE TABLE Parameters (id INTEGER PRIMARY KEY, name TEXT, "
                                                  "unit TEXT)"),
                                   QStringLiteral("CREATE TABLE Data (id INTEGER PRIMARY KEY, idParameters INTEGER, "
                                                  "value DOUBLE, flag SMALLINT, dateTime INT8, observationId INT8)"),
                                   QStringLiteral("INSERT INTO Parameters VALUES (1, 'T', 'C'), (2, 'RH', '%')"),
                                   QStringLiteral("INSERT INTO Data VALUES (NULL, 1, 21.5, 0, 1700000000000, NULL), "
                                                  "(NULL, 1, NULL, 2, 1700000060000, NULL), "
                                                  "(NULL, 2, 40, 0, 1700000060000, NULL)")}),
                 QStringList());
        TempDatabaseTableModel m(db);
        CsvExportSettings s = baseSettings();
        s.columnSeparator = ';';
        s.incorrectValuesHandling = handling;
        s.errorValueCustomString = QStringLiteral("ERR");
        CsvConverter c(path("export.csv"), s, &m);
        QVERIFY(c.convert());
    }
    Connections::remove(name);
    QCOMPARE(readAll(path("export.csv")), QByteArray("DateTime;T [C];RH [%]\r\n2023-11-14 22:13:20;21.5;\r\n"
                                                     "2023-11-14 22:14:20;")
                                              + second);
}

void TestCsvConverter::flagReadFromItsOwnColumn()
{
    // The flag column of A shows "---" because the value to its right (B,
    // 2.0) reads as an invalid flag; A's own flag, 2, is what counts.
    FakeTableModel m;
    m.columns = 5;
    m.names = QStringList{QStringLiteral("t"), QStringLiteral("A"), QStringLiteral("B")};
    m.rows = {Row{QStringLiteral("2024-05-01 10:00:00"), 7.5, 2, 2.0, 0}};
    CsvExportSettings s = baseSettings();
    s.columnSeparator = ';';
    s.incorrectValuesHandling = 1;
    CsvConverter c(path("export.csv"), s, &m);
    QVERIFY(c.convert());
    QCOMPARE(readAll(path("export.csv")), QByteArray("DateTime;A;B\r\n2024-05-01 10:00:00;;2"));
}

void TestCsvConverter::hiddenColumnKeepsFieldsAligned()
{
    FakeTableModel m;
    m.columns = 6;
    m.names = QStringList{QStringLiteral("Time"), QStringLiteral("Device name"), QStringLiteral("Name"),
                          QStringLiteral("Value"), QStringLiteral("Unit"), QStringLiteral("Flag")};
    m.setVisibility({true, false, true, true, true, true});
    m.rows = {Row{QStringLiteral("2024-05-01 10:00:00"), QStringLiteral("Meter A"), QStringLiteral("U1"), 230.5,
                  QStringLiteral("V"), QString::fromUtf8("\u2714")},
              Row{QStringLiteral("2024-05-01 10:01:00"), QStringLiteral("Meter A"), QStringLiteral("I1"), QVariant(),
                  QStringLiteral("A"), QString::fromUtf8("\u2716")}};
    CsvExportSettings s = baseSettings();
    s.groupByDate = false;
    s.columnSeparator = ',';
    s.separateDateTimeColumns = true;
    CsvConverter c(path("export.csv"), s, &m);
    QVERIFY(c.convert());
    QCOMPARE(m.groupArgs, QList<bool>{false});
    const QList<QByteArray> lines = readAll(path("export.csv")).split('\n');
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines.at(0), QByteArray("Date,Time,Name,Value,Unit,Flag\r"));
    QCOMPARE(lines.at(1), QByteArray("2024-05-01,10:00:00,U1,230.5,V,\u2714\r"));
    // No value: an empty field, not 0.
    QCOMPARE(lines.at(2), QByteArray("2024-05-01,10:01:00,I1,,A,\u2716"));
    for (const QByteArray &l : lines)
        QCOMPARE(fields(l.trimmed(), ',').size(), 6);
}

void TestCsvConverter::hiddenColumnsReadAfterReload()
{
    // The flat reload decides which columns are hidden (the instrument name
    // of a file session): header and rows follow the reloaded model.
    FakeTableModel m;
    m.columns = 4;
    m.names = QStringList{QStringLiteral("Time"), QStringLiteral("Device name"), QStringLiteral("Name"),
                          QStringLiteral("Value")};
    m.setVisibility({true, true, true, true});
    m.visibilityAfterGrouping = {true, false, true, true};
    m.rows = {Row{QStringLiteral("2024-05-01 10:00:00"), QStringLiteral("Meter A"), QStringLiteral("U1"), 230.5}};
    CsvExportSettings s = baseSettings();
    s.groupByDate = false;
    s.columnSeparator = ';';
    CsvConverter c(path("export.csv"), s, &m);
    QVERIFY(c.convert());
    QCOMPARE(readAll(path("export.csv")), QByteArray("DateTime;Name;Value\r\n2024-05-01 10:00:00;U1;230.5"));
}

void TestCsvConverter::fieldsWithSpecialCharactersAreQuoted()
{
    FakeTableModel m;
    m.columns = 6;
    m.names = QStringList{QStringLiteral("Time"), QStringLiteral("Device; name"), QStringLiteral("Name"),
                          QStringLiteral("Value"), QStringLiteral("Unit"), QStringLiteral("Flag")};
    m.setVisibility({true, true, true, true, true, true});
    m.rows = {Row{QStringLiteral("2024-05-01 10:00:00"), QStringLiteral("Hall \"B\"; east"),
                  QStringLiteral("U1\nL2"), 1.25, QStringLiteral("V;m"), QStringLiteral("ok")}};
    CsvExportSettings s = baseSettings();
    s.groupByDate = false;
    s.columnSeparator = ';';
    s.decimalPoint = ',';
    CsvConverter c(path("export.csv"), s, &m);
    QVERIFY(c.convert());
    const QByteArray text = readAll(path("export.csv"));
    QCOMPARE(text, QByteArray("DateTime;\"Device; name\";Name;Value;Unit;Flag\r\n"
                              "2024-05-01 10:00:00;\"Hall \"\"B\"\"; east\";\"U1\nL2\";1,25;\"V;m\";ok"));

    // The custom error text is quoted the same way.
    FakeTableModel g;
    oneParameterGrouped(g, 1.0, 2.0);
    g.rows[1][2] = 2;
    CsvExportSettings gs = baseSettings();
    gs.columnSeparator = ',';
    gs.incorrectValuesHandling = 2;
    gs.errorValueCustomString = QStringLiteral("n/a, \"bad\"");
    CsvConverter gc(path("grouped.csv"), gs, &g);
    QVERIFY(gc.convert());
    QVERIFY(readAll(path("grouped.csv")).endsWith("02:30:00,\"n/a, \"\"bad\"\"\""));
}

void TestCsvConverter::emptyModelWritesHeaderOnly()
{
    FakeTableModel m;
    m.columns = 3;
    m.names = QStringList{QStringLiteral("t"), QStringLiteral("P")};
    CsvConverter c(path("export.csv"), baseSettings(), &m);
    QSignalSpy console(&c, &CsvConverter::consoleMessage);
    QVERIFY(c.convert());
    QCOMPARE(readAll(path("export.csv")), QByteArray("DateTime\tP\r\n"));
    QCOMPARE(console.first().at(0).toString(), QStringLiteral("Start converting to csv"));
    QVERIFY(console.last().at(0).toString().startsWith(QStringLiteral("Saved 0 records in: ")));
}

void TestCsvConverter::unmatchedStampGivesEmptyField()
{
    FakeTableModel m;
    oneParameterGrouped(m, 1.0, 2.0);
    m.rows[0][0] = QStringLiteral("31/01/2024 13:05");
    CsvExportSettings s = baseSettings();
    s.columnSeparator = ';';
    CsvConverter c(path("export.csv"), s, &m);
    QVERIFY(c.convert());
    QCOMPARE(readAll(path("export.csv")), QByteArray("DateTime;U1 [V]\r\n;1\r\n2024-03-31 02:30:00;2"));

    // A model with milliseconds in its stamps.
    m.stampFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz");
    m.rows[0][0] = QStringLiteral("2024-01-31 13:05:07.250");
    s.timeFormat = QStringLiteral("HH:mm:ss.zzz");
    s.separateDateTimeColumns = true;
    CsvConverter ms(path("ms.csv"), s, &m);
    QVERIFY(ms.convert());
    QCOMPARE(readAll(path("ms.csv")), QByteArray("Date;Time;U1 [V]\r\n2024-01-31;13:05:07.250;1\r\n;;2"));
}

void TestCsvConverter::unopenableFileIsReported()
{
    FakeTableModel m;
    oneParameterGrouped(m, 1.0, 2.0);
    const QString name = path(QStringLiteral("no/such/folder/export.csv"));
    CsvConverter c(name, baseSettings(), &m);
    QSignalSpy console(&c, &CsvConverter::consoleMessage);
    QSignalSpy dialog(&c, &CsvConverter::dialogMessage);
    QVERIFY(!c.convert());
    QCOMPARE(dialog.size(), 1);
    QCOMPARE(dialog.first().at(0).toString(), QStringLiteral("Unable to write into a file"));
    QCOMPARE(dialog.first().at(2).toInt(), 3);
    QCOMPARE(console.last().at(0).toString(), QStringLiteral("Unable to write into a file (") + name + ")");
    QCOMPARE(console.last().at(1).toInt(), 3);
}

void TestCsvConverter::missingModelIsReported()
{
    CsvConverter c(path("export.csv"), baseSettings(), nullptr);
    QSignalSpy dialog(&c, &CsvConverter::dialogMessage);
    QVERIFY(!c.convert());
    QCOMPARE(dialog.size(), 1);
    QVERIFY(!QFile::exists(path("export.csv")));
}

void TestCsvConverter::failedFlushIsReported()
{
    if (!QFileInfo(QStringLiteral("/dev/full")).isWritable())
        QSKIP("no /dev/full");
    // Everything fits the file's buffer until the end: only the final flush
    // meets the full disk, and the export must not count as saved.
    FakeTableModel m;
    oneParameterGrouped(m, 1.0, 2.0);
    CsvConverter c(QStringLiteral("/dev/full"), baseSettings(), &m);
    QSignalSpy console(&c, &CsvConverter::consoleMessage);
    QSignalSpy dialog(&c, &CsvConverter::dialogMessage);
    QVERIFY(!c.convert());
    QCOMPARE(dialog.size(), 1);
    QCOMPARE(dialog.first().at(0).toString(), QStringLiteral("Unable to write into a file"));
    for (const QList<QVariant> &call : console)
        QVERIFY(!call.at(0).toString().startsWith(QStringLiteral("Saved")));

    // Rows past the buffer fail at their own write.
    for (int r = 0; r < 20000; ++r)
        m.rows << Row{QStringLiteral("2024-05-01 10:00:00"), 123456.5, 0};
    CsvConverter big(QStringLiteral("/dev/full"), baseSettings(), &m);
    QSignalSpy bigDialog(&big, &CsvConverter::dialogMessage);
    QVERIFY(!big.convert());
    QCOMPARE(bigDialog.size(), 1);
}

void TestCsvConverter::progressWindowDeletedMidway()
{
    FakeTableModel m;
    m.columns = 3;
    m.names = QStringList{QStringLiteral("t"), QStringLiteral("P")};
    for (int r = 0; r < 120000; ++r)
        m.rows << Row{QStringLiteral("2024-05-01 10:00:00"), 1.0, 0};
    int deleted = 0;
    m.onRead = [&deleted]() {
        // What Escape or a closing main window does to the progress window.
        for (QWidget *w : QApplication::allWidgets()) {
            if (auto *p = qobject_cast<ProgressDialog *>(w)) {
                delete p;
                ++deleted;
                break;
            }
        }
    };
    CsvConverter c(path("export.csv"), baseSettings(), &m);
    QVERIFY(c.convert());
    QVERIFY(deleted >= 1);
    QCOMPARE(c.recordsWritten(), qint64(120000));
}

QUORLOG_TEST_MAIN(TestCsvConverter)
#include "tst_csvconverter.moc"
