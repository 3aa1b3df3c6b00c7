#include "readers/BrenaConfigParser.h"

#include "common/SqlUtil.h"
#include "common/Trace.h"
#include "common/UtcTime.h"
#include "database/DataSurplusWriter.h"
#include "tables/BrenaTableModel.h"

#include <QDataStream>
#include <QDomDocument>
#include <QDomElement>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <cmath>

namespace {

const QString kChannelFileName = QStringLiteral("MBD_M_RS.XML");
const QString kUnitsFileName = QStringLiteral("UNITS.XML");

int childInt(const QDomElement &element, const QString &name, bool *present)
{
    const QDomElement child = element.firstChildElement(name);
    *present = !child.isNull();
    return child.text().trimmed().toInt();
}

// Layout 0 trims a field at both ends, layout 1 drops every space in it.
QString shapedField(const QString &text, quint8 layout)
{
    if (layout == 1) {
        QString out = text;
        return out.remove(QLatin1Char(' '));
    }
    return text.trimmed();
}

} // namespace

BrenaConfigParser::BrenaConfigParser(QObject *parent)
    : QObject(parent)
{
}

BrenaConfigParser::~BrenaConfigParser()
{
    if (m_channelFile.isOpen())
        m_channelFile.close();
    if (m_unitsFile.isOpen())
        m_unitsFile.close();
}

void BrenaConfigParser::reportBoth(const QString &text)
{
    emit consoleMessage(text, 3);
    emit dialogMessage(text, QString(), 3);
}

bool BrenaConfigParser::openOne(QFile &file, const QString &path)
{
    if (file.isOpen())
        file.close();
    file.setFileName(path);
    if (file.open(QIODevice::ReadOnly))
        return true;
    reportBoth(tr("Unable to open file: ") + path);
    return false;
}

bool BrenaConfigParser::openFile(const QStringList &paths)
{
    TRACE_FUNC();
    for (const QString &path : paths) {
        if (path.contains(kChannelFileName, Qt::CaseInsensitive) && !openOne(m_channelFile, path))
            return false;
        if (path.contains(kUnitsFileName, Qt::CaseInsensitive) && !openOne(m_unitsFile, path))
            return false;
    }
    if (!m_channelFile.isOpen()) {
        emit dialogMessage(tr("Unable to open MBD_M_RS.XML file"), QString(), 3);
        return false;
    }
    return true;
}

QStringList BrenaConfigParser::readUnits(const QDomDocument &units) const
{
    QStringList list;
    const QDomNodeList elements = units.elementsByTagName(QStringLiteral("unit"));
    for (int i = 0; i < elements.size(); ++i) {
        // Each child holds one character as "U+<hex>"; comments are skipped.
        QString text(QLatin1String(""));
        for (QDomNode child = elements.at(i).firstChild(); !child.isNull(); child = child.nextSibling()) {
            if (child.isComment())
                continue;
            QString code;
            if (child.isText())
                code = child.toText().data();
            else
                for (QDomNode inner = child.firstChild(); !inner.isNull(); inner = inner.nextSibling())
                    if (inner.isText()) {
                        code = inner.toText().data();
                        break;
                    }
            code = code.trimmed();
            if (code.startsWith(QLatin1String("U+")))
                code.remove(0, 2);
            bool ok = false;
            const ushort unicode = code.toUShort(&ok, 16);
            if (ok)
                text += QChar(unicode);
        }
        list << text;
    }
    return list;
}

bool BrenaConfigParser::parseConfiguration(QSqlDatabase db, int deviceId)
{
    TRACE_FUNC() << deviceId;
    const QString invalidChannels = tr("Invalid channels file");
    QDomDocument channels;
    if (!m_channelFile.isOpen() || !m_channelFile.seek(0) || !channels.setContent(&m_channelFile)) {
        reportBoth(invalidChannels);
        return false;
    }
    QStringList units;
    if (m_unitsFile.isOpen()) {
        QDomDocument unitsDocument;
        m_unitsFile.seek(0);
        if (!unitsDocument.setContent(&m_unitsFile)) {
            reportBoth(tr("Invalid units file"));
            return false;
        }
        units = readUnits(unitsDocument);
    }

    m_parametersMap.clear();
    int total = 0;
    QSqlQuery insert(db);
    const bool prepared = deviceId == -1
                              ? insert.prepare(QStringLiteral("INSERT INTO Parameters (name, unit) VALUES (?, ?)"))
                              : insert.prepare(QStringLiteral(
                                  "INSERT INTO Parameters (idDevices, name, unit) VALUES (?, ?, ?)"));
    if (!prepared) {
        emit consoleMessage(sql::errorText(insert), 3);
        return false;
    }

    const QDomNodeList channelNodes = channels.elementsByTagName(QStringLiteral("Ch"));
    for (int i = 0; i < channelNodes.size(); ++i) {
        const QDomElement channel = channelNodes.at(i).toElement();
        bool hasSource = false;
        bool hasInput = false;
        bool hasCount = false;
        const int source = childInt(channel, QStringLiteral("ChSrc"), &hasSource);
        const int input = childInt(channel, QStringLiteral("AIn"), &hasInput);
        const int valueCount = childInt(channel, QStringLiteral("ValQ"), &hasCount);
        if (channel.isNull() || !hasSource || !hasInput || !hasCount) {
            reportBoth(invalidChannels);
            return false;
        }
        if (source < 1 || input < 1 || valueCount < 1)
            continue;

        QList<int> ids;
        for (QDomNode child = channel.firstChild(); !child.isNull() && ids.size() < valueCount;
             child = child.nextSibling()) {
            const QDomElement value = child.toElement();
            if (value.isNull() || value.tagName() != QLatin1String("ChV"))
                continue;
            const QString name = value.firstChildElement(QStringLiteral("ChValName")).text();
            const int unitIndex = value.firstChildElement(QStringLiteral("ChU")).text().trimmed().toInt();
            // Position 0 of the units file is never used.
            const QString unit = unitIndex >= 1 && unitIndex < units.size() ? units.at(unitIndex)
                                                                             : QString(QLatin1String(""));
            int column = 0;
            if (deviceId != -1)
                insert.bindValue(column++, deviceId);
            insert.bindValue(column++, name);
            insert.bindValue(column, unit);
            if (!insert.exec()) {
                emit consoleMessage(sql::errorText(insert), 3);
                return false;
            }
            bool ok = false;
            const int id = insert.lastInsertId().toInt(&ok);
            if (!ok) {
                emit consoleMessage(sql::errorText(insert), 3);
                return false;
            }
            ids.append(id);
            ++total;
        }
        m_parametersMap.insert(i, ids);
    }
    emit consoleMessage(tr("Active parameters: ") + QString::number(total), 0);
    return true;
}

