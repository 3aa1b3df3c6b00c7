#include "common/Connections.h"
#include "reports/RaportGenerator.h"
#include "reports/RecorderReportModel.h"
#include "support/DbTestUtil.h"
#include "support/RecorderTableFixture.h"
#include "support/TestMain.h"

#include <QSignalSpy>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <cmath>
#include <functional>
#include <memory>
#include <optional>

namespace {

// A channel, a name with brackets of its own and a name with a quote.
const QStringList kColumns = {QStringLiteral("AI1 - Flow"), QStringLiteral("Temp [in] (x)"),
                              QStringLiteral("Say \"hi\"")};
const QStringList kDisplay = {QStringLiteral("AI1 - Flow [m3/h]"), QStringLiteral("Temp [in] (x) [°C]"),
                              QStringLiteral("Say \"hi\"")};

struct Sample
{
    qint64 id;
    qint64 sec; // seconds since 1970 of the wall-clock text
    QVector<std::optional<double>> values;
};

// Twelve samples seven minutes apart from 01:58:30 on the day the local
// zone skips 02:00-03:00, ids from 41 with a gap, every other one with
// milliseconds; some cells NULL or empty.
QVector<Sample> samples()
{
    QVector<Sample> out;
    const qint64 start = QDateTime(QDate(2026, 3, 29), QTime(1, 58, 30), Qt::UTC).toSecsSinceEpoch();
    for (int k = 0; k < 12; ++k) {
        Sample s;
        s.id = k < 6 ? 41 + k : 50 + k;
        s.sec = start + k * 7 * 60;
        s.values.resize(3);
        if (k != 4)
            s.values[0] = 1.5 * k + (k % 3 == 0 ? 0.25 : 0.0);
        if (k % 2)
            s.values[1] = 2.0 * k - 7.5;
        s.values[2] = 100.0 - k * k;
        out.append(s);
    }
    return out;
}

QVector<rectable::Row> rowsOf(const QVector<Sample> &in)
{
    QVector<rectable::Row> rows;
    for (const Sample &s : in) {
        const QDateTime t = QDateTime::fromSecsSinceEpoch(s.sec, Qt::UTC);
        rectable::Row r{s.id, t.toString(QStringLiteral("yyyy-MM-dd")), t.toString(QStringLiteral("HH:mm:ss")), {}};
        if (s.id % 2)
            r.time += QStringLiteral(".250");
        for (int c = 0; c < s.values.size(); ++c) {
            if (s.values[c])
                r.cells << QString::number(*s.values[c]);
            else
                r.cells << (c == 0 ? QVariant(QString()) : QVariant(QVariant::String));
        }
        rows.append(r);
    }
    return rows;
}

QString text(qint64 sec)
{
    return QDateTime::fromSecsSinceEpoch(sec, Qt::UTC).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString cell(const std::optional<double> &v)
{
    return v ? QString::number(*v, 'f', 2) : QStringLiteral("---");
}

// The report as the recorder reports define it, computed here without SQL:
// intervals counted from the earliest sample (its minute for aggregates,
// its second for increments); increments are last minus first valid value
// by time, the interval labelled by its first sample's minute.
QVector<QVector<QString>> expectedReport(const QVector<Sample> &in, int aggregation, int minutes)
{
    const qint64 span = minutes * 60;
    QVector<QVector<QString>> rows;
    if (aggregation == 3) {
        qint64 origin = in.first().sec;
        for (const Sample &s : in)
            origin = qMin(origin, s.sec);
        QMap<qint64, QVector<Sample>> buckets;
        for (const Sample &s : in)
            buckets[(s.sec - origin) / span].append(s);
        for (const QVector<Sample> &slot : buckets) {
            const qint64 label = slot.first().sec / 60 * 60;
            QVector<QString> row{text(label), text(label + span - 1)};
            for (int c = 0; c < 3; ++c) {
                std::optional<double> first, last;
                for (const Sample &s : slot) {
                    if (!s.values[c])
                        continue;
                    if (!first)
                        first = s.values[c];
                    last = s.values[c];
                }
                row << (first ? cell(*last - *first) : cell(std::nullopt));
            }
            rows.append(row);
        }
        return rows;
    }
    qint64 origin = in.first().sec / 60 * 60;
    for (const Sample &s : in)
        origin = qMin(origin, s.sec / 60 * 60);
    QMap<qint64, QVector<Sample>> buckets;
    for (const Sample &s : in)
        buckets[(s.sec / 60 * 60 - origin) / span].append(s);
    for (auto it = buckets.constBegin(); it != buckets.constEnd(); ++it) {
        const qint64 from = origin + it.key() * span;
        QVector<QString> row{text(from), text(from + span - 1)};
        for (int c = 0; c < 3; ++c) {
            std::optional<double> result;
            int count = 0;
            double sum = 0;
            for (const Sample &s : *it) {
                if (!s.values[c])
                    continue;
                const double v = *s.values[c];
                ++count;
                sum += v;
                if (!result)
                    result = v;
                else if (aggregation == 0)
                    result = qMin(*result, v);
                else if (aggregation == 2)
                    result = qMax(*result, v);
            }
            if (aggregation == 1 && count)
                result = sum / count;
            row << cell(result);
        }
        rows.append(row);
    }
    return rows;
}

} // namespace

class TestRecorderReports : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    int m_serial = 0;

