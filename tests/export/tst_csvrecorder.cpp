#include "app/Framework.h"
#include "common/Connections.h"
#include "export/CsvConverter.h"
#include "readers/moxbcsvparser.h"
#include "support/DbTestUtil.h"
#include "support/MoxBCsvWriter.h"
#include "support/TestMain.h"
#include "tables/MyAbstractTableModel.h"
#include "tables/TempDatabaseTableModelMoxB.h"
#include "tables/moxbcsvtable.h"
#include "tables/moxblogtable.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <memory>

using Layout = CsvConverter::RecorderLayout;
Q_DECLARE_METATYPE(Layout)

namespace {

using Row = QVector<QVariant>;

// A recorder-shaped table: one row per time point, cells as the wide models
// show them (texts), with its own names, headers and visibility list.
class FakeWideModel : public MyAbstractTableModel
{
public:
    QStringList names;   // what getColumnNames gives
    QStringList headers; // the columns' own header texts
    QVector<Row> rows;
    int loads = 0;
    QList<bool> groupArgs;

    void setVisibility(const QList<bool> &v) { columnsVisibilityList = v; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override { return parent.isValid() ? 0 : rows.size(); }
    int columnCount(const QModelIndex &parent = QModelIndex()) const override
    {
        return parent.isValid() ? 0 : headers.size();
    }
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override
    {
        if (role != Qt::DisplayRole && role != Qt::EditRole)
            return QVariant();
        return rows.at(index.row()).value(index.column());
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override
    {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
            return headers.value(section);
        return QVariant();
    }
    QStringList getColumnNames() const override { return names; }
    void setGroupByDate(bool group) override { groupArgs << group; }
    void setLoadAllData(bool all) override
    {
        Q_UNUSED(all)
        ++loads;
    }
};

// Named by both lists alike, every column shown.
void shape(FakeWideModel &m, const QStringList &columns)
{
    m.names = columns;
    m.headers = columns;
    QList<bool> all;
    for (int i = 0; i < columns.size(); ++i)
        all << true;
    m.setVisibility(all);
}

CsvExportSettings settingsFor(const QString &date, const QString &time, bool separate, char joiner, char sep,
                              char decimal)
{
    CsvExportSettings s;
    s.dateFormat = date;
    s.timeFormat = time;
    s.separateDateTimeColumns = separate;
    s.dateTimeSeparator = joiner;
    s.columnSeparator = sep;
    s.decimalPoint = decimal;
    // The page stores false for a MoxB archive; the layout must not depend on it.
    s.groupByDate = false;
    return s;
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void setSession(avaibleDevices_t type)
{
    g_framework->sessionInfo = Framework::SessionInfo();
    g_framework->sessionInfo.isOpen = true;
    g_framework->sessionInfo.deviceType = type;
}

} // namespace

class TestCsvRecorder : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void layoutDetection_data();
    void layoutDetection();
    void dateAndTimeFields_data();
    void dateAndTimeFields();
    void valueRules_data();
    void valueRules();
    void headerMatchesRows_data();
    void headerMatchesRows();
    void splitting_data();
    void splitting();
    void emptyNameListUsesOwnColumns();
    void writeFailureIsReported();
    void unopenableFileIsReported();
    void genericSessionsKeepTheirLayout();
    void moxbCsvSession();
    void filteredMoxBSession();
    void moxbLogSession();

private:
    QString path(const QString &name) const { return m_dir.filePath(name); }
    QSqlDatabase makeDb(const QString &name);
    QTemporaryDir m_dir;
    QStringList m_connections;
};

void TestCsvRecorder::initTestCase()
{
    QVERIFY(m_dir.isValid());
    g_framework = new Framework();
}

void TestCsvRecorder::init()
{
    QDir d(m_dir.path());
    for (const QString &f : d.entryList(QDir::Files))
        d.remove(f);
    setSession(MoxB);
}

void TestCsvRecorder::cleanup()
{
    for (const QString &n : qAsConst(m_connections))
        Connections::remove(n);
    m_connections.clear();
}

QSqlDatabase TestCsvRecorder::makeDb(const QString &name)
{
    m_connections << name;
    return testdb::open(name, path(name + QStringLiteral(".sqlite")), testdb::Sync::Scratch);
}

void TestCsvRecorder::layoutDetection_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<Layout>("layout");

