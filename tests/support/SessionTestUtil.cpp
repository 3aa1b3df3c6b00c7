#include "support/SessionTestUtil.h"

#include "app/ConsoleWidget.h"
#include "app/Framework.h"
#include "app/MainWindow.h"
#include "common/WhenIdle.h"
#include "database/ArchiveManager.h"

#include <QRegularExpression>
#include <QTextEdit>

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QProcess>
#include <QThreadPool>

void settle()
{
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::processEvents();
        // As the application's loop before it waits for the next event.
        whenIdle::idleNow();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

void endPoolThreads()
{
    settle();
    // Qt 5's waitForDone joins and deletes every pool thread once idle.
    QThreadPool::globalInstance()->waitForDone();
    settle();
}

QString writeTemp(const QString &name, const QByteArray &bytes)
{
    const QString path = QDir(QDir::tempPath()).filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        return QString();
    return path;
}

QStringList windowConsoleLines()
{
    QStringList out;
    MainWindow *window = g_framework ? g_framework->mainWindow.data() : nullptr;
    QTextEdit *edit = window ? window->consoleWidget()->findChild<QTextEdit *>() : nullptr;
    if (!edit)
        return out;
    static const QRegularExpression stamp(QStringLiteral("^\\[\\d\\d:\\d\\d:\\d\\d\\.\\d{3}\\] - "));
    for (QString line : edit->toPlainText().split(QLatin1Char('\n'))) {
        line.remove(stamp);
        out << line;
    }
    return out;
}

int openNewDatabase(const QString &path, avaibleDevices_t type, const QString &name, const QString &folder,
                    const QStringList &configFiles)
{
    for (const char *suffix : {"", "-wal", "-shm"})
        QFile::remove(path + QLatin1String(suffix));
    if (!ArchiveManager::createDatabase(path))
        return -1;
    g_framework->openFile(path, INTERNAL_DB, 0, {});
    settle();
    ArchiveManager &devices = g_framework->archiveManager;
    if (!g_framework->getSessionInfo().isOpen
        || !devices.addDevice(name, type, folder, false, QString(), 0, QString(), QString(), configFiles))
        return -1;
    return devices.getDevices().lastKey();
}

QString pdfText(const QString &path)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {path, QStringLiteral("-")});
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput());
}
