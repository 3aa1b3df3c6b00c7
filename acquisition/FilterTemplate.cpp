#include "acquisition/FilterTemplate.h"

#include <QDataStream>
#include <QIODevice>

namespace filterTemplate {

namespace {
constexpr int HeaderSize = 8 + 8 + 4;
}

QByteArray serialize(const FiltersCfg &filters)
{
    QByteArray blob;
    QDataStream out(&blob, QIODevice::WriteOnly);
    out << qint64(filters.startDateTime) << qint64(filters.endDateTime) << qint32(filters.selectedParamId.size());
    for (int id : filters.selectedParamId)
        out << qint32(id);
    return blob;
}

bool deserialize(const QByteArray &blob, FiltersCfg &filters)
{
    if (blob.size() < HeaderSize)
        return false;
    QDataStream in(blob);
    qint64 start = 0;
    qint64 end = 0;
    quint32 count = 0;
    in >> start >> end >> count;
    if (count == 0 || quint64(blob.size() - HeaderSize) != quint64(count) * 4u)
        return false;
    QList<int> ids;
    ids.reserve(int(count));
    for (quint32 i = 0; i < count; ++i) {
        qint32 id = 0;
        in >> id;
        ids.append(id);
    }
    if (in.status() != QDataStream::Ok)
        return false;
    filters.startDateTime = start;
    filters.endDateTime = end;
    filters.selectedParamId = ids;
    return true;
}

} // namespace filterTemplate
