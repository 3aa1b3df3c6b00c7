#include "support/SessionTestUtil.h"

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFile>

void settle()
{
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

QString writeTemp(const QString &name, const QByteArray &bytes)
{
    const QString path = QDir(QDir::tempPath()).filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        return QString();
    return path;
}
