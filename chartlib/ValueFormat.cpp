#include "chartlib/ValueFormat.h"

#include "chartlib/ChartTypes.h"

#include <QDateTime>
#include <QLocale>

#include <algorithm>
#include <cmath>

namespace chartlib {

bool isDateFormat(const QString &format)
{
    const QString f = format.trimmed();
    if (f.isEmpty())
        return false;
    const QChar c = f.at(0);
    if (c.isDigit() || c == QLatin1Char('P') || c == QLatin1Char('p'))
        return false;
    return true;
}

namespace {

QString groupThousands(const QString &digits, QChar sep)
{
    QString out;
    const int n = digits.size();
    for (int i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            out += sep;
        out += digits.at(i);
    }
    return out;
}

QString plainNumber(double v)
{
    if (v == 0)
        return QStringLiteral("0");
    QString s = QString::number(v, 'g', 10);
    return s;
}

} // namespace

QString formatNumber(double value, const QString &format)
{
    if (value >= Chart::NoValue || std::isnan(value))
        return QString();
    const QString f = format.trimmed();
    if (f.isEmpty())
        return plainNumber(value);
    if (f.at(0) == QLatin1Char('P') || f.at(0) == QLatin1Char('p')) {
        bool ok = false;
        int digits = f.mid(1).toInt(&ok);
        if (!ok || digits < 1)
            digits = 1;
        if (value == 0)
            return QString::number(0.0, 'f', digits - 1);
        // Significant digits, but never fewer than the integer part has.
        const int mag = int(std::floor(std::log10(std::fabs(value))));
        int decimals = std::max(0, digits - 1 - mag);
        decimals = std::min(decimals, 15);
        QString s = QString::number(value, 'f', decimals);
        // Rounding may carry into a new digit (9.9996 -> 10.000): drop one decimal.
        const double rounded = std::fabs(s.toDouble());
        if (decimals > 0 && rounded >= std::pow(10.0, mag + 1))
            s = QString::number(value, 'f', decimals - 1);
        return s;
    }
    // "N" decimals, then optional thousands separator and decimal point.
    int pos = 0;
    while (pos < f.size() && f.at(pos).isDigit())
        ++pos;
    const int decimals = std::min(15, f.left(pos).toInt());
    const QChar thousands = pos < f.size() ? f.at(pos) : QChar();
    const QChar point = pos + 1 < f.size() ? f.at(pos + 1) : QLatin1Char('.');
    QString s = QString::number(std::fabs(value), 'f', decimals);
    QString intPart = s, frac;
    const int dot = s.indexOf(QLatin1Char('.'));
    if (dot >= 0) {
        intPart = s.left(dot);
        frac = s.mid(dot + 1);
    }
    if (!thousands.isNull() && thousands != QLatin1Char('~'))
        intPart = groupThousands(intPart, thousands);
    QString out = intPart;
    if (!frac.isEmpty())
        out += point + frac;
    const bool negative = value < 0 && std::any_of(s.begin(), s.end(), [](QChar ch) { return ch.isDigit() && ch != QLatin1Char('0'); });
    return negative ? QLatin1Char('-') + out : out;
}

QString formatDate(double chartTime, const QString &format)
{
    if (chartTime >= Chart::NoValue || std::isnan(chartTime))
        return QString();
    const qint64 ms = Chart::chartTimeToMSecs(chartTime);
    const QDateTime dt = QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC);
    const QDate d = dt.date();
    const QTime t = dt.time();
    const QLocale c = QLocale::c();
    QString out;
    const int n = format.size();
    int i = 0;
    while (i < n) {
        const QChar ch = format.at(i);
        if (ch == QLatin1Char('<') && i + 1 < n && format.at(i + 1) == QLatin1Char('*')) {
            const int end = format.indexOf(QLatin1String("*>"), i + 2);
            const int stop = end < 0 ? n : end + 2;
            out += format.mid(i, stop - i);
            i = stop;
            continue;
        }
        int run = 1;
        while (i + run < n && format.at(i + run) == ch)
            ++run;
        switch (ch.unicode()) {
        case 'y':
            out += run >= 3 ? QString::number(d.year()).rightJustified(4, QLatin1Char('0'))
                            : QString::number(d.year() % 100).rightJustified(2, QLatin1Char('0'));
            break;
        case 'm':
            if (run >= 4)
                out += c.monthName(d.month(), QLocale::LongFormat);
            else if (run == 3)
                out += c.monthName(d.month(), QLocale::ShortFormat);
            else
                out += QString::number(d.month()).rightJustified(run, QLatin1Char('0'));
            break;
        case 'd':
            if (run >= 4)
                out += c.dayName(d.dayOfWeek(), QLocale::LongFormat);
            else if (run == 3)
                out += c.dayName(d.dayOfWeek(), QLocale::ShortFormat);
            else
                out += QString::number(d.day()).rightJustified(run, QLatin1Char('0'));
            break;
        case 'h':
            out += QString::number(t.hour()).rightJustified(std::min(run, 2), QLatin1Char('0'));
            break;
        case 'n':
            out += QString::number(t.minute()).rightJustified(std::min(run, 2), QLatin1Char('0'));
            break;
        case 's':
            out += QString::number(t.second()).rightJustified(std::min(run, 2), QLatin1Char('0'));
            break;
        case 'f': {
            const QString msec = QString::number(t.msec()).rightJustified(3, QLatin1Char('0'));
            out += msec.left(std::min(run, 3));
            break;
        }
        default:
            out += format.mid(i, run);
            break;
        }
        i += run;
    }
    return out;
}

QString formatValueWith(double value, const QString &format)
{
    return isDateFormat(format) ? formatDate(value, format) : formatNumber(value, format);
}

QString expandTemplate(const QString &tmpl, double value)
{
    QString out;
    int i = 0;
    const int n = tmpl.size();
    while (i < n) {
        const int open = tmpl.indexOf(QLatin1String("{value"), i);
        if (open < 0) {
            out += tmpl.mid(i);
            break;
        }
        const int close = tmpl.indexOf(QLatin1Char('}'), open);
        if (close < 0) {
            out += tmpl.mid(i);
            break;
        }
        out += tmpl.mid(i, open - i);
        const QString field = tmpl.mid(open + 6, close - open - 6);
        QString format;
        if (field.startsWith(QLatin1Char('|')))
            format = field.mid(1);
        else if (!field.isEmpty()) {
            // Not a value field ("{valueX}"): keep it as text.
            out += tmpl.mid(open, close - open + 1);
            i = close + 1;
            continue;
        }
        out += formatValueWith(value, format);
        i = close + 1;
    }
    return out;
}

} // namespace chartlib