    QTest::newRow("no names") << QStringList() << Layout::Format1;
    QTest::newRow("ID alone") << QStringList{"id"} << Layout::Format1;
    QTest::newRow("id date time values") << QStringList{"id", "date", "time", "U"} << Layout::Format1;
    QTest::newRow("capitalised date and time") << QStringList{"ID", "Date", "Time"} << Layout::Format1;
    QTest::newRow("Record then Time at 3") << QStringList{"id", "Record", "date", "Time", "U"} << Layout::Format2;
    QTest::newRow("record word inside a name") << QStringList{"id", "RecordNo", "d", "sample time"}
                                               << Layout::Format2;
    QTest::newRow("record with 3 columns") << QStringList{"id", "record", "DateTime"} << Layout::Format3;
    QTest::newRow("record, column 3 without time") << QStringList{"id", "record", "DateTime", "U"}
                                                   << Layout::Format3;
    QTest::newRow("record alone after id") << QStringList{"id", "record"} << Layout::Format3;
    // A log: columns 1 and 2 are no date and time, so none is merged.
    QTest::newRow("alarm log") << QStringList{"id", "dateTime", "alarm"} << Layout::Plain;
    QTest::newRow("audit log") << QStringList{"id", "who", "what", "flag"} << Layout::Plain;
}

void TestCsvRecorder::layoutDetection()
{
    QFETCH(QStringList, names);
    QFETCH(Layout, layout);
    QCOMPARE(CsvConverter::detectRecorderLayout(names), layout);
}

void TestCsvRecorder::dateAndTimeFields_data()
{
    QTest::addColumn<int>("device");
    QTest::addColumn<QStringList>("columns");
    QTest::addColumn<QStringList>("cells");
    QTest::addColumn<QString>("dateFormat");
    QTest::addColumn<QString>("timeFormat");
    QTest::addColumn<bool>("separate");
    QTest::addColumn<char>("joiner");
    QTest::addColumn<char>("separator");
    QTest::addColumn<char>("decimal");
    QTest::addColumn<QByteArray>("expected");

    const QStringList f1{"ID", "date", "time", "U"};
    const QStringList f2{"ID", "Record", "date", "time", "U"};
    const QStringList f3{"ID", "record", "DateTime", "U"};
    const QStringList moxbCells{"17", "2026-01-14", "03:30:53.250", "12.5"};

    // Format 1, one field and two.
    QTest::newRow("F1 MoxB T semicolon")
        << int(MoxB) << f1 << moxbCells << "dd.MM.yyyy" << "HH:mm:ss" << false << 'T' << ';' << '.'
        << QByteArray("ID;DateTime;U\r\n17;14.01.2026T03:30:53;12.5");
    // The decimal mark touches the number only, not the date.
    QTest::newRow("F1 MoxB T semicolon comma")
        << int(MoxB) << f1 << moxbCells << "dd.MM.yyyy" << "HH:mm:ss" << false << 'T' << ';' << ','
        << QByteArray("ID;DateTime;U\r\n17;14.01.2026T03:30:53;12,5");
    QTest::newRow("F1 MoxB separate tab ms")
        << int(MoxB) << f1 << moxbCells << "yyyy.MM.dd" << "HH:mm:ss.zzz" << true << ' ' << '\t' << '.'
        << QByteArray("ID\tdate\ttime\tU\r\n17\t2026.01.14\t03:30:53.250\t12.5");
    QTest::newRow("F1 MoxB US 12-hour comma")
        << int(MoxB) << f1 << moxbCells << "MM/dd/yy" << "h:m:s ap" << false << ' ' << ',' << '.'
        << QByteArray("ID,DateTime,U\r\n17,01/14/26 3:30:53 am,12.5");
    // Each family reads its own clock pattern; the other stays as it is.
    QTest::newRow("F1 MoxB clock without ms kept")
        << int(MoxB) << f1 << QStringList{"1", "2026-01-14", "03:30:53", "1"} << "dd-MM-yy" << "HH:mm:ss"
        << true << ' ' << ';' << '.' << QByteArray("ID;date;time;U\r\n1;14-01-26;03:30:53;1");
    QTest::newRow("F1 MoxA clock with ms kept")
        << int(MoxA) << f1 << moxbCells << "dd-MM-yyyy" << "HH:mm:ss" << true << ' ' << ';' << '.'
        << QByteArray("ID;date;time;U\r\n17;14-01-2026;03:30:53.250;12.5");
    QTest::newRow("F1 MoxA filtered")
        << int(MoxA_FILTERED) << f1 << QStringList{"2", "2026-03-29", "02:30:00", "7"} << "dd.MM.yy"
        << "HH:mm:ss.zzz" << false << 'T' << ';' << '.' << QByteArray("ID;DateTime;U\r\n2;29.03.26T02:30:00.000;7");
    QTest::newRow("F1 unreadable date kept")
        << int(MoxB_FILTERED) << f1 << QStringList{"3", "14/01/2026", "03:30:53.250", "1"} << "yyyy-MM-dd"
        << "HH:mm:ss" << false << ' ' << ';' << '.' << QByteArray("ID;DateTime;U\r\n3;14/01/2026 03:30:53;1");

    // Format 2: the record column goes.
    QTest::newRow("F2 one field")
        << int(MoxB) << f2 << QStringList{"5", "77", "2026-01-14", "03:30:53.250", "1.25"} << "dd.MM.yyyy"
        << "HH:mm:ss" << false << ' ' << ';' << ',' << QByteArray("ID;DateTime;U\r\n5;14.01.2026 03:30:53;1,25");
    QTest::newRow("F2 two fields")
        << int(MoxB) << f2 << QStringList{"5", "77", "2026-01-14", "03:30:53.250", "1.25"} << "MM/dd/yyyy"
        << "HH:mm:ss.zzz" << true << ' ' << ',' << '.'
        << QByteArray("ID,date,time,U\r\n5,01/14/2026,03:30:53.250,1.25");

    // Format 3: one "M/d/yyyy H:mm" column; the spring-forward hour of the
    // test zone is kept.
    QTest::newRow("F3 one field")
        << int(MoxB) << f3 << QStringList{"9", "1", "1/14/2026 3:30", "4"} << "dd.MM.yyyy" << "HH:mm:ss" << false
        << 'T' << ';' << '.' << QByteArray("ID;DateTime;U\r\n9;14.01.2026T03:30:00;4");
    QTest::newRow("F3 two fields gap hour")
        << int(MoxA) << f3 << QStringList{"9", "1", "3/29/2026 2:30", "4"} << "yyyy-MM-dd" << "HH:mm:ss" << true
        << ' ' << ';' << '.' << QByteArray("ID;Date;Time;U\r\n9;2026-03-29;02:30:00;4");
    QTest::newRow("F3 unreadable split at the blank")
        << int(MoxB) << f3 << QStringList{"9", "1", "2026-01-14 03:30", "4"} << "dd.MM.yyyy" << "HH:mm:ss" << true
        << ' ' << ';' << '.' << QByteArray("ID;Date;Time;U\r\n9;2026-01-14;03:30;4");
    QTest::newRow("F3 unreadable joined")
        << int(MoxB) << f3 << QStringList{"9", "1", "2026-01-14 03:30", "4"} << "dd.MM.yyyy" << "HH:mm:ss" << false
        << 'T' << ';' << '.' << QByteArray("ID;DateTime;U\r\n9;2026-01-14T03:30;4");
    QTest::newRow("F3 no blank: time empty")
        << int(MoxB) << f3 << QStringList{"9", "1", "garbage", "4"} << "dd.MM.yyyy" << "HH:mm:ss" << true << ' '
        << ';' << '.' << QByteArray("ID;Date;Time;U\r\n9;garbage;;4");
}

void TestCsvRecorder::dateAndTimeFields()
{
    QFETCH(int, device);
    QFETCH(QStringList, columns);
    QFETCH(QStringList, cells);
    QFETCH(QString, dateFormat);
    QFETCH(QString, timeFormat);
    QFETCH(bool, separate);
    QFETCH(char, joiner);
    QFETCH(char, separator);
    QFETCH(char, decimal);
    QFETCH(QByteArray, expected);

    setSession(avaibleDevices_t(device));
    FakeWideModel m;
    shape(m, columns);
    Row row;
    for (const QString &c : cells)
        row << c;
    m.rows = {row};
    CsvConverter c(path("export.csv"), settingsFor(dateFormat, timeFormat, separate, joiner, separator, decimal), &m);
    QSignalSpy console(&c, &CsvConverter::consoleMessage);
    QVERIFY(c.convert());
    QCOMPARE(readAll(path("export.csv")), expected);
    // Loaded whole, never regrouped.
    QVERIFY(m.loads >= 1);
    QVERIFY(m.groupArgs.isEmpty());

    const bool moxb = device == MoxB || device == MoxB_FILTERED;
    QCOMPARE(console.first().at(0).toString(),
             moxb ? QStringLiteral("Start converting to csv for MoxB") : QStringLiteral("Start converting to csv for MoxA"));
    const QString end = console.last().at(0).toString();
    QVERIFY2(end.startsWith(QStringLiteral("Saved 1 records in: ")), qPrintable(end));
    QVERIFY(end.endsWith(moxb ? QStringLiteral(" ms for MoxB") : QStringLiteral(" ms for MoxA")));
    QCOMPARE(console.last().at(1).toInt(), 1);
}

void TestCsvRecorder::valueRules_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<int>("places");
    QTest::addColumn<char>("decimal");
    QTest::addColumn<QByteArray>("field");

