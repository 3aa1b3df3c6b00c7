#include "acquisition/DeviceDialogsInstall.h"
#include "app/Framework.h"
#include "common/Trace.h"
#include "database/ArchiveManager.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    TRACE() << "Function Name: " << "int main(int, char**)";
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorlog"));
    QApplication::setApplicationVersion(QStringLiteral(QUORLOG_VERSION));
    // Before any database is opened.
    ArchiveManager::prepareScratch();

    // Lives until the process ends; never deleted.
    g_framework = new Framework();
    installDeviceDialogs();
    g_framework->createMainWindow();
    return app.exec();
}
