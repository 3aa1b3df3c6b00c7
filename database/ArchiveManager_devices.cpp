// Instrument records of ArchiveManager: adding, editing, listing and removing
// instruments, their stored password and the Brena meter's channel map.
#include "database/ArchiveManager.h"

#include "common/QueryInterrupt.h"
#include "common/SqlUtil.h"
#include "common/Trace.h"
#include "database/RecorderColumns.h"
#include "readers/BrenaConfigParser.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace {

const QString kPasswordSalt = QStringLiteral("PePpErToKeYsAlTx_31*!");

} // namespace

namespace storedPassword {

QString encode(const QString &password)
{
    if (password.isEmpty())
        return QString(QLatin1String(""));
    return QString::fromLatin1((password + kPasswordSalt).toUtf8().toBase64());
}

QString decode(const QString &stored)
{
    const QByteArray bytes = QByteArray::fromBase64(stored.toLatin1());
    const QString text = QString::fromUtf8(bytes.constData(), int(qstrnlen(bytes.constData(), uint(bytes.size()))));
    if (text.size() < kPasswordSalt.size())
        return text;
    return text.left(text.size() - kPasswordSalt.size());
}

} // namespace storedPassword

bool ArchiveManager::nameIsFree(QSqlDatabase db, const QString &name, int ownId, const QString &failed)
{
    // Without a successful look-up nothing is stored.
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("SELECT id, name FROM Devices ORDER BY id"))) {
        emit dialogMessage(failed, QString(), 2);
        emit consoleMessage(sql::errorText(query), 2);
        return false;
    }
    // An equal name is named as such before a near one.
    using recorderColumns::NameClash;
    NameClash clash = NameClash::None;
    QString other;
    while (query.next() && clash != NameClash::Same) {
        if (query.value(0).toInt() == ownId)
            continue;
        const QString candidate = query.value(1).toString();
        const NameClash c = recorderColumns::nameClash(name, candidate);
        if (c != NameClash::None && (clash == NameClash::None || c == NameClash::Same
                                     || (c == NameClash::LetterCase && clash == NameClash::Mark))) {
            clash = c;
            other = candidate;
        }
    }
    switch (clash) {
    case NameClash::None:
        return true;
    case NameClash::Same:
        emit dialogMessage(tr("Device with this name already exists."), QString(), 1);
        break;
    case NameClash::LetterCase:
        emit dialogMessage(tr("Device \"%1\" already exists. Names that differ only in letter case would share "
                              "its data columns.")
                               .arg(other),
                           QString(), 1);
        break;
    case NameClash::Mark:
        emit dialogMessage(tr("The name \"%1\" cannot be used beside device \"%2\": when a name ends in \" (\" "
                              "and another device's name, their data columns cannot be told apart.")
                               .arg(name, other),
                           QString(), 1);
        break;
    }
    return false;
}

bool ArchiveManager::addDevice(const QString &name, avaibleDevices_t type, const QString &filesPath,
                               bool onlineCfgEnable, const QString &addresIP, int protocolType, const QString &user,
                               const QString &pass, const QStringList &configFiles)
{
    TRACE_FUNC();
    const CallConnection connection(this, Channel::Dialog);
    QSqlDatabase db = connection.database();
    if (!db.isValid())
        return false;
    const QString failed = tr("Failed to add device.");

    if (!nameIsFree(db, name, -1, failed))
        return false;

    QSqlQuery query(db);
    auto fail = [&](const QString &error) {
        emit dialogMessage(failed, QString(), 3);
        if (!error.isEmpty())
            emit consoleMessage(error, 3);
        return false;
    };

    TransactionGuard transaction(db);
    if (!transaction.isActive())
        return fail(transaction.errorText());

    if (onlineCfgEnable) {
        query.prepare(QStringLiteral("INSERT INTO Devices (name, type, filesPath, onlineCfgEnable, addresIP, "
                                     "protocolType, user, pass) VALUES (?, ?, ?, 1, ?, ?, ?, ?)"));
        query.addBindValue(name);
        query.addBindValue(int(type));
        query.addBindValue(filesPath);
        query.addBindValue(addresIP);
        query.addBindValue(protocolType);
        query.addBindValue(user);
        query.addBindValue(storedPassword::encode(pass));
    } else {
        // Offline: address, protocol, user and password stay NULL.
        query.prepare(QStringLiteral("INSERT INTO Devices (name, type, filesPath, onlineCfgEnable) "
                                     "VALUES (?, ?, ?, 0)"));
        query.addBindValue(name);
        query.addBindValue(int(type));
        query.addBindValue(filesPath);
    }
    if (!query.exec())
        return fail(sql::errorText(query));

    if (type == Brena) {
        bool ok = false;
        const int id = query.lastInsertId().toInt(&ok);
        if (!ok)
            return false; // the guard rolls back
        query.finish();

        BrenaConfigParser parser;
        connect(&parser, &BrenaConfigParser::dialogMessage, this, &ArchiveManager::forwardDialogMessage);
        connect(&parser, &BrenaConfigParser::consoleMessage, this, &ArchiveManager::forwardConsoleMessage);
        if (!parser.openFile(configFiles) || !parser.parseConfiguration(db, id))
            return fail(QString());

        query.prepare(QStringLiteral("UPDATE Devices SET otherCfg = :config WHERE id = :id"));
        query.bindValue(QStringLiteral(":config"), parser.serializeParametersMap());
        query.bindValue(QStringLiteral(":id"), id);
        if (!query.exec())
            return fail(sql::errorText(query));
    }
    query.finish();
    if (!transaction.commit())
        return fail(transaction.errorText());
    return true;
}