    QTest::newRow("empty") << QVariant(QString("")) << 0 << '.' << QByteArray("");
    QTest::newRow("null") << QVariant() << 0 << '.' << QByteArray("");
    QTest::newRow("blank cell") << QVariant(QString(" ")) << 0 << '.' << QByteArray("");
    QTest::newRow("NA") << QVariant(QString("NA")) << 0 << '.' << QByteArray("");
    QTest::newRow("na") << QVariant(QString("na")) << 2 << ',' << QByteArray("");
    QTest::newRow("0") << QVariant(QString("0")) << 3 << '.' << QByteArray("0");
    QTest::newRow("0.000") << QVariant(QString("0.000")) << 0 << '.' << QByteArray("0");
    QTest::newRow("-0") << QVariant(QString("-0")) << 2 << ',' << QByteArray("0");
    QTest::newRow("number 0") << QVariant(0.0) << 3 << '.' << QByteArray("0");
    // Text that is no number is written as it stands, not as 0.
    QTest::newRow("abc") << QVariant(QString("abc")) << 0 << '.' << QByteArray("abc");
    QTest::newRow("text with a point, comma mark") << QVariant(QString("v1.2 ok")) << 0 << ','
                                                   << QByteArray("v1.2 ok");
    QTest::newRow("text with the separator") << QVariant(QString("a;b")) << 0 << '.' << QByteArray("\"a;b\"");
    QTest::newRow("non-Latin-1 text") << QVariant(QString::fromUtf8("\u0141\u00f3d\u017a"))
                                      << 0 << '.' << QByteArray("\xc5\x81\xc3\xb3""d\xc5\xba");
    // A number held as text keeps its digits; its mark follows the choice.
    QTest::newRow("12.50 text, 3 places") << QVariant(QString("12.50")) << 3 << '.' << QByteArray("12.50");
    QTest::newRow("12.50 text, comma") << QVariant(QString("12.50")) << 3 << ',' << QByteArray("12,50");
    QTest::newRow("exponent text, comma") << QVariant(QString("1.5e-3")) << 0 << ',' << QByteArray("1,5e-3");
    QTest::newRow("integer") << QVariant(42) << 3 << ',' << QByteArray("42");
    // A number held as a number follows the places.
    QTest::newRow("12.5 number, 3 places") << QVariant(12.5) << 3 << '.' << QByteArray("12.500");
    QTest::newRow("12.5 number, auto") << QVariant(12.5) << 0 << '.' << QByteArray("12.5");
    QTest::newRow("12.5 number, 1 place comma") << QVariant(12.5) << 1 << ',' << QByteArray("12,5");
    QTest::newRow("million, auto") << QVariant(1e6) << 0 << '.' << QByteArray("1000000");
    // An exact tie rounds away from zero, as the toolkit's 'f' does.
    QTest::newRow("negative, 2 places comma") << QVariant(-0.125) << 2 << ',' << QByteArray("-0,13");
}

