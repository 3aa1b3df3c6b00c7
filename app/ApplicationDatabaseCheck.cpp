#include "app/ApplicationDatabaseCheck.h"

#include "common/Connections.h"

#include <QAtomicInteger>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>

#include <unistd.h>

namespace {

const char *const applicationTables[] = {"Devices", "Parameters", "Data", "Events", "eventData", "DataMoxB",
                                         "DataMoxA"};

} // namespace

DatabaseFileKind checkApplicationDatabaseFile(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isFile())
        return DatabaseFileKind::Unreadable;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return DatabaseFileKind::Unreadable;
    // Every SQLite 3 database begins with this 16-byte text; SQLite itself
    // would take an empty file for a new database and create one in it.
    static const QByteArray magic("SQLite format 3\0", 16);
    if (file.read(16) != magic)
        return DatabaseFileKind::NotSqlite;
    file.close();
    // The session writes into the file, and SQLite keeps its log and index
    // files beside it (it cannot even read a database in that mode without
    // them): both must be writable.
    if (::access(QFile::encodeName(info.absoluteFilePath()).constData(), W_OK) != 0
        || ::access(QFile::encodeName(info.absolutePath()).constData(), W_OK) != 0)
        return DatabaseFileKind::NotWritable;

    // Read-only: never changes the file's journal mode or contents.
    static QAtomicInteger<int> serial;
    const QString name = QStringLiteral("ApplicationDatabaseCheck.%1").arg(serial.fetchAndAddRelaxed(1));
    Connections::Options options;
    options.readOnly = true;
    Connections::registerFile(name, path, options);
    DatabaseFileKind kind = DatabaseFileKind::NotSqlite;
    {
        QSqlDatabase db = Connections::database(name);
        QSqlQuery q(db);
        if (db.isOpen() && q.exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'"))) {
            kind = DatabaseFileKind::ForeignSqlite;
            while (q.next()) {
                const QString table = q.value(0).toString();
                for (const char *known : applicationTables)
                    if (table == QLatin1String(known))
                        kind = DatabaseFileKind::Application;
            }
        }
    }
    Connections::remove(name);
    return kind;
}

QString applicationDatabaseRefusal(DatabaseFileKind kind, const QString &path)
{
    const QString name = QFileInfo(path).fileName();
    switch (kind) {
    case DatabaseFileKind::Application:
        break;
    case DatabaseFileKind::Unreadable:
        return QCoreApplication::translate("MainWindow", "The file '%1' cannot be read.").arg(name);
    case DatabaseFileKind::NotWritable:
        return QCoreApplication::translate("MainWindow", "The file '%1' cannot be opened as the Quorlog database: the "
                                                         "file or its folder cannot be written.")
            .arg(name);
    case DatabaseFileKind::NotSqlite:
        return QCoreApplication::translate("MainWindow", "The file '%1' is not a Quorlog database: it is no SQLite "
                                                         "database.")
            .arg(name);
    case DatabaseFileKind::ForeignSqlite:
        return QCoreApplication::translate("MainWindow", "The file '%1' is an SQLite database without the tables of "
                                                         "a Quorlog database. It was not opened and is left "
                                                         "unchanged.")
            .arg(name);
    }
    return QString();
}
