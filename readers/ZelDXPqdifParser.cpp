#include "readers/ZelDXPqdifParser.h"

#include "common/CancelWatch.h"
#include "common/ProgressDialog.h"
#include "common/SqlUtil.h"
#include "common/Trace.h"
#include "database/DataSurplusWriter.h"
#include "pqdif/PqdifFile.h"
#include "readers/PqdifParameterNames.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QVariant>

#include <cmath>
#include <limits>
#include <vector>

namespace {

constexpr int kZelDXType = 19;
constexpr int kNameLength = 80;
constexpr int kUnitLength = 10;

// Series value types that the analysers write for series that are not
// measurements of the channel.
const PqdifGuid kLeftOutValueTypes[] = {
    PqdifGuid::fromString("2A310A59-3CF5-4BC6-B1B4-2602005C00C2"),
    PqdifGuid::fromString("5FD423AA-DE44-4A13-BF5B-AF9621BC6FFA"),
};

const char kViewStatement[] =
    "CREATE VIEW DataConnected AS SELECT strftime('%Y-%m-%d %H:%M:%f', Data.dateTime / 1000.0, 'unixepoch') AS "
    "dateTime, Devices.name AS deviceName, Parameters.name AS name, Data.value AS value, Parameters.unit AS unit, "
    "Data.flag AS flag, Data.observationId AS observationId FROM Data LEFT JOIN Parameters ON Data.idParameters = "
    "Parameters.id LEFT JOIN Devices ON Parameters.idDevices = Devices.id";

// Daily files of a real analyser hold well over a thousand series without
// values: past the cap only their number is told.
const char *const kNoData = QT_TRANSLATE_NOOP("ZelDXPqdifParser", "Series %1/%2 has no data.");
const char *const kNoTimes = QT_TRANSLATE_NOOP("ZelDXPqdifParser", "Series %1/%2 has no timestamps.");
const char *const kNoDataMore = QT_TRANSLATE_NOOP("ZelDXPqdifParser", "Series without data: %1 more not listed.");
const char *const kNoTimesMore =
    QT_TRANSLATE_NOOP("ZelDXPqdifParser", "Series without timestamps: %1 more not listed.");

QString fromUtf8Trimmed(const std::string &s)
{
    return QString::fromUtf8(s.data(), static_cast<int>(s.size())).trimmed();
}

// The observation's own number when it carries a usable one.
bool observationSerial(const CPQDIF_R_Observation &obs, qint64 *out)
{
    const CPQDIF_Element *e = obs.GetObservationExtendedData(pqdif::tagObservationSerial);
    const CPQDIF_E_Scalar *s = e ? e->AsScalar() : nullptr;
    if (!s)
        return false;
    double v = 0;
    switch (s->GetPhysicalType()) {
    case ID_PHYS_TYPE_INTEGER1:
    case ID_PHYS_TYPE_INTEGER2:
    case ID_PHYS_TYPE_INTEGER4:
    case ID_PHYS_TYPE_UNS_INTEGER1:
    case ID_PHYS_TYPE_UNS_INTEGER2:
    case ID_PHYS_TYPE_UNS_INTEGER4:
    case ID_PHYS_TYPE_REAL4:
    case ID_PHYS_TYPE_REAL8:
        if (!s->GetValueAsReal(v) || !std::isfinite(v) || std::fabs(v) > 9e15)
            return false;
        break;
    default:
        return false;
    }
    const qint64 n = pqdif::roundHalfAway(v);
    if (n < 1)
        return false;
    *out = n;
    return true;
}

quint32 definitionScalar(const CPQDIF_E_Collection *defn, const PqdifGuid &tag)
{
    const CPQDIF_E_Scalar *s = defn ? defn->FindScalar(tag) : nullptr;
    uint32_t v = 0;
    return (s && s->GetValueAsUINT4(v)) ? v : 0;
}

} // namespace