void TestCsvRecorder::valueRules()
{
    QFETCH(QVariant, value);
    QFETCH(int, places);
    QFETCH(char, decimal);
    QFETCH(QByteArray, field);

    FakeWideModel m;
    shape(m, {"id", "date", "time", "V", "W"});
    m.rows = {Row{"1.5", "2026-01-14", "03:30:53.250", value, "x"}};
    CsvExportSettings s = settingsFor("dd.MM.yyyy", "HH:mm:ss", false, ' ', ';', decimal);
    s.decimalPlaces = qint16(places);
    CsvConverter c(path("export.csv"), s, &m);
    QVERIFY(c.convert());
    // The ID and the date keep their points whatever the mark.
    QCOMPARE(readAll(path("export.csv")), QByteArray("id;DateTime;V;W\r\n1.5;14.01.2026 03:30:53;") + field + ";x");
}

void TestCsvRecorder::headerMatchesRows_data()
{
    QTest::addColumn<QStringList>("columns");
    QTest::addColumn<QList<bool>>("visible");
    QTest::addColumn<bool>("grouped");
    QTest::addColumn<bool>("separate");
    QTest::addColumn<QByteArray>("expected");

    const QStringList f1{"ID", "date", "time", "U", "I", "P"};
    const QStringList f3{"ID", "Record", "Stamp", "U"};
    const QByteArray row1 = "7;14.01.2026 03:30:53;";

    // A hidden value column is gone from both, whatever the grouping says.
    QTest::newRow("hidden value, grouped") << f1 << QList<bool>{true, true, true, true, false, true} << true << false
                                           << QByteArray("ID;DateTime;U;P\r\n") + row1 + "1;3";
    QTest::newRow("hidden value, flat") << f1 << QList<bool>{true, true, true, true, false, true} << false << false
                                        << QByteArray("ID;DateTime;U;P\r\n") + row1 + "1;3";
    // A short list hides the columns it has no entry for.
    QTest::newRow("short visibility list") << f1 << QList<bool>{true, true, true, true} << true << false
                                           << QByteArray("ID;DateTime;U\r\n") + row1 + "1";
    QTest::newRow("hidden ID") << f1 << QList<bool>{false, true, true, true, true, true} << false << false
                               << QByteArray("DateTime;U;I;P\r\n14.01.2026 03:30:53;1;2;3");
    // One field: the time goes with the date even when its column is hidden;
    // the date column hidden takes the field away.
    QTest::newRow("hidden time, one field") << f1 << QList<bool>{true, true, false, true, true, true} << false
                                            << false << QByteArray("ID;DateTime;U;I;P\r\n") + row1 + "1;2;3";
    QTest::newRow("hidden time, two fields") << f1 << QList<bool>{true, true, false, true, true, true} << false
                                             << true << QByteArray("ID;date;U;I;P\r\n7;14.01.2026;1;2;3");
    QTest::newRow("hidden date, one field") << f1 << QList<bool>{true, false, true, true, true, true} << false
                                            << false << QByteArray("ID;U;I;P\r\n7;1;2;3");
    QTest::newRow("hidden date, two fields") << f1 << QList<bool>{true, false, true, true, true, true} << false
                                             << true << QByteArray("ID;time;U;I;P\r\n7;03:30:53;1;2;3");
    QTest::newRow("hidden date-time column") << f3 << QList<bool>{true, true, false, true} << true << true
                                             << QByteArray("ID;U\r\n7;1");
    QTest::newRow("hidden record column") << f3 << QList<bool>{true, false, true, true} << false << true
                                          << QByteArray("ID;Date;Time;U\r\n7;14.01.2026;03:30:00;1");
}

