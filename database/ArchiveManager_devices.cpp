// Instrument records of ArchiveManager: adding, editing, listing and removing
// instruments, their stored password and the Brena meter's channel map.
#include "database/ArchiveManager.h"

#include "common/SqlUtil.h"
#include "common/Trace.h"
#include "readers/BrenaConfigParser.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
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

bool ArchiveManager::addDevice(const QString &name, avaibleDevices_t type, const QString &filesPath,
                               bool onlineCfgEnable, const QString &addresIP, int protocolType, const QString &user,
                               const QString &pass, const QStringList &configFiles)
{
    TRACE_FUNC();
    QSqlDatabase db = dataConnection(Channel::Dialog);
    if (!db.isValid())
        return false;
    const QString failed = tr("Failed to add device.");

    // Names mark an instrument's columns in the wide recorder tables: a
    // second instrument of the same name would share them. Without a
    // successful look-up nothing is added.
    QSqlQuery lookup(db);
    lookup.prepare(QStringLiteral("SELECT id FROM Devices WHERE name = ?"));
    lookup.addBindValue(name);
    if (!lookup.exec()) {
        emit dialogMessage(failed, QString(), 2);
        emit consoleMessage(sql::errorText(lookup), 2);
        return false;
    }
    if (lookup.next() && !lookup.value(0).isNull()) {
        emit dialogMessage(tr("Device with this name already exists."), QString(), 1);
        return false;
    }
    lookup.finish();

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
    QSqlDatabase db = dataConnection(Channel::Dialog);
    if (!db.isValid())
        return false;
    const QString failed = tr("Failed to edit device.");

    QSqlQuery query(db);
    query.prepare(QStringLiteral("SELECT id FROM Devices WHERE name = ? AND id <> ?"));
    query.addBindValue(name);
    query.addBindValue(id);
    if (!query.exec()) {
        emit dialogMessage(failed, QString(), 2);
        emit consoleMessage(sql::errorText(query), 2);
        return false;
    }
    if (query.next()) {
        emit dialogMessage(tr("Device with this name already exists."), QString(), 1);
        return false;
    }
    query.finish();

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
    if (!query.exec()) {
        emit dialogMessage(failed, QString(), 2);
        emit consoleMessage(sql::errorText(query), 2);
        return false;
    }
    return true;
}

QMap<int, DeviceCfg> ArchiveManager::getDevices()
{
    TRACE_FUNC();
    QMap<int, DeviceCfg> devices;
    QSqlDatabase db = dataConnection(Channel::Console);
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

ArchiveInfo ArchiveManager::getDeviceInfo(int id)
{
    TRACE_FUNC() << id;
    ArchiveInfo info;
    QSqlDatabase db = dataConnection(Channel::Console);
    if (!db.isValid())
        return info;
    QSqlQuery query(db);
    query.prepare(QStringLiteral("SELECT MIN(dateTime) AS firstRecordData, MAX(dateTime) AS lastRecordData, "
                                 "COUNT(Data.id) AS allRecordsCnt FROM Data JOIN Parameters "
                                 "ON Data.idParameters = Parameters.id WHERE idDevices = ?"));
    query.addBindValue(id);
    if (!query.exec()) {
        emit consoleMessage(sql::errorText(query), 2);
        return info;
    }
    if (query.next()) {
        if (!query.value(0).isNull())
            info.firstRecordDate = query.value(0).toLongLong();
        if (!query.value(1).isNull())
            info.lastRecordDate = query.value(1).toLongLong();
        info.allRecordsCnt = query.value(2).toUInt();
    }
    return info;
}

bool ArchiveManager::removeDevice(int id)
{
    TRACE_FUNC() << id;
    QSqlDatabase db = dataConnection(Channel::Dialog);
    if (!db.isValid())
        return false;
    const QString failed = tr("Failed to remove device.");
    QSqlQuery query(db);
    auto fail = [&](const char *debugText, const QString &error) {
        TRACE() << debugText << error;
        emit dialogMessage(failed, QString(), 2);
        emit consoleMessage(error, 2);
        return false;
    };

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
    const QString name = query.value(0).toString();
    query.finish();

    // The instrument's columns end in exactly " (<name>)": a mere "(<name>)"
    // inside a name would also take the columns of an instrument "x<name>".
    const QString mark = QStringLiteral(" (") + name + QLatin1Char(')');
    QSqlQuery columns(db);
    if (!columns.exec(QStringLiteral("PRAGMA table_info(DataMoxB);")))
        return fail("Błąd pobierania informacji o kolumnach:", sql::errorText(columns));
    QStringList owned;
    const int nameField = columns.record().indexOf(QStringLiteral("name"));
    while (columns.next()) {
        const QString column = columns.value(nameField).toString();
        if (column.size() > mark.size() && column.endsWith(mark))
            owned << column;
    }
    columns.finish();
    // Dropping columns in place keeps the table's definition (its primary
    // key, types and autoincrement counter), which a copy would lose.
    for (const QString &column : qAsConst(owned)) {
        if (!query.exec(QStringLiteral("ALTER TABLE DataMoxB DROP COLUMN %1;").arg(sql::quoteIdentifier(column))))
            return fail("Błąd usuwania kolumny:", sql::errorText(query));
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