// The prepared statements of one import.
struct ZelDXPqdifParser::Statements
{
    explicit Statements(QSqlDatabase db)
        : deviceSelect(db)
        , deviceInsert(db)
        , parameterSelect(db)
        , parameterInsert(db)
        , lastId(db)
    {
    }
    bool prepare()
    {
        return deviceSelect.prepare(QStringLiteral("SELECT id FROM Devices WHERE name = :name"))
               && deviceInsert.prepare(QStringLiteral("INSERT INTO Devices (name, type) VALUES (:name, :type)"))
               // NULL and '' are one unit: rows written by other code may hold either.
               && parameterSelect.prepare(QStringLiteral("SELECT id FROM Parameters WHERE idDevices = :deviceId AND "
                                                         "name = :name AND IFNULL(unit, '') = :unit"))
               && parameterInsert.prepare(QStringLiteral(
                   "INSERT INTO Parameters (idDevices, name, unit) VALUES (:deviceId, :name, :unit)"))
               && lastId.prepare(QStringLiteral("SELECT last_insert_rowid()"));
    }
    QSqlQuery deviceSelect, deviceInsert, parameterSelect, parameterInsert, lastId;
    // Samples already stored (the same file imported again) are not added twice.
    DataSurplusWriter data;
};

// One series of an observation that has rows to write.
struct ZelDXPqdifParser::PendingSeries
{
    long channel = 0;
    long series = 0;
    pqdifnames::SeriesLabel label;
    QString unit;
    QVector<double> values;
    QVector<qint64> times; // same length; -1 for a sample without a value or time
};

ZelDXPqdifParser::ZelDXPqdifParser(ProgressDialog *progress, QAtomicInteger<char> *cancelFlag, QObject *parent)
    : QObject(parent)
    , m_progress(progress)
    , m_cancelFlag(cancelFlag)
{
}

ZelDXPqdifParser::~ZelDXPqdifParser() = default;

void ZelDXPqdifParser::setDeviceInfo(int deviceId, QString deviceName)
{
    m_forcedDeviceId = deviceId;
    m_forcedDeviceName = std::move(deviceName);
}

bool ZelDXPqdifParser::openFile(QString path)
{
    if (!path.isEmpty() && QFileInfo(path).isFile()) {
        m_path = path;
        return true;
    }
    dialog(tr("File does not exist."), 3);
    emit consoleMessage(tr("PQDIF file not found: %1").arg(path), 3);
    return false;
}

bool ZelDXPqdifParser::cancelled() const
{
    return m_cancelFlag && m_cancelFlag->loadRelaxed() == 1;
}

bool ZelDXPqdifParser::fail(const QString &dialogText, const QSqlQuery *failed)
{
    // A statement stopped by the cancel fails as "interrupted": that is the
    // user's cancel, not a fault of the database.
    if (cancelled()) {
        emit consoleMessage(tr("Data import was canceled."), 2);
        return false;
    }
    if (failed)
        emit consoleMessage(failed->lastError().text(), 3);
    dialog(dialogText, 3);
    return false;
}

bool ZelDXPqdifParser::readHeaders(CPQDIF_PC_FlatFile &controller)
{
    // The whole file is read and checked before the first record: a large
    // one takes a while, and a cancel stops it.
    controller.SetCancelCheck([this]() { return cancelled(); });
    bool ok = false;
    if (m_path.startsWith(QLatin1Char(':'))) {
        // A built-in example lives in the program's resources, out of reach of
        // a file name.
        QFile file(m_path);
        if (file.open(QIODevice::ReadOnly)) {
            const QByteArray image = file.readAll();
            ok = controller.ReadHeadersFromMemory(reinterpret_cast<const uint8_t *>(image.constData()),
                                                  static_cast<size_t>(image.size()));
        }
    } else {
        controller.SetFileName(QDir::toNativeSeparators(m_path).toLocal8Bit().constData());
        ok = controller.ReadHeaders();
    }
    if (!ok)
        TRACE() << "PQDIF read failed:" << m_path << QString::fromStdString(controller.GetLastError());
    for (const std::string &w : controller.GetWarnings())
        TRACE() << "PQDIF:" << QString::fromStdString(w);
    return ok;
}

