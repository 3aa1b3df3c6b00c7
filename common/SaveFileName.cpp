#include "common/SaveFileName.h"

#include "common/Prompts.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

QString SaveFileName::withSuffix(const QString &fileName, const QString &chosenFilter, const QStringList &known,
                                 const QString &fallback)
{
    const QString suffix = QFileInfo(fileName).suffix();
    for (const QString &k : known)
        if (suffix.compare(k, Qt::CaseInsensitive) == 0)
            return fileName;
    static const QRegularExpression pattern(QStringLiteral("\\*\\.(\\w+)"));
    const QRegularExpressionMatch m = pattern.match(chosenFilter);
    const QString add = m.hasMatch() ? m.captured(1) : fallback;
    return fileName + (fileName.endsWith(QLatin1Char('.')) ? QString() : QStringLiteral(".")) + add;
}

QString SaveFileName::confirmed(QWidget *parent, const QString &title, const QString &fileName,
                                const QString &chosenFilter, const QStringList &known, const QString &fallback)
{
    if (fileName.isEmpty())
        return QString();
    const QString target = withSuffix(fileName, chosenFilter, known, fallback);
    // The dialog asked about the name as typed, not about the one completed here.
    if (target != fileName && QFileInfo::exists(target)) {
        const QString question =
            tr("%1 already exists.\nDo you want to replace it?").arg(QDir::toNativeSeparators(target));
        if (Prompts::instance().message(parent, QMessageBox::Warning, title, question,
                                        QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
            != QMessageBox::Yes)
            return QString();
    }
    return target;
}
