#include "tables/BrenaTableModel.h"

#include "common/Trace.h"

#include <QColor>
#include <QFile>
#include <QFont>

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
    if (m_rowCount != 0 || m_columnCount != 0 || !m_records.isEmpty()) {
        beginResetModel();
        m_records.clear();
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

    m_records.clear();
    const QString corrupted = tr("Error while reading data! (File corrupted)");
    // The count comes from the file: check it against the file's length
    // before reading, and grow the list only by records actually read.
    const quint64 count = m_header.recordCount();
    const quint64 needed = quint64(BrenaFileHeader::HeaderLength) + count * quint64(BrenaRecord::Size);
    if (quint64(file.size()) < needed || !file.seek(BrenaFileHeader::HeaderLength)) {
        reportFailure(corrupted, corrupted);
        return false;
    }

    BrenaRecord record;
    for (quint64 i = 0; i < count; ++i) {
        if (file.read(record.bytes.data(), BrenaRecord::Size) != BrenaRecord::Size) {
            reportFailure(corrupted, corrupted);
            return false;
        }
        if (!record.isSkipped())
            m_records.append(record);
    }

    beginResetModel();
    m_columnCount = DataColumnCount;
    m_rowCount = m_records.size();
    endResetModel();
    reportConsole(tr("Read records:") + QLatin1Char(' ') + QString::number(m_rowCount), 0);
    return true;
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
        return displayText(m_records.at(index.row()), index.column());
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
