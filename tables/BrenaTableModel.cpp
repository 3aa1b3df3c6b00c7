#include "tables/BrenaTableModel.h"

#include "common/Trace.h"

#include <QColor>
#include <QFile>
#include <QFont>

#include <climits>
#include <new>

#include <unistd.h>

namespace {

const QColor FlagOkColor(78, 167, 78);
const QColor FlagBadColor(212, 42, 42);

} // namespace

BrenaTableModel::BrenaTableModel(QString filePath, QObject *parent)
    : MyAbstractTableModel(parent)
    , m_filePath(std::move(filePath))
{
    TRACE_FUNC();
    m_headers << tr("Date") << tr("Time") << tr("Channel No") << tr("Flag");
    for (int i = 1; i <= BrenaRecord::ValueCount; ++i)
        m_headers << QStringLiteral("VAL %1").arg(i);
}

BrenaTableModel::~BrenaTableModel()
{
    TRACE() << "BrenaTableModel destroy";
}

void BrenaTableModel::reportFailure(const QString &msg, const QString &consoleMsg)
{
    reportConsole(consoleMsg, 3);
    reportDialog(msg, QString(), 3);
}

bool BrenaTableModel::loadFile()
{
    TRACE_FUNC();
    // A load that fails after an earlier one must not leave counts that
    // point past the records.
    if (m_rowCount != 0 || m_columnCount != 0 || !m_records.empty()) {
        beginResetModel();
        std::vector<BrenaRecord>().swap(m_records);
        m_rowCount = 0;
        m_columnCount = 0;
        endResetModel();
    }
    QFile file(m_filePath);
    if (!file.open(QIODevice::ReadOnly)) {
        const QString msg = tr("Unable to open file!");
        reportFailure(msg, msg + QStringLiteral(" (") + m_filePath + QLatin1Char(')'));
        return false;
    }

    m_header = BrenaFileHeader();
    if (file.read(m_header.bytes.data(), BrenaFileHeader::Size) != BrenaFileHeader::Size || !m_header.isValid()) {
        const QString msg = tr("Unable to parse file! (File corrupted or not Brena file)");
        reportFailure(msg, msg);
        return false;
    }

    std::vector<BrenaRecord>().swap(m_records);
    const QString corrupted = tr("Error while reading data! (File corrupted)");
    // The count comes from the file: check it against the file's length
    // before reading, and grow the list only by records actually read.
    const quint64 count = m_header.recordCount();
    const quint64 needed = quint64(BrenaFileHeader::HeaderLength) + count * quint64(BrenaRecord::Size);
    if (quint64(file.size()) < needed || !file.seek(BrenaFileHeader::HeaderLength)) {
        reportFailure(corrupted, corrupted);
        return false;
    }
    if (!reserveRecords(count))
        return false;

    BrenaRecord record;
    for (quint64 i = 0; i < count; ++i) {
        if (file.read(record.bytes.data(), BrenaRecord::Size) != BrenaRecord::Size) {
            reportFailure(corrupted, corrupted);
            return false;
        }
        if (!record.isSkipped())
            m_records.push_back(record);
    }

    beginResetModel();
    m_columnCount = DataColumnCount;
    m_rowCount = int(m_records.size());
    endResetModel();
    reportConsole(tr("Read records:") + QLatin1Char(' ') + QString::number(m_rowCount), 0);
    return true;
}

bool BrenaTableModel::reserveRecords(quint64 count)
{
    // Rows are numbered with int; and a list that would not fit in the
    // machine's memory is refused here rather than by the system killing
    // the program half-way.
    const quint64 bytes = count * quint64(BrenaRecord::Size);
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    const quint64 physical = pages > 0 && pageSize > 0 ? quint64(pages) * quint64(pageSize) : 0;
    bool fits = count <= quint64(INT_MAX) && (physical == 0 || bytes <= physical / 4 * 3);
    if (fits) {
        try {
            m_records.reserve(size_t(count));
        } catch (const std::bad_alloc &) {
            fits = false;
        } catch (const std::length_error &) {
            fits = false;
        }
    }
    if (fits)
        return true;
    TRACE() << "records: " << count << ", bytes: " << bytes << ", physical memory: " << physical;
    const QString msg = tr("File too large to load! (%1 records need %2 MB of memory)")
                            .arg(count)
                            .arg((bytes + (1 << 20) - 1) >> 20);
    reportFailure(msg, msg);
    return false;
}

int BrenaTableModel::rowCount(const QModelIndex &parent) const
{
    Q_UNUSED(parent)
    return m_rowCount;
}

int BrenaTableModel::columnCount(const QModelIndex &parent) const
{
    Q_UNUSED(parent)
    return m_columnCount;
}

QVariant BrenaTableModel::displayText(const BrenaRecord &record, int column) const
{
    const quint8 layout = m_header.layoutByte();
    // Layout 1 keeps fields as stored; every other layout trims them.
    auto shaped = [layout](const QString &text) { return layout == 1 ? text : text.trimmed(); };
    switch (column) {
    case 0:
        return record.date().trimmed();
    case 1:
        return record.time();
    case 2:
        return shaped(record.channel());
    case FlagColumn:
        if (!showFlagSymbols)
            return shaped(record.flag());
        if (layout == 0)
            return getFlagText(record.flag().trimmed().toInt());
        if (layout == 1)
            return getFlagText(record.flag().remove(QLatin1Char(' ')).toInt());
        return QVariant();
    default:
        return shaped(record.value(column - 3));
    }
}

QVariant BrenaTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() < 0 || index.column() < 0 || index.row() >= m_rowCount
        || index.column() >= DataColumnCount)
        return QVariant();
    if (role == Qt::DisplayRole)
        return displayText(m_records[size_t(index.row())], index.column());
    if (index.column() != FlagColumn || !showFlagSymbols)
        return QVariant();
    switch (role) {
    case Qt::TextAlignmentRole:
        return int(Qt::AlignCenter);
    case Qt::FontRole:
        return QFont(QStringLiteral("DejaVu Sans"), 12, QFont::Bold, false);
    case Qt::ForegroundRole: {
        const QString text = index.model()->data(index, Qt::DisplayRole).toString();
        if (text == FlagValidSymbol)
            return FlagOkColor;
        if (text == FlagNotReadySymbol)
            return QVariant();
        return FlagBadColor;
    }
    default:
        return QVariant();
    }
}

QVariant BrenaTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return QVariant();
    if (orientation == Qt::Horizontal)
        return section >= 0 && section < m_headers.size() ? QVariant(m_headers.at(section)) : QVariant();
    return QStringLiteral("%1").arg(section + 1);
}

QStringList BrenaTableModel::getColumnNames() const
{
    return m_headers;
}

bool BrenaTableModel::isFlagOk(int flag) const
{
    return flag == 1;
}

QString BrenaTableModel::getFlagText(int flag) const
{
    switch (flag) {
    case 0:
        return FlagNotReadySymbol;
    case 1:
        return FlagValidSymbol;
    default:
        return FlagInvalidSymbol;
    }
}

void BrenaTableModel::updateQuery() {}