void TestCsvRecorder::headerMatchesRows()
{
    QFETCH(QStringList, columns);
    QFETCH(QList<bool>, visible);
    QFETCH(bool, grouped);
    QFETCH(bool, separate);
    QFETCH(QByteArray, expected);

    setSession(MoxB_FILTERED);
    FakeWideModel m;
    shape(m, columns);
    m.setVisibility(visible);
    if (columns.size() == 6)
        m.rows = {Row{"7", "2026-01-14", "03:30:53.250", "1", "2", "3"}};
    else
        m.rows = {Row{"7", "12", "1/14/2026 3:30", "1"}};
    CsvExportSettings s = settingsFor("dd.MM.yyyy", "HH:mm:ss", separate, ' ', ';', '.');
    s.groupByDate = grouped;
    CsvConverter c(path("export.csv"), s, &m);
    QVERIFY(c.convert());
    const QByteArray text = readAll(path("export.csv"));
    QCOMPARE(text, expected);
    const QList<QByteArray> lines = text.split('\n');
    QCOMPARE(lines.at(0).count(';'), lines.at(1).count(';'));
}

void TestCsvRecorder::splitting_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<QList<int>>("perFile");
    QTest::newRow("empty table") << 0 << QList<int>{0};
    QTest::newRow("under the limit") << 99 << QList<int>{99};
    QTest::newRow("exactly two files") << 200 << QList<int>{100, 100};
    QTest::newRow("250 rows") << 250 << QList<int>{100, 100, 50};
}