bool ZelDXPqdifParser::parseFile(QSqlDatabase db, int *count)
{
    TRACE_FUNC() << m_path;
    m_seriesWarnings.reset();
    // The counts of held-back warnings end the read, whichever way it ends.
    struct CountsAtEnd
    {
        ZelDXPqdifParser &reader;
        ~CountsAtEnd() { reader.sendSeriesWarningCounts(); }
    } countsAtEnd{*this};
    if (count)
        *count = 0;
    if (m_path.isEmpty()) {
        dialog(tr("No file selected."), 2);
        return false;
    }
    if (!db.isValid() || !db.isOpen()) {
        dialog(tr("Database is not opened."), 3);
        return false;
    }
    std::unique_ptr<CPQDIF_PC_FlatFile> controller(theFactory.NewPersistController(CPQDIF_Factory::PersistFlatFile));
    if (!controller) {
        dialog(tr("Unable to initialize PQDIF controller."), 3);
        return false;
    }
    if (!readHeaders(*controller)) {
        if (controller->IsCancelled())
            emit consoleMessage(tr("Data import was canceled."), 2);
        else
            dialog(tr("Failed to read PQDIF headers."), 3);
        return false;
    }

    m_sql = std::make_unique<Statements>(db);
    struct Release
    {
        std::unique_ptr<Statements> &sql;
        ~Release() { sql.reset(); }
    } release{m_sql};
    // Outside the transaction, which its rollback must not undo.
    if (!m_sql->prepare() || !m_sql->data.begin(db)) {
        // Not a database with the measurement tables.
        emit consoleMessage(m_sql->data.errorText().isEmpty() ? db.lastError().text() : m_sql->data.errorText(), 3);
        dialog(tr("Unable to start transaction."), 3);
        return false;
    }
    TransactionGuard transaction(db);
    if (!transaction.isActive()) {
        dialog(tr("Unable to start transaction."), 3);
        emit consoleMessage(transaction.errorText(), 3);
        return false;
    }

    // Entries stay for the whole import: each keeps its own parameter cache.
    std::vector<std::unique_ptr<DataSourceEntry>> sources;
    DataSourceEntry *current = nullptr;
    const CPQDIFRecord *settings = nullptr;
    qint64 handled = 0;
    qint64 samples = 0;
    m_matched = 0;
    const long records = controller->GetCountRecords();
    // Whole percents of the records: the window needs its maximum before the
    // first value, or that value would close it.
    if (m_progress)
        ProgressDialog::postMaximum(m_progress, 100);
    emit progressValueChanged(0);
    int lastProgress = 0;
    for (long i = 0; i < records; ++i) {
        if (cancelled()) {
            emit consoleMessage(tr("Data import was canceled."), 2);
            return false;
        }
        const CPQDIFRecord *record = controller->GetRecord(i);
        if (!record)
            continue;
        const PqdifGuid &tag = record->GetTag();
        if (tag == pqdif::tagRecDataSource) {
            PqdifGuid type, vendor, equipment;
            std::string serial, version, name, owner, location, zone;
            static_cast<const CPQDIF_R_DataSource *>(record)->GetInfo(type, vendor, equipment, serial, version, name,
                                                                      owner, location, zone);
            auto entry = std::make_unique<DataSourceEntry>();
            entry->record = record;
            entry->name = fromUtf8Trimmed(name);
            if (!m_forcedDeviceName.isEmpty())
                entry->name = m_forcedDeviceName;
            else if (entry->name.isEmpty())
                entry->name = QFileInfo(m_path).completeBaseName();
            if (m_forcedDeviceId > 0)
                entry->deviceId = m_forcedDeviceId;
            if (!getOrCreateDevice(*entry, db))
                return false;
            emit consoleMessage(tr("Using data source: %1").arg(entry->name), 0);
            sources.push_back(std::move(entry));
            current = sources.back().get();
            settings = nullptr;
        } else if (tag == pqdif::tagRecMonitorSettings) {
            settings = record;
        } else if (tag == pqdif::tagRecObservation) {
            if (!current) {
                emit consoleMessage(tr("Observation without data source skipped."), 2);
                continue;
            }
            const bool ok = importObservation(record, *current, settings, db, &samples, handled);
            ++handled;
            if (!ok)
                return false;
        }
        const int progress = int(qMin<qint64>(100, (qint64(i) + 1) * 100 / records));
        if (progress != lastProgress) {
            lastProgress = progress;
            emit progressValueChanged(progress);
        }
    }

    sendSeriesWarningCounts();

    // Up to the commit a cancel is one: nothing of the file stays. After it
    // the file is stored, whatever the flag says by then.
    if (cancelled()) {
        emit consoleMessage(tr("Data import was canceled."), 2);
        return false;
    }
    QSqlQuery view(db);
    view.exec(QStringLiteral("DROP VIEW IF EXISTS DataConnected"));
    if (!view.exec(QLatin1String(kViewStatement)))
        return fail(tr("Failed to prepare data view."), &view);
    {
        // Moving millions of rows from the log into the file takes about as
        // long as the commit, and inside the commit nothing stops it: it
        // follows the commit, where a cancel can.
        const DeferredCheckpoint deferred(db);
        if (!transaction.commit()) {
            // A commit the cancel stopped took the file back whole.
            if (cancelled()) {
                emit consoleMessage(tr("Data import was canceled."), 2);
                return false;
            }
            dialog(tr("Failed to commit transaction."), 3);
            emit consoleMessage(transaction.errorText(), 3);
            return false;
        }
    }
    checkpointUnlessCancelled(db, m_cancelFlag);
    if (count)
        *count = int(qMin<qint64>(samples, std::numeric_limits<int>::max()));
    emit consoleMessage(tr("Imported PQDIF samples: %1").arg(samples), 1);
    if (m_matched > 0)
        emit consoleMessage(tr("Samples already stored, not added again: %1").arg(m_matched), 1);
    return true;
}

