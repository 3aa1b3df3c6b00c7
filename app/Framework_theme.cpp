// Theme state of the Framework: style sheets, palettes, the user theme file
// and icon recolouring.
#include "app/Framework.h"

#include "chartlib/ChartTypes.h"
#include "common/Trace.h"
#include "themes/ColorMarkers.h"
#include "themes/IndicatorStyle.h"
#include "themes/ThemeColors.h"

#include <QApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QPixmap>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSettings>
#include <QTableView>

namespace {

const char *const commonSheet = ":/styles/_resources/styles/default.qss";


QMap<int, QString> collectColors(const QString &text)
{
    return ColorMarkers::collect(text);
}

bool readSheet(const QString &path, QString *text, bool stopAtZero = false)
{
    return ColorMarkers::readSheet(path, text, stopAtZero);
}

} // namespace

QStringList Framework::paletteColors(bool light)
{
    // additButtonColor1 to 10, buttonColor12, textColor, disabledTextColor.
    if (light) {
        // The warning colour is darker than a plain orange: warnings stay
        // readable (4.5 : 1) on the light pages the console sits on.
        return {QStringLiteral("#0a0a0a"), QStringLiteral("#212121"), QStringLiteral("#494949"),
                QStringLiteral("#bd0000"), QStringLiteral("#1c1c1c"), QStringLiteral("#ff6666"),
                QStringLiteral("#cccccc"), QStringLiteral("#3636da"), QStringLiteral("#b24e00"),
                QStringLiteral("#d10d0d"), QStringLiteral("#f0f0f0"), QStringLiteral("#1c1c1c"),
                QStringLiteral("#808080")};
    }
    return {QStringLiteral("#ffffff"), QStringLiteral("#f0f0f0"), QStringLiteral("#c8c8c8"), QStringLiteral("#c00000"),
            QStringLiteral("#f0f0f0"), QStringLiteral("#ff6666"), QStringLiteral("#585858"), QStringLiteral("#5a96fa"),
            QStringLiteral("#ffa967"), QStringLiteral("#ff6666"), QStringLiteral("#444444"), QStringLiteral("#f0f0f0"),
            QStringLiteral("#777777")};
}

QString *Framework::additColorField(int number)
{
    QString *const fields[] = {&additButtonColor1, &additButtonColor2, &additButtonColor3, &additButtonColor4,
                               &additButtonColor5, &additButtonColor6, &additButtonColor7, &additButtonColor8,
                               &additButtonColor9, &additButtonColor10};
    return number >= 1 && number <= 10 ? fields[number - 1] : nullptr;
}

void Framework::applyPalette(bool light)
{
    const QStringList colors = paletteColors(light);
    for (int n = 1; n <= 10; ++n)
        *additColorField(n) = colors.at(n - 1);
    buttonColor12 = colors.at(10);
    textColor = colors.at(11);
    disabledTextColor = colors.at(12);
    lightTheme = light;
    brightness = 50;
}

void Framework::loadTheme(int index)
{
    QString themePath;
    if (index >= ThemeDark && index <= ThemeBlue) {
        const ThemeColors::BaseSheet *sheet = ThemeColors::baseSheet(index);
        themePath = QString::fromLatin1(sheet->path);
        logoColorBlack = sheet->light;
        applyPalette(logoColorBlack);
    } else if (index == ThemeUser) {
        themePath = userThemePath;
        if (themeUserCreated) {
            settings->beginGroup(QStringLiteral("ThemeStyle"));
            for (int n = 1; n <= 10; ++n)
                *additColorField(n) = settings->value(QStringLiteral("additButtonColor%1").arg(n)).toString();
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
        } else if (!themeEditorOpen) {
            // Nothing chosen yet: the shipped sheet's own colours decide, with
            // the editor's rule (colour 2 light or dark), so the console, the
            // logo and the icons stay readable on it.
            QString text;
            const QColor panel(readSheet(userThemePath, &text) ? collectColors(text).value(2) : QString());
            logoColorBlack = panel.isValid() && panel.lightness() >= 129;
            applyPalette(logoColorBlack);
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
    if (qApp) {
        IndicatorStyle::install();
        // Every page change applies the theme again: setting the same sheet
        // would repolish every widget of the window, seconds for a chart page
        // with a legend of hundreds of parameters.
        if (qApp->styleSheet() != styleSheet)
            qApp->setStyleSheet(styleSheet);
        // The rows' colours as the sheet gives them to every table.
        QTableView probe;
        probe.ensurePolished();
        tableBackgrounds = {probe.palette().color(QPalette::Base), probe.palette().color(QPalette::AlternateBase)};
    }
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

    QString content;
    if (!readSheet(userPath, &content, true))
        return;
    bool changed = false;
    for (auto it = userColors.cbegin(); it != userColors.cend(); ++it)
        changed = ColorMarkers::replace(content, it.key(), it.value()) || changed;
    if (changed) {
        QString error;
        // The user's colours are still in the backup when this fails.
        if (!ColorMarkers::writeSheet(userPath, content, &error))
            qCWarning(lcTrace).noquote() << "BŁĄD: Nie można zapisać kolorów użytkownika:" << error;
        else
            TRACE() << "Merge zakończony sukcesem.";
    }
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
