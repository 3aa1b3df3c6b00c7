#include "reports/AbstractReportModel.h"

#include "app/Framework.h"
#include "common/PaletteContrast.h"
#include "common/SqlUtil.h"
#include "common/Trace.h"

#include <QDateTime>
#include <QSqlError>
#include <QSqlQuery>

// Light themes take the darker set, dark themes the lighter one.
const QStringList AbstractReportModel::lightPalette = {
    QStringLiteral("#CC2400"), QStringLiteral("#A47200"), QStringLiteral("#267C08"), QStringLiteral("#0063C0"),
    QStringLiteral("#0C1E82"), QStringLiteral("#69007D"), QStringLiteral("#C11003"), QStringLiteral("#006355"),
    QStringLiteral("#0089A1"), QStringLiteral("#2D4A58"), QStringLiteral("#462215"), QStringLiteral("#CC6500"),
    QStringLiteral("#340784"), QStringLiteral("#8D1E00"), QStringLiteral("#D07000"), QStringLiteral("#053B0B"),
    QStringLiteral("#00473C"), QStringLiteral("#002C69"), QStringLiteral("#190858"), QStringLiteral("#850000"),
    QStringLiteral("#002D25"), QStringLiteral("#1E2C33"), QStringLiteral("#281613"), QStringLiteral("#152061")};

const QStringList AbstractReportModel::darkPalette = {
    QStringLiteral("#FF784E"), QStringLiteral("#DDC44D"), QStringLiteral("#74C758"), QStringLiteral("#5CA7F7"),
    QStringLiteral("#6E82D6"), QStringLiteral("#B642CB"), QStringLiteral("#F66055"), QStringLiteral("#00ADA0"),
    QStringLiteral("#00D9F7"), QStringLiteral("#8EABC1"), QStringLiteral("#A17361"), QStringLiteral("#FFB02E"),
    QStringLiteral("#925FE8"), QStringLiteral("#D65731"), QStringLiteral("#FFB938"), QStringLiteral("#399645"),
    QStringLiteral("#00A794"), QStringLiteral("#6CA0FF"), QStringLiteral("#8A73FF"), QStringLiteral("#E43435"),
    QStringLiteral("#006F5F"), QStringLiteral("#596C7A"), QStringLiteral("#68423B"), QStringLiteral("#4456B8")};

AbstractReportModel::AbstractReportModel(QSqlDatabase db, QObject *parent)
    : MyAbstractSqlModel(db, parent)
{
    TRACE_FUNC();
    construct(DEVICE_UNDEFINED);
}

AbstractReportModel::AbstractReportModel(QSqlDatabase db, avaibleDevices_t deviceType, QObject *parent)
    : MyAbstractSqlModel(db, parent)
{
    TRACE_FUNC();
    construct(deviceType);
}

AbstractReportModel::AbstractReportModel(QSqlDatabase db, FiltersCfg filtersCfg, avaibleDevices_t deviceType,
                                         QObject *parent)
    : MyAbstractSqlModel(db, parent)
    , filtersCfg(std::move(filtersCfg))
{
    TRACE_FUNC();
    construct(deviceType);
}

AbstractReportModel::~AbstractReportModel()
{
    delete reportQuery;
    TRACE() << "AbstractReportModel destroy";
}

void AbstractReportModel::construct(avaibleDevices_t type)
{
    deviceType = type;
    // Not virtual here: a subclass is not built yet.
    AbstractReportModel::initCommon();
}

void AbstractReportModel::init()
{
    initCommon();
}

void AbstractReportModel::initCommon()
{
    dateTimeFormat = getDateTimeFormat();
    timeFormat = QStringLiteral("HH:mm:ss");
    prepareCombinedParamsList();
    TRACE() << "AbstractReportModel: " << ((g_framework ? g_framework->lightTheme : true) ? "true" : "false");
    applyThemePalette();
}

void AbstractReportModel::applyThemePalette()
{
    paletteLight = g_framework ? g_framework->lightTheme : true;
    paletteBrightness = g_framework ? g_framework->brightness : 50;
    stringList = paletteLight ? lightPalette : darkPalette;
    buildColorTable(paletteBrightness);
    paletteRows = g_framework ? g_framework->tableBackgrounds : QList<QColor>();
    if (!paletteRows.isEmpty())
        stringList = paletteOn(paletteRows);
}

bool AbstractReportModel::paletteIsCurrent() const
{
    if (!g_framework)
        return true;
    return paletteLight == g_framework->lightTheme && paletteBrightness == g_framework->brightness
           && paletteRows == g_framework->tableBackgrounds;
}

QStringList AbstractReportModel::paletteOn(const QList<QColor> &backgrounds) const
{
    const QStringList &base = paletteLight ? lightPalette : darkPalette;
    QStringList out;
    out.reserve(base.size());
    for (const QString &name : base) {
        const QColor at = PaletteContrast::atBrightness(QColor(name), paletteBrightness);
        out << (PaletteContrast::lowestRatio(at, backgrounds) < MinimumContrast
                    ? PaletteContrast::readable(QColor(name), paletteBrightness, backgrounds, MinimumContrast)
                    : at)
                   .name()
                   .toUpper();
    }
    return out;
}