void TestCsvRecorder::splitting()
{
    QFETCH(int, rows);
    QFETCH(QList<int>, perFile);

    FakeWideModel m;
    shape(m, {"id", "date", "time", "U"});
    for (int r = 1; r <= rows; ++r)
        m.rows << Row{QString::number(r), "2026-01-14", "03:30:53.250", QString::number(r * 2)};
    CsvExportSettings s = settingsFor("yyyy-MM-dd", "HH:mm:ss", true, ' ', ',', '.');
    s.limitRecordsPerFile = true;
    s.maxRecordsPerFile = 100;
    CsvConverter c(path("export.csv"), s, &m);
    QSignalSpy console(&c, &CsvConverter::consoleMessage);
    QVERIFY(c.convert());
    QVERIFY(console.last().at(0).toString().startsWith(QStringLiteral("Saved %1 records in: ").arg(rows)));

    QStringList names{path("export.csv")};
    for (int i = 1; i < perFile.size(); ++i)
        names << path(QStringLiteral("export_%1.csv").arg(i));
    QCOMPARE(c.writtenFiles(), names);
    QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files).size(), perFile.size());

    const QByteArray header("id,date,time,U\r\n");
    int next = 1;
    for (int f = 0; f < perFile.size(); ++f) {
        const QByteArray text = readAll(names.at(f));
        QVERIFY(text.startsWith(header));
        QByteArray expected = header;
        for (int i = 0; i < perFile.at(f); ++i, ++next) {
            if (i > 0)
                expected += "\r\n";
            expected += QByteArray::number(next) + ",2026-01-14,03:30:53," + QByteArray::number(next * 2);
        }
        QCOMPARE(text, expected);
    }
}

void TestCsvRecorder::emptyNameListUsesOwnColumns()
{
    // A log model that names no columns and keeps no visibility list: its
    // own columns are written, every one of them.
    FakeWideModel m;
    m.headers = QStringList{"id", "dateTime", "alarm", "flag"};
    m.rows = {Row{"1", "2026-01-14 03:30:00", "AI1 high", "0"}, Row{"2", "2026-01-14 03:31:00", "AI1, low", "256"}};
    CsvConverter c(path("log.csv"), settingsFor("dd.MM.yyyy", "HH:mm:ss", false, 'T', ',', '.'), &m);
    QVERIFY(c.convert());
    QCOMPARE(readAll(path("log.csv")), QByteArray("id,dateTime,alarm,flag\r\n"
                                                  "1,2026-01-14 03:30:00,AI1 high,0\r\n"
                                                  "2,2026-01-14 03:31:00,\"AI1, low\",256"));

    // Names that are not the model's columns are not used either.
    FakeWideModel data;
    shape(data, {"id", "date", "time", "U", "I"});
    data.names = QStringList{"id", "date", "time", "other", "columns", "of the table"};
    data.rows = {Row{"1", "2026-01-14", "03:30:53.250", "1", "2"}};
    CsvConverter d(path("data.csv"), settingsFor("dd.MM.yyyy", "HH:mm:ss", false, ' ', ',', '.'), &data);
    QVERIFY(d.convert());
    QCOMPARE(readAll(path("data.csv")), QByteArray("id,DateTime,U,I\r\n1,14.01.2026 03:30:53,1,2"));

    // A model with no columns at all.
    FakeWideModel none;
    none.rows = {Row{}};
    CsvConverter n(path("none.csv"), settingsFor("dd.MM.yyyy", "HH:mm:ss", false, ' ', ',', '.'), &none);
    QVERIFY(n.convert());
    QCOMPARE(readAll(path("none.csv")), QByteArray("\r\n"));
}

void TestCsvRecorder::writeFailureIsReported()
{
    if (!QFileInfo(QStringLiteral("/dev/full")).isWritable())
        QSKIP("no /dev/full");
    FakeWideModel m;
    shape(m, {"id", "date", "time", "U"});
    m.rows = {Row{"1", "2026-01-14", "03:30:53.250", "1"}};
    const CsvExportSettings s = settingsFor("dd.MM.yyyy", "HH:mm:ss", false, ' ', ';', '.');

    // Small: only the final flush meets the full disk.
    CsvConverter small(QStringLiteral("/dev/full"), s, &m);
    QSignalSpy smallConsole(&small, &CsvConverter::consoleMessage);
    QSignalSpy smallDialog(&small, &CsvConverter::dialogMessage);
    QVERIFY(!small.convert());
    QCOMPARE(smallDialog.size(), 1);
    QCOMPARE(smallDialog.first().at(0).toString(), QStringLiteral("Unable to write into a file"));
    QCOMPARE(smallDialog.first().at(2).toInt(), 3);
    QCOMPARE(smallConsole.last().at(0).toString(), QStringLiteral("Unable to write into a file (/dev/full)"));
    for (const QList<QVariant> &call : smallConsole)
        QVERIFY(!call.at(0).toString().startsWith(QStringLiteral("Saved")));

    // Large: the rows fail at their own write.
    for (int r = 2; r <= 30000; ++r)
        m.rows << Row{QString::number(r), "2026-01-14", "03:30:53.250", "123456.789"};
    CsvConverter big(QStringLiteral("/dev/full"), s, &m);
    QSignalSpy bigConsole(&big, &CsvConverter::consoleMessage);
    QSignalSpy bigDialog(&big, &CsvConverter::dialogMessage);
    QVERIFY(!big.convert());
    QCOMPARE(bigDialog.size(), 1);
    QVERIFY(big.recordsWritten() < 30000);
    for (const QList<QVariant> &call : bigConsole)
        QVERIFY(!call.at(0).toString().startsWith(QStringLiteral("Saved")));
}