bool ArchiveManager::editDevice(int id, const QString &name, avaibleDevices_t type, const QString &filesPath,
                                bool onlineCfgEnable, const QString &addresIP, int protocolType,
                                const QString &user, const QString &pass)
{
    TRACE_FUNC();
    const CallConnection connection(this, Channel::Dialog);
    QSqlDatabase db = connection.database();
    if (!db.isValid())
        return false;
    const QString failed = tr("Failed to edit device.");
    auto fail = [&](const QString &error) {
        emit dialogMessage(failed, QString(), 2);
        emit consoleMessage(error, 2);
        return false;
    };
    if (!nameIsFree(db, name, id, failed))
        return false;

    // The instrument's columns in the wide tables carry its name: they are
    // renamed with it, or nothing is.
    TransactionGuard transaction(db);
    if (!transaction.isActive())
        return fail(transaction.errorText());
    QSqlQuery query(db);
    query.prepare(QStringLiteral("SELECT name FROM Devices WHERE id = ?"));
    query.addBindValue(id);
    if (!query.exec())
        return fail(sql::errorText(query));
    const QString oldName = query.next() ? query.value(0).toString() : name;
    query.finish();
    if (oldName != name) {
        recorderColumns::Owners owners;
        if (!owners.load(db))
            return fail(owners.errorText());
        for (const QString &table : recorderColumns::wideTables()) {
            QStringList columns;
            QString error;
            if (!recorderColumns::tableColumns(db, table, &columns, &error))
                return fail(error);
            const QStringList own = owners.columnsOf(columns, id, true);
            QString clash;
            if (!recorderColumns::renameColumns(db, table, own, oldName, name, &clash, &error)) {
                if (clash.isEmpty())
                    return fail(error);
                emit dialogMessage(tr("Device \"%1\" cannot be renamed to \"%2\": one of its data columns would "
                                      "take the name of the column \"%3\" in %4, which holds other data.")
                                       .arg(oldName, name, clash, table),
                                   QString(), 2);
                return false;
            }
        }
    }

    query.prepare(QStringLiteral("UPDATE Devices SET name = ?, type = ?, filesPath = ?, onlineCfgEnable = ?, "
                                 "addresIP = ?, protocolType = ?, user = ?, pass = ? WHERE id = ?"));
    query.addBindValue(name);
    query.addBindValue(int(type));
    query.addBindValue(filesPath);
    query.addBindValue(onlineCfgEnable ? 1 : 0);
    query.addBindValue(addresIP);
    query.addBindValue(protocolType);
    query.addBindValue(user);
    query.addBindValue(storedPassword::encode(pass));
    query.addBindValue(id);
    if (!query.exec())
        return fail(sql::errorText(query));
    query.finish();
    if (!transaction.commit())
        return fail(transaction.errorText());
    return true;
}

QMap<int, DeviceCfg> ArchiveManager::getDevices()
{
    TRACE_FUNC();
    QMap<int, DeviceCfg> devices;
    const CallConnection connection(this, Channel::Console);
    QSqlDatabase db = connection.database();
    if (!db.isValid())
        return devices;

    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("SELECT id, name, type, filesPath, onlineCfgEnable, addresIP, protocolType, "
                                   "user, pass FROM Devices ORDER BY id"))) {
        emit consoleMessage(sql::errorText(query), 2);
        return devices;
    }
    QSqlQuery parameters(db);
    parameters.prepare(QStringLiteral("SELECT id, name, unit FROM Parameters WHERE idDevices = ? ORDER BY id"));
    while (query.next()) {
        DeviceCfg device;
        device.id = query.value(0).toInt();
        device.name = query.value(1).toString();
        // Any stored number, also one that names no instrument: the
        // enumeration holds every int.
        device.type = avaibleDevices_t(query.value(2).toInt());
        device.filesPath = query.value(3).toString();
        device.onlineCfgEnable = query.value(4).toBool();
        device.addresIP = query.value(5).toString();
        device.protocolType = query.value(6).toInt();
        device.user = query.value(7).toString();
        device.pass = storedPassword::decode(query.value(8).toString());

        parameters.addBindValue(device.id);
        if (!parameters.exec()) {
            emit consoleMessage(sql::errorText(parameters), 2);
            return devices;
        }
        while (parameters.next()) {
            DeviceParameter parameter;
            parameter.id = parameters.value(0).toInt();
            parameter.idDevice = device.id;
            parameter.name = parameters.value(1).toString();
            parameter.unit = parameters.value(2).toString();
            device.parameters.append(parameter);
        }
        parameters.finish();
        devices.insert(device.id, device);
    }
    return devices;
}

