#include "readers/PqdifParameterNames.h"

#include <QHash>
#include <QSet>

namespace pqdifnames {

namespace {

QString compose(const QString &channel, const QStringList &qualifiers, qint64 observation, int maxLength)
{
    QString tail;
    for (const QString &q : qualifiers)
        tail += QLatin1Char(' ') + q;
    tail += QStringLiteral(" obs ") + QString::number(observation);
    // The channel gives way first, so a long channel name cannot cut off
    // what tells two series apart.
    const int room = qMax(0, maxLength - tail.size());
    return (channel.left(room) + tail).left(maxLength);
}

template <class Key>
bool differs(const QVector<int> &members, Key key)
{
    for (int i : members)
        if (key(i) != key(members.first()))
            return true;
    return false;
}

} // namespace

QStringList parameterNames(const QVector<SeriesLabel> &labels, qint64 observation, int maxLength)
{
    QStringList names;
    names.reserve(labels.size());
    QVector<QStringList> qualifiers(labels.size());
    QHash<QString, QVector<int>> groups;
    for (int i = 0; i < labels.size(); ++i) {
        names.append(compose(labels[i].channel, {}, observation, maxLength));
        groups[names.last()].append(i);
    }

    for (auto it = groups.cbegin(); it != groups.cend(); ++it) {
        const QVector<int> &members = it.value();
        if (members.size() < 2)
            continue;
        const bool phase = differs(members, [&](int i) { return labels[i].phase; });
        const bool harmonic = differs(members, [&](int i) { return labels[i].harmonic; });
        const bool valueType = differs(members, [&](int i) { return labels[i].valueType; });
        for (int i : members) {
            const SeriesLabel &l = labels[i];
            QStringList &q = qualifiers[i];
            if (phase && !l.phase.isEmpty())
                q << l.phase;
            if (harmonic && l.harmonic >= 0)
                q << QStringLiteral("H") + QString::number(l.harmonic);
            if (valueType && !l.valueType.isEmpty())
                q << l.valueType;
            names[i] = compose(l.channel, q, observation, maxLength);
        }
    }

    // Whatever still repeats (series alike in everything above, or names that
    // met after cutting) is numbered in file order.
    QHash<QString, int> seen;
    for (const QString &n : names)
        ++seen[n];
    QSet<QString> taken(names.cbegin(), names.cend());
    QHash<QString, int> next;
    for (int i = 0; i < names.size(); ++i) {
        if (seen.value(names[i]) < 2)
            continue;
        const QString base = names[i];
        QString candidate;
        do {
            QStringList q = qualifiers[i];
            q << QStringLiteral("#") + QString::number(++next[base]);
            candidate = compose(labels[i].channel, q, observation, maxLength);
        } while (taken.contains(candidate));
        taken.insert(candidate);
        names[i] = candidate;
    }
    return names;
}

QString valueTypeName(const PqdifGuid &valueType)
{
    struct Entry
    {
        PqdifGuid id;
        const char *name;
    };
    static const Entry entries[] = {
        {PqdifGuid::fromString("67f6af97-f753-11cf-9d89-0080c72e70a3"), "VAL"},
        {PqdifGuid::fromString("c690e862-f755-11cf-9d89-0080c72e70a3"), "TIME"},
        {PqdifGuid::fromString("67f6af98-f753-11cf-9d89-0080c72e70a3"), "MIN"},
        {PqdifGuid::fromString("67f6af99-f753-11cf-9d89-0080c72e70a3"), "MAX"},
        {PqdifGuid::fromString("67f6af9a-f753-11cf-9d89-0080c72e70a3"), "AVG"},
        {PqdifGuid::fromString("67f6af9b-f753-11cf-9d89-0080c72e70a3"), "INST"},
        {PqdifGuid::fromString("3d786f9d-f76e-11cf-9d89-0080c72e70a3"), "ANGLE"},
        {PqdifGuid::fromString("dc762340-3c56-11d2-ae44-0060083a2628"), "ANGLE MIN"},
        {PqdifGuid::fromString("dc762341-3c56-11d2-ae44-0060083a2628"), "ANGLE MAX"},
        {PqdifGuid::fromString("dc762342-3c56-11d2-ae44-0060083a2628"), "ANGLE AVG"},
        {PqdifGuid::fromString("c7825ce0-8ace-11d3-b92f-0050da2b1f4d"), "AREA"},
        {PqdifGuid::fromString("c690e864-f755-11cf-9d89-0080c72e70a3"), "LAT"},
        {PqdifGuid::fromString("c690e863-f755-11cf-9d89-0080c72e70a3"), "DURATION"},
        {PqdifGuid::fromString("c690e865-f755-11cf-9d89-0080c72e70a3"), "LON"},
        {PqdifGuid::fromString("c690e866-f755-11cf-9d89-0080c72e70a3"), "POLARITY"},
        {PqdifGuid::fromString("c690e867-f755-11cf-9d89-0080c72e70a3"), "ELLIPSE"},
        {PqdifGuid::fromString("c690e869-f755-11cf-9d89-0080c72e70a3"), "BIN"},
        {PqdifGuid::fromString("c690e86a-f755-11cf-9d89-0080c72e70a3"), "BIN HIGH"},
        {PqdifGuid::fromString("c690e86b-f755-11cf-9d89-0080c72e70a3"), "BIN LOW"},
        {PqdifGuid::fromString("c690e86c-f755-11cf-9d89-0080c72e70a3"), "XBIN HIGH"},
        {PqdifGuid::fromString("c690e86d-f755-11cf-9d89-0080c72e70a3"), "XBIN LOW"},
        {PqdifGuid::fromString("c690e86e-f755-11cf-9d89-0080c72e70a3"), "YBIN HIGH"},
        {PqdifGuid::fromString("c690e86f-f755-11cf-9d89-0080c72e70a3"), "YBIN LOW"},
        {PqdifGuid::fromString("c690e870-f755-11cf-9d89-0080c72e70a3"), "COUNT"},
        {PqdifGuid::fromString("5369c260-c347-11d2-923f-00104b2b84b1"), "TRANSITION"},
        {PqdifGuid::fromString("6763cc71-17d6-11d4-9f1c-002078e0b723"), "PROB"},
        {PqdifGuid::fromString("72e82a40-336c-11d5-a4b3-444553540000"), "INTERVAL"},
        {PqdifGuid::fromString("b82b5c82-55c7-11d5-a4b3-444553540000"), "STATUS"},
        {PqdifGuid::fromString("c690e868-f755-11cf-9d89-0080c72e70a3"), "FREQ"},
    };
    for (const Entry &e : entries)
        if (e.id == valueType)
            return QLatin1String(e.name);
    return QString();
}

QString phaseName(quint32 phase)
{
    static const char *const names[] = {nullptr, "AN",  "BN",     "CN",     "NG",    "AB",    "BC",    "CA",
                                        "RES",   "NET", nullptr,  nullptr,  nullptr, "TOTAL", "LN AVG", "LL AVG",
                                        "WORST", "PLUS", "MINUS"};
    if (phase < sizeof names / sizeof names[0])
        return names[phase] ? QLatin1String(names[phase]) : QString();
    if (phase >= 19 && phase <= 34)
        return QStringLiteral("G") + QString::number(phase - 18);
    return QString();
}

} // namespace pqdifnames