bool ZelDXPqdifParser::getOrCreateDevice(DataSourceEntry &entry, QSqlDatabase db)
{
    Q_UNUSED(db);
    if (entry.deviceId > 0)
        return true;
    QSqlQuery &select = m_sql->deviceSelect;
    select.bindValue(QStringLiteral(":name"), entry.name);
    if (!select.exec()) {
        if (!cancelled())
            emit consoleMessage(select.lastError().text(), 2);
    } else if (select.next()) {
        entry.deviceId = select.value(0).toInt();
        select.finish();
        return true;
    }
    select.finish();

    QSqlQuery &insert = m_sql->deviceInsert;
    insert.bindValue(QStringLiteral(":name"), entry.name);
    insert.bindValue(QStringLiteral(":type"), kZelDXType);
    if (!insert.exec())
        return fail(tr("Failed to add device entry."), &insert);
    QSqlQuery &last = m_sql->lastId;
    if (!last.exec())
        return fail(tr("Failed to obtain device identifier."), &last);
    if (!last.next())
        return fail(tr("Invalid device identifier."));
    entry.deviceId = last.value(0).toInt();
    last.finish();
    return entry.deviceId > 0;
}

bool ZelDXPqdifParser::getOrCreateParameter(DataSourceEntry &entry, const QString &key, QString name, QString unit,
                                            QSqlDatabase db, int *id)
{
    Q_UNUSED(db);
    const auto cached = entry.parameters.constFind(key);
    if (cached != entry.parameters.constEnd()) {
        *id = cached.value();
        return true;
    }
    name = name.left(kNameLength);
    // Never a null text: a NULL unit is not the same value as '' to SQL.
    unit = unit.isNull() ? QStringLiteral("") : unit.left(kUnitLength);

    QSqlQuery &select = m_sql->parameterSelect;
    select.bindValue(QStringLiteral(":deviceId"), entry.deviceId);
    select.bindValue(QStringLiteral(":name"), name);
    select.bindValue(QStringLiteral(":unit"), unit);
    if (!select.exec()) {
        if (!cancelled())
            emit consoleMessage(select.lastError().text(), 2);
    } else if (select.next()) {
        *id = select.value(0).toInt();
        select.finish();
        entry.parameters.insert(key, *id);
        return true;
    }
    select.finish();

    QSqlQuery &insert = m_sql->parameterInsert;
    insert.bindValue(QStringLiteral(":deviceId"), entry.deviceId);
    insert.bindValue(QStringLiteral(":name"), name);
    insert.bindValue(QStringLiteral(":unit"), unit);
    if (!insert.exec())
        return fail(tr("Failed to add parameter."), &insert);
    QSqlQuery &last = m_sql->lastId;
    if (!last.exec())
        return fail(tr("Failed to obtain parameter identifier."), &last);
    if (!last.next())
        return fail(tr("Invalid parameter identifier."));
    *id = last.value(0).toInt();
    last.finish();
    entry.parameters.insert(key, *id);
    return true;
}

