#include "database/ApplicationDatabaseFile.h"

#include "common/Connections.h"

#include <QCoreApplication>
#include <QDir>

namespace appdb {

void registerSession(const QString &name, const QString &path)
{
    Connections::Options options;
    options.mustExist = true;
    options.sameFile = true;
    Connections::registerFile(name, path, options);
}

QString writeRefusal(const QString &name)
{
    if (!Connections::contains(name) || Connections::isSameFile(name))
        return QString();
    return QCoreApplication::translate("ArchiveManager",
                                       "The database file %1 was deleted or replaced while it was open. Nothing was "
                                       "written to it; open the database again.")
        .arg(QDir::toNativeSeparators(Connections::filePath(name)));
}

} // namespace appdb
