#include "readers/LineReaderKit.h"
#include "readers/MeasurementWriter.h"
#include "readers/ReaderText.h"

#include "common/Connections.h"
#include "common/UtcTime.h"
#include "support/ReaderTestDb.h"
#include "support/TestMain.h"

#include <QSqlQuery>
#include <QTemporaryDir>

using namespace readers;

namespace {

QString unitOfFirstLetter(QString name)
{
    return name.left(1).toLower();
}

} // namespace

class TestReaderKit : public QObject
{
    Q_OBJECT

private slots:
    void separators_data();
    void separators();
    void splitFields_data();
    void splitFields();
    void numbers_data();
    void numbers();
    void timeStamps_data();
    void timeStamps();
    void joinedTimeStamp();
    void measurements_data();
    void measurements();
    void writerIdsAndBinding();
    void writerTakesTheDatabaseId();
    void readLineLimit_data();
    void readLineLimit();
    void decodeNames_data();
    void decodeNames();

private:
    QTemporaryDir m_dir;
};

void TestReaderKit::separators_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<char>("separator");
    QTest::newRow("comma") << QByteArray("a,b\tc;d") << ',';
    QTest::newRow("semicolon") << QByteArray("a;b\tc") << ';';
    QTest::newRow("tab") << QByteArray("a\tb") << '\t';
    QTest::newRow("none") << QByteArray("a b") << '\0';
}

void TestReaderKit::separators()
{
    QFETCH(QByteArray, line);
    QFETCH(char, separator);
    QCOMPARE(chooseSeparator(Field{line.constData(), line.size()}), separator);
}

void TestReaderKit::splitFields_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QByteArrayList>("fields");
    QTest::newRow("empty") << QByteArray() << QByteArrayList{""};
    QTest::newRow("one") << QByteArray("a") << QByteArrayList{"a"};
    QTest::newRow("two") << QByteArray("a,b") << QByteArrayList{"a", "b"};
    QTest::newRow("empty runs") << QByteArray(",,") << QByteArrayList{"", "", ""};
    QTest::newRow("trailing") << QByteArray("a,b,") << QByteArrayList{"a", "b", ""};
    QTest::newRow("blanks kept") << QByteArray(" a , b") << QByteArrayList{" a ", " b"};
}

void TestReaderKit::splitFields()
{
    QFETCH(QByteArray, line);
    QFETCH(QByteArrayList, fields);
    FieldList out;
    readers::splitFields(line.constData(), line.size(), ',', &out);
    QCOMPARE(out.size(), fields.size());
    for (int i = 0; i < out.size(); ++i)
        QCOMPARE(out[i].bytes(), fields[i]);
}

void TestReaderKit::numbers_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<double>("value");
    QTest::newRow("integer") << QByteArray("1") << true << 1.0;
    QTest::newRow("exponent") << QByteArray("2.223563E+02") << true << 222.3563;
    QTest::newRow("lower exponent") << QByteArray("-1.5e-3") << true << -0.0015;
    QTest::newRow("blanks around") << QByteArray(" 2.5 ") << true << 2.5;
    QTest::newRow("line end") << QByteArray("2.5\r\n") << true << 2.5;
    QTest::newRow("plus") << QByteArray("+2.5") << true << 2.5;
    QTest::newRow("leading point") << QByteArray(".5") << true << 0.5;
    QTest::newRow("trailing point") << QByteArray("5.") << true << 5.0;
    QTest::newRow("marker") << QByteArray("-1.000000E+20") << true << -1e20;
    QTest::newRow("empty") << QByteArray() << false << 0.0;
    QTest::newRow("blank") << QByteArray(" ") << false << 0.0;
    QTest::newRow("letters") << QByteArray("abc") << false << 0.0;
    QTest::newRow("two points") << QByteArray("1.2.3") << false << 0.0;
    QTest::newRow("comma") << QByteArray("2,5") << false << 0.0;
    QTest::newRow("unit") << QByteArray("2.5 W") << false << 0.0;
    QTest::newRow("hex") << QByteArray("0x10") << false << 0.0;
    QTest::newRow("signs") << QByteArray("+-1") << false << 0.0;
    QTest::newRow("open exponent") << QByteArray("1e") << false << 0.0;
    QTest::newRow("overflow") << QByteArray("1e400") << false << 0.0;
    QTest::newRow("infinity") << QByteArray("inf") << false << 0.0;
    QTest::newRow("nan") << QByteArray("nan") << false << 0.0;
}

