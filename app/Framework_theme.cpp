// Theme state of the Framework: style sheets, palettes, the user theme file
// and icon recolouring.
#include "app/Framework.h"

#include "chartlib/ChartTypes.h"
#include "common/Trace.h"

#include <QApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QPixmap>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSettings>

namespace {

const char *const commonSheet = ":/styles/_resources/styles/default.qss";

const char *const themeSheets[] = {
    ":/styles/_resources/styles/themeDark.qss",  ":/styles/_resources/styles/themeLight.qss",
    ":/styles/_resources/styles/themeGold.qss",  ":/styles/_resources/styles/themeRed.qss",
    ":/styles/_resources/styles/themeBlue.qss",
};
const bool themeLogoBlack[] = {false, true, true, false, true};

const QRegularExpression &markerPattern()
{
    static const QRegularExpression re(QStringLiteral("/\\*color(\\d+)\\*\\/(#[0-9a-fA-F]{6})"));
    return re;
}

QMap<int, QString> collectColors(const QString &text)
{
    QMap<int, QString> colors;
    QRegularExpressionMatchIterator it = markerPattern().globalMatch(text);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        colors.insert(m.captured(1).toInt(), m.captured(2));
    }
    return colors;
}

// Whole file as UTF-8 text; false when it cannot be opened. With
// stopAtZero the text ends at the first zero byte (a style sheet is C text).
bool readSheet(const QString &path, QString *text, bool stopAtZero = false)
{
    if (path.isEmpty())
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    QByteArray bytes = file.readAll();
    if (stopAtZero) {
        const int zero = bytes.indexOf('\0');
        if (zero >= 0)
            bytes.truncate(zero);
    }
    *text = QString::fromUtf8(bytes);
    return true;
}

} // namespace

void Framework::applyPalette(bool light)
{
    if (light) {
        additButtonColor1 = QStringLiteral("#0a0a0a");
        additButtonColor2 = QStringLiteral("#212121");
        additButtonColor3 = QStringLiteral("#494949");
        additButtonColor4 = QStringLiteral("#bd0000");
        additButtonColor5 = QStringLiteral("#1c1c1c");
        additButtonColor6 = QStringLiteral("#ff6666");
        additButtonColor7 = QStringLiteral("#cccccc");
        additButtonColor8 = QStringLiteral("#3636da");
        additButtonColor9 = QStringLiteral("#ff7911");
        additButtonColor10 = QStringLiteral("#d10d0d");
        buttonColor12 = QStringLiteral("#f0f0f0");
        textColor = QStringLiteral("#1c1c1c");
        disabledTextColor = QStringLiteral("#808080");
    } else {
        additButtonColor1 = QStringLiteral("#ffffff");
        additButtonColor2 = QStringLiteral("#f0f0f0");
        additButtonColor3 = QStringLiteral("#c8c8c8");
        additButtonColor4 = QStringLiteral("#c00000");
        additButtonColor5 = QStringLiteral("#f0f0f0");
        additButtonColor6 = QStringLiteral("#ff6666");
        additButtonColor7 = QStringLiteral("#585858");
        additButtonColor8 = QStringLiteral("#5a96fa");
        additButtonColor9 = QStringLiteral("#ffa967");
        additButtonColor10 = QStringLiteral("#ff6666");
        buttonColor12 = QStringLiteral("#444444");
        textColor = QStringLiteral("#f0f0f0");
        disabledTextColor = QStringLiteral("#777777");
    }
    lightTheme = light;
    brightness = 50;
}

void Framework::loadTheme(int index)
{
    QString themePath;
    if (index >= ThemeDark && index <= ThemeBlue) {
        themePath = QString::fromLatin1(themeSheets[index]);
        logoColorBlack = themeLogoBlack[index];
        applyPalette(logoColorBlack);
    } else if (index == ThemeUser) {
        themePath = userThemePath;
        if (themeUserCreated) {
            settings->beginGroup(QStringLiteral("ThemeStyle"));
            QString *const colors[] = {&additButtonColor1, &additButtonColor2, &additButtonColor3,
                                       &additButtonColor4, &additButtonColor5, &additButtonColor6,
                                       &additButtonColor7, &additButtonColor8, &additButtonColor9,
                                       &additButtonColor10};
            for (int i = 0; i < 10; ++i)
                *colors[i] = settings->value(QStringLiteral("additButtonColor%1").arg(i + 1)).toString();
            buttonColor12 = settings->value(QStringLiteral("buttonColor12")).toString();
            brightness = settings->value(QStringLiteral("brightnessPrecentage")).toInt();
            lightTheme = settings->value(QStringLiteral("logoColorBlack")).toBool();
            logoColorBlack = lightTheme;
            settings->endGroup();

            QString text;
            const QMap<int, QString> markers = readSheet(userThemePath, &text) ? collectColors(text)
                                                                                : QMap<int, QString>();
            if (markers.contains(5))
                disabledTextColor = markers.value(5);
            if (markers.contains(10))
                textColor = markers.value(10);
            if (markers.contains(12))
                buttonColor12 = markers.value(12);
        }
    } else {
        applyPalette(logoColorBlack);
    }

    QString styleSheet;
    QString part;
    if (readSheet(QString::fromLatin1(commonSheet), &part, true))
        styleSheet += part;
    else
        TRACE() << "Blad: Nie mozna otworzyc pliku QSS!";
    if (readSheet(themePath, &part, true)) {
        styleSheet += part;
        // Charts draw their palette colours (text, and the background behind a
        // transparent chart) in the theme's chart-frame and text colours, so
        // they stay readable on the dark themes.
        const QColor chartBackground(collectColors(part).value(2));
        chartlib::Chart::setThemeColors(chartBackground.isValid() ? chartBackground : QColor(buttonColor12),
                                        QColor(textColor), QColor(textColor));
    } else {
        styleSheet.clear();
        chartlib::Chart::resetThemeColors();
        TRACE() << "Blad: Nie mozna otworzyc pliku QSS!";
    }
    if (qApp)
        qApp->setStyleSheet(styleSheet);
}

