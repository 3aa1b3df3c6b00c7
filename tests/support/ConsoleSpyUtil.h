#pragma once
// Reading what a QSignalSpy on a consoleMessage(QString text, int icon)
// signal recorded.
#include <QList>
#include <QMutex>
#include <QObject>
#include <QSignalSpy>
#include <QStringList>
#include <QString>
#include <QVariant>

#include <functional>

namespace consolespy {

// The texts of the messages whose icon passes the test, in order.
QList<QVariant> texts(const QSignalSpy &spy, const std::function<bool(int icon)> &iconMatches);

// The texts shown with exactly this icon.
inline QList<QVariant> withIcon(const QSignalSpy &spy, int icon)
{
    return texts(spy, [icon](int i) { return i == icon; });
}

// The texts shown with any icon but 0 (warnings and errors).
inline QList<QVariant> notPlain(const QSignalSpy &spy)
{
    return texts(spy, [](int i) { return i != 0; });
}

// How often this text was shown with this icon.
inline int count(const QSignalSpy &spy, const QString &text, int icon)
{
    return withIcon(spy, icon).count(QVariant(text));
}

// The texts of every consoleMessage(QString, int) an object emits, from
// whichever thread (a worker's lines arrive before its task ends).
class Lines : public QObject
{
public:
    template <class Sender>
    explicit Lines(Sender *sender)
    {
        connect(
            sender, &Sender::consoleMessage, this,
            [this](const QString &msg, int) {
                QMutexLocker lock(&m_mutex);
                m_lines << msg;
            },
            Qt::DirectConnection);
    }
    // The lines so far; forgets them.
    QStringList take()
    {
        QMutexLocker lock(&m_mutex);
        QStringList out;
        out.swap(m_lines);
        return out;
    }

private:
    QMutex m_mutex;
    QStringList m_lines;
};

} // namespace consolespy
