#include "app/Language.h"

const QMap<int, QString> languageCodes{{0, QStringLiteral("en")}, {1, QStringLiteral("pl")}};
const QMap<QString, QString> languageActions{{QStringLiteral("en"), QStringLiteral("actionEnglish")},
                                             {QStringLiteral("pl"), QStringLiteral("actionPolski")}};

namespace {
int g_currentIndex = 0;
QString g_currentCode;
const char *const appFilePattern = "qrlg_%1.qm";
const char *const qtFilePattern = "qtbase_%1.qm";
} // namespace

QString currentLanguage()
{
    return g_currentCode;
}

int currentLanguageIndex()
{
    return g_currentIndex;
}

bool setCurrentLanguage(const QString &code)
{
    for (auto it = languageCodes.cbegin(); it != languageCodes.cend(); ++it) {
        if (it.value() == code) {
            g_currentIndex = it.key();
            g_currentCode = code;
            return true;
        }
    }
    return false;
}

QString languageCode(int index)
{
    return languageCodes.value(index);
}

QString languageActionName(const QString &code)
{
    return languageActions.value(code);
}

QString appTranslationFileName(const QString &code)
{
    return QString::fromLatin1(appFilePattern).arg(code);
}

QString qtTranslationFileName(const QString &code)
{
    return QString::fromLatin1(qtFilePattern).arg(code);
}