void ZelDXPqdifParser::collectChannel(const CPQDIF_R_Observation &obs, long c, const DataSourceEntry &dataSource,
                                      QVector<PendingSeries> &out)
{
    const auto *source = static_cast<const CPQDIF_R_DataSource *>(dataSource.record);
    std::string rawName;
    uint32_t phase = 0, measured = 0;
    PqdifGuid quantityType;
    obs.GetChannelInfo(c, rawName, phase, quantityType, measured);
    QString channelName = fromUtf8Trimmed(rawName);
    if (channelName.isEmpty())
        channelName = QStringLiteral("Channel %1").arg(c + 1);
    long defnIdx = -1;
    if (!obs.GetChannelDefnIdx(c, defnIdx))
        defnIdx = -1;
    int harmonic = -1;
    const long seriesCount = obs.GetCountSeries(c);

    // The first series of a type the analysers mark as not a measurement.
    long leftOut = -1;
    for (long s = 0; s < seriesCount && leftOut < 0; ++s) {
        uint32_t units = 0;
        PqdifGuid valueType, characteristic;
        if (!obs.GetSeriesInfo(c, s, units, valueType, characteristic))
            continue;
        for (const PqdifGuid &g : kLeftOutValueTypes)
            if (valueType == g)
                leftOut = s;
    }

    // Series 0 as the channel's time axis.
    QVector<qint64> channelTimes;
    bool hasChannelTimes = false;
    if (const CPQDIF_E_Vector *axis = seriesCount > 0 ? obs.GetSeriesValues(c, 0) : nullptr) {
        uint32_t units = 0;
        PqdifGuid valueType, characteristic;
        obs.GetSeriesInfo(c, 0, units, valueType, characteristic);
        const long n = axis->GetCount();
        PqdifTimeStamp start;
        if (n > 0 && axis->GetPhysicalType() == ID_PHYS_TYPE_REAL8 && units != pqdif::ID_QU_CYCLES
            && obs.GetStartTime(start) && start.day != pqdif::kNoTimeDay) {
            // Cycles need the power frequency: the layer's resolved times do that.
            const double startSeconds = pqdif::timeStampToUnixSeconds(start);
            channelTimes.resize(int(n));
            hasChannelTimes = true;
            for (long j = 0; j < n && hasChannelTimes; ++j) {
                double v = 0;
                if (!axis->GetValueREAL8(j, v) && !axis->GetValue(j, v))
                    hasChannelTimes = false;
                else if (!std::isfinite(v))
                    hasChannelTimes = false;
                else
                    channelTimes[int(j)] = pqdif::roundHalfAway((startSeconds + v) * 1000.0);
            }
        } else if (n > 0 && axis->GetPhysicalType() == ID_PHYS_TYPE_TIMESTAMPPQDIF) {
            channelTimes.resize(int(n));
            hasChannelTimes = true;
            for (long j = 0; j < n && hasChannelTimes; ++j) {
                PqdifTimeStamp ts;
                qint64 ms = -1;
                if (axis->GetValueTimeStamp(j, ts))
                    ms = pqdif::timeStampToMSecs(ts);
                if (ms < 0)
                    hasChannelTimes = false;
                else
                    channelTimes[int(j)] = ms;
            }
        }
        if (!hasChannelTimes)
            channelTimes.clear();
    }

    // The harmonic order, where the analyser gives one (the group id).
    if (const CPQDIF_E_Collection *inst = [&]() -> const CPQDIF_E_Collection * {
            const CPQDIF_E_Collection *instances = obs.GetMainCollection()->FindCollection(pqdif::tagChannelInstances);
            return instances ? instances->FindCollection(pqdif::tagOneChannelInst, c) : nullptr;
        }()) {
        double g = 0;
        const CPQDIF_E_Scalar *s = inst->FindScalar(pqdif::tagChannelGroupID);
        if (s && s->GetValueAsReal(g) && g >= 0 && g < 1e6)
            harmonic = int(g);
    }

    for (long s = 0; s < seriesCount; ++s) {
        if (s == leftOut)
            continue;
        uint32_t units = 0;
        PqdifGuid valueType, characteristic;
        obs.GetSeriesInfo(c, s, units, valueType, characteristic);
        SeriesUnitInfo unitInfo;
        unitInfo.unitsCode = units;
        if (source && defnIdx >= 0) {
            uint32_t dsUnits = 0, storage = 0;
            PqdifGuid dsValueType, dsCharacteristic;
            if (source->GetSeriesDefnInfo(defnIdx, s, dsUnits, dsValueType, dsCharacteristic, storage)
                && dsUnits != 0)
                unitInfo.unitsCode = dsUnits;
            const CPQDIF_E_Collection *defn = source->GetOneSeriesDefn(defnIdx, s);
            unitInfo.prefixCode = definitionScalar(defn, pqdif::tagHintGreekPrefixID);
            unitInfo.displayCode = definitionScalar(defn, pqdif::tagHintPreferredUnitsID);
        }
        const char *unitName = theInfo.GetNameOfID(pqdif::tagQuantityUnitsID, unitInfo.unitsCode);
        const QString unit = unitFor(unitName ? QString::fromLatin1(unitName) : QString(), unitInfo);

        // Time axes are not measurements.
        if ((s == 0 && hasChannelTimes) || unitInfo.unitsCode == pqdif::ID_QU_SECONDS
            || valueType == pqdif::ID_SERIES_VALUE_TYPE_TIME)
            continue;

        const CPQDIF_E_Vector *vector = obs.GetSeriesValues(c, s);
        if (!vector)
            continue;
        const long n = vector->GetCount();
        if (n < 1) {
            warnSeries(kNoData, c, s);
            continue;
        }
        double scale = 1.0, offset = 0.0;
        obs.GetSeriesScale(c, s, scale, offset);
        PendingSeries p;
        p.values.resize(int(n));
        p.times.fill(-1, int(n));
        // An unreadable value leaves its sample out; the others keep their times.
        QVector<bool> readable(int(n), false);
        int kept = 0;
        for (long j = 0; j < n; ++j) {
            double v = 0;
            if (vector->GetValueREAL8(j, v) || vector->GetValue(j, v)) {
                p.values[int(j)] = v * scale + offset;
                readable[int(j)] = true;
                ++kept;
            }
        }
        if (kept == 0) {
            warnSeries(kNoData, c, s);
            continue;
        }

        QVector<qint64> times = channelTimes;
        if (!hasChannelTimes) {
            std::unique_ptr<CPQDIF_E_Vector> resolved(obs.NewResolvedSeriesTimeStamp(c, s, false));
            const long m = resolved ? resolved->GetCount() : 0;
            times.resize(int(m));
            for (long j = 0; j < m; ++j) {
                PqdifTimeStamp ts;
                times[int(j)] = resolved->GetValueTimeStamp(j, ts) ? pqdif::timeStampToMSecs(ts) : -1;
            }
        }
        if (times.isEmpty()) {
            warnSeries(kNoTimes, c, s);
            continue;
        }
        const int rows = qMin(int(n), times.size());
        bool any = false;
        for (int j = 0; j < rows; ++j) {
            if (readable[j] && times[j] >= 0) {
                p.times[j] = times[j];
                any = true;
            }
        }
        if (!any) {
            warnSeries(kNoTimes, c, s);
            continue;
        }
        p.values.resize(rows);
        p.times.resize(rows);
        p.channel = c;
        p.series = s;
        p.unit = unit;
        p.label.channel = channelName;
        p.label.phase = pqdifnames::phaseName(phase);
        p.label.harmonic = harmonic;
        p.label.valueType = pqdifnames::valueTypeName(valueType);
        out.append(std::move(p));
    }
}

