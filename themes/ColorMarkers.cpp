#include "themes/ColorMarkers.h"

#include <QFile>
#include <QRegularExpression>
#include <QSaveFile>

namespace ColorMarkers {

bool isMarkerColor(const QString &color)
{
    static const QRegularExpression re(QStringLiteral("^#[0-9a-fA-F]{6}$"));
    return re.match(color).hasMatch();
}

QMap<int, QString> collect(const QString &text)
{
    static const QRegularExpression re(QStringLiteral("/\\*color(\\d+)\\*\\/(#[0-9a-fA-F]{6})"));
    QMap<int, QString> colors;
    QRegularExpressionMatchIterator it = re.globalMatch(text);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        colors.insert(m.captured(1).toInt(), m.captured(2));
    }
    return colors;
}

bool replace(QString &text, int number, const QString &color)
{
    if (!isMarkerColor(color))
        return false;
    const QRegularExpression re(QStringLiteral("/\\*color%1\\*\\/#[0-9a-fA-F]{6}").arg(number));
    if (!text.contains(re))
        return false;
    text.replace(re, QStringLiteral("/*color%1*/%2").arg(number).arg(color));
    return true;
}

bool readSheet(const QString &path, QString *text, bool stopAtZero)
{
    if (path.isEmpty())
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return false;
    if (stopAtZero) {
        const int zero = bytes.indexOf('\0');
        if (zero >= 0)
            bytes.truncate(zero);
    }
    *text = QString::fromUtf8(bytes);
    return true;
}

bool writeSheet(const QString &path, const QString &text, QString *error)
{
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Text)) {
        if (error)
            *error = out.errorString();
        return false;
    }
    const QByteArray bytes = text.toUtf8();
    if (out.write(bytes) != bytes.size() || !out.commit()) {
        if (error)
            *error = out.errorString();
        return false;
    }
    return true;
}

} // namespace ColorMarkers
