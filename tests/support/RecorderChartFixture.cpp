#include "support/RecorderChartFixture.h"

#include "app/Framework.h"
#include "app/MainWindow.h"
#include "app/SourceTypeFile.h"
#include "charts/MoxAchart.h"
#include "charts/MoxBChartModel.h"
#include "charts/moxbcsvchart.h"
#include "charts/ui/ChartViewPage.h"
#include "common/Connections.h"
#include "common/SqlUtil.h"
#include "support/DbTestUtil.h"
#include "support/MoxBCsvWriter.h"
#include "support/SessionTestUtil.h"
#include "ui_ChartViewPage.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QPushButton>
#include <QSqlError>
#include <QSqlQuery>

namespace recchart {

namespace {

// 2026-01-14 03:30:36 UTC.
constexpr qint64 StartSecs = 1768361436;

QString parameterName(int n)
{
    return QStringLiteral("P%1 - value").arg(n);
}

// A MoxA recorder export: one line per second and block, four channels a
// block (registers 14500-14506), two groups empty, as the recorder writes.
QByteArray moxaFile(int rows, int blocks)
{
    QByteArray f("date,time,record index,block");
    for (int k = 1; k <= 6; ++k)
        f += ",register" + QByteArray::number(k) + ",name" + QByteArray::number(k) + ",value" + QByteArray::number(k);
    f += "\r\n";
    const QDateTime start = QDateTime::fromSecsSinceEpoch(StartSecs, Qt::UTC);
    for (int n = 0; n < rows; ++n) {
        const QByteArray stamp = start.addSecs(n).toString(QStringLiteral("yyyy-MM-dd,HH:mm:ss")).toLatin1();
        for (int b = 1; b <= blocks; ++b) {
            QByteArray line = stamp + ',' + QByteArray::number(qint64(StartSecs) + n) + ',' + QByteArray::number(b);
            for (int k = 0; k < 4; ++k)
                line += ',' + QByteArray::number(14500 + 2 * k) + ",Ch" + QByteArray::number(k + 1) + ','
                        + QLocale::c().toString(double((n * (k + b)) % 1000) + 0.25, 'E', 6).toLatin1();
            f += line + ",,,,,,\r\n";
        }
    }
    return f;
}

} // namespace

const char *kindName(Kind kind)
{
    switch (kind) {
    case Kind::MoxA:
        return "MoxA CSV";
    case Kind::MoxBCsv:
        return "MoxB CSV";
    case Kind::MoxBArchive:
        break;
    }
    return "MoxB archive";
}

QString tableOf(Kind kind)
{
    switch (kind) {
    case Kind::MoxA:
        return QStringLiteral("DataMoxA");
    case Kind::MoxBCsv:
        return QStringLiteral("DataMoxB");
    case Kind::MoxBArchive:
        break;
    }
    return QStringLiteral("Data");
}

bool writeTable(QSqlDatabase db, Kind kind, int rows, int columns)
{
    const QString table = sql::quoteIdentifier(tableOf(kind));
    const bool texts = kind != Kind::MoxBArchive;
    QStringList defs{QStringLiteral("id INTEGER PRIMARY KEY AUTOINCREMENT NOT NULL"), QStringLiteral("date TEXT"),
                     QStringLiteral("time TEXT")};
    QStringList names{QStringLiteral("date"), QStringLiteral("time")};
    QStringList cells;
    for (int c = 1; c <= columns; ++c) {
        const QString name = sql::quoteIdentifier(parameterName(c));
        defs << name + (texts ? QStringLiteral(" TEXT") : QStringLiteral(" REAL"));
        names << name;
        const QString value = QStringLiteral("((i * %1) % 1000) + 0.25").arg(c);
        cells << QStringLiteral("CASE WHEN (i + %1) % 7 = 0 THEN %2 ELSE %3 END")
                     .arg(c)
                     .arg(texts ? QStringLiteral("''") : QStringLiteral("NULL"))
                     .arg(texts ? QStringLiteral("CAST(") + value + QStringLiteral(" AS TEXT)") : value);
    }
    const QString seconds = QStringLiteral("%1 + i / 2").arg(StartSecs);
    const QStringList failures = testdb::exec(
        db, {QStringLiteral("DROP TABLE IF EXISTS ") + table,
             QStringLiteral("CREATE TABLE ") + table + QLatin1Char('(') + defs.join(QStringLiteral(", ")) + QLatin1Char(')'),
             QStringLiteral("INSERT INTO ") + table + QLatin1Char('(') + names.join(QStringLiteral(", "))
                 + QStringLiteral(") WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i + 1 < ")
                 + QString::number(rows) + QStringLiteral(") SELECT date(") + seconds
                 + QStringLiteral(", 'unixepoch'), strftime('%H:%M:%S', ") + seconds
                 + QStringLiteral(", 'unixepoch') || CASE WHEN i % 2 THEN '.500' ELSE '.000' END, ")
                 + cells.join(QStringLiteral(", ")) + QStringLiteral(" FROM n")});
    for (const QString &failure : failures)
        qWarning("recchart::writeTable: %s", qPrintable(failure));
    return failures.isEmpty();
}

AbstractChartModel *newModel(Kind kind, QSqlDatabase db)
{
    switch (kind) {
    case Kind::MoxA:
        return new MoxAchart(db, nullptr);
    case Kind::MoxBCsv:
        return new moxbcsvchart(db, nullptr);
    case Kind::MoxBArchive:
        break;
    }
    return new MoxBChartModel(db, nullptr);
}

bool writeArchiveFile(const QString &path, int rows, int columns)
{
    for (const char *suffix : {"", "-wal", "-shm", "-journal"})
        QFile::remove(path + QLatin1String(suffix));
    const QString name = QStringLiteral("recchart_archive_writer");
    bool ok = false;
    {
        QSqlDatabase db = testdb::open(name, path, testdb::Sync::Scratch);
        ok = db.isOpen() && writeTable(db, Kind::MoxBArchive, rows, columns);
    }
    Connections::remove(name);
    return ok;
}

bool openSession(Kind kind, int rows, int columns)
{
    if (!g_framework || !g_framework->mainWindow)
        return false;
    QString path;
    int sourceType = SINGLE_KIND_FILE;
    avaibleDevices_t device = MoxB;
    switch (kind) {
    case Kind::MoxBArchive:
        path = QDir(QDir::tempPath()).filePath(QStringLiteral("recchart_data.sqlite3"));
        if (!writeArchiveFile(path, rows, columns))
            return false;
        sourceType = MoxB_DATA_FILE_Sqlite3;
        break;
    case Kind::MoxBCsv:
        path = writeTemp(QStringLiteral("recchart_data.csv"), moxbcsv::file(rows));
        sourceType = MoxB_DATA_FILE_CSV;
        break;
    case Kind::MoxA:
        path = writeTemp(QStringLiteral("recchart_moxa.csv"), moxaFile(rows, (columns + 3) / 4));
        device = MoxA;
        break;
    }
    if (path.isEmpty())
        return false;
    // As the window's open commands do: the session shown is closed first.
    if (g_framework->getSessionInfo().isOpen)
        QMetaObject::invokeMethod(g_framework->mainWindow.data(), "on_actionClosedata_triggered");
    g_framework->openFile(path, device, sourceType, QStringList());
    settle();
    const Framework::SessionInfo session = g_framework->getSessionInfo();
    return session.isOpen && session.fileName == path && session.hasView(Framework::SessionInfo::ViewChart)
           && g_framework->chartModel;
}

ChartViewPage *chartPage()
{
    if (!g_framework || !g_framework->mainWindow)
        return nullptr;
    g_framework->mainWindow->changePage(MainWindow::CHART_VIEW_PAGE);
    return qobject_cast<ChartViewPage *>(g_framework->mainWindow->cachedPages().value(MainWindow::CHART_VIEW_PAGE));
}

QAbstractButton *nextButton(ChartViewPage *page)
{
    return page ? page->form()->nextButton : nullptr;
}

} // namespace recchart