void ZelDXPqdifParser::warnSeries(const char *source, long channel, long series)
{
    if (m_seriesWarnings.admit(source, 2))
        emit consoleMessage(tr(source).arg(QString::number(channel + 1), QString::number(series + 1)), 2);
}

void ZelDXPqdifParser::sendSeriesWarningCounts()
{
    for (const readers::MessageCap::Kind &k : m_seriesWarnings.takeOverflow()) {
        const char *summary = qstrcmp(k.source, kNoData) == 0 ? kNoDataMore : kNoTimesMore;
        emit consoleMessage(tr(summary).arg(k.suppressed()), k.icon);
    }
}

bool ZelDXPqdifParser::importObservation(const CPQDIFRecord *observation, DataSourceEntry &dataSource,
                                         const CPQDIFRecord *settings, QSqlDatabase db, qint64 *samples,
                                         qint64 handled)
{
    std::unique_ptr<CPQDIF_R_Observation> obs(
        settings ? theFactory.NewObservationWrapper2(observation, dataSource.record, settings)
                 : theFactory.NewObservationWrapper(observation, dataSource.record));
    if (!obs)
        return fail(tr("Failed to create observation wrapper."));
    const long channels = obs->GetCountChannels();
    if (channels < 1)
        return true;
    qint64 number = handled + 1;
    observationSerial(*obs, &number);

    // Every series with rows is read first: names are made for the whole
    // observation, so that series alike in name are told apart.
    QVector<PendingSeries> pending;
    for (long c = 0; c < channels; ++c) {
        if (cancelled()) {
            emit consoleMessage(tr("Data import was canceled."), 2);
            return false;
        }
        collectChannel(*obs, c, dataSource, pending);
    }
    QVector<pqdifnames::SeriesLabel> labels;
    labels.reserve(pending.size());
    for (const PendingSeries &p : pending)
        labels.append(p.label);
    const QStringList names = pqdifnames::parameterNames(labels, number, kNameLength);

    DataSurplusWriter &insert = m_sql->data;
    for (int k = 0; k < pending.size(); ++k) {
        if (cancelled()) {
            emit consoleMessage(tr("Data import was canceled."), 2);
            return false;
        }
        const PendingSeries &p = pending[k];
        // One pass: a '%' in a name from the file must not reach the other fields.
        const QString key = QStringLiteral("%1|%2|%3|%4")
                                .arg(names[k], p.unit, QString::number(p.series), QString::number(number));
        int parameterId = -1;
        if (!getOrCreateParameter(dataSource, key, names[k], p.unit, db, &parameterId))
            return false;
        for (int j = 0; j < p.values.size(); ++j) {
            // A waveform series may hold millions of samples.
            if ((j & 0xfff) == 0xfff && cancelled()) {
                emit consoleMessage(tr("Data import was canceled."), 2);
                return false;
            }
            if (p.times[j] < 0)
                continue;
            switch (insert.add(parameterId, p.values[j], 0, p.times[j], number)) {
            case DataSurplusWriter::Added:
                ++*samples;
                break;
            case DataSurplusWriter::Matched:
                ++m_matched;
                break;
            case DataSurplusWriter::Failed:
                if (!cancelled())
                    emit consoleMessage(insert.errorText(), 3);
                return fail(tr("Failed to insert measurement."));
            }
        }
    }
    return true;
}

