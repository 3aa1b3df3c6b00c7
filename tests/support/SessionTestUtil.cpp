#include "support/SessionTestUtil.h"

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QThreadPool>

void settle()
{
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::processEvents();
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