float Framework::readThemeVersion(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return 0.0f;
    const QString firstLine = QString::fromUtf8(file.readLine());
    static const QRegularExpression re(QStringLiteral("@version:\\s*(\\d+\\.?\\d*)"));
    const QRegularExpressionMatch m = re.match(firstLine);
    if (!m.hasMatch())
        return 0.0f;
    bool ok = false;
    const float version = m.captured(1).toFloat(&ok);
    return ok ? version : 0.0f;
}

QMap<int, QString> Framework::readThemeColors(const QString &path)
{
    QString text;
    if (!readSheet(path, &text)) {
        qCWarning(lcTrace).noquote() << "BŁĄD: Nie można otworzyć pliku do pobrania kolorów:" << path;
        return {};
    }
    return collectColors(text);
}

bool Framework::copyThemeFile(const QString &source, const QString &destination)
{
    QSaveFile out(destination);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Text)) {
        qCWarning(lcTrace).noquote()
            << "BŁĄD KRYTYCZNY: Nie można otworzyć pliku docelowego do zapisu. Odmowa dostępu do:" << destination;
        qCWarning(lcTrace).noquote() << "Opis błędu:" << out.errorString();
        return false;
    }
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly | QIODevice::Text)) {
        qCWarning(lcTrace).noquote() << "BŁĄD: Nie można otworzyć źródła z QRC:" << source;
        out.cancelWriting();
        return false;
    }
    const QString text = QString::fromUtf8(in.readAll());
    in.close();
    out.write(text.toUtf8());
    if (!out.commit()) {
        qCWarning(lcTrace).noquote() << "BŁĄD: Nie można zatwierdzić zapisu pliku. Odmowa dostępu.";
        qCWarning(lcTrace).noquote() << "Opis błędu:" << out.errorString();
        return false;
    }
    TRACE() << "Motyw skopiowany pomyślnie do:" << destination;
    return true;
}

void Framework::upgradeUserThemeFile(const QString &resourcePath, const QString &userPath)
{
    if (!QFile::exists(userPath)) {
        copyThemeFile(resourcePath, userPath);
        return;
    }

    const float shipped = readThemeVersion(resourcePath);
    const float user = readThemeVersion(userPath);
    TRACE() << "Wersja QRC:" << shipped << "| Wersja User:" << user;
    if (!(shipped > user)) {
        TRACE() << "Style są aktualne. :)";
        return;
    }

    const QFileInfo info(userPath);
    const QString backupPath = info.absolutePath() + QLatin1Char('/') + info.baseName() + QLatin1Char('_')
        + QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd_hh_mm_ss")) + QStringLiteral(".bak");
    if (!QFile::rename(userPath, backupPath)) {
        qCWarning(lcTrace).noquote() << "BŁĄD: Nie udało się utworzyć backupu!";
        return;
    }
    TRACE() << "Backup utworzony:" << backupPath;
    if (!copyThemeFile(resourcePath, userPath))
        return;

    TRACE() << "Nowa wersja skopiowana. Rozpoczynam merge...";
    const QMap<int, QString> userColors = readThemeColors(backupPath);

    QFile file(userPath);
    if (!file.open(QIODevice::ReadWrite | QIODevice::Text))
        return;
    QByteArray bytes = file.readAll();
    const int zero = bytes.indexOf('\0');
    if (zero >= 0)
        bytes.truncate(zero);
    QString content = QString::fromUtf8(bytes);
    bool changed = false;
    for (auto it = userColors.cbegin(); it != userColors.cend(); ++it) {
        const QRegularExpression re(QStringLiteral("/\\*color%1\\*\\/#[0-9a-fA-F]{6}").arg(it.key()));
        if (content.contains(re)) {
            content.replace(re, QStringLiteral("/*color%1*/%2").arg(it.key()).arg(it.value()));
            changed = true;
        }
    }
    if (changed) {
        const QByteArray merged = content.toUtf8();
        // The user's colours are still in the backup when this fails.
        if (!file.seek(0) || file.write(merged) != merged.size() || !file.flush() || !file.resize(file.pos()))
            qCWarning(lcTrace).noquote() << "BŁĄD: Nie można zapisać kolorów użytkownika:" << file.errorString();
        else
            TRACE() << "Merge zakończony sukcesem.";
    }
    file.close();
}

QIcon Framework::createColoredIcon(const QString &path, const QColor &color, const QSize &size)
{
    QPixmap source;
    if (size.width() >= 1 && size.height() >= 1) {
        const QIcon icon(path);
        if (icon.isNull())
            return QIcon();
        source = icon.pixmap(size, QIcon::Normal, QIcon::Off);
    } else {
        source = QPixmap(path);
    }
    if (source.isNull())
        return QIcon();

    // Work in device pixels so the mask lines up exactly on high-density screens.
    const qreal ratio = source.devicePixelRatio();
    source.setDevicePixelRatio(1.0);
    QPixmap colored(source.size());
    colored.fill(Qt::transparent);
    QPainter painter(&colored);
    painter.fillRect(colored.rect(), color);
    painter.setCompositionMode(QPainter::CompositionMode_DestinationIn);
    painter.drawPixmap(0, 0, source);
    painter.end();
    colored.setDevicePixelRatio(ratio);
    return QIcon(colored);
}
