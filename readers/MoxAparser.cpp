#include "readers/MoxAparser.h"

#include "common/ProgressDialog.h"
#include "common/SqlUtil.h"
#include "common/Trace.h"
#include "common/UtcTime.h"
#include "database/DatabaseStructure.h"
#include "database/RecorderColumns.h"
#include "readers/MessageCap.h"
#include "readers/WideRowWriter.h"

#include <QElapsedTimer>
#include <QSet>
#include <QTimeZone>

#include <limits>
#include <map>

namespace {

const QString kDateFormat = QStringLiteral("yyyy-MM-dd");
const QString kTimeFormat = QStringLiteral("HH:mm:ss");
const QString kBlank = QStringLiteral(" ");

// The workstation's clock: the instants at which its zone shows a wall time.
// A wall time in the hour skipped in spring has none, one in the hour
// repeated in autumn has two.
class LocalClock
{
public:
    // Writes up to two instants (epoch milliseconds) in ascending order and
    // returns how many there are.
    int instants(qint64 wallMsecs, qint64 out[2])
    {
        const qint64 day = wallMsecs >= 0 ? wallMsecs / kDayMsecs : (wallMsecs + 1) / kDayMsecs - 1;
        if (day != m_day) {
            // A zone changes its offset at most once within a few days.
            m_day = day;
            m_offsetBefore = offsetAt((day - 1) * kDayMsecs);
            m_offsetAfter = offsetAt((day + 2) * kDayMsecs);
        }
        if (m_offsetBefore == m_offsetAfter) {
            out[0] = wallMsecs - m_offsetBefore * qint64(1000);
            return 1;
        }
        // The larger offset gives the earlier instant.
        const int first = qMax(m_offsetBefore, m_offsetAfter);
        const int second = qMin(m_offsetBefore, m_offsetAfter);
        int n = 0;
        for (const int offset : {first, second}) {
            const qint64 instant = wallMsecs - offset * qint64(1000);
            if (offsetAt(instant) == offset)
                out[n++] = instant;
        }
        return n;
    }

private:
    static constexpr qint64 kDayMsecs = 86400000;

    int offsetAt(qint64 instant) const
    {
        return m_zone.offsetFromUtc(QDateTime::fromMSecsSinceEpoch(instant, Qt::UTC));
    }