bool ArchiveManager::getOtherCfg(int id, QByteArray &buffer)
{
    TRACE_FUNC() << id;
    QSqlDatabase db = dataConnection(Channel::Dialog);
    if (!db.isValid())
        return false;
    QSqlQuery query(db);
    query.prepare(QStringLiteral("SELECT otherCfg FROM Devices WHERE id = ?"));
    query.addBindValue(id);
    if (!query.exec()) {
        emit consoleMessage(sql::errorText(query), 2);
        return false;
    }
    if (!query.next())
        return false;
    buffer = query.value(0).toByteArray();
    return true;
}

namespace {

// The instrument's own columns in each wide table that has any. A table
// whose columns cannot be read is left out, with the reason in errors.
bool ownWideColumns(QSqlDatabase db, int id, QList<QPair<QString, QStringList>> *own, QStringList *errors)
{
    // Most databases have no wide table: then nothing is read at all.
    QStringList tables;
    for (const QString &table : recorderColumns::wideTables())
        if (sql::hasTable(db, table))
            tables << table;
    if (tables.isEmpty())
        return true;
    recorderColumns::Owners owners;
    if (!owners.load(db)) {
        *errors << owners.errorText();
        return false;
    }
    for (const QString &table : qAsConst(tables)) {
        QStringList columns;
        QString error;
        if (!recorderColumns::tableColumns(db, table, &columns, &error)) {
            *errors << error;
            continue;
        }
        const QStringList mine = owners.columnsOf(columns, id, false);
        if (!mine.isEmpty())
            *own << qMakePair(table, mine);
    }
    return true;
}

} // namespace

ArchiveInfo ArchiveManager::getDeviceInfo(int id)
{
    TRACE_FUNC() << id;
    ArchiveInfo info;
    const CallConnection connection(this, Channel::Console);
    QSqlDatabase db = connection.database();
    if (!db.isValid())
        return info;
    const ArchivePeriod period = devicePeriod(db, id);
    info.firstRecordDate = period.firstRecordDate;
    info.lastRecordDate = period.lastRecordDate;
    QString error;
    const qint64 count = countDeviceRecords(connection.name(), id, &error);
    if (count < 0)
        emit consoleMessage(error, 2);
    else
        info.allRecordsCnt = static_cast<quint32>(count); // low 32 bits, as the record holds
    return info;
}

qint64 ArchiveManager::countDeviceRecords(const QString &connection, int id, QString *error, QueryInterrupt *stop)
{
    return runCount(connection, error, stop, [id](QSqlDatabase &db, QueryInterrupt *stop, QString *reason) {
        QSqlQuery query(db);
        query.prepare(QStringLiteral("SELECT COUNT(*) FROM Data WHERE idParameters IN "
                                     "(SELECT id FROM Parameters WHERE idDevices = ?)"));
        query.addBindValue(id);
        if (!query.exec() || !query.next()) {
            *reason = sql::errorText(query);
            return qint64(-1);
        }
        qint64 count = query.value(0).toLongLong();
        query.finish();
        // Wide tables whose columns cannot be read are left out here; the
        // period look-up reports them.
        QList<QPair<QString, QStringList>> own;
        QStringList errors;
        ownWideColumns(db, id, &own, &errors);
        for (const auto &table : qAsConst(own)) {
            if (stop && stop->isInterrupted())
                return qint64(-1);
            recorderColumns::Span span;
            if (!recorderColumns::rowSpan(db, table.first, table.second, &span, reason))
                return qint64(-1);
            count += qint64(span.count);
        }
        return count;
    });
}

ArchivePeriod ArchiveManager::getDevicePeriod(int id)
{
    TRACE_FUNC() << id;
    const CallConnection connection(this, Channel::Console);
    QSqlDatabase db = connection.database();
    return db.isValid() ? devicePeriod(db, id) : ArchivePeriod();
}

