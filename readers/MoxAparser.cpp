#include "readers/MoxAparser.h"

#include "common/SqlUtil.h"
#include "common/Trace.h"
#include "common/UtcTime.h"
#include "database/DatabaseStructure.h"
#include "readers/WideRowWriter.h"

#include <QElapsedTimer>
#include <QSet>

#include <map>

namespace {

const QString kDateFormat = QStringLiteral("yyyy-MM-dd");
const QString kTimeFormat = QStringLiteral("HH:mm:ss");
const QString kBlank = QStringLiteral(" ");

// Tracks the sampling segment: the step between lines is compared with the
// step before it, so a slow drift (60, 61, 62 s) stays in one segment while a
// jump or a step back opens a new one.
class SegmentCounter
{
public:
    int next(qint64 stampSecs)
    {
        if (m_hasPrevious) {
            const qint64 d = stampSecs - m_previous;
            if (m_lastStep != -1 && qAbs(d - m_lastStep) > 1) {
                ++m_segment;
                m_lastStep = -1;
            } else if (d < 0) {
                ++m_segment;
                m_lastStep = -1;
            } else {
                m_lastStep = d;
            }
        }
        m_previous = stampSecs;
        m_hasPrevious = true;
        return m_segment;
    }

private:
    bool m_hasPrevious = false;
    qint64 m_previous = 0;
    qint64 m_lastStep = -1;
    int m_segment = 1;
};

} // namespace

MoxAparser::MoxAparser(ProgressDialog *progress, QAtomicInteger<char> *cancelFlag, QObject *parent)
    : QObject(parent)
    , m_progress(progress)
    , m_cancelFlag(cancelFlag)
{
}

MoxAparser::~MoxAparser()
{
    if (m_file.isOpen())
        m_file.close();
}

bool MoxAparser::openFile(QString path)
{
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::ReadOnly)) {
        emit consoleMessage(QStringLiteral("Unable to open file."), 3);
        return false;
    }
    return true;
}

QString MoxAparser::columnName(const QString &block, int group, const QString &name, const QString &reg, int segment)
{
    return QStringLiteral("block%1_value%2_%3_%4_t%5").arg(block).arg(group).arg(name, reg).arg(segment);
}

bool MoxAparser::parseFile(QSqlDatabase db, int *count, int code)
{
    Q_UNUSED(code)
    TRACE() << "moxaparser parseFile";
    QElapsedTimer timer;
    timer.start();

    const QString text = QString::fromUtf8(m_file.readAll());
    const QVector<QStringRef> lines = text.splitRef(QLatin1Char('\n'));

    // Keyed by the wall time taken as UTC: no workstation zone can make a
    // stamp vanish (spring-forward hour) or two stamps collide.
    std::map<qint64, QMap<QString, QString>> timePoints;
    QSet<QString> columnSet;
    SegmentCounter segments;

    for (int li = 1; li < lines.size(); ++li) {
        const QStringRef line = lines.at(li).trimmed();
        if (line.isEmpty())
            continue;
        const QVector<QStringRef> fields = line.split(QLatin1Char(','));
        if (fields.size() < 4)
            continue;
        qint64 msecs = 0;
        if (!utc::parseMsecs(fields.at(0).toString(), kDateFormat, fields.at(1).toString(), kTimeFormat, &msecs))
            continue;
        const int segment = segments.next(msecs / 1000);

        const QString block = fields.at(3).toString();
        for (int k = 1; k <= GroupCount; ++k) {
            const int valueField = 3 * k + 4; // 1-based
            if (fields.size() < valueField)
                break;
            const QStringRef value = fields.at(valueField - 1);
            if (value.trimmed().isEmpty())
                continue;
            const QString column = columnName(block, k, fields.at(valueField - 2).toString(),
                                              fields.at(valueField - 3).toString(), segment);
            columnSet.insert(column);
            timePoints[msecs].insert(column, value.toString());
        }
    }

    QStringList columns = columnSet.values();
    columns.sort(Qt::CaseSensitive);
    QStringList header{QStringLiteral("date"), QStringLiteral("time")};
    header += columns;

    // Outside the transaction: the table and its columns stay whatever
    // happens to the rows.
    DatabaseStructure structure;
    structure.ensureDataMoxATable(db, header);

    TransactionGuard transaction(db);
    if (!transaction.isActive()) {
        qCCritical(lcTrace) << "Failed to start database transaction.";
        return false;
    }

    const double total = double(timePoints.size());
    int processed = 0;
    int lastPercent = -1;
    QVector<Row> pending;
    pending.reserve(BatchSize);
    WideRowWriter writer;
    for (const auto &point : timePoints) {
        if (m_cancelFlag && m_cancelFlag->loadAcquire() != 0) {
            qCCritical(lcTrace) << "Import canceled by user.";
            return false;
        }
        const QDateTime stamp = utc::fromMsecs(point.first);
        Row row;
        row.reserve(header.size());
        row << stamp.date().toString(kDateFormat) << stamp.time().toString(kTimeFormat);
        for (const QString &column : qAsConst(columns))
            row << point.second.value(column, kBlank);
        pending.append(row);
        if (pending.size() >= BatchSize) {
            if (!insertBatch(writer, db, header, pending))
                return false;
            pending.clear();
        }
        ++processed;
        // Only a changed value is sent: a queued call per time point would
        // flood the window's event queue on a long export.
        const int percent = int(double(processed) / total * 100.0);
        if (percent != lastPercent) {
            lastPercent = percent;
            emit progressValueChanged(percent);
        }
    }
    if (!pending.isEmpty() && !insertBatch(writer, db, header, pending))
        return false;

    if (!transaction.commit()) {
        qCCritical(lcTrace) << "Database commit failed.";
        return false;
    }
    TRACE() << QStringLiteral("Success! Parsed %1 time points in %2 ms").arg(processed).arg(timer.elapsed());
    *count = processed;
    return true;
}

bool MoxAparser::insertBatch(WideRowWriter &writer, QSqlDatabase db, const QStringList &header,
                             const QVector<Row> &rows)
{
    TRACE() << "moxaparser insertBatch";
    if (rows.isEmpty())
        return true;
    if (writer.columnCount() == 0 && !writer.prepare(db, QStringLiteral("DataMoxA"), header)) {
        TRACE() << "Query preparation failed: " << writer.errorText();
        return false;
    }
    for (const Row &row : rows) {
        if (row.size() != header.size()) {
            TRACE() << "Skipping row due to incorrect size: " << QStringList(row.toList());
            continue;
        }
        for (int i = 0; i < row.size(); ++i)
            writer.bindText(i, row.at(i).unicode(), row.at(i).size());
        if (!writer.insertRow()) {
            TRACE() << "Batch insert failed: " << writer.errorText();
            return false;
        }
    }
    return true;
}
