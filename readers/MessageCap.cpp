#include "readers/MessageCap.h"

#include <QByteArray>

namespace readers {

bool MessageCap::admit(const char *source, int icon)
{
    for (Kind &k : m_kinds) {
        if (qstrcmp(k.source, source) == 0)
            return ++k.count <= Limit;
    }
    m_kinds.append({source, icon, 1});
    return true;
}

QVector<MessageCap::Kind> MessageCap::takeOverflow()
{
    QVector<Kind> over;
    for (const Kind &k : qAsConst(m_kinds)) {
        if (k.count > Limit)
            over.append(k);
    }
    m_kinds.clear();
    return over;
}

} // namespace readers