// ---------------------------------------------------------------------------
// Units

QString ZelDXPqdifParser::unitFor(const QString &unitText, const SeriesUnitInfo &info)
{
    QString u = normalizeUnit(unitText);
    if (u.isEmpty() && info.unitsCode != 0) {
        u = normalizeUnit(quantityUnitSymbol(info.unitsCode));
        if (u.isEmpty()) {
            // An identifier's own name is no unit.
            const QString t = unitText.trimmed();
            if (!t.startsWith(QLatin1String("ID_"), Qt::CaseInsensitive))
                u = t;
        }
    }
    // The greek prefix and preferred-units hints say how a viewer should show
    // the values; the values themselves stay in the base unit, and so does
    // the stored unit.
    return u.isNull() ? QStringLiteral("") : u;
}

QString ZelDXPqdifParser::normalizeUnit(const QString &text)
{
    const QString t = text.trimmed();
    if (t.startsWith(QLatin1String("ID_"), Qt::CaseInsensitive))
        return QStringLiteral("");
    static const struct
    {
        const char *name;
        const char *symbol;
    } table[] = {
        {"Volts", "V"},     {"Amps", "A"},          {"Watts", "W"},   {"Vars", "var"},
        {"Vahours", "VAh"}, {"Watthours", "Wh"},    {"Wh", "Wh"},     {"Varhours", "varh"},
        {"Hertz", "Hz"},    {"Percent", "%"},       {"Celsius", "degC"},
    };
    for (const auto &e : table)
        if (t.compare(QLatin1String(e.name), Qt::CaseInsensitive) == 0)
            return QLatin1String(e.symbol);
    return t;
}

