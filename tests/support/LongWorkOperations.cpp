#include "support/LongWorkOperations.h"

#include "app/Framework.h"
#include "app/MainWindow.h"
#include "app/SourceTypeFile.h"
#include "charts/AbstractChartModel.h"
#include "charts/ui/ChartViewPage.h"
#include "common/Connections.h"
#include "pqdif/PqdifBenchFile.h"
#include "readers/ZelBArchiveWriter.h"
#include "support/ConsoleSpyUtil.h"
#include "support/DbTestUtil.h"
#include "support/MoxACsvWriter.h"
#include "support/MoxBCsvWriter.h"
#include "support/RecorderChartFixture.h"
#include "support/SessionTestUtil.h"

#include <QDir>
#include <QFile>
#include <QAbstractButton>
#include <QProgressDialog>
#include <QRegularExpression>
#include <QSqlQuery>

namespace longwork {

namespace {

const QString kDataCon = QStringLiteral("Data_con");

// Sizes at scale 1: each phase lasts long enough to be clicked in at several
// moments, and the whole table of the tests stays well within a minute.
constexpr int kZelBLines = 20000;
constexpr int kZelBGroups = 16;
constexpr int kPqdifObservations = 300;
constexpr int kPqdifValuesPerObservation = pqdifbench::kChannels * (pqdifbench::kSeriesPerChannel - 1)
                                           * pqdifbench::kValues;
constexpr int kMoxBRows = 30000;
constexpr int kMoxARows = 60000;
constexpr int kAcceptRows = 20000;
// Values of an older application database whose indexes the first open
// builds: each index that sorts them lasts long enough to be clicked in.
constexpr int kIndexedValues = 1000000;
// A recorder chart: two sections of the page's full length, 60 parameters.
constexpr int kChartRows = 100000;
constexpr int kChartColumns = 60;
constexpr uint kChartSection = 50000;

qint64 countRows(const QSqlDatabase &db, const QString &table)
{
    if (!testdb::tables(db).contains(table))
        return 0;
    return testdb::count(db, table);
}

QSqlDatabase applicationDatabase()
{
    return Connections::contains(kDataCon) ? Connections::database(kDataCon) : QSqlDatabase();
}

// As the user closes a session: its models and connections go now, not in
// the middle of the next operation.
void closeSession()
{
    if (g_framework->getSessionInfo().isOpen && g_framework->mainWindow)
        g_framework->mainWindow->on_actionClosedata_triggered();
    else
        g_framework->closeOpenedFile();
    settle();
}

} // namespace

QString Operations::reading()
{
    return QStringLiteral("Reading the file");
}

QString Operations::writing()
{
    return QStringLiteral("Writing into the database");
}

QString Operations::merging()
{
    return QStringLiteral("Merging the rows by date and time");
}

QString Operations::loading()
{
    return QStringLiteral("Loading Data");
}

QString Operations::chartLoading()
{
    return QStringLiteral("Loading data");
}

QString Operations::indexPhase(int index)
{
    return QStringLiteral("Building the database indexes (%1 of 3)...").arg(index);
}

Operations::Operations(const QString &folder, int scale)
    : m_folder(folder)
    , m_scale(qMax(1, scale))
    , m_console(new consolespy::Lines(g_framework))
{
    const int zelbLines = kZelBLines * m_scale;
    const int observations = kPqdifObservations * m_scale;
    const int moxbRows = kMoxBRows * m_scale;
    const int moxaRows = kMoxARows * m_scale;
    const auto zelb = [this, zelbLines]() {
        return fixture(QStringLiteral("archive.csv"), [zelbLines](const QString &path) {
            return zelb::writeArchive(path, zelbLines, kZelBGroups,
                                      QDateTime(QDate(2024, 1, 1), QTime(0, 0), Qt::UTC));
        });
    };
    const auto pqdif = [this, observations]() {
        return fixture(QStringLiteral("long.pqd"),
                       [observations](const QString &path) { return pqdifbench::writeFile(path, true, observations); });
    };
    const auto moxb = [this](int rows, const QString &name) {
        return fixture(name, [rows](const QString &path) {
            return !testdb::writeFile(path, moxbcsv::file(rows)).isEmpty();
        });
    };
    const auto moxa = [this, moxaRows]() {
        return fixture(QStringLiteral("export.CSV"), [moxaRows](const QString &path) {
            return !testdb::writeFile(path, moxacsv::file(moxaRows)).isEmpty();
        });
    };
    const auto import = [this](const QString &path, int type, const QString &kind) {
        g_framework->importData(path, QStringLiteral("1/1"), avaibleDevices_t(type), m_deviceId, kind);
    };

    m_operations.append({QStringLiteral("text import"),
                         {reading(), writing()},
                         true,
                         [this, zelb]() { return !zelb().isEmpty() && openDatabase(ZelB); },
                         [zelb, import]() { import(zelb(), ZelB, QString()); },
                         [this, zelb, zelbLines]() {
                             return checkImport(zelb(), qint64(zelbLines) * kZelBGroups,
                                                countRows(applicationDatabase(), QStringLiteral("Data")));
                         }});
    m_operations.append({QStringLiteral("PQDIF import"),
                         {reading(), writing()},
                         true,
                         [this, pqdif]() { return !pqdif().isEmpty() && openDatabase(ZelDX); },
                         [pqdif, import]() { import(pqdif(), ZelDX, QString()); },
                         [this, pqdif, observations]() {
                             return checkImport(pqdif(), qint64(observations) * kPqdifValuesPerObservation,
                                                countRows(applicationDatabase(), QStringLiteral("Data")));
                         }});
    m_operations.append({QStringLiteral("PQDIF open"),
                         {reading(), writing()},
                         true,
                         [pqdif]() {
                             closeSession();
                             return !pqdif().isEmpty();
                         },
                         [pqdif]() { g_framework->openFile(pqdif(), ZelDX, ZelC_DATA_FILE, {}); },
                         [this, observations]() {
                             return checkOpen(qint64(observations) * kPqdifValuesPerObservation);
                         }});
    m_operations.append({QStringLiteral("MoxB CSV import"),
                         {reading(), writing(), merging()},
                         true,
                         [this, moxb, moxbRows]() {
                             return !moxb(moxbRows, QStringLiteral("recorder.csv")).isEmpty() && openDatabase(MoxB);
                         },
                         [moxb, moxbRows, import]() {
                             import(moxb(moxbRows, QStringLiteral("recorder.csv")), MoxB, QStringLiteral("data"));
                         },
                         [this, moxb, moxbRows]() {
                             return checkRecorderImport(moxb(moxbRows, QStringLiteral("recorder.csv")),
                                                        QStringLiteral("DataMoxB"), moxbRows);
                         }});
    m_operations.append({QStringLiteral("MoxA CSV import"),
                         {reading(), writing(), merging()},
                         true,
                         [this, moxa]() { return !moxa().isEmpty() && openDatabase(MoxA); },
                         [moxa, import]() { import(moxa(), MoxA, QString()); },
                         [this, moxa, moxaRows]() {
                             return checkRecorderImport(moxa(), QStringLiteral("DataMoxA"), moxaRows);
                         }});
    // Accept on the data-filter page: the filtered session of every
    // parameter of a recorder, over the whole period.
    m_operations.append({QStringLiteral("Accept"),
                         {loading()},
                         false,
                         [this, moxb, import]() {
                             const QString path = moxb(kAcceptRows, QStringLiteral("accept.csv"));
                             if (path.isEmpty() || !openDatabase(MoxB))
                                 return false;
                             import(path, MoxB, QStringLiteral("data"));
                             settle();
                             m_console->take();
                             return countRows(applicationDatabase(), QStringLiteral("DataMoxB")) == kAcceptRows;
                         },
                         [this]() {
                             FiltersCfg filters;
                             for (const QString &id :
                                  testdb::column(applicationDatabase(),
                                                 QStringLiteral("SELECT id FROM Parameters WHERE idDevices = %1")
                                                     .arg(m_deviceId)))
                                 filters.selectedParamId << id.toInt();
                             g_framework->applyFilters(filters, MoxB);
                         },
                         []() {
                             Outcome out;
                             const Framework::SessionInfo s = g_framework->getSessionInfo();
                             if (int(s.deviceType) != int(MoxB_FILTERED) || s.views != quint32(1 | 2 | 4 | 8 | 32)
                                 || !g_framework->tableModel)
                                 out.error = QStringLiteral("no filtered session: type %1, views %2")
                                                 .arg(int(s.deviceType))
                                                 .arg(s.views);
                             return out;
                         }});

    // The first open of an application database written to the schema
    // alone: its indexes are built behind the open's window. Each run opens
    // a fresh copy of the file as it was written.
    const int indexedValues = kIndexedValues * m_scale;
    const auto older = [this, indexedValues]() {
        return fixture(QStringLiteral("older.qdb"), [indexedValues](const QString &path) {
            return testdb::makeSchemaOnlyDatabase(path, indexedValues);
        });
    };
    const auto olderCopy = [this]() { return QDir(m_folder).filePath(QStringLiteral("older-%1.qdb").arg(m_serial)); };
    m_operations.append({QStringLiteral("index build"),
                         {indexPhase(2), indexPhase(3)},
                         true,
                         [this, older, olderCopy]() {
                             closeSession();
                             const QString pristine = older();
                             ++m_serial;
                             m_console->take();
                             return !pristine.isEmpty() && QFile::copy(pristine, olderCopy());
                         },
                         [olderCopy]() { g_framework->openFile(olderCopy(), INTERNAL_DB, 0, {}); },
                         [this, olderCopy]() { return checkIndexBuild(olderCopy()); }});

    // The next section of a recorder's chart, as the page's Next button loads
    // it; the window has no Cancel.
    m_operations.append({QStringLiteral("recorder chart section"),
                         {chartLoading()},
                         false,
                         []() {
                             if (!recchart::openSession(recchart::Kind::MoxBArchive, kChartRows, kChartColumns))
                                 return false;
                             ChartViewPage *page = recchart::chartPage();
                             settle();
                             return page && g_framework->chartModel && g_framework->chartModel->sectionStartRow == 0;
                         },
                         []() {
                             if (ChartViewPage *page = recchart::chartPage())
                                 recchart::nextButton(page)->click();
                         },
                         []() {
                             Outcome out;
                             const AbstractChartModel *model = g_framework->chartModel;
                             if (!model || model->sectionStartRow != kChartSection || model->valueSeries.size() != kChartColumns
                                 || model->valueSeries.last()->size() != int(kChartSection))
                                 out.error = QStringLiteral("the second section is not what the chart shows");
                             else if (!g_framework->mainWindow->findChildren<QProgressDialog *>().isEmpty())
                                 out.error = QStringLiteral("a progress window is left after the section");
                             return out;
                         }});
}

Operations::~Operations() = default;

const Operation *Operations::find(const QString &name) const
{
    for (const Operation &operation : m_operations)
        if (operation.name == name)
            return &operation;
    return nullptr;
}

QString Operations::fixture(const QString &name, const std::function<bool(const QString &path)> &write)
{
    const QString path = QDir(m_folder).filePath(name);
    if (QFile::exists(path))
        return path;
    return write(path) ? path : QString();
}

bool Operations::openDatabase(int type)
{
    closeSession();
    m_deviceId = openNewDatabase(QDir(m_folder).filePath(QStringLiteral("longwork%1.qdb").arg(++m_serial)),
                                 avaibleDevices_t(type), QStringLiteral("Instrument"));
    m_console->take();
    return m_deviceId >= 0;
}

Outcome Operations::checkImport(const QString &file, qint64 whole, qint64 stored)
{
    const QString name = QDir::toNativeSeparators(file);
    const QStringList lines = m_console->take();
    static const QRegularExpression kept(
        QStringLiteral("^(\\d+) values of the file (.*) were stored before the cancel; importing the file again "
                       "completes it\\.$"));
    Outcome out;
    for (auto line = lines.crbegin(); line != lines.crend(); ++line) {
        if (*line == QStringLiteral("The whole file was imported: ") + name) {
            if (stored != whole)
                out.error = QStringLiteral("imported whole, but %1 of %2 values stored").arg(stored).arg(whole);
            return out;
        }
        out.cancelled = true;
        if (*line == QStringLiteral("Nothing of the file %1 was stored.").arg(name)) {
            if (stored != 0)
                out.error = QStringLiteral("nothing stored, said the window, but %1 values are").arg(stored);
            return out;
        }
        const QRegularExpressionMatch match = kept.match(*line);
        if (match.hasMatch() && match.captured(2) == name) {
            const qint64 told = match.captured(1).toLongLong();
            if (told != stored || told <= 0 || told >= whole)
                out.error = QStringLiteral("%1 values stored, said the window, but %2 of %3 are")
                                .arg(told)
                                .arg(stored)
                                .arg(whole);
            return out;
        }
        out.cancelled = false;
    }
    out.error = QStringLiteral("no outcome line among: ") + lines.join(QStringLiteral(" | "));
    return out;
}

Outcome Operations::checkRecorderImport(const QString &file, const QString &table, qint64 wholeRows)
{
    const qint64 rows = countRows(applicationDatabase(), table);
    Outcome out = checkImport(file, wholeRows, rows);
    // One transaction: a part of the file is never kept.
    if (out.error.isEmpty() && out.cancelled && rows != 0)
        out.error = QStringLiteral("%1 rows kept after a cancel").arg(rows);
    return out;
}

Outcome Operations::checkOpen(qint64 wholeValues)
{
    Outcome out;
    const QStringList lines = m_console->take();
    const Framework::SessionInfo s = g_framework->getSessionInfo();
    if (!s.isOpen) {
        out.cancelled = true;
        if (g_framework->tableModel || lines.isEmpty() || lines.last() != QStringLiteral("Session closed"))
            out.error = QStringLiteral("no session, but models or lines: ") + lines.join(QStringLiteral(" | "));
        return out;
    }
    const qint64 values = countRows(g_framework->dataDatabase.database(), QStringLiteral("Data"));
    if (values != wholeValues)
        out.error = QStringLiteral("a session of %1 of %2 values").arg(values).arg(wholeValues);
    return out;
}

Outcome Operations::checkIndexBuild(const QString &file)
{
    Outcome out;
    const QStringList lines = m_console->take();
    const QString name = QDir::toNativeSeparators(file);
    const bool cancelLine = lines.contains(QStringLiteral("Opening the database was canceled while its indexes were "
                                                          "being built; the file %1 is left as it was.")
                                               .arg(file));
    const Framework::SessionInfo s = g_framework->getSessionInfo();
    out.cancelled = !s.isOpen;
    if (out.cancelled != cancelLine) {
        out.error = QStringLiteral("session open: %1, but the console: %2")
                        .arg(s.isOpen)
                        .arg(lines.join(QStringLiteral(" | ")));
        return out;
    }
    // What the file holds now: all three indexes after an open, none of the
    // build after a cancel.
    const QString connection = QStringLiteral("longwork_indexes");
    int indexes = -1;
    {
        QSqlDatabase db = testdb::open(connection, file);
        const QStringList found =
            testdb::column(db, QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'index' AND name LIKE "
                                              "'idx_%'"));
        indexes = found.size();
    }
    Connections::remove(connection);
    if (indexes != (out.cancelled ? 0 : 3))
        out.error = QStringLiteral("%1 indexes in %2 after %3").arg(indexes).arg(name, out.cancelled ? "a cancel" : "the open");
    return out;
}

} // namespace longwork