ArchivePeriod ArchiveManager::devicePeriod(QSqlDatabase db, int id)
{
    ArchivePeriod period;
    // Per parameter, the first and the last time from the (idParameters,
    // dateTime) index: a few page reads each, however many rows there are.
    QSqlQuery query(db);
    query.setForwardOnly(true);
    query.prepare(QStringLiteral(
        "SELECT MIN(first), MAX(last) FROM (SELECT "
        "(SELECT MIN(dateTime) FROM Data WHERE idParameters = p.id) AS first, "
        "(SELECT MAX(dateTime) FROM Data WHERE idParameters = p.id) AS last "
        "FROM Parameters AS p WHERE p.idDevices = ?)"));
    query.addBindValue(id);
    if (!query.exec()) {
        emit consoleMessage(sql::errorText(query), 2);
        return period;
    }
    bool found = false;
    if (query.next() && !query.value(0).isNull() && !query.value(1).isNull()) {
        found = true;
        period.firstRecordDate = query.value(0).toLongLong();
        period.lastRecordDate = query.value(1).toLongLong();
    }
    query.finish();

    // A recorder's rows are those of the wide tables in which one of its own
    // columns holds a value.
    QList<QPair<QString, QStringList>> own;
    QStringList errors;
    ownWideColumns(db, id, &own, &errors);
    for (const QString &error : qAsConst(errors))
        emit consoleMessage(error, 2);
    for (const auto &table : qAsConst(own)) {
        recorderColumns::Span span;
        bool exists = false;
        QString error;
        if (!recorderColumns::rowBounds(db, table.first, table.second, &span, &exists, &error)) {
            emit consoleMessage(error, 2);
            continue;
        }
        if (!span.found)
            continue;
        period.firstRecordDate = found ? qMin(period.firstRecordDate, span.first) : span.first;
        period.lastRecordDate = found ? qMax(period.lastRecordDate, span.last) : span.last;
        found = true;
    }
    period.hasRecords = found;
    return period;
}

bool ArchiveManager::removeDevice(int id)
{
    TRACE_FUNC() << id;
    const CallConnection connection(this, Channel::Dialog);
    QSqlDatabase db = connection.database();
    if (!db.isValid())
        return false;
    const QString failed = tr("Failed to remove device.");
    auto fail = [&](const char *debugText, const QString &error) {
        TRACE() << debugText << error;
        emit dialogMessage(failed, QString(), 2);
        emit consoleMessage(error, 2);
        return false;
    };
    QSqlQuery query(db);

    // The cascades to Data, Events and eventData need enforcement on, and
    // SQLite ignores this pragma inside a transaction: set and check it first.
    if (!query.exec(QStringLiteral("PRAGMA foreign_keys = ON;")) || !query.exec(QStringLiteral("PRAGMA foreign_keys;"))
        || !query.next() || query.value(0).toInt() != 1)
        return fail("Foreign keys:", sql::errorText(query));
    query.finish();

    TransactionGuard transaction(db);
    if (!transaction.isActive()) {
        emit dialogMessage(tr("Failed to start transaction."), QString(), 2);
        emit consoleMessage(transaction.errorText(), 2);
        return false;
    }

    query.prepare(QStringLiteral("SELECT name FROM Devices WHERE id = :deviceId;"));
    query.bindValue(QStringLiteral(":deviceId"), id);
    if (!query.exec() || !query.next())
        return fail("Błąd pobierania nazwy urządzenia:", sql::errorText(query));
    query.finish();

    // Its columns go from both wide tables, and with them the rows in which
    // no value is left, so the tables count as if it had never been there.
    recorderColumns::Owners owners;
    if (!owners.load(db))
        return fail("Błąd pobierania informacji o kolumnach:", owners.errorText());
    for (const QString &table : recorderColumns::wideTables()) {
        QStringList columns;
        QString error;
        if (!recorderColumns::tableColumns(db, table, &columns, &error))
            return fail("Błąd pobierania informacji o kolumnach:", error);
        // A column another instrument shares stays with it.
        const QStringList own = owners.columnsOf(columns, id, true);
        if (!own.isEmpty() && !recorderColumns::dropColumns(db, table, own, &error))
            return fail("Błąd usuwania kolumn:", error);
    }

    query.prepare(QStringLiteral("DELETE FROM Parameters WHERE idDevices = :deviceId;"));
    query.bindValue(QStringLiteral(":deviceId"), id);
    if (!query.exec())
        return fail("Błąd usuwania wierszy z tabeli Parameters:", sql::errorText(query));

    query.prepare(QStringLiteral("DELETE FROM Devices WHERE id = :deviceId;"));
    query.bindValue(QStringLiteral(":deviceId"), id);
    if (!query.exec() || query.numRowsAffected() != 1)
        return fail("Błąd usuwania wiersza z tabeli Devices:", sql::errorText(query));
    query.finish();

    if (!transaction.commit()) {
        TRACE() << "Błąd zatwierdzania transakcji:" << transaction.errorText();
        emit dialogMessage(failed, QString(), 2);
        emit consoleMessage(transaction.errorText(), 2);
        return false;
    }
    return true;
}