QByteArray BrenaConfigParser::serializeParametersMap() const
{
    TRACE() << "serializeParametersMap()" << m_parametersMap;
    QByteArray blob;
    QDataStream out(&blob, QIODevice::WriteOnly);
    out << m_parametersMap;
    return blob;
}

void BrenaConfigParser::loadParametersMap(const QByteArray &blob)
{
    m_parametersMap.clear();
    if (!blob.isEmpty()) {
        QDataStream in(blob);
        in >> m_parametersMap;
        // A damaged blob gives no map rather than part of one.
        if (in.status() != QDataStream::Ok)
            m_parametersMap.clear();
    }
    TRACE() << "loadParametersMap()" << m_parametersMap;
}

bool BrenaConfigParser::convertData(QSqlDatabase db, BrenaTableModel *model)
{
    TRACE_FUNC();
    m_skippedRecords = 0;
    if (m_parametersMap.isEmpty())
        return false;
    emit consoleMessage(tr("Converting data"), 0);
    if (!model)
        return false;

    const std::vector<BrenaRecord> &records = model->records();
    const quint8 layout = model->layoutByte();
    if (!records.empty() && layout > 1)
        return false;

    // Before the transaction: what it writes goes with a rollback.
    DataSurplusWriter insert;
    if (!insert.begin(db)) {
        emit consoleMessage(insert.errorText(), 3);
        return false;
    }
    TransactionGuard transaction(db);
    if (!transaction.isActive()) {
        emit consoleMessage(transaction.errorText(), 3);
        return false;
    }

    const int count = int(records.size());
    int shownPercent = -1;
    int invalidTimes = 0;
    for (int r = 0; r < count; ++r) {
        if (m_cancelFlag && m_cancelFlag->loadAcquire() == 1)
            return false; // the guard rolls back
        const int percent = int(qint64(r) * 100 / count);
        if (percent != shownPercent) {
            shownPercent = percent;
            emit fillDataProgressChanged(percent);
        }

        const BrenaRecord &record = records.at(r);
        bool ok = false;
        const int channel = shapedField(record.channel(), layout).toInt(&ok);
        const auto ids = m_parametersMap.constFind(ok ? channel - 1 : -1);
        if (ids == m_parametersMap.constEnd() || ids->isEmpty())
            continue;

        qint64 msecs = 0;
        if (!utc::parseMsecs(record.date(), QStringLiteral("yyyy-MM-dd"), record.time(), QStringLiteral("HH:mm:ss"),
                             &msecs)) {
            ++invalidTimes;
            continue;
        }
        // Status 0 is a good value, 1 a not-ready one; anything else,
        // including a status that is no number, is invalid.
        bool statusOk = false;
        const int status = shapedField(record.flag(), layout).toInt(&statusOk);
        const int statusFlag = !statusOk ? 2 : status == 0 ? 1 : status == 1 ? 0 : 2;

        for (int k = 0; k < ids->size(); ++k) {
            bool valueOk = false;
            double value = shapedField(record.value(k + 1), layout).toDouble(&valueOk);
            int flag = statusFlag;
            if (!valueOk || !std::isfinite(value)) {
                // No number to store: kept as an invalid 0.
                value = 0.0;
                flag = 2;
            }
            if (insert.add(ids->at(k), value, flag, msecs) == DataSurplusWriter::Failed) {
                TRACE() << "INSERT INTO Data" << ", " << insert.errorText();
                emit consoleMessage(insert.errorText(), 3);
                return false;
            }
        }
    }
    if (invalidTimes > 0)
        emit consoleMessage(tr("Records with an invalid date or time skipped: ") + QString::number(invalidTimes), 2);
    if (!transaction.commit()) {
        emit consoleMessage(transaction.errorText(), 3);
        return false;
    }
    m_skippedRecords = invalidTimes;
    return true;
}