    QSqlDatabase moxaDatabase(const QVector<rectable::Row> &rows)
    {
        const QString name = QStringLiteral("moxa_report_%1").arg(++m_serial);
        QSqlDatabase db = testdb::open(name, m_dir.filePath(name + QStringLiteral(".sqlite")), testdb::Sync::Scratch);
        if (!rectable::write(db, QStringLiteral("DataMoxA"), kColumns, rows))
            return QSqlDatabase();
        return db;
    }

    void loadSettings(rectable::Language language)
    {
        const QString path = m_dir.filePath(QStringLiteral("settings_%1.sqlite3").arg(++m_serial));
        QVERIFY(rectable::writeSettings(path, language,
                                        {{{QStringLiteral("AI1"), QStringLiteral("m3/h")},
                                          {QStringLiteral("Temp [in] (x)"), QStringLiteral("°C")}},
                                         {},
                                         {},
                                         {}}));
        Connections::Options readOnly;
        readOnly.readOnly = true;
        Connections::registerFile(QStringLiteral("Data_con_1"), path, readOnly);
    }

    // What the report page does on Generate.
    static void selectAll(AbstractReportModel &model)
    {
        model.clearSelectedParams();
        const QStringList names = model.getParametersFullName();
        for (int i = 0; i < names.size(); ++i) {
            model.setParamFullName(i, names.at(i));
            model.appendReportParam(i);
        }
    }

private slots:
    void init()
    {
        Connections::remove(QStringLiteral("Data_con_1"));
        RaportGenerator::resetState();
    }

    void reportOfMoxA_data()
    {
        QTest::addColumn<int>("grouping");
        QTest::addColumn<int>("minutes");
        QTest::addColumn<int>("aggregation");
        const char *const names[] = {"min", "avg", "max", "inc"};
        for (int a = 0; a < 4; ++a) {
            QTest::newRow(qPrintable(QStringLiteral("%1 every 15 minutes").arg(QLatin1String(names[a]))))
                << 0 << 15 << a;
            QTest::newRow(qPrintable(QStringLiteral("%1 hourly").arg(QLatin1String(names[a])))) << 1 << 60 << a;
        }
        QTest::newRow("avg every 7 minutes") << 0 << 7 << 1;
        QTest::newRow("inc every minute") << 0 << 1 << 3;
    }