    const QTimeZone m_zone = QTimeZone::systemTimeZone();
    qint64 m_day = std::numeric_limits<qint64>::min();
    int m_offsetBefore = 0;
    int m_offsetAfter = 0;
};

// Tracks the sampling segment: the step between lines is compared with the
// step before it, so a slow drift (60, 61, 62 s) stays in one segment while a
// jump or a step back opens a new one. A recorder that follows daylight saving
// writes its local wall time: a step is measured on the workstation's clock
// where it shows both stamps, so neither clock change looks like a jump, and
// as the plain wall-clock difference where it does not.
class SegmentCounter
{
public:
    int next(qint64 wallMsecs)
    {
        qint64 candidates[2];
        const int n = m_clock.instants(wallMsecs, candidates);
        // In the repeated hour a stamp is the first of its two instants not
        // before the previous stamp: the clock went on, not back.
        qint64 instant = n > 0 ? candidates[0] : 0;
        if (n > 1 && m_previousExists && candidates[0] < m_previousInstant)
            instant = candidates[1];
        if (m_hasPrevious) {
            const qint64 dMsecs =
                n > 0 && m_previousExists ? instant - m_previousInstant : wallMsecs - m_previousWall;
            const qint64 d = dMsecs / 1000;
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
        m_hasPrevious = true;
        m_previousWall = wallMsecs;
        m_previousExists = n > 0;
        m_previousInstant = instant;
        return m_segment;
    }

private:
    LocalClock m_clock;
    bool m_hasPrevious = false;
    qint64 m_previousWall = 0;
    bool m_previousExists = false;
    qint64 m_previousInstant = 0;
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
    // One pass: a '%' in a field from the file stays text.
    return QStringLiteral("block%1_value%2_%3_%4_t%5")
        .arg(block, QString::number(group), name, reg, QString::number(segment));
}

QString MoxAparser::caseTwinRefusal(const QStringList &columns)
{
    QString first, second;
    if (!recorderColumns::findCaseTwins(columns, &first, &second))
        return QString();
    return tr("The column %1 repeats the column %2 of the file: column names that differ only in letter case are "
              "one column.")
        .arg(second, first);
}

bool MoxAparser::parseFile(QSqlDatabase db, int *count, int code)
{
    Q_UNUSED(code)
    TRACE() << "moxaparser parseFile";
    QElapsedTimer timer;
    timer.start();

    // Every byte: a NUL is no end of the text.
    const QByteArray bytes = m_file.readAll();
    const QString text = QString::fromUtf8(bytes.constData(), bytes.size());
    const QVector<QStringRef> lines = text.splitRef(QLatin1Char('\n'));

    // Keyed by the wall time taken as UTC: no workstation zone can make a
    // stamp vanish (spring-forward hour) or two stamps collide.
    std::map<qint64, QMap<QString, QString>> timePoints;
    QSet<QString> columnSet;
    SegmentCounter segments;
    int dataLines = 0;
    int stampedLines = 0;
    // Lines that cannot be read are skipped, and told once the file is known
    // to be an export of this kind: (line number, reason).
    QVector<QPair<int, QString>> skipped;
    m_skippedLines = 0;

    for (int li = 1; li < lines.size(); ++li) {
        // The gathering of the time points takes as long as their writing.
        if ((li & 0x3ff) == 0 && m_cancelFlag && m_cancelFlag->loadAcquire() != 0) {
            qCCritical(lcTrace) << "Import canceled by user.";
            return false;
        }
        const QStringRef line = lines.at(li).trimmed();
        if (line.isEmpty())
            continue;
        ++dataLines;
        if (line.contains(QChar(0))) {
            skipped.append({li + 1, tr("it holds a NUL byte")});
            continue;
        }
        const QVector<QStringRef> fields = line.split(QLatin1Char(','));
        if (fields.size() < 4) {
            skipped.append({li + 1, tr("it has fewer than 4 fields")});
            continue;
        }
        qint64 msecs = 0;
        if (!utc::parseMsecs(fields.at(0).toString(), kDateFormat, fields.at(1).toString(), kTimeFormat, &msecs)) {
            skipped.append({li + 1, tr("its date and time \"%1 %2\" cannot be read")
                                        .arg(fields.at(0).toString(), fields.at(1).toString())});
            continue;
        }
        ++stampedLines;
        const int segment = segments.next(msecs);

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

    // Lines that all fail to give a time stamp are another kind of file.
    if (dataLines > 0 && stampedLines == 0) {
        const QString message = tr("File has invalid format!");
        emit consoleMessage(message, 3);
        emit dialogMessage(message, QString(), 3);
        return false;
    }

    QStringList columns = columnSet.values();
    columns.sort(Qt::CaseSensitive);
    QStringList header{QStringLiteral("date"), QStringLiteral("time")};
    header += columns;

    // Blocks or channel names in two letter cases would make one column of
    // two series: nothing is written, and the user learns which columns.
    const QString twins = caseTwinRefusal(columns);
    if (!twins.isEmpty()) {
        emit consoleMessage(twins, 3);
        emit dialogMessage(twins, QString(), 3);
        return false;
    }

    if (!skipped.isEmpty()) {
        // A damaged file must not flood the console: the text readers' cap.
        readers::MessageCap cap;
        const char *kind = "skipped line";
        for (const auto &line : qAsConst(skipped)) {
            if (cap.admit(kind, 2))
                emit consoleMessage(tr("Line %1 was skipped: %2.").arg(line.first).arg(line.second), 2);
        }
        for (const readers::MessageCap::Kind &k : cap.takeOverflow())
            emit consoleMessage(tr("%1 more skipped lines are not listed.").arg(k.suppressed()), 2);
        emit consoleMessage(tr("Lines of the file that cannot be read, skipped: %1").arg(skipped.size()), 2);
    }

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
    // Percents: the window needs its maximum before the first value, which
    // would otherwise close it.
    if (m_progress)
        ProgressDialog::postMaximum(QPointer<ProgressDialog>(m_progress), 100);
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
    m_skippedLines = skipped.size();
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
