#include "support/ConsoleSpyUtil.h"

namespace consolespy {

QList<QVariant> texts(const QSignalSpy &spy, const std::function<bool(int icon)> &iconMatches)
{
    QList<QVariant> out;
    for (const QList<QVariant> &args : spy) {
        if (iconMatches(args.at(1).toInt()))
            out << args.at(0);
    }
    return out;
}

} // namespace consolespy