QString ZelDXPqdifParser::quantityUnitSymbol(quint32 unitsCode)
{
    switch (unitsCode) {
    case 2: return QStringLiteral("s");
    case 6: return QStringLiteral("V");
    case 7: return QStringLiteral("A");
    case 8: return QStringLiteral("VA");
    case 9: return QStringLiteral("W");
    case 10: return QStringLiteral("var");
    case 11: return QStringLiteral("Ohm");
    case 12: return QStringLiteral("S");
    case 13: return QStringLiteral("V/A");
    case 14: return QStringLiteral("J");
    case 15: return QStringLiteral("Hz");
    case 16: return QStringLiteral("degC");
    case 17: return QStringLiteral("deg");
    case 18: return QStringLiteral("dB");
    case 19: return QStringLiteral("%");
    case 20: return QStringLiteral("pu");
    case 21: return QStringLiteral("samples");
    default: return QStringLiteral("");
    }
}

QString ZelDXPqdifParser::siPrefixSymbol(quint32 prefixCode)
{
    static const char *const prefixes[] = {"", "f", "p", "n", "u", "m", "", "k", "M", "G", "T", "P"};
    return prefixCode < sizeof prefixes / sizeof prefixes[0] ? QLatin1String(prefixes[prefixCode])
                                                             : QStringLiteral("");
}

bool ZelDXPqdifParser::isRelativeUnit(const QString &unit)
{
    const QString u = unit.toLower();
    return u == QLatin1String("%") || u == QLatin1String("pu");
}
