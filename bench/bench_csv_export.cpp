// CSV export of a flat table of one million rows through CsvConverter (the
// table model's row stream, the formatting choices, the checked writes)
// next to a plain loop that reads the same rows with one query and writes the
// same text line by line with QFile. Prints rows per second of both and their
// time ratio (converter / plain loop). Also the time of one number's text,
// the export's own and the toolkit's.
#include "common/Connections.h"
#include "export/CsvConverter.h"
#include "tables/NarrowFixture.h"
#include "tables/TempDatabaseTableModel.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>

namespace {

constexpr qint64 Rows = 1000000;

void print(const char *name, double value)
{
    std::printf("%s: %.3f\n", name, value);
    std::fflush(stdout);
}

// The same text as the converter with ';', ',' and automatic places, written
// the simple way.
bool plainLoop(QSqlDatabase db, const QString &path, qint64 *rows)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.exec(QStringLiteral("SELECT strftime('%Y-%m-%d %H:%M:%S', dateTime / 1000, 'unixepoch'), "
                               "Parameters.name, value, unit, flag FROM Data CROSS JOIN Parameters "
                               "ON Parameters.id = Data.idParameters ORDER BY dateTime ASC, Data.id ASC")))
        return false;
    f.write("DateTime;Name;Value;Unit;Flag\r\n");
    const QByteArray valid = QString(QChar(0x2714)).toUtf8();
    const QByteArray invalid = QString(QChar(0x2716)).toUtf8();
    const QByteArray notReady = QString(QChar(0x231B)).toUtf8();
    qint64 n = 0;
    while (q.next()) {
        QByteArray line;
        if (n > 0)
            line += "\r\n";
        line += q.value(0).toString().toLatin1();
        line += ';';
        line += q.value(1).toString().toUtf8();
        line += ';';
        line += CsvConverter::formatNumber(q.value(2).toDouble(), 0, ',');
        line += ';';
        line += q.value(3).toString().toUtf8();
        line += ';';
        const int flag = q.value(4).toInt();
        line += flag == 2 ? invalid : flag == 1 ? notReady : valid;
        if (f.write(line) != line.size())
            return false;
        ++n;
    }
    *rows = n;
    return f.flush();
}

// Nanoseconds per value of the export's number text and of the toolkit's
// own conversion, over values with two decimals as instruments write them
// (a quarter of them exact ties at one place).
void numberFigures()
{
    constexpr int Count = 1000000;
    QVector<double> values;
    values.reserve(Count);
    quint32 x = 12345;
    for (int i = 0; i < Count; ++i) {
        x = x * 1664525u + 1013904223u;
        values << double(int(x % 4000000u) - 2000000) / 100.0;
    }
    qint64 bytes = 0;
    for (int places : {0, 1}) {
        QElapsedTimer t;
        t.start();
        for (double v : qAsConst(values))
            bytes += CsvConverter::formatNumber(v, places, ',').size();
        const double ours = t.nsecsElapsed() / double(Count);
        t.restart();
        for (double v : qAsConst(values))
            bytes += QByteArray::number(v, places ? 'f' : 'g', places ? places : 15).size();
        const double toolkit = t.nsecsElapsed() / double(Count);
        print(places ? "number_ns_1_place" : "number_ns_auto", ours);
        print(places ? "toolkit_ns_1_place" : "toolkit_ns_auto", toolkit);
    }
    if (bytes == 0)
        std::printf("no text\n");
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

int main(int argc, char *argv[])
{
    QStandardPaths::setTestModeEnabled(true);
    // The converter shows a progress window: no display is needed for it.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    Connections::Options o;
    o.scratch = true;
    Connections::registerFile(QStringLiteral("temp_Data_con"), dir.filePath(QStringLiteral("bench.sqlite")), o);
    QSqlDatabase db = Connections::database(QStringLiteral("temp_Data_con"));
    QString error;
    if (!NarrowFixture::writeLarge(db, Rows, 1, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }

    const QString plainPath = dir.filePath(QStringLiteral("plain.csv"));
    QElapsedTimer t;
    t.start();
    qint64 plainRows = 0;
    if (!plainLoop(db, plainPath, &plainRows))
        return 1;
    const double plainMs = qMax<qint64>(1, t.elapsed());

    TempDatabaseTableModel session(db);
    std::unique_ptr<MyAbstractTableModel> copy(session.clone());
    CsvExportSettings s;
    s.dateFormat = QStringLiteral("yyyy-MM-dd");
    s.timeFormat = QStringLiteral("HH:mm:ss");
    s.columnSeparator = ';';
    s.decimalPoint = ',';
    s.groupByDate = false;
    const QString csvPath = dir.filePath(QStringLiteral("export.csv"));
    CsvConverter converter(csvPath, s, copy.get());
    t.restart();
    if (!converter.convert())
        return 1;
    const double converterMs = qMax<qint64>(1, t.elapsed());

    print("rows", double(converter.recordsWritten()));
    print("identical_text", readAll(csvPath) == readAll(plainPath) ? 1 : 0);
    print("converter_rows_per_s", converter.recordsWritten() * 1000.0 / converterMs);
    print("plain_loop_rows_per_s", plainRows * 1000.0 / plainMs);
    numberFigures();
    print("converter_ms", converterMs);
    print("plain_loop_ms", plainMs);
    print("ratio", converterMs / plainMs);
    return 0;
}
