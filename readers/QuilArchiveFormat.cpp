#include "readers/QuilArchiveFormat.h"

#include <QList>
#include <QVarLengthArray>

#include <cstring>

namespace readers {
namespace quil {

namespace {
const char *const kModels[] = {"QuilA", "QuilC", "QuilBIoT", "QuilB"};
} // namespace

bool readHeaderPairs(const Field &line, QMap<QString, QString> *header)
{
    const QList<QByteArray> pairs = QByteArray(line.data + 1, line.size - 1).split(';');
    for (const QByteArray &pair : pairs) {
        const QList<QByteArray> parts = pair.split(':');
        if (parts.size() != 2)
            return false;
        header->insert(QString::fromUtf8(parts[0]), QString::fromUtf8(parts[1]));
    }
    return true;
}

void splitItems(const Field &line, char separator, FieldList *scratch, FieldList *items)
{
    splitFields(line, separator, scratch);
    items->clear();
    for (const Field &f : *scratch) {
        // A lone LF is a line end as much as CR LF: files written with LF line
        // ends must not gain an item on the column line.
        if (f.isEmpty() || isLineEnd(f))
            continue;
        items->append(f);
    }
}

bool headerAndColumnsMatch(const QMap<QString, QString> &header, const FieldList &columns)
{
    const QString dev = header.value(QStringLiteral("dev"));
    bool known = false;
    for (const char *model : kModels)
        known = known || dev == QLatin1String(model);
    return known && header.value(QStringLiteral("filever")) == QLatin1String("1.00") && columns.size() >= 3
           && columns[0].equals("idx") && columns[1].equals("date") && columns[2].equals("time");
}

Measurement readValue(const Field &text)
{
    Measurement m;
    if (std::memchr(text.data, '*', size_t(text.size))) {
        m.value = 1e20;
        m.flag = FlagNoValue;
        return m;
    }
    QVarLengthArray<char, 64> buf;
    for (int i = 0; i < text.size; ++i) {
        const char c = text.data[i];
        if (c == ' ' || c == '\r' || c == '\n')
            continue;
        buf.append(c == ',' ? '.' : c);
    }
    if (!parseNumber(buf.constData(), buf.size(), &m.value)) {
        m.value = 0;
        m.flag = FlagNoValue;
        return m;
    }
    if (m.value == 1e20 || m.value == -1e20)
        m.flag = FlagNoValue;
    return m;
}

} // namespace quil
} // namespace readers