QColor AbstractReportModel::columnColorOn(int column, const QList<QColor> &backgrounds) const
{
    const int entry = paletteEntry(column);
    return entry < 0 ? QColor() : QColor(paletteOn(backgrounds).value(entry));
}

int AbstractReportModel::paletteEntry(int column) const
{
    // The first parameter column takes the first colour.
    const int entry = column - 2;
    return entry >= 0 && entry < selectedParamsId.size() && entry < stringList.size() ? entry : -1;
}

void AbstractReportModel::clearSelectedParams()
{
    selectedParamsId.clear();
    selectedParamsNames.clear();
}

void AbstractReportModel::appendReportParam(int paramListIdx)
{
    TRACE() << "========== DEBUG: appendReportParam ==========";
    TRACE() << "paramListIdx: " << paramListIdx;
    TRACE() << "parametersFullName.size(): " << parametersFullName.size();
    if (paramListIdx < 0 || paramListIdx >= parametersFullName.size()
        || paramListIdx >= parametersFullNameIds.size()) {
        TRACE() << "Error: paramListIdx is out of range!";
        return;
    }
    const bool internal = deviceType == INTERNAL_DB || deviceType == MoxB_FILTERED || deviceType == MoxA_FILTERED;
    TRACE() << (internal ? "INTERNAL_DB Mode" : "EXTERNAL_DB Mode");
    // The id was kept with its name when the list was built.
    selectedParamsId.append(parametersFullNameIds.at(paramListIdx));
    selectedParamsNames.append(parametersFullName.at(paramListIdx));
    TRACE() << "selectedParamsNames (after append): " << selectedParamsNames;
    TRACE() << "selectedParamsId (after append): " << selectedParamsId;
}

void AbstractReportModel::setParamFullName(int index, const QString &name)
{
    if (deviceType != INTERNAL_DB || index < 0 || index >= parametersFullName.size())
        return;
    parametersFullName[index] = name;
}

QStringList AbstractReportModel::getParametersFullName() const
{
    return parametersFullName;
}

QList<int> AbstractReportModel::getSelectedParamsId() const
{
    return selectedParamsId;
}

namespace {

QString withUnit(const QString &name, const QString &unit)
{
    return unit.isEmpty() ? name : name + QStringLiteral(" [") + unit + QLatin1Char(']');
}

} // namespace

void AbstractReportModel::prepareCombinedParamsList()
{
    parametersFullName.clear();
    parametersFullNameIds.clear();
    recorderColumns.clear();

    if (deviceType == MoxB_FILTERED || deviceType == MoxA_FILTERED) {
        QHash<int, QPair<QString, QString>> named; // id -> ("name (device)", unit)
        const QSqlDatabase db = currentConnection();
        QSqlQuery q(db);
        q.setForwardOnly(true);
        if (!db.isOpen()) {
            TRACE() << "No connection for the parameter names";
        } else if (!q.exec(QStringLiteral("SELECT T1.id, T1.name, T2.name, T1.unit FROM Parameters AS T1 "
                                   "JOIN Devices AS T2 ON T1.idDevices = T2.id"))) {
            TRACE() << "SQL Error in fetching parameter data:" << q.lastError().text();
        } else {
            while (q.next())
                named.insert(q.value(0).toInt(),
                             {QStringLiteral("%1 (%2)").arg(q.value(1).toString(), q.value(2).toString()),
                              q.value(3).toString()});
        }
        for (int id : filtersCfg.selectedParamId) {
            const auto it = named.constFind(id);
            if (it == named.constEnd()) {
                TRACE() << "Warning: Full name not found for parameter ID:" << id;
                continue;
            }
            parametersFullName.append(withUnit(it->first, it->second));
            parametersFullNameIds.append(id);
            recorderColumns.insert(id, it->first);
        }
        TRACE() << "Generated parametersFullName:" << parametersFullName;
    } else if (deviceType == INTERNAL_DB) {
        QList<int> found; // positions in the inherited lists
        QHash<QString, int> sameName;
        for (int id : filtersCfg.selectedParamId) {
            const int at = paramIds.indexOf(id);
            if (at < 0) {
                TRACE() << "Warning: Full name not found for parameter ID:" << id;
                continue;
            }
            found << at;
            ++sameName[paramNames.value(at)];
            parametersFullNameIds.append(id);
        }
        // Parameters of the same name from different instruments are told
        // apart by the instrument's name, as the table and chart tell them.
        const QHash<int, QString> devices = deviceNamesOf(parametersFullNameIds);
        for (int at : qAsConst(found)) {
            QString name = paramNames.value(at);
            const QString device = devices.value(paramIds.at(at));
            if (sameName.value(name) > 1 && !device.isEmpty())
                name += QStringLiteral(" (") + device + QLatin1Char(')');
            parametersFullName.append(withUnit(name, paramUnits.value(at)));
        }
    } else {
        for (int i = 0; i < paramIds.size(); ++i) {
            parametersFullName.append(withUnit(paramNames.value(i), paramUnits.value(i)));
            parametersFullNameIds.append(paramIds.at(i));
        }
    }

    TRACE() << "deviceType: " << int(deviceType);
    for (const QString &name : parametersFullName)
        TRACE() << "parametersFullName: " << name;
}