    void reportOfMoxA()
    {
        QFETCH(int, grouping);
        QFETCH(int, minutes);
        QFETCH(int, aggregation);
        loadSettings(rectable::Language::Polish);
        QSqlDatabase db = moxaDatabase(rowsOf(samples()));
        MoxAreport model(db, MoxA, nullptr);
        QCOMPARE(model.getParametersFullName(), kDisplay);
        QCOMPARE(model.getDeviceName(), QStringLiteral("MoxA"));

        selectAll(model);
        model.setGroupingType(grouping);
        model.setIntervalMinutes(minutes);
        model.setAggregationType(aggregation);
        model.setReportOptions(grouping == 0, grouping == 1, false, false, minutes);
        QSignalSpy console(&model, SIGNAL(consoleMessage(QString, int)));
        model.updateQuery(0);

        const QVector<QVector<QString>> expected = expectedReport(samples(), aggregation, minutes);
        QCOMPARE(model.getReportRows(), expected);
        QCOMPARE(model.rowCount(), expected.size());
        static const char *const words[] = {" MIN", " AVG", " MAX", " INC"};
        QStringList headers{QStringLiteral("Start Time"), QStringLiteral("End Time")};
        for (const QString &name : kDisplay)
            headers << name + QLatin1String(words[aggregation]);
        QCOMPARE(model.getHeaders(), headers);
        QCOMPARE(model.getReportStartTime(), expected.first().first());
        QCOMPARE(console.count(), 1);
        QCOMPARE(console.first().at(1).toInt(), 1);
    }

