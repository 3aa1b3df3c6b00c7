#pragma once
// Keeps a damaged file from flooding the console: of each kind of message
// (its source text) only the first Limit of one read are sent, the rest are
// counted so that the read can end with one line that says how many there were.
#include <QVector>
#include <QtGlobal>

namespace readers {

class MessageCap
{
public:
    static constexpr int Limit = 100;

    struct Kind
    {
        const char *source;
        int icon;
        qint64 count; // all messages of the kind, sent or not
        qint64 suppressed() const { return count > Limit ? count - Limit : 0; }
    };

    // Counts one message of the kind; true while it may still be sent.
    bool admit(const char *source, int icon);
    // The kinds that went past the limit, in the order first met; the cap
    // starts afresh.
    QVector<Kind> takeOverflow();
    void reset() { m_kinds.clear(); }

private:
    QVector<Kind> m_kinds;
};

} // namespace readers