void TestCsvRecorder::unopenableFileIsReported()
{
    setSession(MoxA);
    FakeWideModel m;
    shape(m, {"id", "date", "time", "U"});
    m.rows = {Row{"1", "2026-01-14", "03:30:53", "1"}};
    const QString name = path(QStringLiteral("no/such/folder/export.csv"));
    CsvConverter c(name, settingsFor("dd.MM.yyyy", "HH:mm:ss", false, ' ', ';', '.'), &m);
    QSignalSpy console(&c, &CsvConverter::consoleMessage);
    QSignalSpy dialog(&c, &CsvConverter::dialogMessage);
    QVERIFY(!c.convert());
    QCOMPARE(dialog.size(), 1);
    QCOMPARE(dialog.first().at(0).toString(), QStringLiteral("Unable to write into a file"));
    QCOMPARE(console.last().at(0).toString(), QStringLiteral("Unable to write into a file (") + name + ")");
}

void TestCsvRecorder::genericSessionsKeepTheirLayout()
{
    // Any other device type is written by the generic layout (its header
    // starts with the date, never with an ID).
    setSession(ZelC);
    FakeWideModel m;
    shape(m, {"t", "U"});
    m.rows = {Row{"2026-01-14 03:30:53", 1.5}};
    CsvConverter c(path("export.csv"), settingsFor("dd.MM.yyyy", "HH:mm:ss", false, ' ', ';', '.'), &m);
    QSignalSpy console(&c, &CsvConverter::consoleMessage);
    QVERIFY(c.convert());
    QCOMPARE(console.first().at(0).toString(), QStringLiteral("Start converting to csv"));
    QVERIFY(readAll(path("export.csv")).startsWith("DateTime;"));
}

void TestCsvRecorder::moxbCsvSession()
{
    // A recorder data file read into a temporary database, shown by the
    // session's own model, exported as the page does it.
    QSqlDatabase db = makeDb(QStringLiteral("moxb_export"));
    const QString input = testdb::writeFile(path("in.csv"), moxbcsv::file(5));
    QAtomicInteger<char> cancel(0);
    moxbcsvparser reader(nullptr, &cancel);
    QVERIFY(reader.openFile(input));
    int count = 0;
    QVERIFY(reader.parseFile(db, &count, 2));

    moxbcsvtable session(db);
    std::unique_ptr<MyAbstractTableModel> copy(session.clone());
    QVERIFY(copy);
    CsvExportSettings s = settingsFor("dd.MM.yyyy", "HH:mm:ss.zzz", false, 'T', ';', ',');
    s.limitRecordsPerFile = true;
    s.maxRecordsPerFile = 3;
    CsvConverter c(path("export.csv"), s, copy.get());
    QVERIFY(c.convert());
    QCOMPARE(c.writtenFiles().size(), 2);

    const QList<QByteArray> first = readAll(path("export.csv")).split('\n');
    const QList<QByteArray> second = readAll(path("export_1.csv")).split('\n');
    QCOMPARE(first.size(), 4);
    QCOMPARE(second.size(), 3);
    QCOMPARE(first.at(0), second.at(0));
    const QByteArray header = QByteArray("id;DateTime;") + moxbcsv::channelTitles().join(';').toUtf8() + "\r";
    QCOMPARE(first.at(0), header);
    // Record 1: the analog inputs, the totalizers empty; the values' marks
    // become commas, the date's points stay.
    const QList<QByteArray> r1 = first.at(1).chopped(1).split(';');
    QCOMPARE(r1.size(), 2 + 60);
    QCOMPARE(r1.at(0), QByteArray("1"));
    QCOMPARE(r1.at(1), QByteArray("14.01.2026T03:30:36.500"));
    QCOMPARE(r1.at(2), QByteArray("280,013"));
    QCOMPARE(r1.at(7), QByteArray("0")); // AI1 flag
    QCOMPARE(r1.at(38), QByteArray(""));  // TOT3 value
    // Record 4 in the second file: totalizers only.
    const QList<QByteArray> r4 = second.at(1).chopped(1).split(';');
    QCOMPARE(r4.at(0), QByteArray("4"));
    QCOMPARE(r4.at(1), QByteArray("14.01.2026T03:30:38.000"));
    QCOMPARE(r4.at(2), QByteArray(""));
    QCOMPARE(r4.at(38), QByteArray("1004"));
    QVERIFY(second.at(2).startsWith("5;14.01.2026T03:30:38.500;280,065;"));
    QVERIFY(!second.at(2).endsWith('\r'));
}