void TestReaderKit::numbers()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, ok);
    QFETCH(double, value);
    double v = -7;
    QCOMPARE(parseNumber(text.constData(), text.size(), &v), ok);
    if (ok) {
        QCOMPARE(v, value);
        // The same reading as the toolkit's own conversion.
        bool qtOk = false;
        QCOMPARE(text.toDouble(&qtOk), value);
        QVERIFY(qtOk);
    }
}

void TestReaderKit::timeStamps_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QDateTime>("expected");
    const QString joined = QStringLiteral("yyyy-MM-ddHH:mm:ss");
    QTest::newRow("joined") << joined << QByteArray("2016-10-2409:35:57") << true
                            << utc::make(QDate(2016, 10, 24), QTime(9, 35, 57));
    QTest::newRow("gap hour") << joined << QByteArray("2016-03-2702:30:00") << true
                              << utc::make(QDate(2016, 3, 27), QTime(2, 30));
    QTest::newRow("before epoch") << joined << QByteArray("1969-12-3123:59:59") << true
                                  << utc::make(QDate(1969, 12, 31), QTime(23, 59, 59));
    QTest::newRow("minutes") << QStringLiteral("yyyy-MM-dd HH:mm") << QByteArray("2016-10-24 09:35") << true
                             << utc::make(QDate(2016, 10, 24), QTime(9, 35));
    QTest::newRow("milliseconds") << QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz") << QByteArray("2020-02-29 23:59:59.123")
                                  << true << utc::make(QDate(2020, 2, 29), QTime(23, 59, 59, 123));
    QTest::newRow("no such day") << joined << QByteArray("2016-02-3009:35:57") << false << QDateTime();
    QTest::newRow("month 13") << joined << QByteArray("2016-13-0109:35:57") << false << QDateTime();
    QTest::newRow("hour 24") << joined << QByteArray("2016-10-2424:00:00") << false << QDateTime();
    QTest::newRow("short digit") << joined << QByteArray("2016-10-249:35:57") << false << QDateTime();
    QTest::newRow("blank") << joined << QByteArray(" 2016-10-2409:35:5") << false << QDateTime();
    QTest::newRow("longer") << joined << QByteArray("2016-10-2409:35:57x") << false << QDateTime();
    QTest::newRow("other literal") << joined << QByteArray("2016/10/2409:35:57") << false << QDateTime();
    QTest::newRow("empty") << joined << QByteArray() << false << QDateTime();
}

void TestReaderKit::timeStamps()
{
    QFETCH(QString, format);
    QFETCH(QByteArray, text);
    QFETCH(bool, ok);
    QFETCH(QDateTime, expected);
    const TimeStampFormat f(format);
    qint64 msecs = -1;
    QCOMPARE(f.parse(text.constData(), text.size(), &msecs), ok);
    if (ok)
        QCOMPARE(msecs, expected.toMSecsSinceEpoch());
}

void TestReaderKit::joinedTimeStamp()
{
    const TimeStampFormat f(QStringLiteral("yyyy-MM-ddHH:mm:ss"));
    const QByteArray date("2016-03-27"), time("02:30:00");
    qint64 msecs = 0;
    QVERIFY(f.parse(Field{date.constData(), date.size()}, Field{time.constData(), time.size()}, &msecs));
    QCOMPARE(msecs, Q_INT64_C(1459045800000));
    QVERIFY(!f.parse(Field{date.constData(), date.size()}, Field{}, &msecs));
}