    // The three members over their own tables: the same rows, and the
    // headers of an increment report bare for the archive only.
    void familyMembers_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<int>("aggregation");
        QTest::addColumn<bool>("incrementWord");
        for (int a : {2, 3}) {
            const QString what = a == 3 ? QStringLiteral("inc") : QStringLiteral("max");
            QTest::newRow(qPrintable(QStringLiteral("MoxB archive ") + what)) << "Data" << a << false;
            QTest::newRow(qPrintable(QStringLiteral("MoxB CSV ") + what)) << "DataMoxB" << a << true;
            QTest::newRow(qPrintable(QStringLiteral("MoxA CSV ") + what)) << "DataMoxA" << a << true;
        }
    }

    void familyMembers()
    {
        QFETCH(QString, table);
        QFETCH(int, aggregation);
        QFETCH(bool, incrementWord);
        const QString name = QStringLiteral("family_%1").arg(++m_serial);
        QSqlDatabase db = testdb::open(name, m_dir.filePath(name + QStringLiteral(".sqlite")), testdb::Sync::Scratch);
        QVERIFY(rectable::write(db, table, kColumns, rowsOf(samples())));
        std::unique_ptr<AbstractReportModel> model;
        if (table == QLatin1String("Data"))
            model.reset(new moxbreportmodel(db, MoxB, nullptr));
        else if (table == QLatin1String("DataMoxB"))
            model.reset(new moxbcsvreport(db, MoxB, nullptr));
        else
            model.reset(new MoxAreport(db, MoxA, nullptr));
        QCOMPARE(model->getParametersFullName(), kColumns);
        selectAll(*model);
        model->setGroupingType(0);
        model->setIntervalMinutes(20);
        model->setAggregationType(aggregation);
        model->setReportOptions(true, false, false, false, 20);
        model->updateQuery(0);
        QCOMPARE(model->getReportRows(), expectedReport(samples(), aggregation, 20));
        const QString word = aggregation == 2 ? QStringLiteral(" MAX") : incrementWord ? QStringLiteral(" INC") : QString();
        QCOMPARE(model->getHeaders().mid(2), (QStringList{kColumns.at(0) + word, kColumns.at(1) + word,
                                                          kColumns.at(2) + word}));
    }

    void namesWithAndWithoutSettings_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("English settings") << int(rectable::Language::English) << kDisplay;
        QTest::newRow("Polish settings") << int(rectable::Language::Polish) << kDisplay;
        QTest::newRow("no settings") << -1 << kColumns;
    }

    void namesWithAndWithoutSettings()
    {
        QFETCH(int, language);
        QFETCH(QStringList, names);
        if (language >= 0)
            loadSettings(rectable::Language(language));
        QSqlDatabase db = moxaDatabase(rowsOf(samples()));
        MoxAreport model(db, MoxA, nullptr);
        QCOMPARE(model.getParametersFullName(), names);
        for (int i = 0; i < names.size(); ++i)
            QCOMPARE(model.columnOf(names.at(i)), kColumns.at(i));

        // A report of the middle column alone reads that column, brackets and all.
        model.appendReportParam(1);
        model.setGroupingType(2);
        model.setAggregationType(2);
        model.updateQuery(0);
        QCOMPARE(model.rowCount(), 1);
        QCOMPARE(model.getReportRows().first().at(2), QStringLiteral("14.50"));
    }

    void selection()
    {
        QSqlDatabase db = moxaDatabase(rowsOf(samples()));
        MoxAreport model(db, MoxA, nullptr);
        const int n = model.getParametersFullName().size();
        model.appendReportParam(n);
        model.appendReportParam(-1);
        QVERIFY(model.getSelectedParamsNames().isEmpty());
        model.appendReportParam(2);
        model.appendReportParam(0);
        QCOMPARE(model.getSelectedParamsId(), (QList<int>{2, 0}));
        QCOMPARE(model.getSelectedParamsNames(), (QStringList{kColumns.at(2), kColumns.at(0)}));

        const QStringList before = model.getParametersFullName();
        model.setParamFullName(0, QStringLiteral("not offered"));
        QCOMPARE(model.getParametersFullName(), before);

        for (int minutes : {0, 61}) {
            model.setIntervalMinutes(minutes);
            QCOMPARE(model.getIntervalMinutes(), 30);
        }
    }

    void emptyAndFailingReports()
    {
        QSqlDatabase db = moxaDatabase(rowsOf(samples()));
        MoxAreport model(db, MoxA, nullptr);
        selectAll(model);
        model.setGroupingType(1);
        model.updateQuery(0);
        QVERIFY(model.rowCount() > 0);

        QSignalSpy console(&model, SIGNAL(consoleMessage(QString, int)));
        QSqlQuery q(db);
        QVERIFY(q.exec(QStringLiteral("DELETE FROM DataMoxA")));
        model.updateQuery(0);
        QCOMPARE(model.rowCount(), 0);
        QCOMPARE(model.getReportStartTime(), QStringLiteral("---"));
        QCOMPARE(console.count(), 1);
        QCOMPARE(console.first().at(0).toString(), QStringLiteral("Error: No records found!"));
        QCOMPARE(console.first().at(1).toInt(), 3);

        console.clear();
        QVERIFY(q.exec(QStringLiteral("DROP TABLE DataMoxA")));
        model.updateQuery(0);
        QCOMPARE(model.rowCount(), 0);
        QCOMPARE(console.count(), 1);
        QCOMPARE(console.first().at(0).toString(), QStringLiteral("Error: SQL Query Failed!"));
        QCOMPARE(console.first().at(1).toInt(), 3);
    }

    void otherTypeBuildsNoRows()
    {
        QSqlDatabase db = moxaDatabase(rowsOf(samples()));
        MoxAreport model(db, MoxA, nullptr);
        selectAll(model);
        model.updateQuery(1);
        QCOMPARE(model.rowCount(), 0);
    }

    void convertDate_data()
    {
        QTest::addColumn<QString>("in");
        QTest::addColumn<QString>("out");
        QTest::newRow("hour the local zone skips") << "2026-03-29 02:30:00" << "2026-03-29 02:30:00";
        QTest::newRow("hour the local zone repeats") << "2026-10-25 02:30:00" << "2026-10-25 02:30:00";
        QTest::newRow("winter") << "2026-01-14 23:59:59" << "2026-01-14 23:59:59";
        QTest::newRow("no time") << "2026-01-14" << "";
        QTest::newRow("no such day") << "2026-02-30 10:00:00" << "";
    }

    void convertDate()
    {
        QFETCH(QString, in);
        QFETCH(QString, out);
        QSqlDatabase db = moxaDatabase({});
        MoxAreport model(db, MoxA, nullptr);
        QCOMPARE(model.convertDate(in), out);
    }
};

QUORLOG_TEST_MAIN(TestRecorderReports)
#include "tst_recorderreports.moc"