void TestCsvRecorder::filteredMoxBSession()
{
    // The application database: the session's model shows the chosen
    // parameters only, and the header names exactly those.
    setSession(MoxB_FILTERED);
    QSqlDatabase db = makeDb(QStringLiteral("moxb_filtered"));
    QVERIFY(testdb::exec(db, {"CREATE TABLE Devices (id INTEGER PRIMARY KEY, name TEXT)",
                              "CREATE TABLE Parameters (id INTEGER PRIMARY KEY, name TEXT, unit TEXT, idDevices INTEGER)",
                              "INSERT INTO Devices VALUES (1, 'Rec A')",
                              "INSERT INTO Parameters VALUES (1, 'U', 'V', 1), (2, 'I', 'A', 1), (3, 'P', 'W', 1)",
                              "CREATE TABLE DataMoxB (id INTEGER PRIMARY KEY AUTOINCREMENT, date TEXT, time TEXT, "
                              "\"U (Rec A)\" TEXT, \"I (Rec A)\" TEXT, \"P (Rec A)\" TEXT)",
                              "INSERT INTO DataMoxB (date, time, \"U (Rec A)\", \"I (Rec A)\", \"P (Rec A)\") VALUES "
                              "('2026-01-14', '03:30:36.500', '230.5', '1.5', '345.75'), "
                              "('2026-01-14', '03:30:37.000', '231', ' ', 'NA')"})
                .isEmpty());
    FiltersCfg filters;
    filters.selectedParamId = {3, 1};
    TempDatabaseTableModelMoxB session(db, filters);
    std::unique_ptr<MyAbstractTableModel> copy(session.clone());
    QVERIFY(copy);
    CsvConverter c(path("export.csv"), settingsFor("yyyy-MM-dd", "HH:mm:ss.zzz", true, ' ', '\t', '.'), copy.get());
    QVERIFY(c.convert());
    QCOMPARE(readAll(path("export.csv")), QByteArray("id\tdate\ttime\tP (Rec A)\tU (Rec A)\r\n"
                                                     "1\t2026-01-14\t03:30:36.500\t345.75\t230.5\r\n"
                                                     "2\t2026-01-14\t03:30:37.000\t\t231"));
}

void TestCsvRecorder::moxbLogSession()
{
    // The recorder's SQLite alarm log opened as a session of its own.
    QSqlDatabase db = makeDb(QStringLiteral("moxb_alarms"));
    QVERIFY(testdb::exec(db, {"CREATE TABLE AlarmLog (id INTEGER PRIMARY KEY, dateTime TEXT, alarm TEXT, flag INTEGER)",
                              "INSERT INTO AlarmLog VALUES (1, '2026-01-14 03:30:00', 'AI1 high', 0), "
                              "(2, '2026-01-14 03:31:00.5', 'AI2 \"low\"', 256)"})
                .isEmpty());
    moxbalarmtable session(db);
    std::unique_ptr<MyAbstractTableModel> copy(session.clone());
    QVERIFY(copy);
    CsvConverter c(path("alarms.csv"), settingsFor("dd.MM.yyyy", "HH:mm:ss", false, ' ', ',', ','), copy.get());
    QVERIFY(c.convert());
    QCOMPARE(readAll(path("alarms.csv")), QByteArray("id,dateTime,alarm,flag\r\n"
                                                     "1,2026-01-14 03:30:00,AI1 high,0\r\n"
                                                     "2,2026-01-14 03:31:00.5,\"AI2 \"\"low\"\"\",256"));
}

QUORLOG_TEST_MAIN(TestCsvRecorder)
#include "tst_csvrecorder.moc"