void TestReaderKit::measurements_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("numberMarker");
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("flag");
    QTest::newRow("value") << QByteArray("2.223563E+02") << false << 222.3563 << 0;
    QTest::newRow("decimal comma") << QByteArray("-1,149271e-03") << true << -0.001149271 << 0;
    QTest::newRow("text marker") << QByteArray("1.000000E+20") << false << 1e20 << 2;
    QTest::newRow("text marker, other spelling") << QByteArray("1e+20") << false << 1e20 << 0;
    QTest::newRow("number marker") << QByteArray("1e+20") << true << 1e20 << 2;
    QTest::newRow("number marker -") << QByteArray("-1,0e20") << true << -1e20 << 2;
    QTest::newRow("near the marker") << QByteArray("-1e+19") << true << -1e19 << 0;
    QTest::newRow("empty") << QByteArray() << false << 0.0 << 2;
    QTest::newRow("garbage") << QByteArray("n/a") << true << 0.0 << 2;
}

void TestReaderKit::measurements()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, numberMarker);
    QFETCH(double, value);
    QFETCH(int, flag);
    const Measurement m = readMeasurement(Field{text.constData(), text.size()},
                                          numberMarker ? NoValueMarker::Number : NoValueMarker::ExactText);
    QCOMPARE(m.value, value);
    QCOMPARE(m.flag, flag);
}

void TestReaderKit::writerIdsAndBinding()
{
    const QString path = m_dir.filePath(QStringLiteral("writer.sqlite"));
    QSqlDatabase db = testdb::createSchemaDatabase(QStringLiteral("kit_writer"), path);
    MeasurementWriter w;
    w.begin(db);
    const QByteArray a("Ab'c"), b("%1 %2");
    QCOMPARE(w.parameterId(Field{a.constData(), a.size()}, &unitOfFirstLetter), 1);
    QCOMPARE(w.parameterId(QStringLiteral("%1 %2"), &unitOfFirstLetter), 2);
    QCOMPARE(w.parameterId(Field{b.constData(), b.size()}, &unitOfFirstLetter), 2);
    QCOMPARE(w.parameterId(QStringLiteral("Ab'c"), &unitOfFirstLetter), 1);
    QVERIFY(w.insertValue(2, 0.1 + 0.2, 0, Q_INT64_C(-1000)));
    QCOMPARE(w.parameterCount(), 2);
    w.finish();

    const auto params = testdb::parameters(db);
    QCOMPARE(params.size(), 2);
    QCOMPARE(params[0].name, QStringLiteral("Ab'c"));
    QCOMPARE(params[0].unit, QStringLiteral("a"));
    QCOMPARE(params[1].name, QStringLiteral("%1 %2"));
    const auto rows = testdb::data(db);
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows[0].value, 0.1 + 0.2); // every bit of the double
    QCOMPARE(rows[0].dateTime, Q_INT64_C(-1000));

    // A new read starts with an empty map.
    w.begin(db);
    QCOMPARE(w.parameterCount(), 0);
    w.finish();
    db = QSqlDatabase();
    Connections::remove(QStringLiteral("kit_writer"));
}

void TestReaderKit::writerTakesTheDatabaseId()
{
    const QString path = m_dir.filePath(QStringLiteral("ids.sqlite"));
    QSqlDatabase db = testdb::createSchemaDatabase(QStringLiteral("kit_ids"), path);
    QSqlQuery q(db);
    QVERIFY(q.exec(QStringLiteral("INSERT INTO Parameters (id, name, unit) VALUES (41, 'old', '')")));
    MeasurementWriter w;
    w.begin(db);
    const int id = w.parameterId(QStringLiteral("new"), nullptr);
    QCOMPARE(id, 42);
    QVERIFY(w.insertValue(id, 1, 0, 0)); // the foreign key holds
    w.finish();
    q = QSqlQuery();
    db = QSqlDatabase();
    Connections::remove(QStringLiteral("kit_ids"));
}