QHash<int, QString> AbstractReportModel::deviceNamesOf(const QList<int> &ids)
{
    QHash<int, QString> names;
    if (ids.isEmpty() || !hasDeviceLink)
        return names;
    const QSqlDatabase db = currentConnection();
    QSqlQuery q(db);
    q.setForwardOnly(true);
    bool ok = db.isOpen() && q.prepare(QStringLiteral("SELECT Parameters.id, Devices.name FROM Parameters JOIN Devices "
                                       "ON Parameters.idDevices = Devices.id WHERE Parameters.id IN (%1)")
                            .arg(sql::placeholders(ids.size())));
    for (int id : ids)
        q.addBindValue(id);
    ok = ok && q.exec();
    if (!ok) {
        TRACE() << "SQL Error in fetching instrument names:" << q.lastError().text();
        return names;
    }
    while (q.next())
        names.insert(q.value(0).toInt(), q.value(1).toString());
    return names;
}

void AbstractReportModel::setGroupingType(int value)
{
    grouping = qint16(value);
}

void AbstractReportModel::setAggregationType(int value)
{
    aggregation = qint16(value);
}

void AbstractReportModel::setIntervalMinutes(int minutes)
{
    intervalMinutes = qint16(minutes >= 1 && minutes <= 60 ? minutes : 30);
}

void AbstractReportModel::setReportOptions(bool everyNMinutes, bool hourly, bool daily, bool weekly, int minutes)
{
    optEveryNMinutes = everyNMinutes;
    optHourly = hourly;
    optDaily = daily;
    optWeekly = weekly;
    optMinutes = minutes;
}

QString AbstractReportModel::getDeviceName() const
{
    if (deviceType == DEVICE_UNDEFINED)
        return QStringLiteral("Abstract Device");
    return AvailableDevices::getDeviceName(deviceType);
}

int AbstractReportModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : reportRows.size();
}

int AbstractReportModel::columnCount(const QModelIndex &parent) const
{
    if (parent.isValid() || reportRows.isEmpty())
        return 0;
    return reportRows.first().size();
}

bool AbstractReportModel::canFetchMore(const QModelIndex &) const
{
    return false;
}

void AbstractReportModel::fetchMore(const QModelIndex &) {}

void AbstractReportModel::updateQuery() {}

namespace {

int twoDigits(const QString &s, int at)
{
    const int a = s.at(at).unicode() - '0', b = s.at(at + 1).unicode() - '0';
    if (a < 0 || a > 9 || b < 0 || b > 9)
        return -1;
    return a * 10 + b;
}

} // namespace

QString AbstractReportModel::parseDateTime(const QString &text) const
{
    // Read as UTC from its date and its time, so no daylight-saving gap of
    // the local zone can turn a valid text invalid.
    if (dateTimeFormat == QLatin1String("yyyy-MM-dd HH:mm:ss")) {
        // The common case, without the general parser: reports have many rows.
        if (text.size() != 19 || text.at(4) != QLatin1Char('-') || text.at(7) != QLatin1Char('-')
            || text.at(10) != QLatin1Char(' ') || text.at(13) != QLatin1Char(':') || text.at(16) != QLatin1Char(':'))
            return QString();
        const int c = twoDigits(text, 0), y = twoDigits(text, 2);
        const QDate date(c * 100 + y, twoDigits(text, 5), twoDigits(text, 8));
        const QTime time(twoDigits(text, 11), twoDigits(text, 14), twoDigits(text, 17));
        if (c < 0 || y < 0 || !date.isValid() || !time.isValid())
            return QString();
        return text;
    }
    const int dateEnd = dateTimeFormat.indexOf(QLatin1Char(' '));
    const int textSplit = text.indexOf(QLatin1Char(' '));
    if (dateEnd < 0 || textSplit < 0)
        return QString();
    const QDate date = QDate::fromString(text.left(textSplit), dateTimeFormat.left(dateEnd));
    const QTime time = QTime::fromString(text.mid(textSplit + 1), dateTimeFormat.mid(dateEnd + 1));
    if (!date.isValid() || !time.isValid())
        return QString();
    return QDateTime(date, time, Qt::UTC).toString(dateTimeFormat);
}

QColor AbstractReportModel::blendColor(const QColor &a, const QColor &b, double f)
{
    return PaletteContrast::blend(a, b, f);
}

void AbstractReportModel::buildColorTable(int brightness)
{
    QStringList table;
    table.reserve(stringList.size());
    for (const QString &name : stringList) {
        if (!QColor::isValidColor(name)) {
            table << name;
            continue;
        }
        table << PaletteContrast::atBrightness(QColor(name), brightness).name().toUpper();
    }
    stringList = table;
}
