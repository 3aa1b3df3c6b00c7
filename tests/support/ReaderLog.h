#pragma once
// Records what a reader tells the user: console lines, message boxes and
// progress values, in order.
#include <QObject>
#include <QPair>
#include <QString>
#include <QVector>

struct ReaderLog
{
    struct Message
    {
        QString text;
        QString title;
        int icon = 0;
    };
    QVector<Message> console;
    QVector<Message> dialogs;
    QVector<int> progress;

    template <class Reader>
    void attach(Reader *reader)
    {
        QObject::connect(reader, &Reader::consoleMessage, reader,
                         [this](QString msg, int icon) { console.append({msg, QString(), icon}); });
        QObject::connect(reader, &Reader::dialogMessage, reader,
                         [this](QString msg, QString title, int icon) { dialogs.append({msg, title, icon}); });
        QObject::connect(reader, &Reader::progressValueChanged, reader, [this](int v) { progress.append(v); });
    }

    Message lastConsole() const { return console.isEmpty() ? Message{} : console.last(); }
    bool hasConsole(const QString &text, int icon) const
    {
        for (const Message &m : console)
            if (m.text == text && m.icon == icon)
                return true;
        return false;
    }
};