void TestReaderKit::readLineLimit_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QList<int>>("reads"); // 0 line, 1 too long, 2 end
    QTest::addColumn<QByteArrayList>("lines");
    QTest::newRow("empty file") << QByteArray() << QList<int>{2} << QByteArrayList{};
    QTest::newRow("nine bytes") << QByteArray("12345678\n") << QList<int>{0, 2} << QByteArrayList{"12345678\n"};
    QTest::newRow("ten bytes") << QByteArray("123456789\nab") << QList<int>{1} << QByteArrayList{"123456789"};
    QTest::newRow("nine bytes at the end") << QByteArray("a\n123456789") << QList<int>{0, 0, 2}
                                           << QByteArrayList{"a\n", "123456789"};
    QTest::newRow("CR LF counts") << QByteArray("1234567\r\n12345678\r\n") << QList<int>{0, 1, 0, 2}
                                  << QByteArrayList{"1234567\r\n", "12345678", "\r\n"};
    QTest::newRow("lone CRs") << QByteArray("ab\rcd\r\rx") << QList<int>{0, 0, 0, 0, 2}
                              << QByteArrayList{"ab\r\n", "cd\r\n", "\r\n", "x"};
    QTest::newRow("CR run before LF") << QByteArray("ab\r\r\r\ncd\r\r\n\n") << QList<int>{0, 0, 0, 2}
                                      << QByteArrayList{"ab\r\n", "cd\r\n", "\n"};
    QTest::newRow("CR at the end") << QByteArray("ab\r") << QList<int>{0, 2} << QByteArrayList{"ab\r\n"};
    // More CRs than one read chunk holds, ended by an LF: still one line end.
    QTest::newRow("long CR run") << QByteArray("ab" + QByteArray(200000, '\r') + "\ncd")
                                 << QList<int>{0, 0, 2} << QByteArrayList{"ab\r\n", "cd"};
}

void TestReaderKit::readLineLimit()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QList<int>, reads);
    QFETCH(QByteArrayList, lines);
    const QString path = testdb::writeFile(m_dir.filePath(QStringLiteral("lines.txt")), bytes);
    LineReaderKit kit("TestReaderKit", nullptr, nullptr, 10, nullptr);
    QVERIFY(kit.openFile(path));
    int lineIndex = 0;
    qint64 consumed = 0;
    for (int expected : reads) {
        Field f;
        const LineReaderKit::Read r = kit.readLine(&f);
        QCOMPARE(int(r), expected);
        if (r != LineReaderKit::Read::End)
            QCOMPARE(f.bytes(), lines.value(lineIndex++));
        consumed += kit.lastReadSize();
    }
    // Progress counts the bytes of the file, not of the lines handed out.
    if (reads.last() == 2)
        QCOMPARE(consumed, qint64(bytes.size()));
}

void TestReaderKit::decodeNames_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("name");
    QTest::newRow("ASCII") << QByteArray("U1") << QStringLiteral("U1");
    QTest::newRow("UTF-8") << QByteArray("THD \xc5\x81\xc3\xb3" "d\xc5\xba") << QStringLiteral("THD \u0141\u00f3d\u017a");
    QTest::newRow("UTF-8 four bytes") << QByteArray("\xf0\x9f\x98\x80") << QStringLiteral("\U0001F600");
    QTest::newRow("Latin-1 superscript") << QByteArray("U\xb2") << QStringLiteral("U\u00b2");
    QTest::newRow("cut sequence") << QByteArray("m\xc3") << QStringLiteral("m\u00c3");
    QTest::newRow("overlong slash") << QByteArray("\xc0\xaf") << QStringLiteral("\u00c0\u00af");
    QTest::newRow("surrogate") << QByteArray("\xed\xa0\x80") << QStringLiteral("\u00ed\u00a0\u0080");
    QTest::newRow("past U+10FFFF") << QByteArray("\xf4\x90\x80\x80") << QStringLiteral("\u00f4\u0090\u0080\u0080");
}

void TestReaderKit::decodeNames()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, name);
    QCOMPARE(decodeName(bytes.constData(), bytes.size()), name);
}

QUORLOG_TEST_MAIN(TestReaderKit)
#include "tst_readerkit.moc"
